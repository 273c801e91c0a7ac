#ifndef HALYX_BENCH_MATCH_SCENE_H
#define HALYX_BENCH_MATCH_SCENE_H

#include <string>
#include <vector>

#include "sparring/protocol/perception.h"
#include "sparring/world/kinematic/kinematic_world.h"

// A moment of a match in the sparring world, the source of every perception message the
// benchmarks and the latency driver feed the agent: two teams of nine in the formation of
// team/formation.conf, the ball in play, one robot (our number 5, a field player) that
// reads the messages, and a robot of each team that speaks every cycle.
class MatchScene {
public:
    struct Options {
        int extraRobots = 0;  // more opponents, spread over the field, for the longest messages
        int ourSay = 64;      // length of our team's utterance, 1 to 64 bytes
        int theirSay = 64;    // length of the opponents' utterance, 1 to 64 bytes
        sparring::VisionOptions vision;
    };

    MatchScene(const std::string& formationPath, const Options& options);

    // The first message, before the agent's init: time and game state only.
    std::string greeting() const;
    // The message of cycle `cycle` (time cycle * 20 ms) in `mode`.
    std::string message(long cycle, sparring::PlayMode mode);

private:
    sparring::KinematicWorld world_;
    sparring::PerceptionWriter writer_;
    sparring::Robot* self_ = nullptr;
    std::vector<sparring::Utterance> heard_;
};

#endif
