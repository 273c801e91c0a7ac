#ifndef HALYX_MOTION_SKILLS_STEER_CLEAR_H
#define HALYX_MOTION_SKILLS_STEER_CLEAR_H

#include <vector>

#include "motion/skills/goto.h"

namespace skills {

// How near another robot may come before the walk steers round it.
struct SteerClearParameters {
    double reach = 0.8;      // metres: robots further away are ignored
    double touch = 0.35;     // metres: at this distance no speed is left towards a robot
    double cone = 45;        // degrees either side of the way walked that count as ahead
    double sideStep = 0.12;  // m/s: the step aside from a robot ahead
};

// The walk command `c` of a robot at `self`, changed so that it does not walk into the
// robots at `others`: the speed towards a robot ahead falls as it comes near, and a step
// aside takes the robot past it. Turning is left as it is. Robots collide and fall when
// a walk aims straight through them.
WalkCommand steerClear(const WalkCommand& c, const FieldPose& self,
                       const std::vector<FieldPoint>& others, const SteerClearParameters& p = {});

}  // namespace skills

#endif
