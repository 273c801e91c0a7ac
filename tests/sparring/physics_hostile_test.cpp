// The physical world under hostile commands: whatever the agents send and the scenario
// does, every value the server reports stays finite, and a robot knocked into an absurd
// state is reset upright at its place with one line in the log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <sstream>

#include "sparring/protocol/perception.h"
#include "sparring/world/physics/physics_world.h"

using namespace sparring;

namespace {

bool finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Every value the robot reports, and (when `message`) its message, is a finite number.
void expectSound(PhysicsWorld& world, PerceptionWriter& writer, const Robot& r, double now,
                 bool message) {
    SCOPED_TRACE("t=" + std::to_string(now));
    const BodySensors s = r.sensors();
    ASSERT_TRUE(finite(s.gyro) && finite(s.acc));
    for (const FootReading& f : s.feet) ASSERT_TRUE(finite(f.centre) && finite(f.force));
    for (const Vec3& p : r.bodyPoints()) ASSERT_TRUE(finite(p));
    for (int j = 0; j < kJointCount; ++j) ASSERT_TRUE(std::isfinite(r.angle(j)));
    ASSERT_TRUE(std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.heading()));
    ASSERT_TRUE(finite(world.ball()));
    if (!message) return;
    GameView game;
    game.now = now;
    const std::string msg = writer.write(world, r, game, {});
    ASSERT_EQ(msg.find("nan"), std::string::npos) << msg;
    ASSERT_EQ(msg.find("inf"), std::string::npos) << msg;
}

// A world of robots, stepped with a check of every robot each cycle.
struct Field {
    std::ostringstream log;
    PhysicsWorld world{log};
    PerceptionWriter writer{VisionOptions{}, MessageForms::New};
    double now = 0;
    int messageEvery = 1;  // cycles between the messages checked

    PhysicsRobot& add(int unum, double x, double y) {
        PhysicsRobot& r = world.addPhysicsRobot(Side::Left, unum, "QEL");
        r.beam(x, y, 0);
        return r;
    }
    void run(int cycles, const std::function<void(int)>& command = {}) {
        for (int c = 0; c < cycles; ++c) {
            if (command) command(c);
            world.step(kCycleSeconds);
            now += kCycleSeconds;
            for (const auto& r : world.robots()) {
                r->updatePosture(now);
                expectSound(world, writer, *r, now, c % messageEvery == 0);
            }
        }
    }
};

int lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

TEST(PhysicsHostile, SpeedsFlippingEveryCycleAndHugeSpeedsLeaveEveryValueFinite) {
    Field f;
    PhysicsRobot& flipper = f.add(2, -2, 1);
    PhysicsRobot& huge = f.add(3, -2, -1);
    f.run(500, [&](int cycle) {
        for (int j = 0; j < kJointCount; ++j) {
            flipper.setSpeed(j, cycle % 2 == 0 ? kMaxJointSpeed : -kMaxJointSpeed);
            huge.setSpeed(j, (j + cycle) % 2 == 0 ? 1e308 : -1e308);
        }
    });
    EXPECT_EQ(f.log.str(), "");
}

TEST(PhysicsHostile, TwoRobotsBeamedOntoOneSpotSeparateWithoutBlowingUp) {
    Field f;
    PhysicsRobot& a = f.add(2, -1, 0);
    PhysicsRobot& b = f.add(3, -1, 0);
    f.run(250);
    // Apart: standing side by side, or fallen across each other with their heads apart.
    EXPECT_GT(length(a.cameraPosition() - b.cameraPosition()), 0.05);
    EXPECT_LE(lines(f.log.str()), 2) << f.log.str();
}

TEST(PhysicsHostile, RobotPushedWithAMillionNewtonSecondsIsResetUprightAtItsPlaceOnce) {
    Field f;
    PhysicsRobot& r = f.add(2, -3, 2);
    f.run(10);
    r.push({1e6, -1e6, 0});
    f.run(1);
    EXPECT_EQ(lines(f.log.str()), 1) << f.log.str();
    EXPECT_NE(f.log.str().find("robot left 2 became unstable at t=0.22 and is reset upright"),
              std::string::npos)
        << f.log.str();
    f.run(100);
    EXPECT_EQ(lines(f.log.str()), 1);
    EXPECT_TRUE(r.upright());
    EXPECT_NEAR(r.x(), -3, 0.05);
    EXPECT_NEAR(r.y(), 2, 0.05);
    EXPECT_NEAR(r.cameraPosition().z, 0.54, 0.03);
}

TEST(PhysicsHostile, TenMinutesOfRandomSpeedsLeaveEveryValueFinite) {
    Field f;
    f.messageEvery = 25;
    PhysicsRobot& r = f.add(2, -2, 0);
    std::mt19937 rng(18);
    std::uniform_real_distribution<double> speed(-2 * kMaxJointSpeed, 2 * kMaxJointSpeed);
    f.run(30000, [&](int) {
        for (int j = 0; j < kJointCount; ++j) r.setSpeed(j, speed(rng));
    });
}
