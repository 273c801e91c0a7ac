#ifndef HALYX_MOTION_SKILLS_JOINT_SERVO_H
#define HALYX_MOTION_SKILLS_JOINT_SERVO_H

#include <array>

#include "motion/skills/readings.h"

namespace skills {

// Turns a target pose per cycle into joint speeds for every joint but the head's: the
// step from the last cycle's target to the next, plus a share of the lag the joint has
// fallen behind. Skills that plan joint angles (the walk, the kick) drive the body with
// it; a joint's reading lags the commands, so the lag is judged against the reading
// moved on by the speeds sent since.
class JointServo {
public:
    // readingLag: cycles the readings lag the commands; gain: share of a lag made up in
    // one cycle.
    JointServo(double readingLag, double gain) : mLag(readingLag), mGain(gain) {}
    // Starts from the pose the joints are in (the head's targets 0).
    void start(const Readings& now);
    // The speeds that take the joints to `next` (degrees, JointID order) in one cycle.
    JointSpeeds towards(const std::array<double, kJointCount>& next, const Readings& now);
    // The last cycle's targets, degrees.
    const std::array<double, kJointCount>& target() const { return mTarget; }

private:
    double mLag, mGain;
    std::array<double, kJointCount> mTarget{};  // degrees
    std::array<double, kJointCount> mSent{};    // rad/s, the last cycle's speeds
};

}  // namespace skills

#endif
