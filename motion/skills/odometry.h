#ifndef HALYX_MOTION_SKILLS_ODOMETRY_H
#define HALYX_MOTION_SKILLS_ODOMETRY_H

#include "motion/skills/goto.h"
#include "motion/skills/walk.h"

namespace skills {

// The body's pose on the field between camera fixes. Landmarks fix the camera only
// when enough of them are in view; facing a touch line, or with the head turned away,
// the last fix grows old while the robot walks on, and steering by it walks the robot
// in circles. Between fixes the pose moves on by the walk's own speed (what it asked
// the legs for) and turns by the gyroscope.
class Odometry {
public:
    // A fix of the body's pose (metres, degrees) this cycle: it replaces the estimate.
    void fix(const FieldPose& pose);
    // One cycle without a fix: `speed` as the walk has reached it (m/s forward and to the
    // left; its turn is not used), `gyroTurn` the torso's turning rate (deg/s,
    // counter-clockwise), over `seconds`.
    void move(const WalkCommand& speed, double gyroTurn, double seconds);
    // False until the first fix.
    bool known() const { return known_; }
    const FieldPose& pose() const { return pose_; }

private:
    FieldPose pose_;
    bool known_ = false;
};

}  // namespace skills

#endif
