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
        case PlayMode::KickInLeft:
            return "KickIn_Left";
        case PlayMode::KickInRight:
            return "KickIn_Right";
        case PlayMode::CornerKickLeft:
            return "corner_kick_left";
        case PlayMode::CornerKickRight:
            return "corner_kick_right";
        case PlayMode::GoalKickLeft:
            return "goal_kick_left";
        case PlayMode::GoalKickRight:
            return "goal_kick_right";
        case PlayMode::OffsideLeft:
            return "offside_left";
        case PlayMode::OffsideRight:
            return "offside_right";
        case PlayMode::GameOver:
            return "GameOver";
        case PlayMode::GoalLeft:
            return "Goal_Left";
        case PlayMode::GoalRight:
            return "Goal_Right";
        case PlayMode::FreeKickLeft:
            return "free_kick_left";
        case PlayMode::FreeKickRight:
            return "free_kick_right";
        case PlayMode::DirectFreeKickLeft:
            return "direct_free_kick_left";
        case PlayMode::DirectFreeKickRight:
            return "direct_free_kick_right";
    }
    return "BeforeKickOff";
}

bool isSetPlay(PlayMode mode) {
    switch (mode) {
        case PlayMode::KickInLeft:
        case PlayMode::KickInRight:
        case PlayMode::CornerKickLeft:
        case PlayMode::CornerKickRight:
        case PlayMode::GoalKickLeft:
        case PlayMode::GoalKickRight:
            return true;
        default:
            return false;
    }
}

bool isKickOff(PlayMode mode) {
    return mode == PlayMode::KickOffLeft || mode == PlayMode::KickOffRight;
}

Side modeSide(PlayMode mode) {
    switch (mode) {
        case PlayMode::KickOffRight:
        case PlayMode::KickInRight:
        case PlayMode::CornerKickRight:
        case PlayMode::GoalKickRight:
        case PlayMode::OffsideRight:
        case PlayMode::GoalRight:
        case PlayMode::FreeKickRight:
        case PlayMode::DirectFreeKickRight:
            return Side::Right;
        default:
            return Side::Left;
    }
}

PlayMode forSide(PlayMode left, Side side) {
    // Each right mode directly follows its left one in the enumeration.
    return side == Side::Left ? left : static_cast<PlayMode>(static_cast<int>(left) + 1);
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

void Referee::setPlay(PlayMode mode, double now) {
    if (over()) return;
    enter(mode, now, now + times_.setPlay, PlayMode::PlayOn);
}

void Referee::taken(double now) {
    if (isSetPlay(mode_) || isKickOff(mode_))
        enter(PlayMode::PlayOn, now, kNever, PlayMode::PlayOn);
}

double Referee::gameTime(double now) const {
    return kickedOff_ < 0 ? 0.0 : now - kickedOff_;
}

bool Referee::beamAllowed() const {
    return mode_ == PlayMode::BeforeKickOff || mode_ == PlayMode::GoalLeft ||
           mode_ == PlayMode::GoalRight;
}

}  // namespace sparring
