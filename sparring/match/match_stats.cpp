#include "sparring/match/match_stats.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sparring {

namespace {
// The distance walked is sampled every so many cycles (0.2 s), so that a robot swaying
// or stepping in place does not add its to and fro to the walk.
constexpr long kWalkSampleCycles = 10;
// A move over this between two samples is a beam or a placement, not a walk, metres
// (5 m/s, far beyond any walk).
constexpr double kTeleport = 1.0;
}  // namespace

void MatchStats::touched(const BallToucher& who, const Vec3& ball) {
    last_ = who;
    touchedAt_ = ball;
    kickCounted_ = false;
    touchedInCycle_ = true;
}

void MatchStats::ballPlaced() {
    kickCounted_ = true;
}

std::optional<BallToucher> MatchStats::followBall(const Vec3& ball) {
    if (kickCounted_ || !last_) return std::nullopt;
    if (std::hypot(ball.x - touchedAt_.x, ball.y - touchedAt_.y) <= kKickDistance) {
        return std::nullopt;
    }
    kickCounted_ = true;
    ++players_[key(last_->side, last_->unum)].kicks;
    return last_;
}

void MatchStats::goal(Side side) {
    if (last_ && last_->side == side) ++players_[key(side, last_->unum)].goals;
}

void MatchStats::watch(const World& world, bool playOn, bool walking) {
    ++cycle_;
    const Vec3 ball = world.ball();
    const Robot* nearest = nullptr;
    double best = std::numeric_limits<double>::infinity();
    for (const auto& r : world.robots()) {
        const double d = std::hypot(r->x() - ball.x, r->y() - ball.y);
        if (d < best) {
            best = d;
            nearest = r.get();
        }
        if (walking) sampleWalk(*r);
    }
    untouched_ = playOn && !touchedInCycle_ ? untouched_ + 1 : 0;
    untouchedLongest_ = std::max(untouchedLongest_, untouched_);
    touchedInCycle_ = false;
    if (!playOn) return;
    ++playOnCycles_;
    if (nearest != nullptr) ++held_[nearest->side() == Side::Left ? 0 : 1];
}

void MatchStats::sampleWalk(const Robot& robot) {
    Trail& t = trails_[key(robot.side(), robot.unum())];
    if (t.cycle >= 0 && cycle_ - t.cycle < kWalkSampleCycles) return;
    const double step = std::hypot(robot.x() - t.x, robot.y() - t.y);
    // A robot not sampled in the cycle before the last sample was not walking meanwhile
    // (beams allowed): only its new place counts.
    const bool continued = t.cycle >= 0 && cycle_ - t.cycle == kWalkSampleCycles;
    if (continued && step <= kTeleport) players_[key(robot.side(), robot.unum())].walked += step;
    t = {robot.x(), robot.y(), cycle_};
}

void MatchStats::relocated(const Robot& robot) {
    Trail& t = trails_[key(robot.side(), robot.unum())];
    t.x = robot.x();
    t.y = robot.y();
}

PlayerStats MatchStats::player(Side side, int unum) const {
    const auto found = players_.find(key(side, unum));
    return found == players_.end() ? PlayerStats{} : found->second;
}

double MatchStats::possession(Side side) const {
    if (playOnCycles_ == 0) return 0;
    return static_cast<double>(held_[side == Side::Left ? 0 : 1]) / playOnCycles_;
}

}  // namespace sparring
