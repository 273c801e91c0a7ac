#ifndef HALYX_MOTION_SKILL_READINGS_H
#define HALYX_MOTION_SKILL_READINGS_H

#include "motion/skills/readings.h"

class WorldModel;

// This cycle's readings of the robot's own body as the world model holds them after
// the parser stored the message: what the agent steps its skills with.
skills::Readings readingsOf(const WorldModel& wm);

#endif
