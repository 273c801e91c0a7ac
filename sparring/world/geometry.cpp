#include "sparring/world/geometry.h"

#include <cmath>

namespace sparring {

namespace {
constexpr double kRadPerDeg = M_PI / 180.0;
}

Vec3 operator+(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(const Vec3& a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
double length(const Vec3& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

Rot3 Rot3::aboutX(double degrees) {
    const double c = std::cos(degrees * kRadPerDeg), s = std::sin(degrees * kRadPerDeg);
    Rot3 r;
    r.m[1][1] = c;
    r.m[1][2] = -s;
    r.m[2][1] = s;
    r.m[2][2] = c;
    return r;
}

Rot3 Rot3::aboutZ(double degrees) {
    const double c = std::cos(degrees * kRadPerDeg), s = std::sin(degrees * kRadPerDeg);
    Rot3 r;
    r.m[0][0] = c;
    r.m[0][1] = -s;
    r.m[1][0] = s;
    r.m[1][1] = c;
    return r;
}

Rot3 Rot3::aboutY(double degrees) {
    const double c = std::cos(degrees * kRadPerDeg), s = std::sin(degrees * kRadPerDeg);
    Rot3 r;
    r.m[0][0] = c;
    r.m[0][2] = s;
    r.m[2][0] = -s;
    r.m[2][2] = c;
    return r;
}

Rot3 Rot3::operator*(const Rot3& o) const {
    Rot3 r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j];
        }
    }
    return r;
}

Vec3 Rot3::apply(const Vec3& v) const {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
            m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

Vec3 Rot3::applyInverse(const Vec3& v) const {
    return {m[0][0] * v.x + m[1][0] * v.y + m[2][0] * v.z,
            m[0][1] * v.x + m[1][1] * v.y + m[2][1] * v.z,
            m[0][2] * v.x + m[1][2] * v.y + m[2][2] * v.z};
}

Polar toPolar(const Vec3& v) {
    Polar p;
    p.distance = length(v);
    if (p.distance == 0) return p;
    p.theta = std::atan2(v.y, v.x) / kRadPerDeg;
    p.phi = std::asin(v.z / p.distance) / kRadPerDeg;
    return p;
}

double angleFromXAxis(const Vec3& v) {
    const double d = length(v);
    if (d == 0) return 0;
    return std::acos(std::fmax(-1.0, std::fmin(1.0, v.x / d))) / kRadPerDeg;
}

double normalizeDegrees(double degrees) {
    double d = std::fmod(degrees, 360.0);
    if (d > 180) d -= 360;
    if (d <= -180) d += 360;
    return d;
}

}  // namespace sparring
