#include "sparring/match/referee.h"

#include <limits>

namespace sparring {

namespace {
constexpr double kNever = std::numeric_limits<double>::infinity();
}

const char* playModeName(PlayMode mode) {
    switch (mode) {
        case PlayMode::BeforeKickOff:
            return "BeforeKickOff";
        case PlayMode::KickOffLeft:
            return "KickOff_Left";
        case PlayMode::KickOffRight:
            return "KickOff_Right";
        case PlayMode::PlayOn:
            return "PlayOn";
        case PlayMode::GoalLeft:
            return "Goal_Left";
        case PlayMode::GoalRight:
            return "Goal_Right";
        case PlayMode::GameOver:
            return "GameOver";
    }
    return "BeforeKickOff";
}

Referee::Referee(const MatchTimes& times)
    : times_(times), until_(times.beforeKickOff), next_(PlayMode::KickOffLeft) {}

void Referee::enter(PlayMode mode, double now, double until, PlayMode next) {
    if ((mode == PlayMode::KickOffLeft || mode == PlayMode::KickOffRight) && kickedOff_ < 0) {
        kickedOff_ = now;
    }
    mode_ = mode;
    until_ = until;
    next_ = next;
}

void Referee::update(double now) {
    if (over()) return;
    if (now >= times_.duration) {
        enter(PlayMode::GameOver, now, kNever, PlayMode::GameOver);
        return;
    }
    // Several short phases may end within one step; walk through them in order.
    while (now >= until_) {
        const double start = until_;
        switch (next_) {
            case PlayMode::KickOffLeft:
            case PlayMode::KickOffRight:
                enter(next_, start, start + times_.kickOff, PlayMode::PlayOn);
                break;
            default:
                enter(next_, start, kNever, next_);
                break;
        }
    }
}

void Referee::goal(Side scorer, double now) {
    if (over()) return;
    if (scorer == Side::Left) {
        ++scoreLeft_;
        enter(PlayMode::GoalLeft, now, now + times_.goalPause, PlayMode::KickOffRight);
    } else {
        ++scoreRight_;
        enter(PlayMode::GoalRight, now, now + times_.goalPause, PlayMode::KickOffLeft);
    }
}

double Referee::gameTime(double now) const {
    return kickedOff_ < 0 ? 0.0 : now - kickedOff_;
}

bool Referee::beamAllowed() const {
    return mode_ == PlayMode::BeforeKickOff || mode_ == PlayMode::GoalLeft ||
           mode_ == PlayMode::GoalRight;
}

}  // namespace sparring
