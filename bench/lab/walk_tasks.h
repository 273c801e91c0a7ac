#ifndef BENCH_LAB_WALK_TASKS_H
#define BENCH_LAB_WALK_TASKS_H

#include <string>
#include <utility>
#include <vector>

#include "bench/lab/skill_run.h"
#include "motion/skills/walk.h"

namespace lab {

// How one evaluation is played: the seed draws the world's approximate constants (each
// between half and double, evenly on a log scale, unless fixed), the pushes and the
// vision's noise.
struct Evaluation {
    unsigned seed = 1;
    bool drawConstants = true;
    double torque = 1, friction = 1, softness = 1;  // factors, when not drawn
    bool highNoise = false;
    // The head held still, looking ahead, instead of swept as the agent sweeps it.
    bool headStill = false;
    // Pushes on the torso at random times, one every `pushEvery` seconds on average
    // (0: none), each of 0.3 to 0.8 N·s in a random direction.
    double pushEvery = 4;
    // The course is walked by the agent's belief of its pose (as the agent walks); with
    // `steerByTruth`, by the true pose.
    bool steerByTruth = false;
    int delay = 0;  // cycles before the joint speeds act (RunSettings::delay)
    // Shortens every task's phases by this factor (tests, quick looks).
    double timeScale = 1;
};

// What one task gave: its score (higher is better), the parts it is made of, and what it
// cost.
struct TaskResult {
    double score = 0;
    std::vector<std::pair<std::string, double>> parts;
    int falls = 0;
    double simSeconds = 0;
};

// The match-like tasks a walk is tuned and judged on, each from standing still:
//   sprint  10 s straight ahead at the top speed asked; score the speed (m/s) along the
//           starting heading, less the sideways drift per second and four times what it
//           falls short of 0.64 m/s
//   turn    4 s turning left, 1 s stop, 4 s turning right, 1 s stop; score the mean rate
//           over 100 deg/s, less the turn left over in the stops
//   legs    3 s backward, 3 s left, 3 s right, each at the top asked; score the mean speed,
//           less four times what each falls short of 0.32 (backward) or 0.26 m/s
//   course  four targets 1.5 to 3 m apart walked with GoTo within 40 s; score the share
//           reached, less the time taken over 100 s and the final errors
//   random  20 s of random commands, a new one every 1 to 3 s; scored on staying up
//   all     the five, their scores summed
// A fall ends the task: it costs 1 to 3 (the earlier, the more) and the score of the rest.
const std::vector<std::string>& taskNames();
TaskResult runTask(const std::string& task, const skills::WalkParameters& params,
                   const Evaluation& e);

// The run settings an evaluation draws from its seed (the constants and the noise).
RunSettings settingsFor(const Evaluation& e, const Pose& start);

}  // namespace lab

#endif
