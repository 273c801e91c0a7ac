// The physical robot against the agent's own body model: held in the air with its
// joints driven to random angles, every body point of the simulated bodies must lie
// where the agent's world model puts it from the reported joint angles.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

#include "sparring/world/physics/physics_world.h"
#include "worldmodel/worldmodel.h"

namespace {

constexpr double kTolerance = 0.005;  // metres
constexpr int kPoses = 200;
constexpr int kCyclesPerPose = 30;  // 0.6 s: most joints reach their target

// The agent's body numbering skips value 2.
BodyID agentBody(int point) {
    return static_cast<BodyID>(point < 2 ? point : point + 1);
}

// The reported angle: two decimals, as the hinge-joint perceptor writes it.
double reported(double degrees) {
    return std::round(degrees * 100) / 100;
}

}  // namespace

TEST(PhysicsModel, EveryBodyPointAgreesWithTheAgentsBodyModelInRandomPoses) {
    std::ostringstream log;
    sparring::PhysicsWorld world(log);
    sparring::PhysicsRobot& robot = world.addPhysicsRobot(sparring::Side::Left, 1, "QEL");
    robot.place(1.0, -2.0, 35);
    robot.hold(0.5);
    std::mt19937 rng(14);
    double worst = 0;
    for (int pose = 0; pose < kPoses; ++pose) {
        std::array<double, sparring::kJointCount> target{};
        for (int j = 0; j < sparring::kJointCount; ++j) {
            const sparring::JointInfo& info = sparring::kJoints[j];
            target[j] =
                std::uniform_real_distribution<double>(info.minDegrees, info.maxDegrees)(rng);
        }
        for (int c = 0; c < kCyclesPerPose; ++c) {
            for (int j = 0; j < sparring::kJointCount; ++j) {
                robot.setSpeed(j, (target[j] - robot.angle(j)) * M_PI / 180 / 0.1);
            }
            world.step(sparring::kCycleSeconds);
        }
        WorldModel model;
        for (int j = 0; j < sparring::kJointCount; ++j) {
            model.setMyJointAngle(static_cast<JointID>(j), reported(robot.angle(j)));
        }
        model.updateSelf();
        const Self self = model.getMySelf();
        const sparring::BodyPoints points = robot.bodyPoints();
        const sparring::Rot3 torso = robot.torsoToServer();
        for (int i = 1; i < sparring::kBodyPointCount; ++i) {
            const sparring::Vec3 simulated = torso.applyInverse(points[i] - points[0]);
            const salt::Vector3f agent = self.getMyRelPos(agentBody(i));
            const double error =
                sparring::length(simulated - sparring::Vec3{agent.x(), agent.y(), agent.z()});
            worst = std::max(worst, error);
            ASSERT_LE(error, kTolerance) << "pose " << pose << ", body point " << i;
        }
    }
    EXPECT_EQ(log.str(), "");  // never unstable
    RecordProperty("worst_error_mm", std::to_string(worst * 1000));
}
