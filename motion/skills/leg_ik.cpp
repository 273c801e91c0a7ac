#include "motion/skills/leg_ik.h"

#include <algorithm>
#include <cmath>

namespace skills {

namespace {

constexpr double kDeg = M_PI / 180;
// The leg's fixed offsets, metres: hip point to knee in the thigh's axes, knee to ankle
// in the shank's axes, ankle to the sole's centre in the foot's axes (the foot point
// lies 0.03 ahead of and 0.035 below the ankle, the sole 0.01 below that).
const Vec3d kKnee{0.01, 0, -0.11};
const Vec3d kAnkle{-0.005, 0, -0.11};
const Vec3d kSole{0.03, 0, -0.045};

// Ranges (degrees) in LegAngles order; the left leg first, then the right.
const double kMin[2][6] = {{-90, -25, -25, -130, -45, -45}, {-90, -45, -25, -130, -45, -25}};
const double kMax[2][6] = {{1, 45, 100, 1, 75, 25}, {1, 25, 100, 1, 75, 45}};

Vec3d add(const Vec3d& a, const Vec3d& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3d sub(const Vec3d& a, const Vec3d& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3d scale(const Vec3d& a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
double dot(const Vec3d& a, const Vec3d& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3d cross(const Vec3d& a, const Vec3d& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

int sideIndex(Leg leg) {
    return leg == Leg::Left ? 0 : 1;
}

// The unit axis of the hip yaw-pitch joint in the torso's axes, as a positive angle turns it.
Vec3d yawPitchAxis(Leg leg) {
    const double side = leg == Leg::Left ? 1 : -1;
    const double r = 1 / std::sqrt(2.0);
    return {0, -side * r, r};
}

// Rotation by `radians` about the unit `axis` (Rodrigues).
Rot3d aboutAxis(const Vec3d& a, double radians) {
    const double c = std::cos(radians), s = std::sin(radians), t = 1 - c;
    Rot3d r;
    r.m[0][0] = c + a.x * a.x * t;
    r.m[0][1] = a.x * a.y * t - a.z * s;
    r.m[0][2] = a.x * a.z * t + a.y * s;
    r.m[1][0] = a.y * a.x * t + a.z * s;
    r.m[1][1] = c + a.y * a.y * t;
    r.m[1][2] = a.y * a.z * t - a.x * s;
    r.m[2][0] = a.z * a.x * t - a.y * s;
    r.m[2][1] = a.z * a.y * t + a.x * s;
    r.m[2][2] = c + a.z * a.z * t;
    return r;
}

// Both solutions of p cos(a) + q sin(a) = c in -pi..pi, the one nearer zero first; the
// right-hand side is clamped into what the left can reach.
std::array<double, 2> solve(double p, double q, double c) {
    const double rho = std::hypot(p, q);
    if (rho < 1e-12) return {0, 0};
    const double base = std::atan2(q, p);
    const double spread = std::acos(std::clamp(c / rho, -1.0, 1.0));
    const double a1 = std::remainder(base + spread, 2 * M_PI);
    const double a2 = std::remainder(base - spread, 2 * M_PI);
    if (std::fabs(a1) <= std::fabs(a2)) return {a1, a2};
    return {a2, a1};
}

}  // namespace

Vec3d Rot3d::apply(const Vec3d& v) const {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
            m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

Vec3d Rot3d::applyInverse(const Vec3d& v) const {
    return {m[0][0] * v.x + m[1][0] * v.y + m[2][0] * v.z,
            m[0][1] * v.x + m[1][1] * v.y + m[2][1] * v.z,
            m[0][2] * v.x + m[1][2] * v.y + m[2][2] * v.z};
}

Rot3d Rot3d::operator*(const Rot3d& o) const {
    Rot3d r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j];
    return r;
}

Rot3d Rot3d::transposed() const {
    Rot3d r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = m[j][i];
    return r;
}

Rot3d rotX(double a) {
    return aboutAxis({1, 0, 0}, a);
}
Rot3d rotY(double a) {
    return aboutAxis({0, 1, 0}, a);
}
Rot3d rotZ(double a) {
    return aboutAxis({0, 0, 1}, a);
}

Rot3d rotYawPitchRoll(double yaw, double pitch, double roll) {
    return rotZ(yaw * kDeg) * rotY(pitch * kDeg) * rotX(roll * kDeg);
}

double legJointMin(Leg leg, int index) {
    return kMin[sideIndex(leg)][index];
}

double legJointMax(Leg leg, int index) {
    return kMax[sideIndex(leg)][index];
}

FootPose legForward(Leg leg, const LegAngles& d) {
    const Rot3d thigh =
        aboutAxis(yawPitchAxis(leg), d[0] * kDeg) * rotY(-d[2] * kDeg) * rotX(-d[1] * kDeg);
    const Rot3d shank = thigh * rotY(-d[3] * kDeg);
    const Rot3d foot = shank * rotY(-d[4] * kDeg) * rotX(-d[5] * kDeg);
    FootPose p;
    p.position = add(add(thigh.apply(kKnee), shank.apply(kAnkle)), foot.apply(kSole));
    p.rotation = foot;
    return p;
}

LegSolution legInverse(Leg leg, const FootPose& target) {
    const Rot3d& foot = target.rotation;
    const Vec3d d = sub(target.position, foot.apply(kSole));  // hip point to ankle

    // Knee: the hip-ankle distance depends on it alone. With kneeTurn = -knee angle,
    // |knee + rotY(kneeTurn) ankle|^2 = |knee|^2 + |ankle|^2 + 2 (p cos + q sin).
    const double p = kKnee.x * kAnkle.x + kKnee.z * kAnkle.z;
    const double q = kKnee.x * kAnkle.z - kKnee.z * kAnkle.x;
    const double c = (dot(d, d) - dot(kKnee, kKnee) - dot(kAnkle, kAnkle)) / 2;
    const double rho = std::hypot(p, q);
    const double bentTurn = std::atan2(q, p) + std::acos(std::clamp(c / rho, -1.0, 1.0));
    const double kneeTurn =
        std::clamp(bentTurn, -legJointMax(leg, 3) * kDeg, -legJointMin(leg, 3) * kDeg);
    const Vec3d w = add(rotY(-kneeTurn).apply(kKnee), kAnkle);  // ankle to hip, shank axes

    // Ankle: the hip seen from the foot, rotY(pitchTurn) rotX(rollTurn) v = -w. Out of
    // reach, the foot still points the leg at the target.
    Vec3d v = scale(foot.applyInverse(d), -1);
    const double len = std::sqrt(dot(v, v));
    const double wLen = std::sqrt(dot(w, w));
    if (len > 1e-9) v = scale(v, wLen / len);
    const double rollTurn = solve(v.y, -v.z, -w.y)[0];
    const Vec3d u = rotX(rollTurn).apply(v);
    const double pitchTurn =
        std::remainder(std::atan2(-w.x, -w.z) - std::atan2(u.x, u.z), 2 * M_PI);

    // Hip: thigh = yawPitch(a) rotY(hipPitchTurn) rotX(hipRollTurn). The thigh's x axis,
    // turned back by the yaw-pitch joint, lies in the x-z plane: two turns of the
    // yaw-pitch joint do that; the one that keeps the hip within its ranges wins.
    const Rot3d thigh = foot * rotX(-rollTurn) * rotY(-pitchTurn) * rotY(-kneeTurn);
    const Vec3d t{thigh.m[0][0], thigh.m[1][0], thigh.m[2][0]};
    const Vec3d a = yawPitchAxis(leg);
    const double at = dot(a, t);
    const std::array<double, 2> both = solve(t.y - a.y * at, -cross(a, t).y, -a.y * at);
    LegSolution s;
    double leastOver = 1e300;
    for (double yawPitch : both) {
        const Rot3d rest = aboutAxis(a, -yawPitch) * thigh;  // rotY(hipPitch) rotX(hipRoll)
        const double hipPitchTurn = std::atan2(-rest.m[2][0], rest.m[0][0]);
        const Rot3d roll = rotY(-hipPitchTurn) * rest;
        const double hipRollTurn = std::atan2(roll.m[2][1], roll.m[1][1]);
        // The yaw-pitch joint turns by plus its angle about its axis, the others by minus.
        const double deg[6] = {yawPitch / kDeg,  -hipRollTurn / kDeg, -hipPitchTurn / kDeg,
                               -kneeTurn / kDeg, -pitchTurn / kDeg,   -rollTurn / kDeg};
        LegSolution c;
        double over = 0;
        for (int i = 0; i < 6; ++i) {
            c.angles[i] = std::clamp(deg[i], legJointMin(leg, i), legJointMax(leg, i));
            over += std::fabs(c.angles[i] - deg[i]);
        }
        c.reachable = over < 1e-9;
        if (over < leastOver - 1e-9) {
            leastOver = over;
            s = c;
        }
    }
    if (std::fabs(bentTurn - kneeTurn) > 1e-9 || std::fabs(c) > rho) s.reachable = false;
    return s;
}

}  // namespace skills
