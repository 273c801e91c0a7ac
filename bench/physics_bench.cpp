// How fast the sparring server's physical world runs: simulated seconds per CPU second
// for 1, 9 and 18 robots, each cycle stepping the world and writing every robot's
// message with vision, as the server does. Three workloads: robots standing still (they
// come to rest and leave the steps), robots that never rest (head and arms always
// moving, feet planted) and robots marching in place (lifting their feet in turn, so
// that contacts break and re-form, as in walking).
//
//   build/bench/physics_bench [SECONDS] [--solver exact|iterative|both]
//                             [--workload still|moving|marching|all] [--robots N]
//       (default 30 simulated seconds per run, both solvers, every workload, 1, 9, 18)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "sparring/protocol/perception.h"
#include "sparring/world/physics/physics_world.h"

using namespace sparring;

namespace {

enum class Workload { Still, Moving, Marching };
const char* const kWorkloadNames[] = {"still", "moving", "marching"};

// Two teams on their halves, four rows deep.
void lineUp(PhysicsWorld& world, int robots) {
    for (int i = 0; i < robots; ++i) {
        const Side side = i % 2 == 0 ? Side::Left : Side::Right;
        const int unum = i / 2 + 1;
        Robot& r = world.addRobot(side, unum, side == Side::Left ? "QEL" : "OPP");
        r.beam(-5.0 + 1.1 * ((unum - 1) / 3), -2.5 + 2.5 * ((unum - 1) % 3), 0);
    }
}

// Head yaw and both shoulders swing back and forth, a half period of 0.5 s.
void keepMoving(World& world, long cycle) {
    const double sign = (cycle / 25) % 2 == 0 ? 1 : -1;
    for (const auto& r : world.robots()) {
        r->setSpeed(HJ1, sign * 2.0);
        r->setSpeed(LAJ1, sign * 3.0);
        r->setSpeed(RAJ1, -sign * 3.0);
    }
}

// Each foot in turn is lifted and put down again within half of a 0.5 s period: hip
// and ankle bend by up to 15 degrees and the knee by 30, driven towards their targets
// as an agent's playback does.
void march(World& world, double seconds) {
    constexpr double kPeriod = 0.5, kLift = 15;  // seconds, degrees
    for (const auto& r : world.robots()) {
        for (int leg = 0; leg < 2; ++leg) {
            const double phase = std::fmod(seconds / kPeriod + (leg == 0 ? 0 : 0.5), 1.0);
            const double lift = phase < 0.5 ? std::sin(phase * 2 * M_PI) : 0;
            const int joints[3] = {leg == 0 ? LLJ3 : RLJ3, leg == 0 ? LLJ4 : RLJ4,
                                   leg == 0 ? LLJ5 : RLJ5};
            const double target[3] = {kLift * lift, -2 * kLift * lift, kLift * lift};
            for (int k = 0; k < 3; ++k) {
                const double speed = 0.2 * (target[k] - r->angle(joints[k])) * M_PI / 180 / 0.02;
                r->setSpeed(joints[k], std::clamp(speed, -kMaxJointSpeed, kMaxJointSpeed));
            }
        }
    }
}

struct Result {
    double speed;  // simulated seconds per CPU second
    int falls;
};

Result run(int robots, Workload workload, physics::Solver solver, double seconds) {
    std::ostringstream log;
    physics::Approximate constants;
    constants.solver = solver;
    PhysicsWorld world(log, constants);
    lineUp(world, robots);
    PerceptionWriter writer(VisionOptions{}, MessageForms::New);
    const long cycles = std::lround(seconds / kCycleSeconds);
    std::size_t bytes = 0;
    const std::clock_t start = std::clock();
    for (long c = 0; c < cycles; ++c) {
        GameView game;
        game.now = c * kCycleSeconds;
        game.cycle = c;
        for (const auto& r : world.robots()) bytes += writer.write(world, *r, game, {}).size();
        if (workload == Workload::Moving) keepMoving(world, c);
        if (workload == Workload::Marching) march(world, game.now);
        world.step(kCycleSeconds);
        for (const auto& r : world.robots()) r->updatePosture(game.now);
    }
    const double cpu = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    if (!log.str().empty()) std::fprintf(stderr, "%s", log.str().c_str());
    if (bytes == 0) std::fprintf(stderr, "no messages written\n");
    int falls = 0;
    for (const auto& r : world.robots()) falls += r->downRecord(seconds)->falls;
    return {seconds / cpu, falls};
}

int usage() {
    std::fprintf(stderr,
                 "usage: physics_bench [SIMULATED_SECONDS] [--solver exact|iterative|both]\n"
                 "                     [--workload still|moving|marching|all] [--robots N]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 30.0;
    std::vector<physics::Solver> solvers = {physics::Solver::Exact, physics::Solver::Iterative};
    std::vector<Workload> workloads = {Workload::Still, Workload::Moving, Workload::Marching};
    std::vector<int> counts = {1, 9, 18};
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--solver" && hasValue) {
            const std::string v = argv[++i];
            if (v == "exact")
                solvers = {physics::Solver::Exact};
            else if (v == "iterative")
                solvers = {physics::Solver::Iterative};
            else if (v != "both")
                return usage();
        } else if (a == "--workload" && hasValue) {
            const std::string v = argv[++i];
            if (v == "all") continue;
            workloads.clear();
            for (int w = 0; w < 3; ++w) {
                if (v == kWorkloadNames[w]) workloads.push_back(static_cast<Workload>(w));
            }
            if (workloads.empty()) return usage();
        } else if (a == "--robots" && hasValue) {
            counts = {std::atoi(argv[++i])};
            if (counts[0] < 1 || counts[0] > 22) return usage();
        } else {
            seconds = std::atof(argv[i]);
            if (!(seconds > 0)) return usage();
        }
    }
    std::printf(
        "robots  workload  solver     simulated s per CPU s  falls  (%.0f simulated s each)\n",
        seconds);
    for (int robots : counts) {
        for (Workload w : workloads) {
            for (physics::Solver s : solvers) {
                const Result r = run(robots, w, s, seconds);
                std::printf("%6d  %-8s  %-9s  %8.1f  %12d\n", robots,
                            kWorkloadNames[static_cast<int>(w)], physics::solverName(s), r.speed,
                            r.falls);
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
