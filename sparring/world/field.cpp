#include "sparring/world/field.h"

namespace sparring {

const std::array<Landmark, 8> kLandmarks = {{
    {"F1L", {-kFieldLength / 2, kFieldWidth / 2, 0}},
    {"F1R", {kFieldLength / 2, kFieldWidth / 2, 0}},
    {"F2L", {-kFieldLength / 2, -kFieldWidth / 2, 0}},
    {"F2R", {kFieldLength / 2, -kFieldWidth / 2, 0}},
    {"G1L", {-kFieldLength / 2, kGoalWidth / 2, kPostHeight}},
    {"G1R", {kFieldLength / 2, kGoalWidth / 2, kPostHeight}},
    {"G2L", {-kFieldLength / 2, -kGoalWidth / 2, kPostHeight}},
    {"G2R", {kFieldLength / 2, -kGoalWidth / 2, kPostHeight}},
}};

const char* sideName(Side side) {
    return side == Side::Left ? "left" : "right";
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
