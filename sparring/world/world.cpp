#include "sparring/world/world.h"

#include <algorithm>

namespace sparring {

Robot& World::addRobot(Side side, int unum, const std::string& team) {
    robots_.push_back(makeRobot(side, unum, team));
    Robot& robot = *robots_.back();
    const Vec3 bench = toServerFrame(side, {-0.5 - 0.5 * unum, -field().width / 2 - 0.3, 0});
    robot.place(bench.x, bench.y, headingToServerFrame(side, 90));
    return robot;
}

void World::removeRobot(const Robot& robot) {
    robots_.erase(
        std::remove_if(robots_.begin(), robots_.end(),
                       [&](const std::unique_ptr<Robot>& r) { return r.get() == &robot; }),
        robots_.end());
}

Robot* World::find(Side side, int unum) {
    for (auto& r : robots_) {
        if (r->side() == side && r->unum() == unum) return r.get();
    }
    return nullptr;
}

}  // namespace sparring
