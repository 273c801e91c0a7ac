#include "sparring/world/kinematic/kinematic_robot.h"

#include <algorithm>
#include <cmath>

namespace sparring {

namespace {
constexpr double kDegPerRad = 180.0 / M_PI;
constexpr double kGravity = 9.81;   // m/s^2
constexpr double kFootLoad = 22.6;  // newtons on each foot of a standing robot
// A get-up folds both knees under the trunk and straightens them again, or (the
// get-ups that push up into a pike) bends both hips up to the trunk and stands them
// straight again.
constexpr double kKneeFolded = -90.0;        // degrees
constexpr double kKneeStraightened = -60.0;  // degrees
constexpr double kHipFolded = 80.0;          // degrees
constexpr double kHipStraightened = 30.0;    // degrees
// A robot on its back that swings one leg up and the other back, the hip pitches this
// far apart, rolls over onto its front (the roll of the back's get-up).
constexpr double kHipsScissored = 100.0;  // degrees
}  // namespace

void KinematicRobot::place(double x, double y, double heading) {
    x_ = x;
    y_ = y;
    heading_ = normalizeDegrees(heading);
}

void KinematicRobot::fall(Posture posture, double now, double lieSeconds) {
    posture_ = posture;
    lieUntil_ = now + lieSeconds;
    kneesFolded_ = false;
    hipsFolded_ = false;
}

bool KinematicRobot::updatePosture(double now) {
    if (upright()) return false;
    if (posture_ == Posture::OnBack && std::fabs(angles_[LLJ3] - angles_[RLJ3]) >= kHipsScissored) {
        posture_ = Posture::OnFront;
        kneesFolded_ = false;
        hipsFolded_ = false;
    }
    const double knees = std::max(angles_[kLeftKnee], angles_[kRightKnee]);
    if (knees <= kKneeFolded) kneesFolded_ = true;
    const double hips = std::min(angles_[LLJ3], angles_[RLJ3]);
    if (hips >= kHipFolded) hipsFolded_ = true;
    const bool gotUp =
        (kneesFolded_ && std::min(angles_[kLeftKnee], angles_[kRightKnee]) >= kKneeStraightened) ||
        (hipsFolded_ && std::max(angles_[LLJ3], angles_[RLJ3]) <= kHipStraightened);
    if (!gotUp && now < lieUntil_) return false;
    posture_ = Posture::Upright;
    return true;
}

void KinematicRobot::integrate(double dt) {
    for (int j = 0; j < kJointCount; ++j) {
        const double moved = angles_[j] + speeds_[j] * dt * kDegPerRad;
        angles_[j] = std::clamp(moved, kJoints[j].minDegrees, kJoints[j].maxDegrees);
    }
}

Vec3 KinematicRobot::cameraPosition() const {
    return {x_, y_, upright() ? kStandingCamera : kLyingCamera};
}

Rot3 KinematicRobot::bodyToServer() const {
    const Rot3 yaw = Rot3::aboutZ(heading_);
    switch (posture_) {
        case Posture::Upright:
            return yaw;
        case Posture::OnBack:  // chest up, head towards the back of the former stance
            return yaw * Rot3::aboutY(-90);
        case Posture::OnFront:  // chest down, head towards the former front
            return yaw * Rot3::aboutY(90);
        case Posture::OnLeft:  // left side down, head towards the former left
            return yaw * Rot3::aboutX(-90);
        case Posture::OnRight:  // right side down, head towards the former right
            return yaw * Rot3::aboutX(90);
    }
    return yaw;
}

Rot3 KinematicRobot::cameraToServer() const {
    return bodyToServer() * Rot3::aboutZ(angles_[kHeadYaw]) * Rot3::aboutY(-angles_[kHeadPitch]);
}

BodySensors KinematicRobot::sensors() const {
    BodySensors s;
    s.acc = bodyToServer().applyInverse({0, 0, kGravity});
    for (FootReading& foot : s.feet) {
        foot.touching = upright();
        foot.centre = {0, 0, -0.01};
        foot.force = {0, 0, upright() ? kFootLoad : 0.0};
    }
    return s;
}

BodyPoints KinematicRobot::bodyPoints() const {
    BodyPoints points = bodyPointsFromJoints(angles_);
    const Rot3 body = bodyToServer();
    const Vec3 camera = cameraPosition();
    for (Vec3& p : points) p = camera + body.apply(p);
    return points;
}

}  // namespace sparring
