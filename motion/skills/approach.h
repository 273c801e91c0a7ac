#ifndef HALYX_MOTION_SKILLS_APPROACH_H
#define HALYX_MOTION_SKILLS_APPROACH_H

#include "motion/skills/ball_track.h"
#include "motion/skills/goto.h"
#include "motion/skills/walk.h"

namespace skills {

// How the approach walks and when it counts the robot as placed.
struct ApproachParameters {
    // A robot not this far behind the ball (metres, along the line to the target) walks
    // round it first, keeping `clearance` metres from it.
    double behind = 0.08;
    double clearance = 0.35;
    // Placed: the ball within these of its spot (metres along and across the line, and
    // degrees of heading) for `holdCycles` cycles running; the wider `leave` figures let
    // a placed robot stay placed while noise moves the ball a little.
    double along = 0.04, across = 0.025, angle = 8;
    double leaveAlong = 0.06, leaveAcross = 0.04, leaveAngle = 12;
    int holdCycles = 3;
    GoToParameters walk = [] {
        GoToParameters p;
        // Far from the spot at the walk's top speed, slowing over the last 0.6 m, so that
        // a ball some metres off is reached as quickly as GoTo reaches a pose.
        p.forward = 0.8;
        p.sideways = 0.2;
        p.slowDistance = 0.6;
        p.faceTarget = 0.8;
        p.faceFinal = 0.35;
        p.turn = 60;
        // The approach judges the placing itself, more tightly than GoTo would.
        p.arriveDistance = p.leaveDistance = 0.005;
        p.arriveAngle = p.leaveAngle = 1;
        return p;
    }();
};

// Walking to the spot behind the ball from which a foot plays it along a line: the ball
// ends `spotAhead` metres ahead of the body and `spotLeft` to its left, the body facing
// the line's direction. The ball is re-read every cycle relative to the body, so a ball
// that moves a little moves the spot with it; a robot beside or ahead of the ball walks
// round it rather than through it; the last steps slow down in proportion to what is
// left.
class Approach {
public:
    explicit Approach(const ApproachParameters& p = {}) : mP(p), mGoTo(p.walk) {}
    // `ball` relative to the body; `direction` of the line, degrees relative to the
    // body's heading; the spot as above (metres).
    WalkCommand step(const Ground& ball, double direction, double spotAhead, double spotLeft);
    // Placed for long enough: the command is then to stand.
    bool placed() const { return mHeld >= mP.holdCycles; }
    void reset() { mHeld = 0; }

private:
    ApproachParameters mP;
    GoTo mGoTo;
    int mHeld = 0;
};

}  // namespace skills

#endif
