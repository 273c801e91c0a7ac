#ifndef BENCH_LAB_KEYFRAME_MOTION_H
#define BENCH_LAB_KEYFRAME_MOTION_H

#include <array>
#include <string>
#include <vector>

#include "sparring/world/joints.h"

namespace lab {

// A keyframe motion as the team's motion files hold it, for tuning outside a match: the
// joints it drives (indices of the server's joint table) and its keyframes, each a span
// of motion time (seconds) and one target per driven joint (degrees).
struct KeyframeMotion {
    struct Keyframe {
        double start = 0, end = 0;                            // seconds of motion time
        std::array<double, sparring::kJointCount> targets{};  // degrees, by joint index
    };
    std::vector<int> joints;  // driven joints, in column order
    std::vector<Keyframe> keyframes;
    std::vector<std::string> comments;  // per keyframe, written above it (may be empty)
    std::string heading;                // comment lines at the top of the file

    double end() const { return keyframes.empty() ? 0 : keyframes.back().end; }
    bool drives(int joint) const;
};

// Reads a motion file ("start end" and joint names, then keyframe rows; "." keeps the
// previous value, ";" starts a comment). Throws std::runtime_error naming the fault.
KeyframeMotion readMotion(const std::string& path);
// Writes it back in the same form, targets rounded to 0.01 degree and times to 1 ms.
void writeMotion(const KeyframeMotion& motion, const std::string& path);
// The same motion for the other side of the body: left and right joints swapped, the
// joints that roll or yaw sideways with their signs flipped.
KeyframeMotion mirrored(const KeyframeMotion& motion);
// The joint that mirrors `joint`, and the sign its angle takes there.
int mirrorJoint(int joint, double& sign);

}  // namespace lab

#endif
