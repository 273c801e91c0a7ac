#ifndef HALYX_MOTION_SKILLS_DRIBBLE_H
#define HALYX_MOTION_SKILLS_DRIBBLE_H

#include "motion/skills/approach.h"

namespace skills {

// How the dribble walks the ball.
struct DribbleParameters {
    double speed = 0.35;    // m/s forward while the ball is in front
    double near = 0.5;      // metres from the target at which the speed starts to fall
    double sideGain = 2.0;  // m/s sideways per metre the ball lies off the feet's middle
    double turnGain = 2.0;  // deg/s of turn per degree the line is off the heading
    // The ball counts as in front while it lies within these of the feet's middle
    // (metres ahead, metres to either side) and the line within `angle` degrees.
    double minAhead = 0.05, maxAhead = 0.45, across = 0.09, angle = 30;
    double spotAhead = 0.16;  // metres: where the approach puts the ball before pushing
    ApproachParameters approach = [] {
        ApproachParameters p;
        p.along = p.leaveAlong = 0.06;
        p.across = p.leaveAcross = 0.04;
        p.angle = p.leaveAngle = 15;
        p.holdCycles = 1;
        return p;
    }();
};

// Walking the ball to a point: while the ball lies in front of the feet and the line
// from it to the target is ahead, the robot walks on, turning towards the line and
// stepping sideways to keep the ball between its feet, so the feet push it along; once
// the ball has drifted away, it walks back behind the ball (the approach) first.
class Dribble {
public:
    explicit Dribble(const DribbleParameters& p = {}) : mP(p), mApproach(p.approach) {}
    // `ball` and `target` relative to the body (metres).
    WalkCommand step(const Ground& ball, const Ground& target);
    bool pushing() const { return mPushing; }
    void reset() {
        mPushing = false;
        mApproach.reset();
    }

private:
    DribbleParameters mP;
    Approach mApproach;
    bool mPushing = false;
};

}  // namespace skills

#endif
