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
                           const Approximate& constants)
    : Robot(side, unum, std::move(team)) {
    build(world, space, constants);
}

PhysicsRobot::~PhysicsRobot() {
    if (holder_ != nullptr) dJointDestroy(holder_);
    for (dJointID j : hinges_) dJointDestroy(j);
    for (dGeomID g : geoms_) {
        if (g != nullptr) dGeomDestroy(g);
    }
    for (dBodyID b : bodies_) dBodyDestroy(b);
}

void PhysicsRobot::build(dWorldID world, dSpaceID space, const Approximate& constants) {
    const RobotModel& m = robotModel();
    for (int i = 0; i < kModelBodyCount; ++i) {
        const BodyInfo& b = m.bodies[i];
        bodies_[i] = dBodyCreate(world);
        dMass mass;
        if (b.shape == Shape::Box) {
            dMassSetBoxTotal(&mass, b.mass, b.size.x, b.size.y, b.size.z);
            geoms_[i] = dCreateBox(space, b.size.x, b.size.y, b.size.z);
        } else if (b.shape == Shape::Sphere) {
            dMassSetSphereTotal(&mass, b.mass, b.size.x);
            geoms_[i] = dCreateSphere(space, b.size.x);
        } else {
            dMassSetSphereTotal(&mass, b.mass, kSmallBodyRadius);
        }
        dBodySetMass(bodies_[i], &mass);
        // Zero pose, torso a metre up: the hinges take this as their zero angle.
        const Vec3 at = b.centre + Vec3{0, 0, 1};
        dBodySetPosition(bodies_[i], at.x, at.y, at.z);
        if (geoms_[i] != nullptr) {
            dGeomSetBody(geoms_[i], bodies_[i]);
            const Vec3 offset = b.shapeCentre - b.centre;
            dGeomSetOffsetPosition(geoms_[i], offset.x, offset.y, offset.z);
            dGeomSetData(geoms_[i], this);
        }
    }
    for (int j = 0; j < kJointCount; ++j) {
        const HingeInfo& h = m.hinges[j];
        hinges_[j] = dJointCreateHinge(world, nullptr);
        // The child comes first: ODE's angle is the first body's turn about the axis.
        dJointAttach(hinges_[j], bodies_[h.child], bodies_[h.parent]);
        dJointSetHingeAnchor(hinges_[j], h.anchor.x, h.anchor.y, h.anchor.z + 1);
        dJointSetHingeAxis(hinges_[j], h.axis.x, h.axis.y, h.axis.z);
        dJointSetHingeParam(hinges_[j], dParamLoStop, kJoints[j].minDegrees / kDegPerRad);
        dJointSetHingeParam(hinges_[j], dParamHiStop, kJoints[j].maxDegrees / kDegPerRad);
        dJointSetHingeParam(hinges_[j], dParamFudgeFactor, kStopFudge);
        dJointSetHingeParam(hinges_[j], dParamFMax, constants.motorTorque);
    }
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
        const Vec3 at = poses[i].position + lift;
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
    for (int j = 0; j < kJointCount; ++j) angles_[j] = dJointGetHingeAngle(hinges_[j]) * kDegPerRad;
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
    setPose(angles_, {x(), y(), 0}, Rot3::aboutZ(heading()) * postureTurn(posture));
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
        const dReal* p = dBodyGetPosition(b);
        dBodySetPosition(b, p[0], p[1], p[2] + metres);
    }
    wake();
    holder_ = dJointCreateFixed(dBodyGetWorld(bodies_[kTorsoBody]), nullptr);
    dJointAttach(holder_, bodies_[kTorsoBody], nullptr);
    dJointSetFixed(holder_);
}

double PhysicsRobot::x() const {
    return dBodyGetPosition(bodies_[kTorsoBody])[0];
}

double PhysicsRobot::y() const {
    return dBodyGetPosition(bodies_[kTorsoBody])[1];
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
        const dBodyID b = bodies_[c.body];
        out[i] = toVec(dBodyGetPosition(b)) +
                 toRot(dBodyGetRotation(b)).apply(c.zeroPose - m.bodies[c.body].centre);
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
    for (dBodyID b : bodies_) dBodyEnable(b);
}

void PhysicsRobot::beginCycle() {
    const bool moving =
        std::any_of(speeds_.begin(), speeds_.end(), [](double s) { return s != 0; });
    if (moving || impulse_.x != 0 || impulse_.y != 0 || impulse_.z != 0) wake();
    for (int j = 0; j < kJointCount; ++j) dJointSetHingeParam(hinges_[j], dParamVel, speeds_[j]);
}

void PhysicsRobot::beforeStep(double seconds) {
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

bool PhysicsRobot::endCycle(double seconds) {
    for (int i = 0; i < kModelBodyCount; ++i) {
        const dBodyID b = bodies_[i];
        const dReal* v = dBodyGetLinearVel(b);
        const dReal* w = dBodyGetAngularVel(b);
        if (!finite(dBodyGetPosition(b), 3) || !finite(dBodyGetQuaternion(b), 4) || !finite(v, 3) ||
            !finite(w, 3) || length(toVec(v)) > kMaxBodySpeed || length(toVec(w)) > kMaxBodySpin) {
            return false;
        }
    }
    for (dJointID h : hinges_) {
        dVector3 a, b;
        dJointGetHingeAnchor(h, a);
        dJointGetHingeAnchor2(h, b);
        if (length(toVec(a) - toVec(b)) > kMaxHingeGap) return false;
    }
    readSensors(seconds);
    lastX_ = x();
    lastY_ = y();
    lastHeading_ = heading();
    return true;
}

void PhysicsRobot::readSensors(double seconds) {
    for (int j = 0; j < kJointCount; ++j) angles_[j] = dJointGetHingeAngle(hinges_[j]) * kDegPerRad;
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
        out.force = out.touching ? fr.applyInverse(load.force * (1.0 / kStepsPerCycle)) : Vec3{};
        load = {};
    }
}

}  // namespace sparring
