#include "math/matrix.h"

#include <gtest/gtest.h>

#include <random>

using salt::Matrix;
using salt::Vector3f;

namespace {
const float kTol = 1e-5f;
const float kHalfPi = static_cast<float>(salt::gHalfPI);

void expectVec(const Vector3f& v, float x, float y, float z) {
    EXPECT_NEAR(v.x(), x, kTol);
    EXPECT_NEAR(v.y(), y, kTol);
    EXPECT_NEAR(v.z(), z, kTol);
}

void expectNear(const Matrix& a, const Matrix& b, float tol) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], tol) << "index " << i;
}

Matrix randomMatrix(std::mt19937& rng) {
    std::uniform_real_distribution<float> dist(-2.0f, 2.0f);
    Matrix m;
    for (float& e : m.m) e = dist(rng);
    return m;
}
}  // namespace

TEST(Matrix, SetTakesRowsAndStoresColumnMajor) {
    Matrix m;
    m.Set(0, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(m.El(0, 1), 7);
    EXPECT_EQ(m.El(1, 0), 0);
    EXPECT_EQ(m.m[4], 7);
    EXPECT_EQ(m(0, 1), 7);
}

TEST(Matrix, PosAliasesTheTranslationColumn) {
    Matrix m;
    m.Translation(Vector3f(1, 2, 3));
    expectVec(m.Pos(), 1, 2, 3);
    EXPECT_EQ(m.m[12], 1);
    EXPECT_EQ(m.m[13], 2);
    EXPECT_EQ(m.m[14], 3);
    m.Pos() = Vector3f(4, 5, 6);
    EXPECT_EQ(m.El(0, 3), 4);
    EXPECT_EQ(m.El(2, 3), 6);
    EXPECT_EQ(m.El(3, 3), 1);
}

TEST(Matrix, AxisRotationsTurnCounterClockwise) {
    struct Case {
        void (Matrix::*build)(float);
        Vector3f in, out;
    };
    const Case cases[] = {
        {&Matrix::RotationZ, Vector3f(1, 0, 0), Vector3f(0, 1, 0)},
        {&Matrix::RotationX, Vector3f(0, 1, 0), Vector3f(0, 0, 1)},
        {&Matrix::RotationY, Vector3f(0, 0, 1), Vector3f(1, 0, 0)},
    };
    for (const Case& c : cases) {
        Matrix m;
        (m.*c.build)(kHalfPi);
        expectVec(m.Rotate(c.in), c.out.x(), c.out.y(), c.out.z());
    }
}

TEST(Matrix, RotateMultipliesOnTheRight) {
    std::mt19937 rng(7);
    struct Case {
        void (Matrix::*rotate)(float);
        void (Matrix::*build)(float);
    };
    const Case cases[] = {{&Matrix::RotateX, &Matrix::RotationX},
                          {&Matrix::RotateY, &Matrix::RotationY},
                          {&Matrix::RotateZ, &Matrix::RotationZ}};
    for (const Case& c : cases) {
        const Matrix base = randomMatrix(rng);
        Matrix rotated = base;
        (rotated.*c.rotate)(0.7f);
        Matrix r;
        (r.*c.build)(0.7f);
        expectNear(rotated, base * r, 1e-5f);
        EXPECT_FALSE(rotated.IsEqual(r * base));
    }
}

TEST(Matrix, TransformAddsTranslationRotateDoesNot) {
    Matrix m;
    m.RotationZ(kHalfPi);
    m.Pos() = Vector3f(10, 20, 30);
    expectVec(m.Rotate(Vector3f(1, 0, 0)), 0, 1, 0);
    expectVec(m.Transform(Vector3f(1, 0, 0)), 10, 21, 30);
}

TEST(Matrix, ProductAppliesRightOperandFirst) {
    Matrix t, r;
    t.Translation(Vector3f(1, 0, 0));
    r.RotationZ(kHalfPi);
    expectVec((t * r).Transform(Vector3f(1, 0, 0)), 1, 1, 0);
    expectVec((r * t).Transform(Vector3f(1, 0, 0)), 0, 2, 0);
    Matrix acc = t;
    acc *= r;
    EXPECT_TRUE(acc.IsEqual(t * r));
}

TEST(Matrix, InvertMatrixGivesTheInverseAndLeavesSingularUnchanged) {
    std::mt19937 rng(11);
    Matrix identity;
    identity.Identity();
    for (int i = 0; i < 20; ++i) {
        const Matrix a = randomMatrix(rng);
        Matrix inv = a;
        inv.InvertMatrix();
        expectNear(a * inv, identity, 1e-3f);
    }
    Matrix singular;
    singular.Set(1, 2, 3, 4, 2, 4, 6, 8, 0, 1, 0, 1, 5, 0, 0, 1);
    Matrix copy = singular;
    copy.InvertMatrix();
    EXPECT_TRUE(copy.IsEqual(singular));
}

TEST(Matrix, InvertRotationMatrixUndoesARigidTransform) {
    Matrix m;
    m.RotationY(0.3f);
    m.RotateZ(-1.1f);
    m.Pos() = Vector3f(1, -2, 0.5f);
    Matrix inv = m;
    inv.InvertRotationMatrix();
    const Vector3f p(0.3f, 0.7f, -2.0f);
    const Vector3f back = inv.Transform(m.Transform(p));
    expectVec(back, p.x(), p.y(), p.z());
    EXPECT_EQ(inv.El(3, 3), 1);
}

TEST(Matrix, LookAtRowsAreTheNormalisedAxes) {
    Matrix m;
    const Vector3f eye(1, 2, 3);
    m.LookAt(eye, Vector3f(0, 2, 0), Vector3f(0, 0, 5));
    // rows: a = +y, b = +z, b x a = -x
    const float rows[3][3] = {{0, 1, 0}, {0, 0, 1}, {-1, 0, 0}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(m.El(r, c), rows[r][c], kTol);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(m.El(3, c), 0);
    EXPECT_EQ(m.El(3, 3), 1);
    // p - eye = (1, 1, 1) expressed on the axes (y, z, -x)
    expectVec(m.Transform(Vector3f(2, 3, 4)), 1, 1, -1);
    expectVec(m.Pos(), -2, -3, 1);
}

TEST(Matrix, IsEqualRejectsNaN) {
    Matrix a;
    a.Identity();
    Matrix b = a;
    EXPECT_TRUE(a.IsEqual(b));
    b.m[5] = std::nanf("");
    EXPECT_FALSE(b.IsEqual(b));
}

TEST(Matrix, DumpPrintsRowsFirst) {
    Matrix m;
    m.Translation(Vector3f(1, 2, 3));
    testing::internal::CaptureStdout();
    m.Dump();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "1.000000 0.000000 0.000000 1.000000\n"
              "0.000000 1.000000 0.000000 2.000000\n"
              "0.000000 0.000000 1.000000 3.000000\n"
              "0.000000 0.000000 0.000000 1.000000\n");
}

TEST(Matrix, InfiniteProjectionUsesHorizontalFieldOfView) {
    Matrix p;
    p.CalcInfiniteProjection(200, 100, 90, 1);
    // h = tan(45 deg) = 1, v = 0.5
    EXPECT_NEAR(p.El(0, 0), 1.0f, kTol);
    EXPECT_NEAR(p.El(1, 1), 2.0f, kTol);
    EXPECT_NEAR(p.El(0, 2), 0.0f, kTol);
    EXPECT_FLOAT_EQ(p.El(2, 2), -0.99999988f);
    EXPECT_FLOAT_EQ(p.El(2, 3), -2.0f * 0.99999988f);
    EXPECT_EQ(p.El(3, 2), -1);
    EXPECT_EQ(p.El(3, 3), 0);
}

TEST(Matrix, AttenuationMapsTheLightSphereIntoTheUnitCube) {
    Matrix a;
    const Vector3f light(2, 3, 4);
    a.CalcAttenuationNoRotation(light, 2);
    expectVec(a.Transform(light), 0.5f, 0.5f, 0.5f);
    expectVec(a.Transform(Vector3f(4, 3, 4)), 1, 0.5f, 0.5f);

    Matrix pose;
    pose.Translation(light);
    Matrix b;
    b.CalcAttenuationWithRotation(pose, 2);
    expectNear(a, b, kTol);
}
