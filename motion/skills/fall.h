#ifndef HALYX_MOTION_SKILLS_FALL_H
#define HALYX_MOTION_SKILLS_FALL_H

#include <functional>
#include <optional>

#include "math/vector.h"
#include "motion/skills/readings.h"

namespace skills {

// What the fall reading needs of the body beyond one cycle's readings: the body
// model's points (metres, relative to the camera, torso-aligned as the joint angles
// place them) and how the camera stood on the field at its last fix.
struct BodyFrame {
    salt::Vector3f com, leftFoot, rightFoot;
    // A body point as a field point, through the camera's pose and the neck's angles
    // at the last fix.
    std::function<salt::Vector3f(const salt::Vector3f&)> toField;
    bool fixCurrent = false;  // landmarks fixed the camera this cycle or just before
};

// The accelerometer reads free fall (under a third of gravity): the robot is in the air.
bool inFreeFall(const Readings& now);
// The accelerometer reads gravity along the trunk's own up axis (within 30 degrees).
bool accelerometerUpright(const Readings& now);
// Without a current camera fix, a reading that is mostly gravity gives the torso
// frame's up direction.
bool accelerometerUp(const Readings& now, const BodyFrame& body, salt::Vector3f& up);

// The robot is down: no loaded foot (unless in the air), or its centre of mass too far
// beside its loaded feet.
bool feltDown(const Readings& now, const BodyFrame& body);
// Degrees the trunk leans from upright, by the accelerometer's mean over 0.1 s; nothing
// without a current reading or when the mean is too small to point anywhere.
std::optional<double> trunkTilt(const Readings& now);
// The fall reading of a walking robot: down as feltDown reads it, and the trunk tilted
// more than 40 degrees by the accelerometer's mean over 0.1 s. A walking robot lifts a
// foot, lands on the other and sways, so feltDown alone reads a single cycle without a
// loaded foot or a stride's reach as a fall, and a get-up started then throws it.
bool downWhileWalking(const Readings& now, const BodyFrame& body);
// How a fallen robot lies (the values of Lying in getup.h): back 1, left side 2, right
// side 3, front 4, something else with the feet high 5, not known 0.
int wayOfLying(const Readings& now, const BodyFrame& body);

}  // namespace skills

#endif
