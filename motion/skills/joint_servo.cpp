#include "motion/skills/joint_servo.h"

#include <algorithm>
#include <cmath>

namespace skills {

namespace {
constexpr double kCycle = 0.02;          // seconds
constexpr double kMaxJointSpeed = 6.14;  // rad/s, the motors' limit
constexpr double kDeg = M_PI / 180;
}  // namespace

void JointServo::start(const Readings& now) {
    mTarget = now.angles;
    mTarget[HJ1] = mTarget[HJ2] = 0;
    mSent.fill(0);
}

JointSpeeds JointServo::towards(const std::array<double, kJointCount>& next, const Readings& now) {
    JointSpeeds out;
    for (int j = 0; j < kJointCount; ++j) {
        if (j == HJ1 || j == HJ2) continue;  // the head stays with head control
        const double at = now.angles[j] + mLag * mSent[j] * kCycle / kDeg;
        const double lag = mTarget[j] - at;
        const double deg = (next[j] - mTarget[j] + mGain * lag) / kCycle;
        const double v = std::clamp(deg * kDeg, -kMaxJointSpeed, kMaxJointSpeed);
        out.set(static_cast<JointID>(j), std::isfinite(v) ? v : 0);
        mSent[j] = out.speed[j];
    }
    mTarget = next;
    return out;
}

}  // namespace skills
