#ifndef SPARRING_FIELD_H
#define SPARRING_FIELD_H

#include <array>
#include <string>
#include <vector>

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

// Corner flags and goal posts of the design's field: "1" on the +y side, "2" on the -y
// side; "L" on the left team's goal line, "R" on the right team's.
extern const std::array<Landmark, 8> kLandmarks;

// A field a match can be played on, in the server's frame. The design's 12 x 8 field is
// the default; the league plays on 30 x 20.
struct FieldSpec {
    const char* name;          // as --field writes it, e.g. "12x8"
    double length;             // metres, goal line to goal line
    double width;              // metres, touch line to touch line
    double goalWidth;          // metres, between the posts
    double postHeight;         // metres, where vision sees a post
    double centreRadius;       // metres, of the centre circle
    double penaltyDepth;       // metres, of a penalty area from its goal line
    double penaltyWidth;       // metres, of a penalty area along its goal line
    int centreCircleSegments;  // the centre circle as this many straight lines
    // Whether vision in the newer forms reports the white lines: the league's server does;
    // on the design's field the messages stay as the design's server wrote them.
    bool linesInView;

    // The corner flags and goal posts, in the order of kLandmarks.
    std::array<Landmark, 8> landmarks() const;
};

// A straight white line of the field, on the ground: server frame, metres.
struct FieldLine {
    Vec3 a, b;
};

// The white lines vision reports: touch lines, goal lines, the halfway line, the centre
// circle as segments and the three lines of each penalty area.
std::vector<FieldLine> fieldLines(const FieldSpec& field);

const FieldSpec& designFieldSpec();  // 12 x 8 m, 1.4 m goal
const FieldSpec& leagueFieldSpec();  // 30 x 20 m, 2.1 m goal
// The field a name gives ("12x8" or "30x20"); throws std::invalid_argument otherwise.
const FieldSpec& fieldSpecNamed(const std::string& name);

enum class Side { Left, Right };

const char* sideName(Side side);
Side otherSide(Side side);
// A position given in a team's own frame (own goal at negative x) in the server frame;
// the mapping is its own inverse.
Vec3 toServerFrame(Side side, const Vec3& v);
// A heading in degrees given in a team's own frame, in the server frame (and back).
double headingToServerFrame(Side side, double degrees);

}  // namespace sparring

#endif
