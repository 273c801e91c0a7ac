#ifndef HALYX_MATH_MATRIX_H
#define HALYX_MATH_MATRIX_H

// A 4x4 float transform. Storage is column-major: element (row r, column c) lives
// at index c * 4 + r, and the translation is the fourth column (indices 12-14).
// Points are column vectors, so A * B applies B first. Angles are radians.

#include "math/vector.h"

namespace salt {

// Rigid and projective transforms of the body model, the kinematics and the
// camera pose.
class Matrix {
public:
    // Zero-filled: a matrix read before its first write behaves as "no transform".
    Matrix();
    // Copies 16 floats that are already column-major.
    explicit Matrix(const float* m);

    float& El(int r, int c) { return m[c * 4 + r]; }
    const float& El(int r, int c) const { return m[c * 4 + r]; }
    float& operator()(int r, int c) { return El(r, c); }
    const float& operator()(int r, int c) const { return El(r, c); }

    // The translation column, as a vector that aliases indices 12-14.
    Vector3f& Pos() { return *reinterpret_cast<Vector3f*>(&m[12]); }
    const Vector3f& Pos() const { return *reinterpret_cast<const Vector3f*>(&m[12]); }

    void Identity();
    void zero();
    // Sixteen values given row by row (mRC is row R, column C).
    void Set(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13,
             float m20, float m21, float m22, float m23, float m30, float m31, float m32,
             float m33);

    void Translation(const Vector3f& v);
    void Scale(const Vector3f& v);
    void RotationX(float a);
    void RotationY(float a);
    void RotationZ(float a);
    // this = this * RotationX/Y/Z(a): a turn about the matrix's own local axis.
    void RotateX(float a);
    void RotateY(float a);
    void RotateZ(float a);

    // The upper-left 3x3 block applied to v, without the translation.
    Vector3f Rotate(const Vector3f& v) const;
    // The full transform of a point: rotation plus translation.
    Vector3f Transform(const Vector3f& v) const;

    Matrix operator*(const Matrix& b) const;
    Matrix& operator*=(const Matrix& b);

    // Inverse of a rotation plus translation (the rotation block is transposed).
    void InvertRotationMatrix();
    // General inverse; a singular matrix is left as it is.
    void InvertMatrix();
    // Rows 0 and 1 of the rotation become the normalised a and b, row 2 their
    // cross product b x a; the result maps p to its coordinates in a frame at eye.
    void LookAt(const Vector3f& eye, const Vector3f& a, const Vector3f& b);

    bool IsEqual(const Matrix& b) const;
    // Prints the four rows to standard output.
    void Dump() const;

    void CalcInfiniteFrustum(float left, float right, float bottom, float top, float zNear);
    // fovDegrees is the horizontal field of view.
    void CalcInfiniteProjection(float width, float height, float fovDegrees, float zNear);
    void CalcAttenuationNoRotation(const Vector3f& pos, float radius);
    void CalcAttenuationWithRotation(const Matrix& lightWorldMatrix, float radius);
    void CalcSpotLight(const Matrix& lightWorldTransform, float fovDegrees, float width,
                       float height, float zNear);

    static const Matrix mIdentity;

    float m[16];

private:
    static Matrix translationOf(float x, float y, float z);
    static Matrix attenuation(const Matrix& toLight, float radius);
};

}  // namespace salt

#endif
