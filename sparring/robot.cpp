#include "sparring/robot.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace sparring {

namespace {
constexpr double kDegPerRad = 180.0 / M_PI;
// A get-up folds both knees under the trunk and straightens them again.
constexpr double kKneeFolded = -90.0;        // degrees
constexpr double kKneeStraightened = -60.0;  // degrees
}  // namespace

const char* postureName(Posture posture) {
    switch (posture) {
        case Posture::Upright:
            return "upright";
        case Posture::OnBack:
            return "back";
        case Posture::OnFront:
            return "front";
    }
    return "upright";
}

Robot::Robot(Side side, int unum, std::string team)
    : side_(side), unum_(unum), team_(std::move(team)) {}

void Robot::place(double x, double y, double heading) {
    x_ = x;
    y_ = y;
    heading_ = normalizeDegrees(heading);
}

void Robot::beam(double x, double y, double rotDegrees) {
    const Vec3 p = toServerFrame(side_, {x, y, 0});
    place(p.x, p.y, headingToServerFrame(side_, rotDegrees));
}

void Robot::fall(Posture posture, double now, double lieSeconds) {
    posture_ = posture;
    lieUntil_ = now + lieSeconds;
    kneesFolded_ = false;
}

bool Robot::updatePosture(double now) {
    if (upright()) return false;
    const double knees = std::max(angles_[kLeftKnee], angles_[kRightKnee]);
    if (knees <= kKneeFolded) kneesFolded_ = true;
    const bool gotUp =
        kneesFolded_ && std::min(angles_[kLeftKnee], angles_[kRightKnee]) >= kKneeStraightened;
    if (!gotUp && now < lieUntil_) return false;
    posture_ = Posture::Upright;
    return true;
}

void Robot::setSpeed(int joint, double radPerSecond) {
    if (!std::isfinite(radPerSecond)) return;
    speeds_[joint] = std::clamp(radPerSecond, -kMaxJointSpeed, kMaxJointSpeed);
}

void Robot::integrate(double dt) {
    for (int j = 0; j < kJointCount; ++j) {
        const double moved = angles_[j] + speeds_[j] * dt * kDegPerRad;
        angles_[j] = std::clamp(moved, kJoints[j].minDegrees, kJoints[j].maxDegrees);
    }
}

Vec3 Robot::cameraPosition() const {
    return {x_, y_, upright() ? kStandingCamera : kLyingCamera};
}

Rot3 Robot::bodyToServer() const {
    const Rot3 yaw = Rot3::aboutZ(heading_);
    switch (posture_) {
        case Posture::Upright:
            return yaw;
        case Posture::OnBack:  // chest up, head towards the back of the former stance
            return yaw * Rot3::aboutY(-90);
        case Posture::OnFront:  // chest down, head towards the former front
            return yaw * Rot3::aboutY(90);
    }
    return yaw;
}

Rot3 Robot::cameraToServer() const {
    return bodyToServer() * Rot3::aboutZ(angles_[kHeadYaw]) * Rot3::aboutY(-angles_[kHeadPitch]);
}

}  // namespace sparring
