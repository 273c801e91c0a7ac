#ifndef HALYX_MATH_GMATH_H
#define HALYX_MATH_GMATH_H

// Scalar helpers and constants shared by every geometry computation.

#include <cmath>

namespace salt {

const double gPI = 3.141592653589793;
const double g2PI = 6.283185307179586;
const double gHalfPI = 1.5707963267948966;

template <typename T>
inline T gDegToRad(T x) {
    return static_cast<T>(x * 0.017453292519943295);
}

template <typename T>
inline T gRadToDeg(T x) {
    return static_cast<T>(x * 57.29577951308232);
}

// Brings an angle in degrees into [-180, 180], keeping both ends as they are.
// Very large magnitudes are reduced with fmod first so the loops stay short, and
// an infinite angle, which no number of turns can reduce, gives NaN instead of
// looping for ever.
inline double gNormalizeDeg(double x) {
    if (std::isinf(x)) return std::nan("");
    if (std::fabs(x) > 1.0e6) x = std::fmod(x, 360.0);
    while (x > 180.0) x -= 360.0;
    while (x < -180.0) x += 360.0;
    return x;
}

template <typename T>
inline T gSin(T x) {
    return static_cast<T>(std::sin(static_cast<double>(x)));
}

template <typename T>
inline T gCos(T x) {
    return static_cast<T>(std::cos(static_cast<double>(x)));
}

inline float gSqrt(float x) {
    return static_cast<float>(std::sqrt(static_cast<double>(x)));
}

inline int gSign(float x) {
    if (x > 0.0f) return 1;
    if (x < 0.0f) return -1;
    return 0;
}

inline void gSwap(float& a, float& b) {
    float t = a;
    a = b;
    b = t;
}

}  // namespace salt

#endif
