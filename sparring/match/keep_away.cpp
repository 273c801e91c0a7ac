#include "sparring/match/keep_away.h"

#include <cmath>

namespace sparring {

std::vector<Robot*> keepAway(World& world, Side side, double cx, double cy, double radius) {
    std::vector<Robot*> moved;
    const double to = radius + kKeepAwayMargin;
    for (const auto& r : world.robots()) {
        if (r->side() != side) continue;
        double dx = r->x() - cx, dy = r->y() - cy;
        const double d = std::hypot(dx, dy);
        if (d >= radius) continue;
        if (d < 1e-6) {
            dx = side == Side::Left ? -1 : 1;
            dy = 0;
        } else {
            dx /= d;
            dy /= d;
        }
        r->place(cx + dx * to, cy + dy * to, r->heading());
        moved.push_back(r.get());
    }
    return moved;
}

}  // namespace sparring
