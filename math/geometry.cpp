#include "math/geometry.h"

#include <cmath>

float DegToRad(float x) {
    return static_cast<float>(x * 0.017453292519943295);
}

float RadToDeg(float x) {
    return static_cast<float>(x * 180.0 / 3.141592653589793);
}

salt::Vector3f PolarToCartecian(const VisionSense& s) {
    const float theta = salt::gDegToRad(s.theta);
    const float phi = salt::gDegToRad(s.phi);
    const float horizontal = s.distance * salt::gCos(phi);
    return salt::Vector3f(salt::gCos(theta) * horizontal, salt::gSin(theta) * horizontal,
                          s.distance * salt::gSin(phi));
}

salt::Vector3f PolarToCartecian(const salt::Vector3f& p) {
    return PolarToCartecian(VisionSense(p.x(), p.y(), p.z()));
}

VisionSense CartecianToPolar(salt::Vector3f v) {
    const double x = v.x(), y = v.y(), z = v.z();
    VisionSense s;
    s.distance = static_cast<float>(std::sqrt(x * x + y * y + z * z));
    s.phi = static_cast<float>(salt::gRadToDeg(std::asin(z / s.distance)));
    s.theta = static_cast<float>(salt::gRadToDeg(std::atan2(y, x)));
    return s;
}

Turn::Turn(double degrees) {
    const double theta = salt::gDegToRad(degrees);
    sine = std::sin(theta);
    cosine = std::cos(theta);
}

salt::Vector3f rotateAroundLine(salt::Vector3f point, salt::Vector3f direction, double angle,
                                salt::Vector3f linePoint) {
    return rotateAroundLine(point, direction, Turn(angle), linePoint);
}

salt::Vector3f rotateAroundLine(salt::Vector3f point, salt::Vector3f direction, const Turn& turn,
                                salt::Vector3f linePoint) {
    const double x = point.x(), y = point.y(), z = point.z();
    const double u = direction.x(), v = direction.y(), w = direction.z();
    const double a = linePoint.x(), b = linePoint.y(), c = linePoint.z();
    const double L = u * u + v * v + w * w;
    const double s = turn.sine, k = turn.cosine;
    const double root = std::sqrt(L);

    const double rx = a * (v * v + w * w) - u * (b * v + c * w - u * x - v * y - w * z) +
                      k * ((x - a) * (v * v + w * w) + u * (b * v + c * w - v * y - w * z)) +
                      s * root * (b * w - c * v - w * y + v * z);
    const double ry = b * (u * u + w * w) - v * (a * u + c * w - u * x - v * y - w * z) +
                      k * ((y - b) * (u * u + w * w) + v * (a * u + c * w - u * x - w * z)) +
                      s * root * (c * u - a * w + w * x - u * z);
    const double rz = c * (u * u + v * v) - w * (a * u + b * v - u * x - v * y - w * z) +
                      k * ((z - c) * (u * u + v * v) + w * (a * u + b * v - u * x - v * y)) +
                      s * root * (a * v - b * u - v * x + u * y);
    return salt::Vector3f(static_cast<float>(rx / L), static_cast<float>(ry / L),
                          static_cast<float>(rz / L));
}

namespace rcsc {

Line2D::Line2D(const salt::Vector2f& p1, const salt::Vector2f& p2) : mA(0.0), mB(0.0), mC(0.0) {
    assign(Vector2D(p1.x(), p1.y()), Vector2D(p2.x(), p2.y()));
}

const Line2D& Line2D::assign(const Vector2D& p1, const Vector2D& p2) {
    mA = -(p2.y - p1.y);
    mB = p2.x - p1.x;
    mC = -mA * p1.x - mB * p1.y;
    return *this;
}

salt::Vector2f Line2D::intersection2f(const Line2D& other) const {
    const double det = mA * other.mB - mB * other.mA;
    return salt::Vector2f(static_cast<float>((mB * other.mC - other.mB * mC) / det),
                          static_cast<float>((other.mA * mC - mA * other.mC) / det));
}

}  // namespace rcsc
