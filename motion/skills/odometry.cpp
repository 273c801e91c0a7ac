#include "motion/skills/odometry.h"

#include <cmath>

namespace skills {

void Odometry::fix(const FieldPose& pose) {
    pose_ = pose;
    known_ = true;
}

void Odometry::move(const WalkCommand& speed, double gyroTurn, double seconds) {
    if (!known_ || !std::isfinite(gyroTurn) || !std::isfinite(seconds)) return;
    // Along the heading halfway through the cycle's turn.
    const double turned = gyroTurn * seconds;
    const double h = (pose_.heading + turned / 2) * M_PI / 180;
    const double ahead = speed.forward * seconds, left = speed.sideways * seconds;
    pose_.x += std::cos(h) * ahead - std::sin(h) * left;
    pose_.y += std::sin(h) * ahead + std::cos(h) * left;
    pose_.heading = wrapDegrees(pose_.heading + turned);
}

}  // namespace skills
