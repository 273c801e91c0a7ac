#ifndef SPARRING_MATCH_STATS_H
#define SPARRING_MATCH_STATS_H

#include <map>
#include <optional>
#include <utility>

#include "sparring/world/world.h"

namespace sparring {

// A touch that sends the ball this far from where it was touched is a kick, metres.
constexpr double kKickDistance = 1.0;

// One robot's figures over a match.
struct PlayerStats {
    double walked = 0;  // metres over the ground, beams and placements left out
    int kicks = 0;      // touches that sent the ball over kKickDistance
    int goals = 0;      // goals for its own side it touched last; own goals are not counted
};

// The ball's history and the figures of a match: who touched the ball last and from
// where, the kicks, the scorers, each side's possession, the longest play without a touch
// and the distance each robot walked. Robots are known by side and number, so their
// figures outlive them.
class MatchStats {
public:
    // `who` touched the ball, which lies at `ball` after the touch.
    void touched(const BallToucher& who, const Vec3& ball);
    // The ball was put somewhere: the last touch no longer sends it anywhere.
    void ballPlaced();
    // Follows the ball after the touches of a cycle: returns the toucher whose touch has
    // just now become a kick.
    std::optional<BallToucher> followBall(const Vec3& ball);
    // A goal for `side`, scored by the last toucher unless that was an own goal.
    void goal(Side side);

    // Once per cycle: the nearest robot's side holds the ball in "PlayOn"; walking is
    // counted while `walking` (beams are not allowed).
    void watch(const World& world, bool playOn, bool walking);
    // The robot was put at (x, y) by the referee: that move is not walked.
    void relocated(const Robot& robot);

    std::optional<BallToucher> lastTouch() const { return last_; }
    PlayerStats player(Side side, int unum) const;
    // The side's share (0..1) of the "PlayOn" cycles it was nearest the ball.
    double possession(Side side) const;
    // The longest run of "PlayOn" cycles in which nobody touched the ball, seconds: a touch
    // or any other play mode ends a run, and the run under way counts.
    double untouchedLongest() const { return untouchedLongest_ * kCycleSeconds; }

private:
    using Key = std::pair<int, int>;  // side, number
    struct Trail {
        double x = 0, y = 0;  // at the latest sample, metres
        long cycle = -1;      // of that sample
    };
    static Key key(Side side, int unum) { return {side == Side::Left ? 0 : 1, unum}; }
    void sampleWalk(const Robot& robot);

    std::optional<BallToucher> last_;
    Vec3 touchedAt_;           // the ball after the last touch, metres
    bool kickCounted_ = true;  // the last touch has been judged a kick, or never will be
    std::map<Key, PlayerStats> players_;
    std::map<Key, Trail> trails_;
    long cycle_ = 0;
    long playOnCycles_ = 0;
    long held_[2] = {0, 0};        // PlayOn cycles nearest the ball: left, right
    bool touchedInCycle_ = false;  // since the latest watch()
    long untouched_ = 0;           // PlayOn cycles since the latest touch, in a row
    long untouchedLongest_ = 0;    // the longest such run, cycles
};

}  // namespace sparring

#endif
