#include "behavior/ball_taker.h"

#include <cmath>

void BallTaker::heard(const TeamMessage& message, double now) {
    if (message.unum < 1 || message.unum > 11 || !std::isfinite(now)) return;
    Said& s = said_[static_cast<std::size_t>(message.unum)];
    // A teammate without the ball in view has no time to it to offer.
    s.time = message.ballSeen ? message.ballTime : HUGE_VAL;
    s.down = message.down;
    s.at = now;
}

bool BallTaker::takes(int unum, double ownTime, bool down, double now) const {
    if (down || !std::isfinite(ownTime)) return false;
    const double own = sayableBallTime(ownTime);
    for (int other = 1; other <= 11; ++other) {
        if (other == unum) continue;
        const Said& s = said_[static_cast<std::size_t>(other)];
        if (s.at < 0 || now - s.at > kFresh || s.down) continue;
        if (s.time < own || (s.time == own && other < unum)) return false;
    }
    return true;
}

double timeToBall(double distance, double turn, bool down) {
    const double kWalk = 0.6, kTurn = 60, kGetUp = 4;  // m/s, deg/s, seconds
    if (!std::isfinite(distance) || !std::isfinite(turn)) return HUGE_VAL;
    return std::fabs(distance) / kWalk + std::fabs(turn) / kTurn + (down ? kGetUp : 0);
}
