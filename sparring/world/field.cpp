#include "sparring/world/field.h"

#include <cmath>
#include <stdexcept>

namespace sparring {

const std::array<Landmark, 8> kLandmarks = designFieldSpec().landmarks();

std::array<Landmark, 8> FieldSpec::landmarks() const {
    const double l = length / 2, w = width / 2, g = goalWidth / 2;
    return {{
        {"F1L", {-l, w, 0}},
        {"F1R", {l, w, 0}},
        {"F2L", {-l, -w, 0}},
        {"F2R", {l, -w, 0}},
        {"G1L", {-l, g, postHeight}},
        {"G1R", {l, g, postHeight}},
        {"G2L", {-l, -g, postHeight}},
        {"G2R", {l, -g, postHeight}},
    }};
}

std::vector<FieldLine> fieldLines(const FieldSpec& field) {
    const double l = field.length / 2, w = field.width / 2;
    std::vector<FieldLine> lines = {
        {{-l, w, 0}, {l, w, 0}},    // touch lines
        {{-l, -w, 0}, {l, -w, 0}},  //
        {{-l, -w, 0}, {-l, w, 0}},  // goal lines
        {{l, -w, 0}, {l, w, 0}},    //
        {{0, -w, 0}, {0, w, 0}},    // halfway line
    };
    const int n = field.centreCircleSegments;
    for (int i = 0; i < n; ++i) {
        const double a0 = 2 * M_PI * i / n, a1 = 2 * M_PI * (i + 1) / n;
        const double r = field.centreRadius;
        lines.push_back(
            {{r * std::cos(a0), r * std::sin(a0), 0}, {r * std::cos(a1), r * std::sin(a1), 0}});
    }
    const double p = field.penaltyWidth / 2;
    for (double side : {-1.0, 1.0}) {
        const double line = side * l, front = side * (l - field.penaltyDepth);
        lines.push_back({{line, p, 0}, {front, p, 0}});
        lines.push_back({{front, p, 0}, {front, -p, 0}});
        lines.push_back({{front, -p, 0}, {line, -p, 0}});
    }
    return lines;
}

const FieldSpec& designFieldSpec() {
    static const FieldSpec field{"12x8", kFieldLength, kFieldWidth, kGoalWidth, kPostHeight,
                                 1.0,    1.2,          2.6,         10,         false};
    return field;
}

const FieldSpec& leagueFieldSpec() {
    static const FieldSpec field{"30x20", 30.0, 20.0, 2.1, kPostHeight, 2.0, 1.8, 6.0, 10, true};
    return field;
}

const FieldSpec& fieldSpecNamed(const std::string& name) {
    for (const FieldSpec* field : {&designFieldSpec(), &leagueFieldSpec()}) {
        if (name == field->name) return *field;
    }
    throw std::invalid_argument("unknown field \"" + name + "\" (12x8 or 30x20)");
}

const char* sideName(Side side) {
    return side == Side::Left ? "left" : "right";
}

Side otherSide(Side side) {
    return side == Side::Left ? Side::Right : Side::Left;
}

Vec3 toServerFrame(Side side, const Vec3& v) {
    if (side == Side::Left) return v;
    return {-v.x, -v.y, v.z};
}

double headingToServerFrame(Side side, double degrees) {
    if (side == Side::Left) return normalizeDegrees(degrees);
    return normalizeDegrees(degrees + 180.0);
}

}  // namespace sparring
