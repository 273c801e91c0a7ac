#ifndef HALYX_MOTION_SKILLS_HEAD_SWEEP_H
#define HALYX_MOTION_SKILLS_HEAD_SWEEP_H

#include "motion/skills/skill.h"

namespace skills {

// The head swept from side to side, level, so that a walking robot keeps landmarks in
// view: its yaw follows 60 sin(2 pi t / 4) degrees. Each cycle a head joint is sent the
// angle left to its target as its speed, at most 4 for the yaw and 2 for the pitch (the
// command's own number, as the designed head moves were written), so the head lags the
// sine a little. The walk leaves the head alone; the agent steps both, and so does the
// laboratory, so that a tuned walk has carried the head's swing.
// The sweep's yaw at server time `time` (seconds): 60 sin(2 pi t / 4) degrees, so that
// with the view's 120 degrees the head sees all round but straight behind.
double sweepYaw(double time);

class HeadSweep : public Skill {
public:
    JointSpeeds step(const Readings& now) override;
};

}  // namespace skills

#endif
