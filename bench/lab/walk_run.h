#ifndef BENCH_LAB_WALK_RUN_H
#define BENCH_LAB_WALK_RUN_H

#include <cstdio>
#include <vector>

#include "motion/skills/walk.h"

namespace lab {

// One command of a run from its time on (seconds after the start).
struct TimedCommand {
    double at = 0;
    skills::WalkCommand command;
};

// The world a walk is tried in: the approximate constants as factors of their defaults,
// the robot's heading at the start and the commands' delay.
struct WalkWorld {
    double torque = 1, friction = 1, softness = 1;
    double heading = 0;  // degrees, server frame, at the start
    // Cycles between the readings a command is made from and the cycle it acts in: 0
    // in-process, 1 as through a server (its reply acts in the cycle after the message).
    int delay = 1;
};

// What came of one run: how far and how fast it went in the robot's starting frame,
// and whether (and when) it fell.
struct WalkOutcome {
    double forward = 0, sideways = 0;  // metres moved, starting frame
    double turned = 0;                 // degrees, counter-clockwise
    // Speeds over the measured window (from `measureFrom` to the end): m/s, m/s, deg/s.
    double forwardSpeed = 0, sidewaysSpeed = 0, turnRate = 0;
    bool fell = false;
    double fellAt = 0;  // seconds
    double seconds = 0;
};

// Random commands as a match gives them: a new one every 1 to 3 seconds, each part up to
// the walk's best and beyond, one in seven a stop.
std::vector<TimedCommand> randomCommands(unsigned seed, double seconds);

// Plays the walk on one robot of the physical world for `seconds`, commands as given,
// the readings taken straight from the robot's sensors. Speeds are measured from
// `measureFrom` seconds on. With `trace`, one line every `traceEvery` cycles.
WalkOutcome runWalk(const skills::WalkParameters& p, const WalkWorld& w,
                    const std::vector<TimedCommand>& commands, double seconds, double measureFrom,
                    std::FILE* trace = nullptr, int traceEvery = 10);

}  // namespace lab

#endif
