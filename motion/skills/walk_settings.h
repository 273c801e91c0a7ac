#ifndef HALYX_MOTION_SKILLS_WALK_SETTINGS_H
#define HALYX_MOTION_SKILLS_WALK_SETTINGS_H

#include "motion/skills/walk_parameters.h"

namespace skills {

class WalkParameters;

// The walk's parameters as named members, read once from WalkParameters so that a
// cycle looks none up by name. Units as in walk_parameters.h.
struct WalkSettings {
#define HALYX_WALK_MEMBER(name, value, lo, hi, text) double name = value;
    HALYX_WALK_PARAMETERS(HALYX_WALK_MEMBER)
#undef HALYX_WALK_MEMBER

    static WalkSettings from(const WalkParameters& p);
};

}  // namespace skills

#endif
