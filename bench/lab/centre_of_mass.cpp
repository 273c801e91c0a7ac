#include "bench/lab/centre_of_mass.h"

#include "sparring/world/robot_model.h"

namespace lab {

using namespace sparring;

Vec3 centreOfMass(const PhysicsRobot& robot) {
    const BodyPoints p = robot.bodyPoints();
    const RobotModel& model = robotModel();
    Vec3 com;
    double mass = 0;
    std::array<bool, kModelBodyCount> counted{};
    for (int i = 0; i < kBodyPointCount; ++i) {
        const int b = model.points[i].body;
        if (counted[b]) continue;
        counted[b] = true;
        com = com + p[i] * model.bodies[b].mass;
        mass += model.bodies[b].mass;
    }
    return com * (1 / mass);
}

}  // namespace lab
