#include "sparring/world/joints.h"

namespace sparring {

// Order: head, legs (joint numbers 1 to 6, left before right), arms (1 to 4, left before
// right); the ranges are those of the simulated humanoid.
const std::array<JointInfo, kJointCount> kJoints = {{
    {"hj1", "he1", -120, 120},   {"hj2", "he2", -45, 45},     {"llj1", "lle1", -90, 1},
    {"rlj1", "rle1", -90, 1},    {"llj2", "lle2", -25, 45},   {"rlj2", "rle2", -45, 25},
    {"llj3", "lle3", -25, 100},  {"rlj3", "rle3", -25, 100},  {"llj4", "lle4", -130, 1},
    {"rlj4", "rle4", -130, 1},   {"llj5", "lle5", -45, 75},   {"rlj5", "rle5", -45, 75},
    {"llj6", "lle6", -45, 25},   {"rlj6", "rle6", -25, 45},   {"laj1", "lae1", -120, 120},
    {"raj1", "rae1", -120, 120}, {"laj2", "lae2", -1, 95},    {"raj2", "rae2", -95, 1},
    {"laj3", "lae3", -120, 120}, {"raj3", "rae3", -120, 120}, {"laj4", "lae4", -90, 1},
    {"raj4", "rae4", -1, 90},
}};

int jointByEffector(const std::string& name) {
    for (int i = 0; i < kJointCount; ++i) {
        if (name == kJoints[i].effector) return i;
    }
    return -1;
}

}  // namespace sparring
