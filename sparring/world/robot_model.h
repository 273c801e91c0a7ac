#ifndef SPARRING_ROBOT_MODEL_H
#define SPARRING_ROBOT_MODEL_H

#include <array>

#include "sparring/world/body_points.h"
#include "sparring/world/geometry.h"
#include "sparring/world/joints.h"

// The physical humanoid as a table: its rigid bodies (mass, where they sit at the zero
// pose, their collision shape) and its 22 hinges (which two bodies, anchor, axis). Every
// position is relative to the camera in the torso's axes (x forward, y left, z up) with
// every joint at 0; the points come from the same body chain the agent walks.

namespace sparring {

// The rigid bodies of one robot. The knee is a point of the thigh, not a body; each hip
// has two small bodies between its three hinges.
enum ModelBody {
    kTorsoBody,
    kNeckBody,
    kHeadBody,
    kRShoulderBody,
    kRUpperArmBody,
    kRElbowBody,
    kRLowerArmBody,
    kLShoulderBody,
    kLUpperArmBody,
    kLElbowBody,
    kLLowerArmBody,
    kRHipYawBody,
    kRHipPitchBody,
    kRThighBody,
    kRShankBody,
    kRAnkleBody,
    kRFootBody,
    kLHipYawBody,
    kLHipPitchBody,
    kLThighBody,
    kLShankBody,
    kLAnkleBody,
    kLFootBody
};
constexpr int kModelBodyCount = 23;

enum class Shape { None, Box, Sphere };

// One rigid body: its mass sits at `centre`; its collision shape (if any) is a box of
// `size` or a sphere of radius size.x centred at `shapeCentre`.
struct BodyInfo {
    double mass;  // kilograms
    Vec3 centre;  // metres, zero pose
    Shape shape;
    Vec3 size;         // metres: box edges (forward, side, up) or sphere radius in x
    Vec3 shapeCentre;  // metres, zero pose
};

// One hinge: `child` turns about `axis` (unit, zero pose) through `anchor` relative to
// `parent`; a positive joint angle turns it by that angle, right-hand rule.
struct HingeInfo {
    ModelBody parent;
    ModelBody child;
    Vec3 anchor;  // metres, zero pose
    Vec3 axis;
};

// Where each body point is carried: by which body, and where it lies at the zero pose.
struct PointCarrier {
    ModelBody body;
    Vec3 zeroPose;  // metres
};

// The whole robot: its bodies, hinges and body points.
//
// A light body between two hinges that share one anchor (neck, shoulders, elbows, hip
// pitch and roll, ankles) has its mass at that anchor, a point that both its neighbours
// carry. It rides on its parent: `carrier` names, for every body of the chain, the rigid
// body it moves with (itself, or its parent for such a light body), and the two hinges
// around it act as one universal joint between its parent and its child. A robot then
// has fewer rigid bodies and joints to solve, with the same mass in the same places.
struct RobotModel {
    std::array<BodyInfo, kModelBodyCount> bodies;
    std::array<HingeInfo, kJointCount> hinges;  // in the joint table's order
    std::array<PointCarrier, kBodyPointCount> points;
    double totalMass;  // kilograms
    std::array<ModelBody, kModelBodyCount> carrier;
    // For a body that carries itself: the mass of the rigid body it heads (its own and
    // that of the light bodies riding on it) and their common centre at the zero pose.
    std::array<double, kModelBodyCount> rigidMass;  // kilograms; 0 for a riding body
    std::array<Vec3, kModelBodyCount> rigidCentre;  // metres, zero pose
};

// Whether the body rides on its parent (see RobotModel).
inline bool ridesOnParent(const RobotModel& m, int body) {
    return m.carrier[body] != body;
}

// Built once from the body chain and the masses.
const RobotModel& robotModel();

// The pose of every body for the given joint angles (degrees) with the torso at the
// origin in its own axes, the same chain a hinge of the table turns.
struct BodyPose {
    Vec3 position;  // of the body's centre, metres
    Rot3 rotation;  // body axes to the frame of the pose
};
std::array<BodyPose, kModelBodyCount> posesForAngles(
    const std::array<double, kJointCount>& degrees);

// The lowest point of the body's collision shape in the pose (metres), or a large number
// for a body without one.
double lowestPoint(const BodyInfo& body, const BodyPose& pose);

}  // namespace sparring

#endif
