#include "math/matrix.h"

#include <cstdio>

namespace salt {

namespace {
const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
// 1 - 2^-23: keeps depth values just inside the far plane at infinity.
const float kInfiniteDepth = 0.99999988f;
}  // namespace

const Matrix Matrix::mIdentity(kIdentity);

Matrix::Matrix() {
    zero();
}

Matrix::Matrix(const float* src) {
    for (int i = 0; i < 16; ++i) m[i] = src[i];
}

void Matrix::Identity() {
    *this = mIdentity;
}

void Matrix::zero() {
    for (float& e : m) e = 0.0f;
}

void Matrix::Set(float m00, float m01, float m02, float m03, float m10, float m11, float m12,
                 float m13, float m20, float m21, float m22, float m23, float m30, float m31,
                 float m32, float m33) {
    const float rows[16] = {m00, m01, m02, m03, m10, m11, m12, m13,
                            m20, m21, m22, m23, m30, m31, m32, m33};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) El(r, c) = rows[r * 4 + c];
}

void Matrix::Translation(const Vector3f& v) {
    Identity();
    Pos() = v;
}

void Matrix::Scale(const Vector3f& v) {
    Identity();
    El(0, 0) = v.x();
    El(1, 1) = v.y();
    El(2, 2) = v.z();
}

void Matrix::RotationX(float a) {
    const float c = gCos(a), s = gSin(a);
    Identity();
    El(1, 1) = c;
    El(1, 2) = -s;
    El(2, 1) = s;
    El(2, 2) = c;
}

void Matrix::RotationY(float a) {
    const float c = gCos(a), s = gSin(a);
    Identity();
    El(0, 0) = c;
    El(0, 2) = s;
    El(2, 0) = -s;
    El(2, 2) = c;
}

void Matrix::RotationZ(float a) {
    const float c = gCos(a), s = gSin(a);
    Identity();
    El(0, 0) = c;
    El(0, 1) = -s;
    El(1, 0) = s;
    El(1, 1) = c;
}

namespace {
// Right-multiplies by a rotation that mixes only columns i and j:
// new col i = c*col i + s*col j, new col j = -s*col i + c*col j.
void mixColumns(Matrix& mat, int i, int j, float c, float s) {
    for (int r = 0; r < 4; ++r) {
        const float a = mat.El(r, i), b = mat.El(r, j);
        mat.El(r, i) = a * c + b * s;
        mat.El(r, j) = -a * s + b * c;
    }
}
}  // namespace

void Matrix::RotateX(float a) {
    mixColumns(*this, 1, 2, gCos(a), gSin(a));
}
// RotationY carries +sin at (0,2), so the mix runs from column 2 into column 0.
void Matrix::RotateY(float a) {
    mixColumns(*this, 2, 0, gCos(a), gSin(a));
}
void Matrix::RotateZ(float a) {
    mixColumns(*this, 0, 1, gCos(a), gSin(a));
}

Vector3f Matrix::Rotate(const Vector3f& v) const {
    return Vector3f(El(0, 0) * v.x() + El(0, 1) * v.y() + El(0, 2) * v.z(),
                    El(1, 0) * v.x() + El(1, 1) * v.y() + El(1, 2) * v.z(),
                    El(2, 0) * v.x() + El(2, 1) * v.y() + El(2, 2) * v.z());
}

Vector3f Matrix::Transform(const Vector3f& v) const {
    return Rotate(v) + Pos();
}

Matrix Matrix::operator*(const Matrix& b) const {
    Matrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += El(i, k) * b.El(k, j);
            r.El(i, j) = sum;
        }
    }
    return r;
}

Matrix& Matrix::operator*=(const Matrix& b) {
    *this = *this * b;
    return *this;
}

void Matrix::InvertRotationMatrix() {
    gSwap(El(1, 0), El(0, 1));
    gSwap(El(2, 0), El(0, 2));
    gSwap(El(2, 1), El(1, 2));
    const Vector3f t = Pos();
    Pos() = -Rotate(t);
}

void Matrix::InvertMatrix() {
    const Matrix& a = *this;
    // 2x2 minors of columns 0-1 (s) and of columns 2-3 (c).
    const float s0 = a(0, 0) * a(1, 1) - a(1, 0) * a(0, 1);
    const float s1 = a(0, 0) * a(2, 1) - a(2, 0) * a(0, 1);
    const float s2 = a(0, 0) * a(3, 1) - a(3, 0) * a(0, 1);
    const float s3 = a(1, 0) * a(2, 1) - a(2, 0) * a(1, 1);
    const float s4 = a(1, 0) * a(3, 1) - a(3, 0) * a(1, 1);
    const float s5 = a(2, 0) * a(3, 1) - a(3, 0) * a(2, 1);
    const float c5 = a(2, 2) * a(3, 3) - a(3, 2) * a(2, 3);
    const float c4 = a(1, 2) * a(3, 3) - a(3, 2) * a(1, 3);
    const float c3 = a(1, 2) * a(2, 3) - a(2, 2) * a(1, 3);
    const float c2 = a(0, 2) * a(3, 3) - a(3, 2) * a(0, 3);
    const float c1 = a(0, 2) * a(2, 3) - a(2, 2) * a(0, 3);
    const float c0 = a(0, 2) * a(1, 3) - a(1, 2) * a(0, 3);
    const float det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (det == 0.0f) return;
    const float k = 1.0f / det;

    Matrix r;
    r(0, 0) = (a(1, 1) * c5 - a(2, 1) * c4 + a(3, 1) * c3) * k;
    r(1, 0) = (-a(1, 0) * c5 + a(2, 0) * c4 - a(3, 0) * c3) * k;
    r(2, 0) = (a(1, 3) * s5 - a(2, 3) * s4 + a(3, 3) * s3) * k;
    r(3, 0) = (-a(1, 2) * s5 + a(2, 2) * s4 - a(3, 2) * s3) * k;
    r(0, 1) = (-a(0, 1) * c5 + a(2, 1) * c2 - a(3, 1) * c1) * k;
    r(1, 1) = (a(0, 0) * c5 - a(2, 0) * c2 + a(3, 0) * c1) * k;
    r(2, 1) = (-a(0, 3) * s5 + a(2, 3) * s2 - a(3, 3) * s1) * k;
    r(3, 1) = (a(0, 2) * s5 - a(2, 2) * s2 + a(3, 2) * s1) * k;
    r(0, 2) = (a(0, 1) * c4 - a(1, 1) * c2 + a(3, 1) * c0) * k;
    r(1, 2) = (-a(0, 0) * c4 + a(1, 0) * c2 - a(3, 0) * c0) * k;
    r(2, 2) = (a(0, 3) * s4 - a(1, 3) * s2 + a(3, 3) * s0) * k;
    r(3, 2) = (-a(0, 2) * s4 + a(1, 2) * s2 - a(3, 2) * s0) * k;
    r(0, 3) = (-a(0, 1) * c3 + a(1, 1) * c1 - a(2, 1) * c0) * k;
    r(1, 3) = (a(0, 0) * c3 - a(1, 0) * c1 + a(2, 0) * c0) * k;
    r(2, 3) = (-a(0, 3) * s3 + a(1, 3) * s1 - a(2, 3) * s0) * k;
    r(3, 3) = (a(0, 2) * s3 - a(1, 2) * s1 + a(2, 2) * s0) * k;
    *this = r;
}

void Matrix::LookAt(const Vector3f& eye, const Vector3f& a, const Vector3f& b) {
    const Vector3f row0 = a.Normalized();
    const Vector3f row1 = b.Normalized();
    const Vector3f row2 = row1.Cross(row0).Normalized();
    const Vector3f rows[3] = {row0, row1, row2};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) El(r, c) = rows[r][c];
    }
    El(3, 0) = El(3, 1) = El(3, 2) = 0.0f;
    El(3, 3) = 1.0f;
    Pos() = Rotate(-eye);
}

bool Matrix::IsEqual(const Matrix& b) const {
    for (int i = 0; i < 16; ++i) {
        if (!(m[i] == b.m[i])) return false;
    }
    return true;
}

void Matrix::Dump() const {
    for (int r = 0; r < 4; ++r) {
        std::printf("%f %f %f %f\n", El(r, 0), El(r, 1), El(r, 2), El(r, 3));
    }
}

void Matrix::CalcInfiniteFrustum(float left, float right, float bottom, float top, float zNear) {
    Identity();
    El(0, 0) = 2.0f * zNear / (right - left);
    El(0, 2) = (right + left) / (right - left);
    El(1, 1) = 2.0f * zNear / (top - bottom);
    El(1, 2) = (top + bottom) / (top - bottom);
    El(2, 2) = -kInfiniteDepth;
    El(2, 3) = zNear * -2.0f * kInfiniteDepth;
    El(3, 2) = -1.0f;
    El(3, 3) = 0.0f;
}

void Matrix::CalcInfiniteProjection(float width, float height, float fovDegrees, float zNear) {
    const float h = static_cast<float>(std::tan(gDegToRad(fovDegrees * 0.5f))) * zNear;
    const float v = h * height / width;
    CalcInfiniteFrustum(-h, h, -v, v, zNear);
}

Matrix Matrix::translationOf(float x, float y, float z) {
    Matrix t;
    t.Translation(Vector3f(x, y, z));
    return t;
}

// Maps the sphere of the given radius around the light into the unit cube, once
// toLight has moved the light to the origin.
Matrix Matrix::attenuation(const Matrix& toLight, float radius) {
    const float s = 0.5f / radius;
    Matrix scale;
    scale.Scale(Vector3f(s, s, s));
    return translationOf(0.5f, 0.5f, 0.5f) * scale * toLight;
}

void Matrix::CalcAttenuationNoRotation(const Vector3f& pos, float radius) {
    *this = attenuation(translationOf(-pos.x(), -pos.y(), -pos.z()), radius);
}

void Matrix::CalcAttenuationWithRotation(const Matrix& lightWorldMatrix, float radius) {
    Matrix inverse = lightWorldMatrix;
    inverse.InvertRotationMatrix();
    *this = attenuation(inverse, radius);
}

void Matrix::CalcSpotLight(const Matrix& lightWorldTransform, float fovDegrees, float width,
                           float height, float zNear) {
    Matrix scale;
    scale.Scale(Vector3f(0.5f, 0.5f, 0.5f));
    Matrix projection;
    projection.CalcInfiniteProjection(width, height, fovDegrees, zNear);
    Matrix inverse = lightWorldTransform;
    inverse.InvertRotationMatrix();
    *this = translationOf(0.5f, 0.5f, 0.5f) * scale * projection * inverse;
}

}  // namespace salt
