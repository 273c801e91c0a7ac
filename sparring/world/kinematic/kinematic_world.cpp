#include "sparring/world/kinematic/kinematic_world.h"

#include <cmath>

namespace sparring {

namespace {
// Robots here have no shapes, only body points: a point within the ball's radius and
// this reach of its centre counts as a touch. Half a foot's length (0.16 m) from the
// foot point, so a toe reaching the ball counts, and a little more for the limbs' width.
constexpr double kTouchReach = 0.1;  // metres
}  // namespace

std::unique_ptr<Robot> KinematicWorld::makeRobot(Side side, int unum, const std::string& team) {
    return std::make_unique<KinematicRobot>(side, unum, team);
}

void KinematicWorld::placeBall(double x, double y) {
    ball_ = {x, y, kBallRadius};
}

void KinematicWorld::step(double dt) {
    touchers_.clear();
    for (auto& r : robots_) {
        static_cast<KinematicRobot&>(*r).integrate(dt);
        if (touchesBall(*r)) touchers_.push_back({r->side(), r->unum()});
    }
}

bool KinematicWorld::touchesBall(const Robot& robot) const {
    const double reach = kBallRadius + kTouchReach;
    // Far robots are passed over before their body points are worked out.
    if (std::hypot(robot.x() - ball_.x, robot.y() - ball_.y) > 1.0) return false;
    for (const Vec3& p : robot.bodyPoints()) {
        if (length(p - ball_) <= reach) return true;
    }
    return false;
}

}  // namespace sparring
