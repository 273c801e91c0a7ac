#ifndef SPARRING_FIELD_H
#define SPARRING_FIELD_H

#include <array>

#include "sparring/world/geometry.h"

// The field in the server's frame, which is the left team's frame: the left team's goal
// at negative x, z up, metres.

namespace sparring {

constexpr double kFieldLength = 12.0;  // metres
constexpr double kFieldWidth = 8.0;    // metres
constexpr double kGoalWidth = 1.4;     // metres
constexpr double kPostHeight = 0.8;    // metres
constexpr double kBallRadius = 0.042;  // metres

// A corner flag or goal post the vision perceptor reports.
struct Landmark {
    const char* name;  // the name in the vision message
    Vec3 position;     // server frame, metres
};

// Corner flags and goal posts: "1" on the +y side, "2" on the -y side; "L" on the left
// team's goal line, "R" on the right team's.
extern const std::array<Landmark, 8> kLandmarks;

enum class Side { Left, Right };

const char* sideName(Side side);
// A position given in a team's own frame (own goal at negative x) in the server frame;
// the mapping is its own inverse.
Vec3 toServerFrame(Side side, const Vec3& v);
// A heading in degrees given in a team's own frame, in the server frame (and back).
double headingToServerFrame(Side side, double degrees);

}  // namespace sparring

#endif
