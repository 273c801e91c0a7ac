#include "motion/skills/approach.h"

#include <cmath>

namespace skills {

namespace {
constexpr double kDeg = M_PI / 180;
}

WalkCommand Approach::step(const Ground& ball, double direction, double spotAhead,
                           double spotLeft) {
    const double c = std::cos(direction * kDeg), s = std::sin(direction * kDeg);
    // The body relative to the ball, along the line and across it (left positive).
    const double along = -(c * ball.ahead + s * ball.left);
    const double across = -(-s * ball.ahead + c * ball.left);
    // Where the body should stand: the spot's offsets turned onto the line.
    double tx = ball.ahead - (c * spotAhead - s * spotLeft);
    double ty = ball.left - (s * spotAhead + c * spotLeft);
    if (along > -mP.behind) {
        // Beside or ahead of the ball, on the side the body is on: while in the ball's
        // way, to a point beside it first; from beside it, to a point behind it.
        const double side = across >= 0 ? 1 : -1;
        const bool inTheWay = std::fabs(across) < 0.7 * mP.clearance;
        const double back = inTheWay ? 0 : mP.clearance;
        const double out = inTheWay ? mP.clearance : 0.5 * mP.clearance;
        tx = ball.ahead - c * back - s * side * out;
        ty = ball.left - s * back + c * side * out;
        mHeld = 0;
        mGoTo.setTarget({tx, ty, direction});
        return mGoTo.step({0, 0, 0});
    }
    // How far the body still has to go, along the line and across it.
    const double errAhead = c * tx + s * ty, errLeft = -s * tx + c * ty;
    const bool wasPlaced = placed();
    const double a = std::fabs(errAhead), l = std::fabs(errLeft), h = std::fabs(direction);
    const bool within = wasPlaced ? a <= mP.leaveAlong && l <= mP.leaveAcross && h <= mP.leaveAngle
                                  : a <= mP.along && l <= mP.across && h <= mP.angle;
    mHeld = within ? mHeld + 1 : 0;
    if (placed()) return {};
    mGoTo.setTarget({tx, ty, direction});
    return mGoTo.step({0, 0, 0});
}

}  // namespace skills
