#ifndef HALYX_MOTION_SKILLS_BALL_TRACK_H
#define HALYX_MOTION_SKILLS_BALL_TRACK_H

#include "math/vector.h"
#include "motion/skills/goto.h"
#include "motion/skills/readings.h"

namespace skills {

// A point on the ground relative to the body: metres ahead of and to the left of the
// body, in the level frame that turns with the torso's heading.
struct Ground {
    double ahead = 0, left = 0;
};

// Where a ball seen from the camera (metres, camera frame: x along the view, y left, z
// up) lies relative to the body, through the neck's two angles (`now`) and levelled by
// `up`, the up direction in the torso frame (TorsoUp, any length; none: upright):
// independent of how well landmarks placed the robot. The body is the torso point, where
// the kick's and the dribble's spots are measured from; "ahead" is along the torso's
// forward axis laid on the ground.
Ground groundFromCamera(const salt::Vector3f& seen, const Readings& now, const salt::Vector3f& up);

// How high above the ground (metres) a point seen from the camera lies, levelled as
// groundFromCamera levels it, for a robot standing with its camera at the usual height.
double heightFromCamera(const salt::Vector3f& seen, const Readings& now, const salt::Vector3f& up);

// Where a point at `g` relative to a body at `self` lies on the field.
FieldPoint onField(const Ground& g, const FieldPose& self);

// Turns the head towards a point on the ground relative to the body (within the neck's
// reach), pitched down no further than needed so that landmarks on the horizon stay in
// view: sets the two neck joints' speeds in `speeds`.
void lookAtGround(const Ground& point, const Readings& now, JointSpeeds& speeds);

// Sweeps the head as HeadSweep does (`time`, seconds), but slightly down, so that a ball
// near the feet comes into view too.
void searchHead(double time, const Readings& now, JointSpeeds& speeds);

// The ball on the field between sightings: a sighting, taken with the body's pose, puts
// it on the field (steadied against the camera's noise while it lies near the last
// place); between sightings the body's pose moves on and the ball stays put, so its
// place relative to the body follows the robot's own steps.
class BallTrack {
public:
    void see(const FieldPose& self, const Ground& seen, double time);
    void forget() { mKnown = false; }
    bool known() const { return mKnown; }
    double lastSeen() const { return mLastSeen; }  // seconds of server time
    double x() const { return mX; }                // metres, field frame
    double y() const { return mY; }
    Ground relativeTo(const FieldPose& self) const;
    // Known and seen within `seconds` before `now`.
    bool fresh(double now, double seconds) const { return mKnown && now - mLastSeen <= seconds; }

private:
    bool mKnown = false;
    double mX = 0, mY = 0;  // metres
    double mLastSeen = -1;  // seconds
};

}  // namespace skills

#endif
