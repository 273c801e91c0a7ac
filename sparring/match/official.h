#ifndef SPARRING_OFFICIAL_H
#define SPARRING_OFFICIAL_H

#include <optional>
#include <string>
#include <vector>

#include "sparring/match/ball_out.h"
#include "sparring/match/match_stats.h"
#include "sparring/match/referee.h"
#include "sparring/world/world.h"

namespace sparring {

// What the official decided in one cycle, for the server's log and the replay.
struct OfficialCalls {
    std::optional<BallOut> out;         // the ball left the field: a goal or a set play
    std::optional<BallToucher> scorer;  // of that goal: the last toucher, if any
    std::optional<BallToucher> kick;    // a touch that has now sent the ball over 1 m
    std::vector<Robot*> movedAway;      // robots put out of the distance they must keep
};

// One log line for each thing decided, for people to read ("" when nothing was).
std::string describeCalls(const OfficialCalls& calls, double now);

// Watches the ball and the robots after every step of the world and tells the referee
// what the world shows: the last touch, goals and balls out of play, kick-offs and set
// plays taken, the distance the side not taking them keeps, and the match's figures.
class MatchOfficial {
public:
    // After the world's step, the referee's clock and the scenario's events of `now`.
    OfficialCalls watch(World& world, Referee& referee, double now);
    // A scenario put the ball somewhere.
    void ballPlaced() { stats_.ballPlaced(); }

    const MatchStats& stats() const { return stats_; }

private:
    void followTouches(const World& world, Referee& referee, double now);
    void judge(World& world, Referee& referee, double now, OfficialCalls& calls);
    void keepDistance(World& world, PlayMode mode, OfficialCalls& calls);

    MatchStats stats_;
    PlayMode seen_ = PlayMode::BeforeKickOff;  // the mode the previous cycle ended in
};

}  // namespace sparring

#endif
