#ifndef SPARRING_BODY_POINTS_H
#define SPARRING_BODY_POINTS_H

#include <array>

#include "sparring/world/geometry.h"
#include "sparring/world/joints.h"

namespace sparring {

// The 23 body points of the humanoid as the agent's body model names them: the camera
// (head), neck, torso and the limb points from shoulders to feet. Their order is the
// agent's body numbering with its unused value left out.
enum BodyPoint {
    kHeadPoint = 0,
    kNeckPoint,
    kTorsoPoint,
    kRShoulderPoint,
    kLShoulderPoint,
    kRUpperArmPoint,
    kLUpperArmPoint,
    kRElbowPoint,
    kLElbowPoint,
    kRLowerArmPoint,
    kLLowerArmPoint,
    kRHipPoint,
    kLHipPoint,
    kRThighPoint,
    kLThighPoint,
    kRKneePoint,
    kLKneePoint,
    kRShankPoint,
    kLShankPoint,
    kRAnklePoint,
    kLAnklePoint,
    kRFootPoint,
    kLFootPoint
};
constexpr int kBodyPointCount = 23;

// Points in metres; which frame depends on who hands them out.
using BodyPoints = std::array<Vec3, kBodyPointCount>;

// Where every body point lies relative to the camera, in the torso's axes (x forward,
// y left, z up), for joint angles in degrees: the same chain the agent's body model
// walks, in double precision. The camera point is the origin.
BodyPoints bodyPointsFromJoints(const std::array<double, kJointCount>& degrees);

// v turned by `degrees` about the axis `axis` (need not be unit length) through the
// origin, right-hand rule.
Vec3 rotateAbout(const Vec3& v, const Vec3& axis, double degrees);

}  // namespace sparring

#endif
