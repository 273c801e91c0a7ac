#ifndef BENCH_LAB_KICK_TUNER_H
#define BENCH_LAB_KICK_TUNER_H

#include <string>

#include "bench/lab/kick_tasks.h"

namespace lab {

// A short in-process tuning of the kick: CMA-ES over the parameters a ranges file names
// ("name low high" lines, "#" comments), each range scaled to 0..1; a candidate's score is
// the mean of runKick over `repeats` worlds with the constants drawn between half and
// double, alternating the feet, the same worlds for all candidates of a generation.
struct KickTuneOptions {
    std::string ranges, start, out, log;
    int generations = 8;
    int repeats = 4;
    double sigma = 0.25;
    double jitter = 0.02;  // metres the ball lies off its spot
    unsigned seed = 1;
    skills::WalkParameters walk;
};

// Returns the best mean score found; writes the best parameters to `out` whenever they
// improve and one line per generation to `log`. Throws std::runtime_error for a bad
// ranges file.
double tuneKick(const KickTuneOptions& o);

}  // namespace lab

#endif
