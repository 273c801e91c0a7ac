#include "motion/skills/dribble.h"

#include <algorithm>
#include <cmath>

namespace skills {

namespace {
constexpr double kDeg = M_PI / 180;
}

WalkCommand Dribble::step(const Ground& ball, const Ground& target) {
    const double line = std::atan2(target.left - ball.left, target.ahead - ball.ahead) / kDeg;
    const double left = std::hypot(target.ahead - ball.ahead, target.left - ball.left);
    const bool inFront = ball.ahead >= mP.minAhead && ball.ahead <= mP.maxAhead &&
                         std::fabs(ball.left) <= mP.across && std::fabs(line) <= mP.angle;
    if (!inFront) mPushing = false;
    if (!mPushing) {
        const WalkCommand c = mApproach.step(ball, line, mP.spotAhead, 0);
        if (!mApproach.placed()) return c;
        mPushing = true;
        mApproach.reset();
    }
    WalkCommand c;
    c.forward = mP.speed * std::min(1.0, left / mP.near);
    c.sideways = mP.sideGain * ball.left;
    c.turn = mP.turnGain * line;
    c.inPlace = true;
    return c;
}

}  // namespace skills
