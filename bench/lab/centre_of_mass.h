#ifndef BENCH_LAB_CENTRE_OF_MASS_H
#define BENCH_LAB_CENTRE_OF_MASS_H

#include "sparring/world/physics/physics_robot.h"

namespace lab {

// Where the robot's centre of mass is (server frame, metres): its bodies' masses at their
// body points, the laboratory's measure of what a motion leans on.
sparring::Vec3 centreOfMass(const sparring::PhysicsRobot& robot);

}  // namespace lab

#endif
