#ifndef SPARRING_REFEREE_H
#define SPARRING_REFEREE_H

#include "sparring/world/field.h"

namespace sparring {

// Every play mode of the league's server. This referee enters all but the offside and
// free-kick ones, which are named so that the wire knows them.
enum class PlayMode {
    BeforeKickOff,
    KickOffLeft,
    KickOffRight,
    PlayOn,
    KickInLeft,
    KickInRight,
    CornerKickLeft,
    CornerKickRight,
    GoalKickLeft,
    GoalKickRight,
    OffsideLeft,
    OffsideRight,
    GameOver,
    GoalLeft,
    GoalRight,
    FreeKickLeft,
    FreeKickRight,
    DirectFreeKickLeft,
    DirectFreeKickRight
};

// The play mode's name on the wire, e.g. "KickOff_Left", "corner_kick_right".
const char* playModeName(PlayMode mode);
// A kick-in, corner kick or goal kick.
bool isSetPlay(PlayMode mode);
bool isKickOff(PlayMode mode);
// The side a kick-off or set play belongs to.
Side modeSide(PlayMode mode);
// The set play of a kind for a side: `left` is the left side's mode of the pair.
PlayMode forSide(PlayMode left, Side side);

// Durations of the phases of a match, in seconds of simulated time.
struct MatchTimes {
    double beforeKickOff = 3.0;  // from the start to the first kick-off
    double kickOff = 0.5;        // a kick-off before play goes on
    double goalPause = 2.0;      // the goal play mode before the next kick-off
    double setPlay = 15.0;       // a set play not taken by then is given up
    double duration = 30.0;      // the whole match, then "GameOver"
};

// Runs the play modes of a match: "BeforeKickOff", "KickOff_Left", "PlayOn", goals with
// the conceding side's kick-off after them, set plays given up after their time, and
// "GameOver" at the end. What happens to the ball is judged elsewhere and told to it.
class Referee {
public:
    explicit Referee(const MatchTimes& times);

    // Moves the play mode on to simulated time `now` (seconds).
    void update(double now);
    // A goal for `scorer` at `now`; ignored once the match is over.
    void goal(Side scorer, double now);
    // A kick-in, corner or goal kick from `now`: "PlayOn" once taken or after its time.
    void setPlay(PlayMode mode, double now);
    // The kick-off or set play was taken: play goes on. Ignored in any other mode.
    void taken(double now);

    PlayMode mode() const { return mode_; }
    // Seconds since the first kick-off; 0 before it.
    double gameTime(double now) const;
    int score(Side side) const { return side == Side::Left ? scoreLeft_ : scoreRight_; }
    bool over() const { return mode_ == PlayMode::GameOver; }
    // Play modes in which a beam is obeyed.
    bool beamAllowed() const;

private:
    void enter(PlayMode mode, double now, double until, PlayMode next);

    MatchTimes times_;
    PlayMode mode_ = PlayMode::BeforeKickOff;
    double until_;           // end of the current timed mode, seconds
    PlayMode next_;          // mode after it
    double kickedOff_ = -1;  // time of the first kick-off, or -1
    int scoreLeft_ = 0, scoreRight_ = 0;
};

}  // namespace sparring

#endif
