#include "sparring/world/physics/physics_robot.h"

#include <algorithm>
#include <cmath>

#include "sparring/world/physics/physics_constants.h"

namespace sparring {

using namespace physics;

namespace {

constexpr double kDegPerRad = 180.0 / M_PI;

Vec3 toVec(const dReal* v) {
    return {v[0], v[1], v[2]};
}

// ODE's rotation matrices are row-major with a stride of four.
Rot3 toRot(const dReal* r) {
    Rot3 out;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) out.m[i][j] = r[i * 4 + j];
    }
    return out;
}

void fromRot(const Rot3& r, dMatrix3 out) {
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) out[i * 4 + j] = r.m[i][j];
        out[i * 4 + 3] = 0;
    }
}

bool finite(const dReal* v, int n) {
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(v[i])) return false;
    }
    return true;
}

// The turn of the torso for each way of lying (the kinematic world's postures).
Rot3 postureTurn(Posture posture) {
    switch (posture) {
        case Posture::Upright:
            return {};
        case Posture::OnBack:
            return Rot3::aboutY(-90);
        case Posture::OnFront:
            return Rot3::aboutY(90);
        case Posture::OnLeft:
            return Rot3::aboutX(-90);
        case Posture::OnRight:
            return Rot3::aboutX(90);
    }
    return {};
}

}  // namespace

PhysicsRobot::PhysicsRobot(Side side, int unum, std::string team, dWorldID world, dSpaceID space,
                           const physics::Approximate& constants)
    : Robot(side, unum, std::move(team)), constants_(constants) {
    build(world, space);
}

PhysicsRobot::~PhysicsRobot() {
    if (holder_ != nullptr) dJointDestroy(holder_);
    for (const JointSlot& s : slots_) {
        if (s.axis != 2) dJointDestroy(s.joint);  // a universal joint once, at its first axis
    }
    for (dGeomID g : geoms_) {
        if (g != nullptr) dGeomDestroy(g);
    }
    for (dBodyID b : bodies_) {
        if (b != nullptr) dBodyDestroy(b);
    }
}

void PhysicsRobot::build(dWorldID world, dSpaceID space) {
    const RobotModel& m = robotModel();
    for (int i = 0; i < kModelBodyCount; ++i) {
        if (ridesOnParent(m, i)) continue;
        bodies_[i] = dBodyCreate(world);
        // Zero pose, torso a metre up: the joints take this as their zero angles.
        const Vec3 at = m.rigidCentre[i] + Vec3{0, 0, 1};
        dBodySetPosition(bodies_[i], at.x, at.y, at.z);
    }
    for (int i = 0; i < kModelBodyCount; ++i) {
        const BodyInfo& b = m.bodies[i];
        const dBodyID body = bodies_[m.carrier[i]];
        if (b.shape == Shape::Box) {
            geoms_[i] = dCreateBox(space, b.size.x, b.size.y, b.size.z);
        } else if (b.shape == Shape::Sphere) {
            geoms_[i] = dCreateSphere(space, b.size.x);
        }
        if (geoms_[i] == nullptr) continue;
        dGeomSetBody(geoms_[i], body);
        const Vec3 offset = b.shapeCentre - m.rigidCentre[m.carrier[i]];
        dGeomSetOffsetPosition(geoms_[i], offset.x, offset.y, offset.z);
        dGeomSetData(geoms_[i], this);
    }
    setMasses();
    for (int j = 0; j < kJointCount; ++j) {
        const HingeInfo& h = m.hinges[j];
        if (ridesOnParent(m, h.child)) continue;  // made with the joint beyond it
        if (!ridesOnParent(m, h.parent)) {
            makeHinge(world, j);
            continue;
        }
        for (int first = 0; first < kJointCount; ++first) {
            if (m.hinges[first].child == h.parent) makeUniversal(world, first, j);
        }
    }
}

void PhysicsRobot::setMasses() {
    const RobotModel& m = robotModel();
    std::array<dMass, kModelBodyCount> rigid;
    for (dMass& r : rigid) dMassSetZero(&r);
    for (int i = 0; i < kModelBodyCount; ++i) {
        const BodyInfo& b = m.bodies[i];
        dMass own;
        if (b.shape == Shape::Box) {
            dMassSetBoxTotal(&own, b.mass, b.size.x, b.size.y, b.size.z);
        } else if (b.shape == Shape::Sphere) {
            dMassSetSphereTotal(&own, b.mass, b.size.x);
        } else {
            dMassSetSphereTotal(&own, b.mass, kSmallBodyRadius);
        }
        const int c = m.carrier[i];
        const Vec3 off = b.centre - m.rigidCentre[c];
        dMassTranslate(&own, off.x, off.y, off.z);
        dMassAdd(&rigid[c], &own);
    }
    for (int i = 0; i < kModelBodyCount; ++i) {
        if (bodies_[i] == nullptr) continue;
        dMass& r = rigid[i];
        for (double& c : r.c) c = 0;  // the body's origin is its centre of mass
        if (m.bodies[i].shape == Shape::None && constants_.solver == Solver::Iterative) {
            for (int k = 0; k < 3; ++k)
                r.I[k * 4 + k] = std::max<dReal>(r.I[k * 4 + k], kMinInertia);
        }
        dBodySetMass(bodies_[i], &r);
    }
}

void PhysicsRobot::makeHinge(dWorldID world, int j) {
    const HingeInfo& h = robotModel().hinges[j];
    const dJointID joint = dJointCreateHinge(world, nullptr);
    // The child comes first: ODE's angle is the first body's turn about the axis.
    dJointAttach(joint, bodies_[h.child], bodies_[robotModel().carrier[h.parent]]);
    dJointSetHingeAnchor(joint, h.anchor.x, h.anchor.y, h.anchor.z + 1);
    dJointSetHingeAxis(joint, h.axis.x, h.axis.y, h.axis.z);
    slots_[j] = {joint, 0};
    setLimits(j);
}

void PhysicsRobot::makeUniversal(dWorldID world, int first, int second) {
    const RobotModel& m = robotModel();
    const HingeInfo& a = m.hinges[first];
    const HingeInfo& b = m.hinges[second];
    const dJointID joint = dJointCreateUniversal(world, nullptr);
    // The child first, its own axis (the second hinge's) first, as for a hinge.
    dJointAttach(joint, bodies_[b.child], bodies_[m.carrier[a.parent]]);
    // ODE starts with the axes x and y and finds the angles' zero after every setting:
    // the axis given first must not lie along the other's start, or ODE complains.
    if (std::fabs(b.axis.y) < 0.5) {
        dJointSetUniversalAxis1(joint, b.axis.x, b.axis.y, b.axis.z);
        dJointSetUniversalAxis2(joint, a.axis.x, a.axis.y, a.axis.z);
    } else {
        dJointSetUniversalAxis2(joint, a.axis.x, a.axis.y, a.axis.z);
        dJointSetUniversalAxis1(joint, b.axis.x, b.axis.y, b.axis.z);
    }
    dJointSetUniversalAnchor(joint, b.anchor.x, b.anchor.y, b.anchor.z + 1);
    slots_[second] = {joint, 1};
    slots_[first] = {joint, 2};
    setLimits(first);
    setLimits(second);
}

void PhysicsRobot::setParam(int j, int param, double value) {
    const JointSlot& s = slots_[j];
    if (s.axis == 0) {
        dJointSetHingeParam(s.joint, param, value);
    } else {
        dJointSetUniversalParam(s.joint, param + (s.axis == 2 ? dParamGroup : 0), value);
    }
}

void PhysicsRobot::setLimits(int j) {
    const double lo = kJoints[j].minDegrees / kDegPerRad, hi = kJoints[j].maxDegrees / kDegPerRad;
    setParam(j, dParamLoStop, lo);
    setParam(j, dParamHiStop, hi);
    setParam(j, dParamFudgeFactor, kStopFudge);
    setParam(j, dParamFMax, constants_.motorTorque);
}

double PhysicsRobot::jointRadians(int j) const {
    const JointSlot& s = slots_[j];
    if (s.axis == 0) return dJointGetHingeAngle(s.joint);
    return (s.axis == 1 ? dJointGetUniversalAngle1(s.joint) : dJointGetUniversalAngle2(s.joint));
}

void PhysicsRobot::setPose(const std::array<double, kJointCount>& degrees, const Vec3& torso,
                           const Rot3& turn) {
    const RobotModel& m = robotModel();
    auto poses = posesForAngles(degrees);
    double lowest = 1e9;
    for (int i = 0; i < kModelBodyCount; ++i) {
        poses[i] = {turn.apply(poses[i].position), turn * poses[i].rotation};
        lowest = std::min(lowest, lowestPoint(m.bodies[i], poses[i]));
    }
    const Vec3 lift{torso.x, torso.y, kPlacementGap - lowest};
    for (int i = 0; i < kModelBodyCount; ++i) {
        if (bodies_[i] == nullptr) continue;
        const Vec3 at = poses[i].position +
                        poses[i].rotation.apply(m.rigidCentre[i] - m.bodies[i].centre) + lift;
        dMatrix3 r;
        fromRot(poses[i].rotation, r);
        dBodySetPosition(bodies_[i], at.x, at.y, at.z);
        dBodySetRotation(bodies_[i], r);
        dBodySetLinearVel(bodies_[i], 0, 0, 0);
        dBodySetAngularVel(bodies_[i], 0, 0, 0);
        dBodySetForce(bodies_[i], 0, 0, 0);
        dBodySetTorque(bodies_[i], 0, 0, 0);
    }
    impulse_ = {};
    torsoVelocity_ = {};
    wake();
    for (FootLoad& l : loads_) l = {};
    for (int j = 0; j < kJointCount; ++j) angles_[j] = jointRadians(j) * kDegPerRad;
    for (int j = 0; j < kJointCount; ++j) held_[j] = jointRadians(j);
    stillCycles_ = 0;
    // Put down a little above the ground the robot touches nothing: no foot reading, and
    // the accelerometer reads free fall (0), as in the step that follows. Gravity alone
    // (a robot at rest on the ground) with no foot touching would tell the agent that it
    // lies on its back or front.
    sensors_ = {};
}

void PhysicsRobot::place(double x, double y, double heading) {
    setPose({}, {x, y, 0}, Rot3::aboutZ(heading));
    lastX_ = x;
    lastY_ = y;
    lastHeading_ = normalizeDegrees(heading);
}

void PhysicsRobot::resetUpright() {
    place(lastX_, lastY_, lastHeading_);
}

void PhysicsRobot::fall(Posture posture, double, double) {
    lieRolled(posture, 0);
}

void PhysicsRobot::lieRolled(Posture posture, double degrees) {
    setPose(angles_, {x(), y(), 0},
            Rot3::aboutZ(heading()) * postureTurn(posture) * Rot3::aboutZ(-degrees));
}

void PhysicsRobot::push(const Vec3& impulse) {
    if (std::isfinite(impulse.x) && std::isfinite(impulse.y) && std::isfinite(impulse.z)) {
        impulse_ = impulse_ + impulse;
    }
}

void PhysicsRobot::release() {
    if (holder_ == nullptr) return;
    dJointDestroy(holder_);
    holder_ = nullptr;
    wake();
}

void PhysicsRobot::hold(double metres) {
    release();
    for (dBodyID b : bodies_) {
        if (b == nullptr) continue;
        const dReal* p = dBodyGetPosition(b);
        dBodySetPosition(b, p[0], p[1], p[2] + metres);
    }
    wake();
    holder_ = dJointCreateFixed(dBodyGetWorld(bodies_[kTorsoBody]), nullptr);
    dJointAttach(holder_, bodies_[kTorsoBody], nullptr);
    dJointSetFixed(holder_);
}

double PhysicsRobot::x() const {
    return segmentPosition(kTorsoBody).x;
}

double PhysicsRobot::y() const {
    return segmentPosition(kTorsoBody).y;
}

Vec3 PhysicsRobot::segmentPosition(int i) const {
    const RobotModel& m = robotModel();
    const dBodyID b = bodies_[m.carrier[i]];
    return toVec(dBodyGetPosition(b)) +
           toRot(dBodyGetRotation(b)).apply(m.bodies[i].centre - m.rigidCentre[m.carrier[i]]);
}

double PhysicsRobot::heading() const {
    const dReal* r = dBodyGetRotation(bodies_[kTorsoBody]);
    // The forward axis on the ground; for a robot lying on its back or front that axis
    // is upright, and the left axis (turned back by 90 degrees) tells the heading.
    if (std::hypot(r[0], r[4]) > 0.5) return std::atan2(r[4], r[0]) * kDegPerRad;
    return normalizeDegrees(std::atan2(r[5], r[1]) * kDegPerRad - 90);
}

Vec3 PhysicsRobot::cameraPosition() const {
    return toVec(dBodyGetPosition(bodies_[kHeadBody]));
}

Rot3 PhysicsRobot::cameraToServer() const {
    return toRot(dBodyGetRotation(bodies_[kHeadBody]));
}

Rot3 PhysicsRobot::torsoToServer() const {
    return toRot(dBodyGetRotation(bodies_[kTorsoBody]));
}

BodyPoints PhysicsRobot::bodyPoints() const {
    const RobotModel& m = robotModel();
    BodyPoints out;
    for (int i = 0; i < kBodyPointCount; ++i) {
        const PointCarrier& c = m.points[i];
        const int carrier = m.carrier[c.body];
        const dBodyID b = bodies_[carrier];
        out[i] = toVec(dBodyGetPosition(b)) +
                 toRot(dBodyGetRotation(b)).apply(c.zeroPose - m.rigidCentre[carrier]);
    }
    return out;
}

bool PhysicsRobot::isFoot(dBodyID body, int& foot) const {
    if (body == bodies_[kLFootBody]) {
        foot = 0;
        return true;
    }
    if (body == bodies_[kRFootBody]) {
        foot = 1;
        return true;
    }
    return false;
}

void PhysicsRobot::wake() {
    for (dBodyID b : bodies_) {
        if (b != nullptr) dBodyEnable(b);
    }
}

void PhysicsRobot::beginCycle() {
    const bool moving =
        std::any_of(speeds_.begin(), speeds_.end(), [](double s) { return s != 0; });
    if (moving || impulse_.x != 0 || impulse_.y != 0 || impulse_.z != 0) wake();
    for (int j = 0; j < kJointCount; ++j) setParam(j, dParamVel, speeds_[j]);
}

// The iterative solver leaves the motors' speeds a little off, differently in every step
// (it starts each step from nothing and visits the rows in a random order); uncorrected,
// a standing robot sags in a second. A real servo holds the angle it was driven to: so
// here each motor turns at its commanded speed plus what brings the joint back to where
// that speed should have taken it within kServoTime. The exact solver needs no such hold.
void PhysicsRobot::holdCommandedAngles(double seconds) {
    for (int j = 0; j < kJointCount; ++j) {
        const double angle = jointRadians(j);
        const double lo = kJoints[j].minDegrees / kDegPerRad,
                     hi = kJoints[j].maxDegrees / kDegPerRad;
        const double lag = std::clamp(held_[j] - angle, -kServoSlack, kServoSlack);
        // The commanded speed ends at the range's ends: the servo does not press on into
        // the stop there.
        const double from = angle + lag, to = std::clamp(from + speeds_[j] * seconds, lo, hi);
        setParam(j, dParamVel, (to - from) / seconds + lag / kServoTime);
        held_[j] = to;
    }
}

void PhysicsRobot::beforeStep(double seconds) {
    if (constants_.solver == Solver::Iterative && dBodyIsEnabled(bodies_[kTorsoBody])) {
        holdCommandedAngles(seconds);
    }
    if (impulse_.x == 0 && impulse_.y == 0 && impulse_.z == 0) return;
    const Vec3 f = impulse_ * (1.0 / seconds);
    dBodyAddForce(bodies_[kTorsoBody], f.x, f.y, f.z);
    impulse_ = {};
}

double PhysicsRobot::tiltDegrees() const {
    const dReal* r = dBodyGetRotation(bodies_[kTorsoBody]);
    return std::acos(std::clamp<double>(r[10], -1, 1)) * kDegPerRad;
}

bool PhysicsRobot::updatePosture(double now) {
    const double tilt = tiltDegrees(), camera = cameraPosition().z;
    if (!down_) {
        if (tilt <= kDownTilt && camera >= kDownCamera) return false;
        down_ = true;
        downSince_ = now;
        uprightSince_ = -1;
        ++record_.falls;
        return false;
    }
    if (tilt >= kUpTilt || camera <= kUpCamera) {
        uprightSince_ = -1;
        return false;
    }
    if (uprightSince_ < 0) uprightSince_ = now;
    if (now - uprightSince_ < kUpHold - 1e-9) return false;
    down_ = false;
    const double spell = uprightSince_ - downSince_;
    record_.downSeconds += spell;
    record_.longestDown = std::max(record_.longestDown, spell);
    ++record_.stood;
    return true;
}

std::optional<DownRecord> PhysicsRobot::downRecord(double now) const {
    DownRecord r = record_;
    if (down_) {
        const double spell = (uprightSince_ >= 0 ? uprightSince_ : now) - downSince_;
        r.downSeconds += spell;
        r.longestDown = std::max(r.longestDown, spell);
    }
    return r;
}

bool PhysicsRobot::endCycle(double seconds, int steps) {
    for (int i = 0; i < kModelBodyCount; ++i) {
        const dBodyID b = bodies_[i];
        if (b == nullptr) continue;
        const dReal* v = dBodyGetLinearVel(b);
        const dReal* w = dBodyGetAngularVel(b);
        if (!finite(dBodyGetPosition(b), 3) || !finite(dBodyGetQuaternion(b), 4) || !finite(v, 3) ||
            !finite(w, 3) || length(toVec(v)) > kMaxBodySpeed || length(toVec(w)) > kMaxBodySpin) {
            return false;
        }
    }
    for (const JointSlot& s : slots_) {
        dVector3 a, b;
        if (s.axis == 0) {
            dJointGetHingeAnchor(s.joint, a);
            dJointGetHingeAnchor2(s.joint, b);
        } else {
            dJointGetUniversalAnchor(s.joint, a);
            dJointGetUniversalAnchor2(s.joint, b);
        }
        if (length(toVec(a) - toVec(b)) > kMaxHingeGap) return false;
    }
    readSensors(seconds, steps);
    watchRest();
    lastX_ = x();
    lastY_ = y();
    lastHeading_ = heading();
    return true;
}

void PhysicsRobot::watchRest() {
    const dBodyID torso = bodies_[kTorsoBody];
    const Vec3 at = toVec(dBodyGetPosition(torso));
    const Rot3 r = toRot(dBodyGetRotation(torso));
    const bool commanded =
        std::any_of(speeds_.begin(), speeds_.end(), [](double s) { return s != 0; });
    // The trace of r's turn against the last cycle's: 3 for none, 1 + 2 cos(angle).
    double trace = 0;
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 3; ++k) trace += r.m[k][i] * restRotation_.m[k][i];
    }
    const double turn = std::acos(std::clamp((trace - 1) / 2, -1.0, 1.0)) * kDegPerRad;
    const bool still = !commanded && dBodyIsEnabled(torso) &&
                       length(at - restPosition_) < kRestShift && turn < kRestTurn;
    stillCycles_ = still ? stillCycles_ + 1 : 0;
    restPosition_ = at;
    restRotation_ = r;
    if (stillCycles_ < kRestCycles) return;
    for (dBodyID b : bodies_) {
        if (b != nullptr) dBodyDisable(b);
    }
    stillCycles_ = 0;
}

void PhysicsRobot::readSensors(double seconds, int steps) {
    for (int j = 0; j < kJointCount; ++j) angles_[j] = jointRadians(j) * kDegPerRad;
    const dBodyID torso = bodies_[kTorsoBody];
    const Rot3 r = toRot(dBodyGetRotation(torso));
    if (!dBodyIsEnabled(torso)) {
        // At rest and taken out of the steps: still, and the feet as last measured.
        sensors_.gyro = {};
        sensors_.acc = r.applyInverse({0, 0, kGravity});
        torsoVelocity_ = {};
        for (FootLoad& l : loads_) l = {};
        return;
    }
    sensors_.gyro = r.applyInverse(toVec(dBodyGetAngularVel(torso))) * kDegPerRad;
    const Vec3 v = toVec(dBodyGetLinearVel(torso));
    sensors_.acc = r.applyInverse((v - torsoVelocity_) * (1.0 / seconds) + Vec3{0, 0, kGravity});
    torsoVelocity_ = v;
    for (int f = 0; f < 2; ++f) {
        FootLoad& load = loads_[f];
        FootReading& out = sensors_.feet[f];
        out.touching = load.steps > 0;
        const dBodyID foot = bodies_[f == 0 ? kLFootBody : kRFootBody];
        const Rot3 fr = toRot(dBodyGetRotation(foot));
        const Vec3 centre = toVec(dBodyGetPosition(foot));
        const Vec3 at = load.normal > 0 ? load.weighted * (1.0 / load.normal) : centre;
        out.centre = out.touching ? fr.applyInverse(at - centre) : Vec3{};
        out.force = out.touching ? fr.applyInverse(load.force * (1.0 / steps)) : Vec3{};
        load = {};
    }
}

}  // namespace sparring
