#include "sparring/match/official.h"

#include <cstdio>

#include "sparring/match/keep_away.h"

namespace sparring {

namespace {

// Modes in which the ball is in play and may leave the field.
bool ballInPlay(PlayMode mode) {
    return mode == PlayMode::PlayOn || isKickOff(mode) || isSetPlay(mode);
}

bool isGoal(PlayMode mode) {
    return mode == PlayMode::GoalLeft || mode == PlayMode::GoalRight;
}

std::string who(Side side, int unum) {
    return std::string(sideName(side)) + " " + std::to_string(unum);
}

}  // namespace

std::string describeCalls(const OfficialCalls& calls, double now) {
    char at[96];
    std::snprintf(at, sizeof at, " at t=%.2f", now);
    std::string s;
    if (calls.kick) s += "sparring: kick by " + who(calls.kick->side, calls.kick->unum) + at + "\n";
    if (calls.out && calls.out->goal) {
        s += std::string("sparring: goal for ") + sideName(calls.out->side);
        if (calls.scorer) s += " by " + who(calls.scorer->side, calls.scorer->unum);
        s += std::string(at) + "\n";
    } else if (calls.out) {
        char spot[64];
        std::snprintf(spot, sizeof spot, ", the ball at (%.2f, %.2f)", calls.out->x, calls.out->y);
        s += std::string("sparring: ") + playModeName(calls.out->mode) + at + spot + "\n";
    }
    for (const Robot* r : calls.movedAway) {
        char to[64];
        std::snprintf(to, sizeof to, " is moved away from the ball to (%.2f, %.2f)", r->x(),
                      r->y());
        s += "sparring: robot " + who(r->side(), r->unum()) + to + at + "\n";
    }
    return s;
}

OfficialCalls MatchOfficial::watch(World& world, Referee& referee, double now) {
    OfficialCalls calls;
    // The kick-off after a goal starts with the ball back on the centre spot.
    if (isKickOff(referee.mode()) && isGoal(seen_)) {
        world.placeBall(0, 0);
        stats_.ballPlaced();
    }
    followTouches(world, referee, now);
    judge(world, referee, now, calls);
    keepDistance(world, referee.mode(), calls);
    calls.kick = stats_.followBall(world.ball());
    stats_.watch(world, referee.mode() == PlayMode::PlayOn, !referee.beamAllowed());
    seen_ = referee.mode();
    return calls;
}

void MatchOfficial::followTouches(const World& world, Referee& referee, double now) {
    const PlayMode mode = referee.mode();
    // Touches of a game stop (before the kick-off, after a goal) neither count nor decide.
    if (!ballInPlay(mode)) return;
    bool taken = false;
    for (const BallToucher& t : world.ballTouchers()) {
        stats_.touched(t, world.ball());
        taken = taken || t.side == modeSide(mode);
    }
    // A touch by the side a kick-off or set play belongs to takes it; one by the other
    // side does not (the distance kept should prevent it).
    if (taken) referee.taken(now);
}

void MatchOfficial::judge(World& world, Referee& referee, double now, OfficialCalls& calls) {
    if (!ballInPlay(referee.mode())) return;
    calls.out = judgeBall(world.field(), world.ball(), stats_.lastTouch());
    if (!calls.out) return;
    if (calls.out->goal) {
        calls.scorer = stats_.lastTouch();
        stats_.goal(calls.out->side);
        referee.goal(calls.out->side, now);
        return;
    }
    world.placeBall(calls.out->x, calls.out->y);
    stats_.ballPlaced();
    referee.setPlay(calls.out->mode, now);
}

void MatchOfficial::keepDistance(World& world, PlayMode mode, OfficialCalls& calls) {
    if (isKickOff(mode)) {
        calls.movedAway =
            keepAway(world, otherSide(modeSide(mode)), 0, 0, world.field().centreRadius);
    } else if (isSetPlay(mode)) {
        const Vec3 ball = world.ball();
        calls.movedAway =
            keepAway(world, otherSide(modeSide(mode)), ball.x, ball.y, kSetPlayDistance);
    }
    for (const Robot* r : calls.movedAway) stats_.relocated(*r);
}

}  // namespace sparring
