#include "math/geometry.h"

#include <gtest/gtest.h>

#include <cmath>

#include "math/matrix.h"

using salt::Vector2f;
using salt::Vector3f;

namespace {
const float kTol = 1e-5f;

void expectVec(const Vector3f& v, float x, float y, float z, float tol = kTol) {
    EXPECT_NEAR(v.x(), x, tol);
    EXPECT_NEAR(v.y(), y, tol);
    EXPECT_NEAR(v.z(), z, tol);
}
}  // namespace

TEST(Polar, ReadingsBecomeCameraFrameVectors) {
    expectVec(PolarToCartecian(VisionSense(2, 90, 0)), 0, 2, 0);
    expectVec(PolarToCartecian(VisionSense(1, 0, 90)), 0, 0, 1);
    expectVec(PolarToCartecian(Vector3f(3, 0, 0)), 3, 0, 0);
    expectVec(PolarToCartecian(Vector3f(2, -90, -30)), 0, -1.7320508f, -1);
    const VisionSense s = CartecianToPolar(Vector3f(0, 1, 0));
    EXPECT_NEAR(s.distance, 1, kTol);
    EXPECT_NEAR(s.theta, 90, 1e-4);
    EXPECT_NEAR(s.phi, 0, 1e-4);
}

TEST(Polar, RoundTripOverAGridOfReadingsReturnsTheReading) {
    const float angleTol = 2e-3f;  // degrees; float sin/cos near the poles
    for (float d : {0.05f, 1.0f, 7.5f, 20.0f}) {
        for (float theta = -175.0f; theta <= 180.0f; theta += 12.5f) {
            for (float phi = -85.0f; phi <= 85.0f; phi += 17.0f) {
                const VisionSense back =
                    CartecianToPolar(PolarToCartecian(VisionSense(d, theta, phi)));
                EXPECT_NEAR(back.distance, d, d * 1e-5f);
                EXPECT_NEAR(back.theta, theta, angleTol) << d << " " << theta << " " << phi;
                EXPECT_NEAR(back.phi, phi, angleTol) << d << " " << theta << " " << phi;
            }
        }
    }
}

TEST(RotateAroundLine, TurnsAboutALineThroughAnyPoint) {
    struct Case {
        Vector3f point, direction;
        double angle;
        Vector3f linePoint, expected;
    };
    const Case cases[] = {
        {Vector3f(1, 0, 0), Vector3f(0, 0, 1), 90, Vector3f(0, 0, 0), Vector3f(0, 1, 0)},
        {Vector3f(1, 0, 0), Vector3f(0, 0, 1), 90, Vector3f(1, 0, 0), Vector3f(1, 0, 0)},
        {Vector3f(1, 0, 0), Vector3f(0, 0, 2), 90, Vector3f(0, 0, 0), Vector3f(0, 1, 0)},
        {Vector3f(1, 0, 0), Vector3f(0, 0, 1), -90, Vector3f(0, 0, 0), Vector3f(0, -1, 0)},
        // off-origin line: about the vertical through (1, 1, 0), (2, 1, 5) goes to (1, 2, 5)
        {Vector3f(2, 1, 5), Vector3f(0, 0, 3), 90, Vector3f(1, 1, -4), Vector3f(1, 2, 5)},
        // the line point may be any point of the line
        {Vector3f(2, 1, 5), Vector3f(0, 0, -0.5f), -90, Vector3f(1, 1, 9), Vector3f(1, 2, 5)},
        {Vector3f(0, 1, 0), Vector3f(1, 0, 0), 90, Vector3f(0, 0, 0), Vector3f(0, 0, 1)},
        {Vector3f(1, 0, 0), Vector3f(1, 1, 1), 120, Vector3f(0, 0, 0), Vector3f(0, 1, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        expectVec(rotateAroundLine(c.point, c.direction, c.angle, c.linePoint), c.expected.x(),
                  c.expected.y(), c.expected.z());
    }
}

TEST(RotateAroundLine, AgreesWithTheMatrixRotationsAboutTheAxes) {
    const Vector3f p(0.3f, -0.7f, 1.1f);
    const float a = 0.6f;
    salt::Matrix m;
    m.RotationX(a);
    const Vector3f rx = m.Rotate(p);
    expectVec(rotateAroundLine(p, Vector3f(5, 0, 0), salt::gRadToDeg(a), Vector3f()), rx.x(),
              rx.y(), rx.z());
    m.RotationY(a);
    const Vector3f ry = m.Rotate(p);
    expectVec(rotateAroundLine(p, Vector3f(0, 0.1f, 0), salt::gRadToDeg(a), Vector3f()), ry.x(),
              ry.y(), ry.z());
}

TEST(Line2D, ThroughTwoPointsAndIntersection) {
    const rcsc::Line2D ground(Vector2f(0, 0), Vector2f(1, 0));
    EXPECT_EQ(ground.a(), 0);
    EXPECT_EQ(ground.b(), 1);
    EXPECT_EQ(ground.c(), 0);
    const rcsc::Line2D post(Vector2f(2, -1), Vector2f(2, 1));
    const Vector2f q = ground.intersection2f(post);
    EXPECT_NEAR(q.x(), 2, kTol);
    EXPECT_NEAR(q.y(), 0, kTol);

    rcsc::Line2D diagonal(0, 0, 0);
    diagonal.assign(rcsc::Vector2D(0, 1), rcsc::Vector2D(1, 2));
    const Vector2f r = diagonal.intersection2f(rcsc::Line2D(Vector2f(-3, 5), Vector2f(3, -1)));
    EXPECT_NEAR(r.x(), 0.5f, kTol);
    EXPECT_NEAR(r.y(), 1.5f, kTol);

    const Vector2f parallel = ground.intersection2f(rcsc::Line2D(Vector2f(0, 1), Vector2f(1, 1)));
    EXPECT_FALSE(std::isfinite(parallel.x()) && std::isfinite(parallel.y()));
}

TEST(AngleUnits, DegreesAndRadiansConvert) {
    EXPECT_FLOAT_EQ(DegToRad(180), 3.14159265f);
    EXPECT_FLOAT_EQ(RadToDeg(3.14159265f), 180);
}
