// How fast the sparring server's physical world runs: simulated seconds per CPU second
// for 1, 9 and 18 robots, each cycle stepping the world and writing every robot's
// message with vision, as the server does. Two workloads: robots standing still (they
// come to rest and leave the steps) and robots that never rest (head and arms always
// moving).
//
//   build/bench/physics_bench [SECONDS]    (default 30 simulated seconds per run)
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>

#include "sparring/protocol/perception.h"
#include "sparring/world/physics/physics_world.h"

using namespace sparring;

namespace {

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

// Simulated seconds per CPU second.
double run(int robots, bool moving, double seconds) {
    std::ostringstream log;
    PhysicsWorld world(log);
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
        if (moving) keepMoving(world, c);
        world.step(kCycleSeconds);
        for (const auto& r : world.robots()) r->updatePosture(game.now);
    }
    const double cpu = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    if (!log.str().empty()) std::fprintf(stderr, "%s", log.str().c_str());
    if (bytes == 0) std::fprintf(stderr, "no messages written\n");
    return seconds / cpu;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
    if (!(seconds > 0)) {
        std::fprintf(stderr, "usage: physics_bench [SIMULATED_SECONDS]\n");
        return 2;
    }
    std::printf("robots  workload   simulated s per CPU s  (%.0f simulated s each)\n", seconds);
    for (int robots : {1, 9, 18}) {
        for (bool moving : {false, true}) {
            std::printf("%6d  %-9s  %8.1f\n", robots, moving ? "moving" : "still",
                        run(robots, moving, seconds));
            std::fflush(stdout);
        }
    }
    return 0;
}
