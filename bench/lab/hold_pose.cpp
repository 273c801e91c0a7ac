#include "bench/lab/hold_pose.h"

#include <algorithm>
#include <cmath>

namespace lab {

namespace {

constexpr double kGain = 5;      // 1/s: a fifth of the error closed per 0.04 s
constexpr double kMaxSpeed = 6;  // rad/s

}  // namespace

HoldPose::HoldPose(const std::array<double, kJointCount>& degrees) : target_(degrees) {}

skills::JointSpeeds HoldPose::step(const skills::Readings& now) {
    skills::JointSpeeds out;
    for (int j = LLJ1; j < kJointCount; ++j) {
        const double error = (target_[j] - now.angles[j]) * M_PI / 180;
        out.set(static_cast<JointID>(j), std::clamp(kGain * error, -kMaxSpeed, kMaxSpeed));
    }
    return out;
}

}  // namespace lab
