#include "motion/skills/head_sweep.h"

#include <algorithm>
#include <cmath>

namespace skills {

namespace {

// Towards `target` at most `most` a cycle, landing on it; nothing for an unknown angle.
void towards(JointSpeeds& out, const Readings& now, JointID joint, double target, double most) {
    const double current = now.angle(joint);
    if (!std::isfinite(current) || !std::isfinite(target)) return;
    out.set(joint, std::clamp(target - current, -most, most));
}

}  // namespace

double sweepYaw(double time) {
    return 60 * std::sin(2 * M_PI * time / 4);
}

JointSpeeds HeadSweep::step(const Readings& now) {
    JointSpeeds out;
    towards(out, now, HJ1, sweepYaw(now.time), 4);
    towards(out, now, HJ2, 0, 2);
    return out;
}

}  // namespace skills
