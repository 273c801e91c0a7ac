#include "sparring/world/kinematic/kinematic_world.h"

namespace sparring {

std::unique_ptr<Robot> KinematicWorld::makeRobot(Side side, int unum, const std::string& team) {
    return std::make_unique<KinematicRobot>(side, unum, team);
}

void KinematicWorld::placeBall(double x, double y) {
    ball_ = {x, y, kBallRadius};
}

void KinematicWorld::step(double dt) {
    for (auto& r : robots_) static_cast<KinematicRobot&>(*r).integrate(dt);
}

}  // namespace sparring
