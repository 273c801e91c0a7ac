#include "sparring/match/ball_out.h"

#include <algorithm>
#include <cmath>

namespace sparring {

namespace {

// Over a goal line: the defending side is the one whose goal it is.
BallOut overGoalLine(const FieldSpec& field, const Vec3& ball,
                     const std::optional<BallToucher>& lastTouch) {
    const double l = field.length / 2, w = field.width / 2;
    const Side defending = ball.x < 0 ? Side::Left : Side::Right;
    const double goalLine = ball.x < 0 ? -l : l;
    // Between the posts (the ball's centre) and wholly under the crossbar.
    if (std::fabs(ball.y) < field.goalWidth / 2 && ball.z + kBallRadius < field.postHeight) {
        return {true, otherSide(defending), forSide(PlayMode::GoalLeft, otherSide(defending)), 0,
                0};
    }
    if (lastTouch && lastTouch->side == defending) {
        const Side attacking = otherSide(defending);
        return {false, attacking, forSide(PlayMode::CornerKickLeft, attacking), goalLine,
                ball.y < 0 ? -w : w};
    }
    const double inside = ball.x < 0 ? 1 : -1;
    return {false, defending, forSide(PlayMode::GoalKickLeft, defending),
            goalLine + inside * kGoalKickDepthShare * field.penaltyDepth, 0};
}

}  // namespace

std::optional<BallOut> judgeBall(const FieldSpec& field, const Vec3& ball,
                                 const std::optional<BallToucher>& lastTouch) {
    const double l = field.length / 2, w = field.width / 2;
    // A goal line first: a ball out over a corner left the field over both lines, and
    // the goal line is the one that decides between goal, corner and goal kick.
    if (std::fabs(ball.x) > l + kBallRadius) return overGoalLine(field, ball, lastTouch);
    if (std::fabs(ball.y) <= w + kBallRadius) return std::nullopt;
    const Side lastSide = lastTouch ? lastTouch->side : (ball.x < 0 ? Side::Right : Side::Left);
    const Side taking = otherSide(lastSide);
    return BallOut{false, taking, forSide(PlayMode::KickInLeft, taking), std::clamp(ball.x, -l, l),
                   ball.y < 0 ? -w : w};
}

}  // namespace sparring
