#include "sparring/match/keep_away.h"

#include <cmath>

namespace sparring {

namespace {

// True when no robot but `self` stands or lies within the clearance of (x, y).
bool clearOfOthers(const World& world, const Robot* self, double x, double y) {
    for (const auto& other : world.robots()) {
        if (other.get() == self) continue;
        if (std::hypot(other->x() - x, other->y() - y) < kKeepAwayClearance) return false;
    }
    return true;
}

}  // namespace

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
        // Straight out, else the clear spot on the circle turned least from it (steps of
        // 10 degrees, either way in turn); straight out when the whole circle is taken.
        const double out = std::atan2(dy, dx);
        double chosen = out;
        for (int step = 0; step < 36; ++step) {  // the last step is half a turn
            const double a = out + (step % 2 == 1 ? 1 : -1) * ((step + 1) / 2) * M_PI / 18;
            if (clearOfOthers(world, r.get(), cx + to * std::cos(a), cy + to * std::sin(a))) {
                chosen = a;
                break;
            }
        }
        r->place(cx + to * std::cos(chosen), cy + to * std::sin(chosen), r->heading());
        moved.push_back(r.get());
    }
    return moved;
}

}  // namespace sparring
