#ifndef HALYX_WORLDMODEL_SELF_H
#define HALYX_WORLDMODEL_SELF_H

#include "math/vector.h"
#include "worldmodel/ids.h"
#include "worldmodel/player.h"

// The agent's own body: 24 body points relative to the camera and on the field,
// the body-part masses, the 22 joint angles and the heading. Indices outside the
// BodyID / JointID ranges are ignored by the setters and read as zero.
class Self : public Player {
public:
    Self();

    bool setMyRelPos(BodyID part, const salt::Vector3f& v);
    bool setMyRelPos(const salt::Vector3f& v) { return setMyRelPos(HEAD, v); }
    salt::Vector3f getMyRelPos(BodyID part) const;
    bool setMyPos(BodyID part, const salt::Vector3f& v);
    bool setMyPos(const salt::Vector3f& v) { return setMyPos(HEAD, v); }
    salt::Vector3f getMyPos(BodyID part) const;
    bool setMyVel(BodyID part, const salt::Vector3f& v);
    salt::Vector3f getMyVel(BodyID part) const;

    bool setMyJoints(JointID joint, double degrees);
    double getMyJoints(JointID joint) const;

    bool setMyAngle(double degrees);
    double getMyAngle() const { return myAngle; }
    bool setMyPhiAngle(double degrees);
    double getMyPhiAngle() const { return myPhiAngle; }

    double getMass(BodyID part) const;
    // Mass-weighted mean of the relative body points, in the same camera-origin frame.
    salt::Vector3f getCOM() const;

private:
    salt::Vector3f myRelPos[kBodyCount];  // metres, camera origin, torso axes
    salt::Vector3f myPos[kBodyCount];     // metres, field frame
    salt::Vector3f myVel[kBodyCount];     // m/s, never written by the agent
    double mMass[kBodyCount];             // kilograms
    double mJoints[kJointCount];          // degrees
    double myAngle;                       // heading, degrees counter-clockwise from field +x
    double myPhiAngle;                    // vertical view angle, degrees
};

#endif
