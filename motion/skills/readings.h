#ifndef HALYX_MOTION_SKILLS_READINGS_H
#define HALYX_MOTION_SKILLS_READINGS_H

#include <array>

#include "math/vector.h"
#include "worldmodel/ids.h"

namespace skills {

// One cycle's readings of the robot's own body, as the agent has them after parsing
// its message: what every skill is stepped with. Skills see nothing else, so the agent,
// the laboratory and the tests feed them the same way.
struct Readings {
    double time = 0;                           // server time, seconds
    std::array<double, kJointCount> angles{};  // degrees, JointID order
    salt::Vector3f gyro;                       // torso's turn rates, deg/s, torso frame
    // The accelerometer, m/s^2 in the torso frame: (0, 0, 9.81) at rest upright.
    // accFresh is false when this cycle's message had none (older servers).
    salt::Vector3f acc;
    bool accFresh = false;
    // The mean of the accelerometer's readings of the last 0.1 s (this cycle's among
    // them), m/s^2 in the torso frame, over accSteadyCount readings; 0 readings: none
    // kept, acc stands for it. A limb striking the ground shoves the torso, and a single
    // reading then points anywhere; gravity dominates the mean.
    salt::Vector3f accSteady;
    int accSteadyCount = 0;
    // The feet, left then right: the point where the ground's force acts (metres from
    // the foot's centre) and that force (newtons), in the foot's frame; a foot that
    // touches nothing has touching false and zero force.
    struct Foot {
        bool touching = false;
        salt::Vector3f centre;
        salt::Vector3f force;
    };
    std::array<Foot, 2> feet;

    double angle(JointID j) const { return angles[j]; }
};

// What a skill asks of the joints in one cycle: a speed for every joint it drives
// (rad/s, as a joint command sends it); the joints it leaves alone keep whatever
// another part of the agent (head control) commands. The joints are sent in the order
// they were first set: a keyframe motion's commands follow its file's columns.
struct JointSpeeds {
    std::array<double, kJointCount> speed{};
    std::array<bool, kJointCount> driven{};
    std::array<JointID, kJointCount> order{};  // the first `count` entries
    int count = 0;

    void set(JointID j, double radPerSecond) {
        speed[j] = radPerSecond;
        if (!driven[j]) order[count++] = j;
        driven[j] = true;
    }
    bool empty() const { return count == 0; }
    // Zero speed for all 22 joints, in JointID order: every joint stops.
    static JointSpeeds allStop() {
        JointSpeeds s;
        for (int j = 0; j < kJointCount; ++j) s.set(static_cast<JointID>(j), 0.0);
        return s;
    }
};

}  // namespace skills

#endif
