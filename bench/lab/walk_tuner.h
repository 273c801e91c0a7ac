#ifndef BENCH_LAB_WALK_TUNER_H
#define BENCH_LAB_WALK_TUNER_H

#include <string>
#include <vector>

#include "bench/lab/job_runner.h"

namespace lab {

// One walk parameter the tuner moves, within [low, high].
struct TunedParameter {
    std::string name;
    double low = 0, high = 1;
};

// Reads "name low high" lines ("#" comments). Throws std::runtime_error with
// "FILE:LINE: ..." naming an unknown name, a bad number or an empty range.
std::vector<TunedParameter> readRanges(const std::string& path);

// A tuning: CMA-ES over the named parameters, scaled so that each range is 0..1; every
// candidate is scored by `repeats` evaluations, each one process of the laboratory
// (`lab evaluate ...`) with a seed of its generation, the same for all candidates of a
// generation so that they meet the same worlds.
struct TuneOptions {
    std::string lab;    // the skills_lab program
    std::string start;  // parameter file to start from and to fill the untuned values
    std::string out;    // the best parameters so far
    std::string log;    // one line per generation
    std::vector<TunedParameter> ranges;
    int generations = 10;
    int population = 0;  // 0: CMA-ES's own choice
    int repeats = 2;
    double sigma = 0.2;  // of each range
    std::string task = "all";
    double timeScale = 1;
    double pushEvery = 4;
    int delay = 0;  // cycles before the joint speeds act
    unsigned seed = 1;
    JobRunner runner;
};

// What a tuning cost and found.
struct TuneSummary {
    long evaluations = 0;
    double simSeconds = 0, cpuSeconds = 0;  // summed over the evaluations' processes
    double bestScore = -1e300;
};

// Runs the tuning; writes `out` whenever a candidate beats the best so far, `out`.mean
// with the search's centre and a line to `log` after each generation. Throws
// std::runtime_error when an evaluation fails or gives no score.
TuneSummary tune(const TuneOptions& o);

}  // namespace lab

#endif
