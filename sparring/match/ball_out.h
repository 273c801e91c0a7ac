#ifndef SPARRING_BALL_OUT_H
#define SPARRING_BALL_OUT_H

#include <optional>

#include "sparring/match/referee.h"
#include "sparring/world/field.h"
#include "sparring/world/world.h"

namespace sparring {

// What follows a ball that has left the field: a goal, or a set play with the ball put
// on its spot.
struct BallOut {
    bool goal = false;
    Side side = Side::Left;            // the scoring side, or the side the set play belongs to
    PlayMode mode = PlayMode::PlayOn;  // a goal's or the set play's mode
    double x = 0, y = 0;               // the set play's ball spot, server frame, metres
};

// Where a goal kick is taken from: on the goal's axis, this share of the penalty area's
// depth out from the goal line.
constexpr double kGoalKickDepthShare = 0.5;

// Judges the ball (centre, server frame) on `field`: nothing while any part of it is on
// or over the field; otherwise the goal, kick-in, corner or goal kick that follows, the
// last touch deciding. Without a touch yet, a kick-in goes to the side whose half the
// ball left from, and a ball over a goal line is a goal kick.
std::optional<BallOut> judgeBall(const FieldSpec& field, const Vec3& ball,
                                 const std::optional<BallToucher>& lastTouch);

}  // namespace sparring

#endif
