#ifndef HALYX_MOTION_FORWARDKINEMATICS_H
#define HALYX_MOTION_FORWARDKINEMATICS_H

#include "math/matrix.h"
#include "math/vector.h"
#include "worldmodel/ids.h"

// The link frames of the head and leg chains. Values 17 and 18 are table slots
// without a link: every query between them and another frame finds no path.
enum BodyParts {
    BP_HEAD = 0,  // camera frame of the head, root of the tree
    BP_NECK,      // after the neck yaw joint
    BP_TORSO,     // after the neck pitch joint
    BP_RHIP,      // fixed right-hip frame on the torso
    BP_RHIP1,
    BP_RHIP2,
    BP_RTHIGH,
    BP_RSHANK,
    BP_RANKLE,
    BP_RFOOT,
    BP_LHIP,  // fixed left-hip frame on the torso
    BP_LHIP1,
    BP_LHIP2,
    BP_LTHIGH,
    BP_LSHANK,
    BP_LANKLE,
    BP_LFOOT
};

// A matrix model of the head and legs: a tree of link frames joined by 4x4
// transforms that follow the joint angles, and a path walk that composes the
// transform between any two frames. Arm joints are not modelled.
class ForwardKinematics {
public:
    // Number of frame slots in the link table (17 links plus two empty slots).
    static const int kSlots = 19;

    // Stores one joint angle (degrees); the model works with the negated
    // angle in radians.
    void setJoint(JointID j, double degrees);
    // The same for all 22 joints, from an array in JointID order.
    void setJoints(const double* degrees);
    // The stored (negated, radian) value of one joint.
    double getJoint(JointID j) const { return mJoints[j]; }

    // Rebuilds the link table from the current joint values.
    void fillMatrix();
    // Transform of frame `to` relative to frame `from` (maps coordinates in
    // `to` into `from`); the zero matrix when there is no path, also for
    // values outside the table.
    salt::Matrix getTMatrix(BodyParts from, BodyParts to);
    salt::Vector3f calcPos(BodyParts from, BodyParts to, salt::Vector3f v);
    // Only the rotation part of getTMatrix(from, to) applied to v.
    salt::Vector3f rotate(BodyParts from, BodyParts to, salt::Vector3f v);

private:
    static bool hasLink(const salt::Matrix& m) { return m.El(3, 3) != 0.0f; }
    salt::Matrix& link(int i, int j) { return mT[i * kSlots + j]; }

    // Negated joint angles, radians, indexed by JointID. Zero (the straight
    // pose) until set, so a query before the first setJoint is well defined.
    double mJoints[22] = {};
    // mT[i * kSlots + j]: transform of link j relative to link i; zero = no link.
    salt::Matrix mT[kSlots * kSlots];
};

#endif
