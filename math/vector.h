#ifndef HALYX_MATH_VECTOR_H
#define HALYX_MATH_VECTOR_H

// Small fixed-size float vectors: positions (metres), velocities (m/s), gyro
// rates (degrees/s) and directions all use these value types.

#include <cstddef>

#include "math/gmath.h"

namespace salt {

// How the numbers given to a vector constructor are read: 0 means cartesian
// components, any other value polar input (distance and angles in degrees).
typedef int vType;
const vType eCartesian = 0;
const vType ePolar = 1;

// N contiguous components of DATATYPE with the arithmetic every vector shares;
// TYPE is the concrete vector type, so results come back as that type.
template <typename DATATYPE, int ELEMENTS, typename TYPE>
class TVector {
public:
    // Zero-filled, so that a vector read before its first write is at least
    // deterministic.
    TVector() {
        for (int i = 0; i < ELEMENTS; ++i) mData[i] = DATATYPE(0);
    }

    DATATYPE& El(int i) { return mData[i]; }
    const DATATYPE& El(int i) const { return mData[i]; }
    DATATYPE& operator[](int i) { return mData[i]; }
    const DATATYPE& operator[](int i) const { return mData[i]; }

    TYPE operator+(const TYPE& v) const {
        TYPE r = self();
        for (int i = 0; i < ELEMENTS; ++i) r.mData[i] += v.mData[i];
        return r;
    }
    TYPE operator-(const TYPE& v) const {
        TYPE r = self();
        for (int i = 0; i < ELEMENTS; ++i) r.mData[i] -= v.mData[i];
        return r;
    }
    TYPE operator-() const {
        TYPE r = self();
        for (int i = 0; i < ELEMENTS; ++i) r.mData[i] = -r.mData[i];
        return r;
    }
    TYPE operator*(DATATYPE f) const {
        TYPE r = self();
        r *= f;
        return r;
    }
    TYPE operator/(DATATYPE f) const {
        TYPE r = self();
        r /= f;
        return r;
    }
    TYPE& operator+=(const TYPE& v) {
        for (int i = 0; i < ELEMENTS; ++i) mData[i] += v.mData[i];
        return self();
    }
    TYPE& operator-=(const TYPE& v) {
        for (int i = 0; i < ELEMENTS; ++i) mData[i] -= v.mData[i];
        return self();
    }
    TYPE& operator*=(DATATYPE f) {
        for (int i = 0; i < ELEMENTS; ++i) mData[i] *= f;
        return self();
    }
    TYPE& operator/=(DATATYPE f) {
        for (int i = 0; i < ELEMENTS; ++i) mData[i] /= f;
        return self();
    }

    DATATYPE Dot(const TYPE& v) const {
        DATATYPE sum = DATATYPE(0);
        for (int i = 0; i < ELEMENTS; ++i) sum += mData[i] * v.mData[i];
        return sum;
    }
    DATATYPE SquareLength() const { return Dot(self()); }
    DATATYPE Length() const { return gSqrt(SquareLength()); }

    // No guard against the zero vector: callers never normalise one.
    TYPE Normalized() const { return self() * (DATATYPE(1) / Length()); }
    TYPE& Normalize() { return *this *= (DATATYPE(1) / Length()); }

protected:
    DATATYPE mData[ELEMENTS];

private:
    TYPE& self() { return static_cast<TYPE&>(*this); }
    const TYPE& self() const { return static_cast<const TYPE&>(*this); }
};

// Adds the named accessors and the cross product of three-component vectors.
template <typename DATATYPE, typename TYPE>
class TVector3 : public TVector<DATATYPE, 3, TYPE> {
public:
    TVector3() = default;
    TVector3(DATATYPE x, DATATYPE y, DATATYPE z) { Set(x, y, z); }

    DATATYPE& x() { return this->mData[0]; }
    DATATYPE& y() { return this->mData[1]; }
    DATATYPE& z() { return this->mData[2]; }
    const DATATYPE& x() const { return this->mData[0]; }
    const DATATYPE& y() const { return this->mData[1]; }
    const DATATYPE& z() const { return this->mData[2]; }

    void Set(DATATYPE x, DATATYPE y, DATATYPE z) {
        this->mData[0] = x;
        this->mData[1] = y;
        this->mData[2] = z;
    }

    TYPE Cross(const TYPE& v) const {
        TYPE r;
        r.Set(y() * v.z() - z() * v.y(), z() * v.x() - x() * v.z(), x() * v.y() - y() * v.x());
        return r;
    }
};

// Adds the named accessors of two-component vectors.
template <typename DATATYPE, typename TYPE>
class TVector2 : public TVector<DATATYPE, 2, TYPE> {
public:
    TVector2() = default;
    TVector2(DATATYPE x, DATATYPE y) { Set(x, y); }

    DATATYPE& x() { return this->mData[0]; }
    DATATYPE& y() { return this->mData[1]; }
    const DATATYPE& x() const { return this->mData[0]; }
    const DATATYPE& y() const { return this->mData[1]; }

    void Set(DATATYPE x, DATATYPE y) {
        this->mData[0] = x;
        this->mData[1] = y;
    }
};

// A point or direction in space: x, y, z in metres (or the unit of whatever it
// carries).
class Vector3f : public TVector3<float, Vector3f> {
public:
    Vector3f() = default;
    // Polar input (type != 0) reads x as distance, y as the horizontal angle and
    // z as the vertical angle, both in degrees.
    Vector3f(float x, float y, float z, vType type = eCartesian) {
        if (type == eCartesian) {
            Set(x, y, z);
            return;
        }
        const float theta = gDegToRad(y);
        const float phi = gDegToRad(z);
        Set(x * gCos(phi) * gCos(theta), x * gCos(phi) * gSin(theta), x * gSin(phi));
    }
};

// A point or direction in the plane.
class Vector2f : public TVector2<float, Vector2f> {
public:
    Vector2f() = default;
    // Polar input (type != 0) reads x as distance and y as the angle in degrees.
    Vector2f(float x, float y, vType type = eCartesian) {
        if (type == eCartesian) {
            Set(x, y);
            return;
        }
        const float a = gDegToRad(y);
        Set(x * gCos(a), x * gSin(a));
    }
};

}  // namespace salt

#endif
