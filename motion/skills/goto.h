#ifndef HALYX_MOTION_SKILLS_GOTO_H
#define HALYX_MOTION_SKILLS_GOTO_H

#include "motion/skills/walk.h"

namespace skills {

// A pose on the field in the agent's own frame: metres, and degrees counter-clockwise
// from the own frame's +x (towards the opponent's goal).
struct FieldPose {
    double x = 0, y = 0;  // metres
    double heading = 0;   // degrees
};

// A point on the field, metres in the agent's own frame.
struct FieldPoint {
    double x = 0, y = 0;
};

// How GoTo walks: its top speeds, where it starts to slow down and to face the final
// heading, and what counts as arrived.
struct GoToParameters {
    double forward = 0.6;    // m/s: top forward speed
    double backward = 0.45;  // m/s: top backward speed
    double sideways = 0.3;   // m/s: top sideways speed
    double turn = 80;        // deg/s: top turning rate
    // Within this distance the speed falls in proportion to the distance left, metres.
    double slowDistance = 0.3;
    // Beyond `faceTarget` metres the robot faces where it goes; within `faceFinal`
    // it faces the final heading; between, a blend of the two.
    double faceTarget = 1.0;
    double faceFinal = 0.4;
    // The heading error at which the turning rate is full, degrees.
    double turnRamp = 30;
    // Arrived within these; the robot starts again only beyond the wider `leave` ones,
    // so that noise on the pose does not make it step to and fro.
    double arriveDistance = 0.10;  // metres
    double arriveAngle = 10;       // degrees
    double leaveDistance = 0.15;   // metres
    double leaveAngle = 15;        // degrees
};

// Walking to a pose: given the robot's pose each cycle, the walk command that turns,
// walks and places it at the target, slowing down near it, and whether it is there.
// Far away the robot turns to face its way before it walks fast; near the target it
// faces the final heading and steps sideways or back as needed.
class GoTo {
public:
    explicit GoTo(const GoToParameters& p = {});
    void setTarget(const FieldPose& target);
    const FieldPose& target() const { return target_; }
    // This cycle's command for a robot at `self`; all zero once arrived.
    WalkCommand step(const FieldPose& self);
    bool arrived() const { return arrived_; }

private:
    GoToParameters p_;
    FieldPose target_;
    bool arrived_ = false;
};

// An angle brought into (-180, 180], degrees.
double wrapDegrees(double degrees);

}  // namespace skills

#endif
