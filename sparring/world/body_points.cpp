#include "sparring/world/body_points.h"

#include <cmath>

namespace sparring {

namespace {

constexpr double kRadPerDeg = M_PI / 180.0;

double dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// One arm: shoulder offset from the torso and the side's sign in y (+1 left).
void arm(BodyPoints& p, const std::array<double, kJointCount>& j, bool left) {
    const double side = left ? 1 : -1;
    const int j1 = left ? LAJ1 : RAJ1, j2 = left ? LAJ2 : RAJ2, j4 = left ? LAJ4 : RAJ4;
    const Rot3 a = Rot3::aboutZ(-j[j2]) * Rot3::aboutY(-j[j1]);
    const Vec3 elbowAxis = a.apply({0, 0, 1});
    const int base = left ? 1 : 0;
    Vec3& shoulder = p[kRShoulderPoint + base];
    Vec3& upper = p[kRUpperArmPoint + base];
    Vec3& elbow = p[kRElbowPoint + base];
    Vec3& lower = p[kRLowerArmPoint + base];
    shoulder = p[kTorsoPoint] + Vec3{0, side * 0.098, 0.075};
    upper = shoulder + a.apply({-0.02, side * 0.01, 0});
    elbow = upper + a.apply({0.07, side * 0.01, 0.009});
    lower = elbow + rotateAbout(a.apply({0.05, 0, 0}), elbowAxis, -j[j4]);
}

void leg(BodyPoints& p, const std::array<double, kJointCount>& j, bool left) {
    const double side = left ? 1 : -1;
    const int o = left ? 0 : 1;  // left joints come first in each pair
    const double j1 = j[LLJ1 + o], j2 = j[LLJ2 + o], j3 = j[LLJ3 + o], j4 = j[LLJ4 + o],
                 j5 = j[LLJ5 + o], j6 = j[LLJ6 + o];
    const Rot3 h = Rot3::aboutY(-j3) * Rot3::aboutX(-j2);
    const Vec3 yawPitch{0, side, -1};
    auto t1 = [&](const Vec3& v) { return rotateAbout(h.apply(v), yawPitch, -j1); };
    const Vec3 knee = t1({0, 1, 0});
    auto t2 = [&](const Vec3& v) { return rotateAbout(t1(v), knee, -j4); };
    const Vec3 anklePitch = rotateAbout(knee, knee, -j4);
    auto t3 = [&](const Vec3& v) { return rotateAbout(t2(v), anklePitch, -j5); };
    const Vec3 ankleRoll = rotateAbout(rotateAbout(t1({1, 0, 0}), knee, -j4), anklePitch, -j5);
    auto t4 = [&](const Vec3& v) { return rotateAbout(t3(v), ankleRoll, -j6); };
    const int b = left ? 1 : 0;
    p[kRHipPoint + b] = p[kTorsoPoint] + Vec3{-0.01, side * 0.055, -0.115};
    p[kRThighPoint + b] = p[kRHipPoint + b] + t1({0.01, 0, -0.04});
    p[kRKneePoint + b] = p[kRThighPoint + b] + t1({0, 0, -0.07});
    p[kRShankPoint + b] = p[kRKneePoint + b] + t2({0.005, 0, -0.055});
    p[kRAnklePoint + b] = p[kRShankPoint + b] + t2({-0.01, 0, -0.055});
    p[kRFootPoint + b] = p[kRAnklePoint + b] + t4({0.03, 0, -0.035});
}

}  // namespace

Vec3 rotateAbout(const Vec3& v, const Vec3& axis, double degrees) {
    const double n = length(axis);
    if (n == 0) return v;
    const Vec3 k = axis * (1.0 / n);
    const double c = std::cos(degrees * kRadPerDeg), s = std::sin(degrees * kRadPerDeg);
    return v * c + cross(k, v) * s + k * (dot(k, v) * (1 - c));
}

BodyPoints bodyPointsFromJoints(const std::array<double, kJointCount>& degrees) {
    BodyPoints p{};
    p[kNeckPoint] = {0, 0, -0.065};
    p[kTorsoPoint] = {0, 0, -0.155};
    arm(p, degrees, false);
    arm(p, degrees, true);
    leg(p, degrees, true);
    leg(p, degrees, false);
    return p;
}

}  // namespace sparring
