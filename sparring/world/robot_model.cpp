#include "sparring/world/robot_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sparring {

namespace {

// Masses of the parts, kilograms (4.6071 in all); each hip's mass is shared by its two
// small bodies.
constexpr double kTorsoMass = 1.2171, kNeckMass = 0.05, kHeadMass = 0.35;
constexpr double kShoulderMass = 0.07, kUpperArmMass = 0.15, kElbowMass = 0.035,
                 kLowerArmMass = 0.2;
constexpr double kHipMass = 0.215, kThighMass = 0.275, kShankMass = 0.225, kAnkleMass = 0.125,
                 kFootMass = 0.2;

// Collision shapes, metres (forward, side, up).
const Vec3 kTorsoBox{0.10, 0.10, 0.18};
constexpr double kHeadRadius = 0.065;
const Vec3 kThighBox{0.07, 0.07, 0.14};
const Vec3 kShankBox{0.08, 0.07, 0.11};
const Vec3 kFootBox{0.16, 0.08, 0.02};
constexpr double kUpperArmLength = 0.07, kLowerArmLength = 0.11, kArmThickness = 0.05;

// Hinges from the trunk outwards, so that every parent is placed before its child.
constexpr std::array<int, kJointCount> kChainOrder = {
    HJ1,  HJ2,  RAJ2, RAJ1, RAJ4, RAJ3, LAJ2, LAJ1, LAJ4, LAJ3, RLJ1,
    RLJ3, RLJ2, RLJ4, RLJ5, RLJ6, LLJ1, LLJ3, LLJ2, LLJ4, LLJ5, LLJ6};

Vec3 midpoint(const Vec3& a, const Vec3& b) {
    return (a + b) * 0.5;
}

BodyInfo point(double mass, const Vec3& at) {
    return {mass, at, Shape::None, {}, at};
}

BodyInfo box(double mass, const Vec3& at, const Vec3& size, const Vec3& shapeAt) {
    return {mass, at, Shape::Box, size, shapeAt};
}

// The agent's chain turns every limb joint by minus its angle about the axes it names;
// a hinge here turns by plus its angle, so its axis is the opposite one.
void addArm(RobotModel& m, const BodyPoints& p, bool left) {
    const int o = left ? 1 : 0;  // left points follow right ones
    const ModelBody shoulder = left ? kLShoulderBody : kRShoulderBody;
    const ModelBody upper = static_cast<ModelBody>(shoulder + 1);
    const ModelBody elbow = static_cast<ModelBody>(shoulder + 2);
    const ModelBody lower = static_cast<ModelBody>(shoulder + 3);
    const Vec3 s = p[kRShoulderPoint + o], u = p[kRUpperArmPoint + o], e = p[kRElbowPoint + o],
               l = p[kRLowerArmPoint + o];
    const Vec3 armBox{kUpperArmLength, kArmThickness, kArmThickness};
    const Vec3 forearmBox{kLowerArmLength, kArmThickness, kArmThickness};
    m.bodies[shoulder] = point(kShoulderMass, s);
    m.bodies[upper] = box(kUpperArmMass, u, armBox, midpoint(u, e));
    m.bodies[elbow] = point(kElbowMass, e);
    m.bodies[lower] = box(kLowerArmMass, l, forearmBox, e + Vec3{kLowerArmLength / 2, 0, 0});
    const int j1 = left ? LAJ1 : RAJ1, j2 = left ? LAJ2 : RAJ2, j3 = left ? LAJ3 : RAJ3,
              j4 = left ? LAJ4 : RAJ4;
    m.hinges[j2] = {kTorsoBody, shoulder, s, {0, 0, -1}};
    m.hinges[j1] = {shoulder, upper, s, {0, -1, 0}};
    m.hinges[j4] = {upper, elbow, e, {0, 0, -1}};
    // The arm's yaw turns the forearm about its own length, which moves no body point:
    // the agent's body model leaves that joint out.
    m.hinges[j3] = {elbow, lower, e, {1, 0, 0}};
}

void addLeg(RobotModel& m, const BodyPoints& p, bool left) {
    const int o = left ? 1 : 0;
    const ModelBody yaw = left ? kLHipYawBody : kRHipYawBody;
    const ModelBody pitch = static_cast<ModelBody>(yaw + 1),
                    thigh = static_cast<ModelBody>(yaw + 2),
                    shank = static_cast<ModelBody>(yaw + 3),
                    ankle = static_cast<ModelBody>(yaw + 4), foot = static_cast<ModelBody>(yaw + 5);
    const Vec3 hip = p[kRHipPoint + o], knee = p[kRKneePoint + o], ank = p[kRAnklePoint + o];
    m.bodies[yaw] = point(kHipMass / 2, hip);
    m.bodies[pitch] = point(kHipMass / 2, hip);
    m.bodies[thigh] = box(kThighMass, p[kRThighPoint + o], kThighBox, midpoint(hip, knee));
    m.bodies[shank] = box(kShankMass, p[kRShankPoint + o], kShankBox, midpoint(knee, ank));
    m.bodies[ankle] = point(kAnkleMass, ank);
    m.bodies[foot] = box(kFootMass, p[kRFootPoint + o], kFootBox, p[kRFootPoint + o]);
    const int s = left ? 0 : 1;  // left joints come first in each pair
    const double side = left ? 1 : -1;
    const double r = 1 / std::sqrt(2.0);
    m.hinges[LLJ1 + s] = {kTorsoBody, yaw, hip, {0, -side * r, r}};
    m.hinges[LLJ3 + s] = {yaw, pitch, hip, {0, -1, 0}};
    m.hinges[LLJ2 + s] = {pitch, thigh, hip, {-1, 0, 0}};
    m.hinges[LLJ4 + s] = {thigh, shank, knee, {0, -1, 0}};
    m.hinges[LLJ5 + s] = {shank, ankle, ank, {0, -1, 0}};
    m.hinges[LLJ6 + s] = {ankle, foot, ank, {-1, 0, 0}};
}

void carryPoints(RobotModel& m, const BodyPoints& p) {
    static const ModelBody kCarrier[kBodyPointCount] = {
        kHeadBody,      kNeckBody,   kTorsoBody,  kRShoulderBody, kLShoulderBody, kRUpperArmBody,
        kLUpperArmBody, kRElbowBody, kLElbowBody, kRLowerArmBody, kLLowerArmBody, kRHipYawBody,
        kLHipYawBody,   kRThighBody, kLThighBody, kRThighBody,    kLThighBody,    kRShankBody,
        kLShankBody,    kRAnkleBody, kLAnkleBody, kRFootBody,     kLFootBody};
    for (int i = 0; i < kBodyPointCount; ++i) m.points[i] = {kCarrier[i], p[i]};
}

// The light bodies between two hinges through one anchor ride on their parents.
void mergeLightBodies(RobotModel& m) {
    static const ModelBody kRiding[] = {kNeckBody,      kRShoulderBody, kLShoulderBody,
                                        kRElbowBody,    kLElbowBody,    kRHipPitchBody,
                                        kLHipPitchBody, kRAnkleBody,    kLAnkleBody};
    for (int i = 0; i < kModelBodyCount; ++i) m.carrier[i] = static_cast<ModelBody>(i);
    for (ModelBody light : kRiding) {
        for (const HingeInfo& h : m.hinges) {
            if (h.child == light) m.carrier[light] = m.carrier[h.parent];
        }
    }
    for (int i = 0; i < kModelBodyCount; ++i) {
        m.rigidMass[i] = 0;
        m.rigidCentre[i] = {};
    }
    for (int i = 0; i < kModelBodyCount; ++i) {
        const int c = m.carrier[i];
        m.rigidMass[c] += m.bodies[i].mass;
        m.rigidCentre[c] = m.rigidCentre[c] + m.bodies[i].centre * m.bodies[i].mass;
    }
    for (int i = 0; i < kModelBodyCount; ++i) {
        if (m.rigidMass[i] > 0) m.rigidCentre[i] = m.rigidCentre[i] * (1 / m.rigidMass[i]);
    }
}

RobotModel build() {
    const BodyPoints p = bodyPointsFromJoints({});
    RobotModel m{};
    m.bodies[kTorsoBody] = box(kTorsoMass, p[kTorsoPoint], kTorsoBox, p[kTorsoPoint]);
    m.bodies[kNeckBody] = point(kNeckMass, p[kNeckPoint]);
    m.bodies[kHeadBody] = {
        kHeadMass, p[kHeadPoint], Shape::Sphere, {kHeadRadius, 0, 0}, p[kHeadPoint]};
    // Both neck hinges turn about the camera, which the agent's model keeps fixed on the trunk.
    m.hinges[HJ1] = {kTorsoBody, kNeckBody, p[kHeadPoint], {0, 0, 1}};
    m.hinges[HJ2] = {kNeckBody, kHeadBody, p[kHeadPoint], {0, -1, 0}};
    addArm(m, p, false);
    addArm(m, p, true);
    addLeg(m, p, false);
    addLeg(m, p, true);
    carryPoints(m, p);
    mergeLightBodies(m);
    m.totalMass = 0;
    for (const BodyInfo& b : m.bodies) m.totalMass += b.mass;
    return m;
}

// The rotation by `degrees` about the unit `axis`.
Rot3 aboutAxis(const Vec3& axis, double degrees) {
    Rot3 r;
    const Vec3 cols[3] = {rotateAbout({1, 0, 0}, axis, degrees),
                          rotateAbout({0, 1, 0}, axis, degrees),
                          rotateAbout({0, 0, 1}, axis, degrees)};
    for (int c = 0; c < 3; ++c) {
        r.m[0][c] = cols[c].x;
        r.m[1][c] = cols[c].y;
        r.m[2][c] = cols[c].z;
    }
    return r;
}

}  // namespace

const RobotModel& robotModel() {
    static const RobotModel model = build();
    return model;
}

std::array<BodyPose, kModelBodyCount> posesForAngles(
    const std::array<double, kJointCount>& degrees) {
    const RobotModel& m = robotModel();
    std::array<BodyPose, kModelBodyCount> pose{};
    pose[kTorsoBody].position = {0, 0, 0};
    for (int j : kChainOrder) {
        const HingeInfo& h = m.hinges[j];
        const BodyPose& parent = pose[h.parent];
        BodyPose& child = pose[h.child];
        const Vec3 anchor =
            parent.position + parent.rotation.apply(h.anchor - m.bodies[h.parent].centre);
        child.rotation = parent.rotation * aboutAxis(h.axis, degrees[j]);
        child.position = anchor + child.rotation.apply(m.bodies[h.child].centre - h.anchor);
    }
    return pose;
}

double lowestPoint(const BodyInfo& body, const BodyPose& pose) {
    const Vec3 centre = pose.position + pose.rotation.apply(body.shapeCentre - body.centre);
    if (body.shape == Shape::Sphere) return centre.z - body.size.x;
    if (body.shape == Shape::None) return std::numeric_limits<double>::max();
    // Half the box's extent along the frame's z: the sum of its edges' z reaches.
    double reach = 0;
    const double half[3] = {body.size.x / 2, body.size.y / 2, body.size.z / 2};
    for (int c = 0; c < 3; ++c) reach += std::fabs(pose.rotation.m[2][c]) * half[c];
    return centre.z - reach;
}

}  // namespace sparring
