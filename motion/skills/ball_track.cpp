#include "motion/skills/ball_track.h"

#include <algorithm>
#include <cmath>

#include "motion/skills/head_sweep.h"

namespace skills {

namespace {
constexpr double kDeg = M_PI / 180;
// A sighting this close to the tracked place is noise on a still ball and is blended in;
// further away the ball has moved and the sighting replaces it, metres.
constexpr double kSteadyRadius = 0.15;
constexpr double kBlend = 0.5;         // share of a near sighting taken
constexpr double kCameraHeight = 0.5;  // metres above the ground, standing
// Metres from the camera down the torso's axis to the torso point, as the body model has it.
constexpr double kTorsoBelowCamera = 0.155;
// The neck: most yaw and pitch used (degrees) and its speed, rad/s per degree off.
constexpr double kMaxYaw = 100, kLowestPitch = -42, kHighestPitch = 0;
constexpr double kNeckGain = 0.15;
constexpr double kNeckSpeed = 4;  // rad/s at most
// The neck's two joints towards yaw and pitch (degrees).
void driveNeck(double yaw, double pitch, const Readings& now, JointSpeeds& speeds) {
    speeds.set(HJ1, std::clamp(kNeckGain * (yaw - now.angle(HJ1)), -kNeckSpeed, kNeckSpeed));
    speeds.set(HJ2, std::clamp(kNeckGain * (pitch - now.angle(HJ2)), -kNeckSpeed, kNeckSpeed));
}

// A camera sighting turned into the torso's axes through the neck (its origin still the
// camera), and the unit up direction in those axes.
struct TorsoView {
    double x, y, z;     // metres
    double ux, uy, uz;  // unit up
};

TorsoView torsoView(const salt::Vector3f& seen, const Readings& now, const salt::Vector3f& up) {
    // Up the neck: the head's pitch (positive looks up), then its yaw.
    const double pitch = now.angle(HJ2) * kDeg, yaw = now.angle(HJ1) * kDeg;
    const double x = seen.x(), y = seen.y(), z = seen.z();
    const double hx = x * std::cos(pitch) - z * std::sin(pitch);
    const double hz = x * std::sin(pitch) + z * std::cos(pitch);
    TorsoView v{hx * std::cos(yaw) - y * std::sin(yaw),
                hx * std::sin(yaw) + y * std::cos(yaw),
                hz,
                up.x(),
                up.y(),
                up.z()};
    // Without a usable up the torso counts as upright.
    const double u = std::sqrt(v.ux * v.ux + v.uy * v.uy + v.uz * v.uz);
    if (!(u > 1e-6) || !std::isfinite(u) || !(std::fabs(v.ux / u) < 0.9)) {
        v.ux = 0;
        v.uy = 0;
        v.uz = 1;
    } else {
        v.ux /= u;
        v.uy /= u;
        v.uz /= u;
    }
    return v;
}
}  // namespace

Ground groundFromCamera(const salt::Vector3f& seen, const Readings& now, const salt::Vector3f& up) {
    const TorsoView v = torsoView(seen, now, up);
    // The level frame in torso axes: the torso's forward axis less its part along up, and
    // up x forward to the left.
    const double f = std::sqrt(1 - v.ux * v.ux);
    const double fx = (1 - v.ux * v.ux) / f, fy = -v.ux * v.uy / f, fz = -v.ux * v.uz / f;
    const double lx = v.uy * fz - v.uz * fy, ly = v.uz * fx - v.ux * fz, lz = v.ux * fy - v.uy * fx;
    // From the camera to the torso point, which lies below it on the torso's axis: a torso
    // leaning forward puts the camera ahead of it.
    const double tz = v.z + kTorsoBelowCamera;
    return {v.x * fx + v.y * fy + tz * fz, v.x * lx + v.y * ly + tz * lz};
}

double heightFromCamera(const salt::Vector3f& seen, const Readings& now, const salt::Vector3f& up) {
    const TorsoView v = torsoView(seen, now, up);
    return kCameraHeight + v.x * v.ux + v.y * v.uy + v.z * v.uz;
}

void lookAtGround(const Ground& point, const Readings& now, JointSpeeds& speeds) {
    const double distance = std::hypot(point.ahead, point.left);
    const double yaw = std::clamp(std::atan2(point.left, point.ahead) / kDeg, -kMaxYaw, kMaxYaw);
    // The point a little below the middle of the view, which reaches 60 degrees down.
    const double below = std::atan2(kCameraHeight, distance) / kDeg;
    const double pitch = std::clamp(-below + 25, kLowestPitch, kHighestPitch);
    driveNeck(yaw, pitch, now, speeds);
}

void searchHead(double time, const Readings& now, JointSpeeds& speeds) {
    const double pitch = -20;  // degrees: the ground from 0.3 m on, and the horizon
    driveNeck(sweepYaw(time), pitch, now, speeds);
}

FieldPoint onField(const Ground& g, const FieldPose& self) {
    const double h = self.heading * kDeg;
    return {self.x + std::cos(h) * g.ahead - std::sin(h) * g.left,
            self.y + std::sin(h) * g.ahead + std::cos(h) * g.left};
}

void BallTrack::see(const FieldPose& self, const Ground& seen, double time) {
    const auto [x, y] = onField(seen, self);
    if (mKnown && std::hypot(x - mX, y - mY) < kSteadyRadius) {
        mX += kBlend * (x - mX);
        mY += kBlend * (y - mY);
    } else {
        mX = x;
        mY = y;
    }
    mKnown = true;
    mLastSeen = time;
}

Ground BallTrack::relativeTo(const FieldPose& self) const {
    const double h = self.heading * kDeg, dx = mX - self.x, dy = mY - self.y;
    return {std::cos(h) * dx + std::sin(h) * dy, -std::sin(h) * dx + std::cos(h) * dy};
}

}  // namespace skills
