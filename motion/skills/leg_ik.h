#ifndef HALYX_MOTION_SKILLS_LEG_IK_H
#define HALYX_MOTION_SKILLS_LEG_IK_H

#include <array>

namespace skills {

// A point or direction in the torso's axes (x forward, y left, z up), metres.
struct Vec3d {
    double x = 0, y = 0, z = 0;
};

// A rotation as a 3x3 matrix, m[row][col]; columns are the turned frame's axes.
struct Rot3d {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    Vec3d apply(const Vec3d& v) const;
    Vec3d applyInverse(const Vec3d& v) const;  // by the transpose
    Rot3d operator*(const Rot3d& o) const;
    Rot3d transposed() const;
};

Rot3d rotX(double radians);
Rot3d rotY(double radians);
Rot3d rotZ(double radians);
// Yaw about z, then pitch about the turned y, then roll about the turned x (degrees).
Rot3d rotYawPitchRoll(double yaw, double pitch, double roll);

enum class Leg { Left, Right };

// The six joints of one leg in the joint table's numbering 1 to 6 (degrees):
// [0] hip yaw-pitch, [1] hip roll, [2] hip pitch, [3] knee, [4] ankle pitch, [5] ankle roll.
using LegAngles = std::array<double, 6>;

// Where the sole's centre is (the middle of the foot's underside) relative to the leg's
// hip point, and how the foot is turned, both in the torso's axes.
struct FootPose {
    Vec3d position;  // metres
    Rot3d rotation;  // foot axes to torso axes
};

// The solution of the leg's inverse kinematics: the angles, clamped to the joints'
// ranges, and whether the pose was reached without clamping.
struct LegSolution {
    LegAngles angles{};
    bool reachable = true;
};

// The leg chain of the body-part model: from the hip point, the hip yaw-pitch joint
// (about an axis at 45 degrees in the y-z plane), hip pitch, hip roll, knee, ankle pitch,
// ankle roll; every joint turns by minus its angle about the axis the model names.
FootPose legForward(Leg leg, const LegAngles& degrees);

// Closed-form inverse of legForward. A target out of reach gives the nearest pose the
// joints allow (the leg stretched towards it, angles at their limits), never NaN.
LegSolution legInverse(Leg leg, const FootPose& target);

// The joint ranges of the leg's joints (degrees), in the order of LegAngles.
double legJointMin(Leg leg, int index);
double legJointMax(Leg leg, int index);

}  // namespace skills

#endif
