// One localisation cycle with all eight landmarks in view: 8 usable triples,
// 24 look-at fixes, the body model, a seen ball and two seen players (their
// velocity updates are skipped, as both sightings share one server time).

#include <benchmark/benchmark.h>

#include <cmath>

#include "math/geometry.h"
#include "worldmodel/worldmodel.h"

namespace {
// Readings of a camera at (-2, 1, 0.5) with heading 30.
void seeEverything(WorldModel& wm, double time) {
    wm.setServerTime(time);
    const double h = salt::gDegToRad(30.0);
    const salt::Vector3f camera(-2, 1, 0.5f);
    for (int k = 0; k < kFlagCount; ++k) {
        const FlagsID id = static_cast<FlagsID>(k);
        const salt::Vector3f d = wm.getFlagsGlobalPos(id) - camera;
        const salt::Vector3f c(static_cast<float>(std::cos(h) * d.x() + std::sin(h) * d.y()),
                               static_cast<float>(-std::sin(h) * d.x() + std::cos(h) * d.y()),
                               d.z());
        wm.setRelFlagPos(id, CartecianToPolar(c));
    }
    wm.setRelBallPos(salt::Vector3f(1.5f, -0.2f, -0.46f));
    wm.setRelOurPos(salt::Vector3f(3, 1, 0), 4, HEAD);
    wm.setRelOppPos(salt::Vector3f(5, -2, 0), 8, HEAD);
}
}  // namespace

static void BM_GlobalizeBothGoalLines(benchmark::State& state) {
    WorldModel wm;
    for (int j = 0; j < kJointCount; ++j) wm.setMyJointAngle(static_cast<JointID>(j), 10.0 + j);
    // The readings stay those of one cycle: every landmark counts as seen now.
    seeEverything(wm, 1.0);
    for (auto _ : state) {
        wm.globalize();
        benchmark::DoNotOptimize(wm.getMyPos());
    }
}
BENCHMARK(BM_GlobalizeBothGoalLines);

static void BM_UpdateSelf(benchmark::State& state) {
    WorldModel wm;
    for (int j = 0; j < kJointCount; ++j) wm.setMyJointAngle(static_cast<JointID>(j), 10.0 + j);
    for (auto _ : state) {
        wm.updateSelf();
        benchmark::DoNotOptimize(wm.getMySelf());
    }
}
BENCHMARK(BM_UpdateSelf);

BENCHMARK_MAIN();
