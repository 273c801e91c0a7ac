#ifndef HALYX_BEHAVIOR_SITUATION_H
#define HALYX_BEHAVIOR_SITUATION_H

#include <string>

// What a play mode asks of a team, seen from its own side: the league's play-mode names
// fall into a few cases that the team play treats alike.
enum class Situation {
    Stopped,       // before kick-off, after a goal, game over: stand where beamed
    PlayOn,        // anyone may play the ball
    OwnKickOff,    // ours to kick off from the centre
    TheirKickOff,  // theirs: stay out of the centre circle
    OwnSetPlay,    // kick-in, corner, goal kick or free kick of ours
    TheirSetPlay,  // the same of theirs: keep away from the ball
};

// The situation a play mode name (as the server writes it) makes for the team playing on
// `ownSideLeft`'s side. Names it does not know read as Stopped, so that a newer server's
// mode makes the team stand rather than run into a set play.
Situation readSituation(const std::string& playMode, bool ownSideLeft);

// Whether the team may touch the ball in this situation.
inline bool mayPlayBall(Situation s) {
    return s == Situation::PlayOn || s == Situation::OwnKickOff || s == Situation::OwnSetPlay;
}

// Whether a server obeys a beam in this play mode: before kick-off and after a goal.
bool beamAllowed(const std::string& playMode);
// Whether the kick-off that follows `playMode` is the team's on `ownSideLeft`'s side: the
// left side's before the first half's kick-off, the right side's before the second half's
// (`gameTime` seconds from 300 on), the conceding side's after a goal.
bool ownKickOffNext(const std::string& playMode, bool ownSideLeft, double gameTime);

#endif
