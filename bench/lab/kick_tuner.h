#ifndef BENCH_LAB_KICK_TUNER_H
#define BENCH_LAB_KICK_TUNER_H

#include <string>

#include "bench/lab/kick_tasks.h"

namespace lab {

// A short in-process tuning of the kick: CMA-ES over the parameters a ranges file names
// ("name low high" lines, "#" comments), each range scaled to 0..1; a candidate's score is
// the mean of runKick over `repeats` worlds with the constants drawn between half and
// double, alternating the feet, the same worlds for all candidates of a generation; with
// `played`, the mean of playedKickScore instead.
struct KickTuneOptions {
    std::string ranges, start, out, log;
    int generations = 8;
    int repeats = 4;
    double sigma = 0.25;
    double jitter = 0.02;  // metres the ball lies off its spot
    // Each repeat a kick played as the agent plays it (approach, settle, kick) from a
    // start drawn as bench/trials kick draws it, rather than from standing at the spot.
    bool played = false;
    unsigned seed = 1;
    skills::WalkParameters walk;
};

// Returns the best mean score found; writes the best parameters to `out` whenever they
// improve and one line per generation to `log`. Throws std::runtime_error for a bad
// ranges file.
double tuneKick(const KickTuneOptions& o);

// One kick played from a start drawn from the evaluation's seed as bench/trials kick
// draws its trials (the robot at (-3, 0) facing within 30 degrees of +x, the ball 1 to 2 m
// away at any bearing, the direction within 60 degrees of the heading): the ball's travel
// along the direction, less 0.05 per degree off, 5 for a fall and 0.5 per second that
// the swing comes later than 8 s after the command; 0 for a ball never kicked.
double playedKickScore(const skills::KickParameters& kick, const skills::WalkParameters& walk,
                       const Evaluation& e);

}  // namespace lab

#endif
