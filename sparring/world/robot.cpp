#include "sparring/world/robot.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace sparring {

const char* postureName(Posture posture) {
    switch (posture) {
        case Posture::Upright:
            return "upright";
        case Posture::OnBack:
            return "back";
        case Posture::OnFront:
            return "front";
        case Posture::OnLeft:
            return "left";
        case Posture::OnRight:
            return "right";
    }
    return "upright";
}

Robot::Robot(Side side, int unum, std::string team)
    : side_(side), unum_(unum), team_(std::move(team)) {}

void Robot::beam(double x, double y, double rotDegrees) {
    const Vec3 p = toServerFrame(side_, {x, y, 0});
    place(p.x, p.y, headingToServerFrame(side_, rotDegrees));
}

void Robot::setSpeed(int joint, double radPerSecond) {
    if (!std::isfinite(radPerSecond)) return;
    speeds_[joint] = std::clamp(radPerSecond, -kMaxJointSpeed, kMaxJointSpeed);
}

}  // namespace sparring
