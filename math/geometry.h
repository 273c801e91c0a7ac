#ifndef HALYX_MATH_GEOMETRY_H
#define HALYX_MATH_GEOMETRY_H

// Angle units, the conversion between the server's polar vision readings and
// camera-frame vectors, rotation about an arbitrary line, and 2-D lines.

#include "math/vector.h"
#include "worldmodel/senses.h"

float DegToRad(float x);
float RadToDeg(float x);

// A reading (distance in metres, theta and phi in degrees) as a camera-frame vector.
salt::Vector3f PolarToCartecian(const VisionSense& s);
// The same with x as distance, y as theta and z as phi.
salt::Vector3f PolarToCartecian(const salt::Vector3f& p);
// Inverse of PolarToCartecian; the zero vector has no direction and gives NaN angles.
VisionSense CartecianToPolar(salt::Vector3f v);

// point turned by angle degrees (right-hand rule) about the line through
// linePoint with the given direction. The direction need not be of unit length.
salt::Vector3f rotateAroundLine(salt::Vector3f point, salt::Vector3f direction, double angle,
                                salt::Vector3f linePoint);

// The sine and cosine of a turn of some degrees, worked out once where many points
// are turned by the same angle.
struct Turn {
    explicit Turn(double degrees);
    double sine, cosine;
};

// rotateAroundLine by a turn worked out before: the same result as by its angle.
salt::Vector3f rotateAroundLine(salt::Vector3f point, salt::Vector3f direction, const Turn& turn,
                                salt::Vector3f linePoint);

namespace rcsc {

// A point of the plane in double precision.
struct Vector2D {
    Vector2D() : x(0.0), y(0.0) {}
    Vector2D(double x_, double y_) : x(x_), y(y_) {}

    double x;
    double y;
};

// The line a*x + b*y + c = 0.
class Line2D {
public:
    Line2D(double a, double b, double c) : mA(a), mB(b), mC(c) {}
    // The line through p1 and p2.
    Line2D(const salt::Vector2f& p1, const salt::Vector2f& p2);

    double a() const { return mA; }
    double b() const { return mB; }
    double c() const { return mC; }

    const Line2D& assign(const Vector2D& p1, const Vector2D& p2);
    // The crossing point; parallel lines are not detected and give inf or NaN.
    salt::Vector2f intersection2f(const Line2D& other) const;

private:
    double mA;
    double mB;
    double mC;
};

}  // namespace rcsc

#endif
