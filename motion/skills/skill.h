#ifndef HALYX_MOTION_SKILLS_SKILL_H
#define HALYX_MOTION_SKILLS_SKILL_H

#include "motion/skills/readings.h"

namespace skills {

// What the laboratory and the agent's adapters need of any skill: one step per cycle
// with that cycle's readings, returning the joint speeds to send.
class Skill {
public:
    virtual ~Skill() = default;
    virtual JointSpeeds step(const Readings& now) = 0;
    // The skill has nothing more to do (a motion played to its end).
    virtual bool done() const { return false; }
};

}  // namespace skills

#endif
