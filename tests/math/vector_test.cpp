#include "math/vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using salt::Vector2f;
using salt::Vector3f;

namespace {
const float kTol = 1e-5f;

void expectVec(const Vector3f& v, float x, float y, float z) {
    EXPECT_NEAR(v.x(), x, kTol);
    EXPECT_NEAR(v.y(), y, kTol);
    EXPECT_NEAR(v.z(), z, kTol);
}
}  // namespace

TEST(Vector, IsAPlainValueOfItsComponentsOnly) {
    EXPECT_EQ(sizeof(Vector3f), 12u);
    EXPECT_EQ(sizeof(Vector2f), 8u);
    Vector3f v;
    expectVec(v, 0, 0, 0);
}

TEST(Vector, ArithmeticIsComponentWise) {
    const Vector3f a(1, 2, 3), b(4, -5, 6);
    expectVec(a + b, 5, -3, 9);
    expectVec(a - b, -3, 7, -3);
    expectVec(-a, -1, -2, -3);
    expectVec(a * 2.0f, 2, 4, 6);
    expectVec(b / 2.0f, 2, -2.5f, 3);
    Vector3f c = a;
    c += b;
    c *= 2.0f;
    c /= 4.0f;
    expectVec(c, 2.5f, -1.5f, 4.5f);
    EXPECT_FLOAT_EQ(a.Dot(b), 4 - 10 + 18);
    EXPECT_FLOAT_EQ(a.SquareLength(), 14);
    EXPECT_FLOAT_EQ(Vector2f(3, 4).Length(), 5);
}

TEST(Vector, CrossProductFollowsTheRightHandRule) {
    expectVec(Vector3f(1, 0, 0).Cross(Vector3f(0, 1, 0)), 0, 0, 1);
    expectVec(Vector3f(0, 1, 0).Cross(Vector3f(1, 0, 0)), 0, 0, -1);
    expectVec(Vector3f(1, 2, 3).Cross(Vector3f(4, 5, 6)), -3, 6, -3);
}

TEST(Vector, NormalizeGivesUnitLengthAndZeroVectorIsNotFinite) {
    Vector3f v(0, 3, 4);
    expectVec(v.Normalized(), 0, 0.6f, 0.8f);
    expectVec(v, 0, 3, 4);
    v.Normalize();
    expectVec(v, 0, 0.6f, 0.8f);
    EXPECT_FALSE(std::isfinite(Vector3f(0, 0, 0).Normalized().x()));
}

TEST(Vector, PolarConstructionMatchesTheVisionConvention) {
    struct Case {
        float d, theta, phi, x, y, z;
    };
    const Case cases[] = {
        {2, 0, 0, 2, 0, 0},
        {2, 90, 0, 0, 2, 0},
        {1, 0, 90, 0, 0, 1},
        {1, 180, 0, -1, 0, 0},
        {2, 45, 30, 1.2247449f, 1.2247449f, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.d << " " << c.theta << " " << c.phi);
        expectVec(Vector3f(c.d, c.theta, c.phi, salt::ePolar), c.x, c.y, c.z);
    }
    const Vector2f p(2, 90, salt::ePolar);
    EXPECT_NEAR(p.x(), 0, kTol);
    EXPECT_NEAR(p.y(), 2, kTol);
    expectVec(Vector3f(2, 90, 0), 2, 90, 0);
}

TEST(ScalarHelpers, NormalizeDegKeepsBothEndsOfTheRange) {
    const double cases[][2] = {{540, 180},  {-540, -180},   {180, 180}, {-180, -180},
                               {190, -170}, {-190, 170},    {720, 0},   {359, -1},
                               {0, 0},      {1e9 + 30, -50}};
    for (const auto& c : cases) {
        EXPECT_NEAR(salt::gNormalizeDeg(c[0]), c[1], 1e-6) << c[0];
    }
    EXPECT_TRUE(std::isnan(salt::gNormalizeDeg(std::numeric_limits<double>::infinity())));
}

TEST(ScalarHelpers, SignOfZeroIsZero) {
    EXPECT_EQ(salt::gSign(0.0f), 0);
    EXPECT_EQ(salt::gSign(-0.0f), 0);
    EXPECT_EQ(salt::gSign(2.5f), 1);
    EXPECT_EQ(salt::gSign(-1e-30f), -1);
    EXPECT_NEAR(salt::gDegToRad(180.0), salt::gPI, 1e-12);
    EXPECT_NEAR(salt::gRadToDeg(salt::gHalfPI), 90.0, 1e-12);
}
