// Views of one cycle as the team play's tests set them up.
#ifndef HALYX_TESTS_BEHAVIOR_TEAM_VIEW_H
#define HALYX_TESTS_BEHAVIOR_TEAM_VIEW_H

#include "behavior/team_play.h"

namespace team_view {

// A located, upright player at (x, y) facing the opponents' goal in PlayOn, at 10 s.
inline TeamView at(double x, double y) {
    TeamView v;
    v.now = 10.0;
    v.situation = Situation::PlayOn;
    v.located = true;
    v.self = {x, y, 0};
    return v;
}

// The same view with the ball in the own camera's view now, at (bx, by).
inline TeamView seeing(TeamView v, double bx, double by) {
    v.ballSeen = true;
    v.ballAge = 0;
    v.ball = {bx, by};
    return v;
}

}  // namespace team_view

#endif
