// The skills laboratory: plays a skill on one robot of the physical world, read the way
// the agent reads it (see SkillRun).
//
//   skills_lab hold [--seconds S]     the robot stands; speed of the runner
#include <chrono>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <string>

#include "bench/lab/hold_pose.h"
#include "bench/lab/skill_run.h"

int main(int argc, char** argv) {
    double seconds = 10;
    for (int i = 2; i + 1 < argc; i += 2)
        if (std::string(argv[i]) == "--seconds") seconds = std::stod(argv[i + 1]);
    lab::SkillRun run(lab::RunSettings{});
    lab::HoldPose hold;
    const std::clock_t start = std::clock();
    run.runFor(hold, seconds);
    const double cpu = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    const lab::Pose t = run.truth(), b = run.belief();
    std::printf(
        "truth %.2f %.2f %.1f belief %.2f %.2f %.1f located %d falls %d sim %.1f cpu %.2f\n", t.x,
        t.y, t.heading, b.x, b.y, b.heading, run.located(), run.falls(), seconds, cpu);
    (void)argc;
}
