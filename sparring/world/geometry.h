#ifndef SPARRING_GEOMETRY_H
#define SPARRING_GEOMETRY_H

// The server's own truth geometry in double precision: field points, rotations and the
// polar readings the vision perceptor reports.

namespace sparring {

// A point or direction in metres.
struct Vec3 {
    double x = 0, y = 0, z = 0;
};

Vec3 operator+(const Vec3& a, const Vec3& b);
Vec3 operator-(const Vec3& a, const Vec3& b);
Vec3 operator*(const Vec3& a, double s);
double length(const Vec3& v);

// A 3x3 rotation, rows m[r][c]; applied to column vectors.
struct Rot3 {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

    static Rot3 aboutX(double degrees);
    static Rot3 aboutZ(double degrees);
    static Rot3 aboutY(double degrees);
    Rot3 operator*(const Rot3& other) const;
    Vec3 apply(const Vec3& v) const;
    // The inverse rotation applied to v.
    Vec3 applyInverse(const Vec3& v) const;
};

// One vision reading: distance in metres, theta (counter-clockwise about z from the
// camera's x axis) and phi (towards +z) in degrees.
struct Polar {
    double distance = 0, theta = 0, phi = 0;
};

Polar toPolar(const Vec3& v);
// Angle in degrees between v and the +x axis (0 for the zero vector).
double angleFromXAxis(const Vec3& v);
// Normalises degrees into (-180, 180].
double normalizeDegrees(double degrees);

}  // namespace sparring

#endif
