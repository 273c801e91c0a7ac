// The cost of one walk cycle while walking forward and turning (the pendulum, the
// footsteps, both legs' inverse kinematics, the balance and the joint speeds), and of
// one leg's inverse kinematics. The readings follow the commanded speeds exactly, so
// that every cycle is one of a walk under way.

#include <benchmark/benchmark.h>

#include <cmath>

#include "motion/skills/leg_ik.h"
#include "motion/skills/walk.h"

static void BM_WalkStep(benchmark::State& state) {
    skills::Walk walk{skills::WalkParameters()};
    skills::Readings now;
    now.acc = salt::Vector3f(0, 0, 9.81f);
    now.accFresh = true;
    for (auto& f : now.feet) f.touching = true;
    walk.setCommand({0.5, 0.05, 30, false});
    for (auto _ : state) {
        const skills::JointSpeeds s = walk.step(now);
        for (int j = 0; j < kJointCount; ++j)
            if (s.driven[j]) now.angles[j] += s.speed[j] * 0.02 * 180 / M_PI;
        now.time += 0.02;
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_WalkStep);

static void BM_LegInverse(benchmark::State& state) {
    skills::FootPose target;
    target.rotation = skills::rotYawPitchRoll(-12, 0, 0);
    double x = 0;
    for (auto _ : state) {
        x = x > 0.05 ? -0.05 : x + 0.001;  // a different pose every call
        target.position = {x, 0.01, -0.2};
        benchmark::DoNotOptimize(skills::legInverse(skills::Leg::Left, target));
    }
}
BENCHMARK(BM_LegInverse);

BENCHMARK_MAIN();
