#ifndef SPARRING_JOINTS_H
#define SPARRING_JOINTS_H

#include <array>
#include <string>

// The 22 hinge joints of the simulated humanoid as the server knows them: the name the
// hinge-joint perceptor reports, the name of the speed effector an agent commands, and
// the joint's range.

namespace sparring {

constexpr int kJointCount = 22;

// One hinge joint: its two names and its range.
struct JointInfo {
    const char* perceptor;  // name in (HJ (n ...) ...)
    const char* effector;   // name of the speed command (he1 ...)
    double minDegrees;      // lower end of the range, degrees
    double maxDegrees;      // upper end of the range, degrees
};

extern const std::array<JointInfo, kJointCount> kJoints;

// Joint indices in the table's order, for code that walks the body chain.
enum JointIndex {
    HJ1,
    HJ2,
    LLJ1,
    RLJ1,
    LLJ2,
    RLJ2,
    LLJ3,
    RLJ3,
    LLJ4,
    RLJ4,
    LLJ5,
    RLJ5,
    LLJ6,
    RLJ6,
    LAJ1,
    RAJ1,
    LAJ2,
    RAJ2,
    LAJ3,
    RAJ3,
    LAJ4,
    RAJ4
};

// Index of the joint whose effector is `name`, or -1.
int jointByEffector(const std::string& name);

// Indices of joints the server watches for a get-up.
constexpr int kLeftKnee = 8;
constexpr int kRightKnee = 9;
constexpr int kHeadYaw = 0;
constexpr int kHeadPitch = 1;

}  // namespace sparring

#endif
