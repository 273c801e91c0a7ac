#ifndef BENCH_LAB_HOLD_POSE_H
#define BENCH_LAB_HOLD_POSE_H

#include <array>

#include "motion/skills/skill.h"

namespace lab {

// The simplest skill: drives every joint but the head's towards a fixed pose and keeps it
// there (a proportional servo on the read angle). The laboratory's baseline: a robot that
// only stands, to compare a skill with and to try the runner without one.
class HoldPose : public skills::Skill {
public:
    // Degrees per joint, JointID order; all zero is standing straight.
    explicit HoldPose(const std::array<double, kJointCount>& degrees = {});
    skills::JointSpeeds step(const skills::Readings& now) override;

private:
    std::array<double, kJointCount> target_;  // degrees
};

}  // namespace lab

#endif
