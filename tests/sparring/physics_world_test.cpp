// The physical world in-process: a robot under gravity with its messages written as the
// server sends them. Standing still, joint speeds, lying after a fall, held in the air,
// and the approximate constants each world is made with.
#include "sparring/world/physics/physics_world.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <regex>
#include <sstream>

#include "sparring/protocol/perception.h"

using namespace sparring;

namespace {

constexpr double kWeight = 4.6071 * 9.81;  // newtons

// Three numbers after `head` in the message, e.g. "(ACC (n torso) (a".
std::optional<Vec3> triple(const std::string& msg, const std::string& head) {
    const auto at = msg.find(head);
    if (at == std::string::npos) return std::nullopt;
    Vec3 v;
    std::istringstream in(msg.substr(at + head.size()));
    in >> v.x >> v.y >> v.z;
    return v;
}

// A physical world with one robot beamed to (x, y) of its team's frame, settled.
struct OneRobot {
    std::ostringstream log;
    PhysicsWorld world;
    PhysicsRobot& robot;
    PerceptionWriter writer{VisionOptions{}, MessageForms::New};
    double now = 0;

    explicit OneRobot(double x = -3.2, double y = 0, double heading = 0,
                      const physics::Approximate& constants = {})
        : world(log, constants), robot(world.addPhysicsRobot(Side::Left, 5, "QEL")) {
        robot.beam(x, y, heading);
        run(10);
    }
    void run(int cycles) {
        for (int c = 0; c < cycles; ++c) {
            world.step(kCycleSeconds);
            now += kCycleSeconds;
            robot.updatePosture(now);
        }
    }
    std::string message() {
        GameView game;
        game.now = now;
        return writer.write(world, robot, game, {});
    }
};

// The force of a foot's FRP, or nothing when the message has none for that foot.
std::optional<Vec3> footForce(const std::string& msg, const std::string& foot) {
    const auto at = msg.find("(FRP (n " + foot + ")");
    if (at == std::string::npos) return std::nullopt;
    return triple(msg.substr(at, msg.find("))", msg.find("(f ", at)) - at), "(f");
}

}  // namespace

TEST(PhysicsWorld, RobotGivenNoCommandsStandsStillForAMinuteAndItsSensorsSaySo) {
    OneRobot r;
    const double distanceTolerance = 0.006;  // metres: the two decimals of a reading
    int landmarksSeen = 0;
    for (int cycle = 0; cycle < 3000; cycle += 10) {
        r.run(10);
        const std::string msg = r.message();
        SCOPED_TRACE("t=" + std::to_string(r.now) + " " + msg.substr(0, 400));
        const auto left = footForce(msg, "lf"), right = footForce(msg, "rf");
        ASSERT_TRUE(left && right);
        const double sum = left->z + right->z;
        EXPECT_NEAR(sum, kWeight, 0.05 * kWeight);
        const Vec3 acc = *triple(msg, "(ACC (n torso) (a");
        EXPECT_NEAR(acc.x, 0, 0.3);
        EXPECT_NEAR(acc.y, 0, 0.3);
        EXPECT_NEAR(acc.z, 9.81, 0.3);
        const Vec3 gyr = *triple(msg, "(GYR (n torso) (rt");
        EXPECT_LE(length(gyr), 1.0);
        const Vec3 camera = r.robot.cameraPosition();
        EXPECT_NEAR(camera.z, 0.54, 0.03);
        EXPECT_EQ(msg.find("TCH"), std::string::npos);
        for (const Landmark& l : kLandmarks) {
            const auto seen = triple(msg, std::string("(") + l.name + " (pol");
            if (!seen) continue;
            ++landmarksSeen;
            EXPECT_NEAR(seen->x, length(l.position - camera), distanceTolerance) << l.name;
        }
        ASSERT_TRUE(r.robot.upright());
    }
    EXPECT_NEAR(robotModel().totalMass, 4.6071, 1e-9);
    EXPECT_GE(landmarksSeen, 300 * 4);  // the four of the far goal line, every time
    EXPECT_EQ(r.robot.downRecord(r.now)->falls, 0);
    EXPECT_EQ(r.log.str(), "");
}

TEST(PhysicsWorld, JointTurnsAtItsCommandedSpeedCappedAt614UntilItsRangeStopsIt) {
    const double tolerance = 0.05;  // fraction of the speed
    struct Case {
        int joint;
        double command, expected;  // rad/s
    } cases[] = {
        {HJ1, 1.0, 1.0},    {HJ2, -2.0, -2.0},    {LAJ1, 10.0, kMaxJointSpeed},
        {RAJ1, -3.0, -3.0}, {RAJ2, -6.14, -6.14}, {LAJ4, -1e308, -kMaxJointSpeed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kJoints[c.joint].perceptor);
        OneRobot r;
        r.robot.setSpeed(c.joint, c.command);
        r.run(2);
        const double from = r.robot.angle(c.joint);
        r.run(4);
        const double speed = (r.robot.angle(c.joint) - from) * M_PI / 180 / (4 * kCycleSeconds);
        EXPECT_NEAR(speed, c.expected, std::fabs(c.expected) * tolerance);
        r.run(150);
        const JointInfo& info = kJoints[c.joint];
        EXPECT_NEAR(r.robot.angle(c.joint), c.expected > 0 ? info.maxDegrees : info.minDegrees,
                    1.0);
        EXPECT_TRUE(r.robot.upright());
    }
}

TEST(PhysicsWorld, RobotLaidOnItsBackLiesThereLookingAtTheSky) {
    OneRobot r(-2, 1, 0);
    r.robot.fall(Posture::OnBack, r.now, 0);
    r.run(100);
    const std::string msg = r.message();
    EXPECT_FALSE(r.robot.upright());
    EXPECT_LT(r.robot.cameraPosition().z, 0.1);
    EXPECT_GT(r.robot.cameraToServer().apply({1, 0, 0}).z, 0.9) << "the camera looks up";
    for (const Landmark& l : kLandmarks) EXPECT_EQ(msg.find(l.name), std::string::npos) << msg;
    EXPECT_EQ(r.robot.downRecord(r.now)->falls, 1);
    EXPECT_EQ(r.robot.downRecord(r.now)->stood, 0);
    EXPECT_NEAR(r.robot.downRecord(r.now)->downSeconds, 2.0, 0.05);
}

TEST(PhysicsWorld, FootThatTouchesNothingHasNoPressureReading) {
    OneRobot r;
    r.robot.hold(0.3);
    for (int c = 0; c < 20; ++c) {
        r.run(1);
        EXPECT_EQ(r.message().find("(FRP"), std::string::npos);
    }
    r.robot.release();
    r.run(50);
    const auto left = footForce(r.message(), "lf");
    ASSERT_TRUE(left) << "standing on the ground again";
    EXPECT_GT(left->z, 10);
}

TEST(PhysicsWorld, ScriptedFallLaysTheRobotOnTheSideItNames) {
    const double lean = 0.5;  // cosine: the named axis within 60 degrees of the vertical
    struct Case {
        Posture posture;
        Vec3 axisUp;  // torso axis that ends up pointing up
    } cases[] = {
        {Posture::OnBack, {1, 0, 0}},
        {Posture::OnFront, {-1, 0, 0}},
        {Posture::OnLeft, {0, -1, 0}},
        {Posture::OnRight, {0, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(postureName(c.posture));
        OneRobot r(-2, 1, 30);
        r.robot.fall(c.posture, r.now, 0);
        r.run(100);
        const Vec3 up = r.robot.torsoToServer().apply(c.axisUp);
        EXPECT_GT(up.z, lean);
        EXPECT_FALSE(r.robot.upright());
        EXPECT_LT(r.robot.cameraPosition().z, 0.3);
        EXPECT_NEAR(r.robot.x(), -2, 0.3);
        EXPECT_NEAR(r.robot.y(), 1, 0.3);
        EXPECT_EQ(r.robot.downRecord(r.now)->falls, 1);
        EXPECT_EQ(r.log.str(), "");
    }
}

TEST(PhysicsWorld, RollingBallComesToRestOnTheGrassAFewMetresOn) {
    std::ostringstream log;
    PhysicsWorld world(log);
    world.placeBall(-1, 0.5);
    world.rollBall(2.0, 0);
    for (int c = 0; c < 500; ++c) world.step(kCycleSeconds);
    const Vec3 atRest = world.ball();
    EXPECT_GT(atRest.x, -1 + 1.5);
    EXPECT_LT(atRest.x, -1 + 5.0);
    EXPECT_NEAR(atRest.y, 0.5, 0.01);
    EXPECT_NEAR(atRest.z, 0.04, 0.002);
    for (int c = 0; c < 50; ++c) world.step(kCycleSeconds);
    EXPECT_NEAR(world.ball().x, atRest.x, 0.001) << "still rolling";
}

TEST(PhysicsWorld, ApproximateConstantsAreTheWorldsOwnAndReachItsMotorsAndContacts) {
    // Each case runs a world of the default constants and one with a single constant
    // changed side by side, cycle by cycle, and compares what the change should move.
    struct Case {
        const char* name;
        physics::Approximate changed;
        std::function<void(OneRobot&)> before;     // the scene, up to the measured cycles
        std::function<double(OneRobot&)> measure;  // degrees or metres
        double least;  // the changed world's measure exceeds the default's by this much
    } cases[] = {
        {"weak motors let the arms drop",
         {physics::kMaxMotorTorque / 100, physics::kFriction, 1},
         [](OneRobot&) {},
         [](OneRobot& r) {
             return std::fabs(r.robot.angle(LAJ1)) + std::fabs(r.robot.angle(RAJ1));
         },
         20},
        {"soft contacts let the robot sink into the ground",
         {physics::kMaxMotorTorque, physics::kFriction, 50},
         [](OneRobot&) {},
         [](OneRobot& r) { return -r.robot.cameraPosition().z; },
         0.02},
        {"a slippery ground lets a pushed robot slide on",
         {physics::kMaxMotorTorque, physics::kFriction / 20, 1},
         [](OneRobot& r) {
             r.robot.fall(Posture::OnBack, r.now, 0);
             r.run(50);
             r.robot.push({3, 0, 0});
         },
         [](OneRobot& r) { return r.robot.x(); },
         0.1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OneRobot plain(-2, 1, 0);
        OneRobot changed(-2, 1, 0, c.changed);
        c.before(plain);
        c.before(changed);
        for (int cycle = 0; cycle < 100; ++cycle) {
            plain.run(1);
            changed.run(1);
        }
        EXPECT_GE(c.measure(changed) - c.measure(plain), c.least);
        EXPECT_EQ(plain.log.str(), "");
        EXPECT_EQ(changed.log.str(), "");
    }
}

// Pushed at the torso while standing straight: a small push is taken, larger ones bring
// the robot down after about as long as they always did (a quarter either way).
TEST(PhysicsWorld, PushesBringTheRobotDownAfterTheirUsualTimes) {
    const double share = 0.25;  // of the usual time to fall
    struct Case {
        double impulse;     // newton-seconds along the robot's forward axis
        double fallsAfter;  // seconds; 0: stays up
    } cases[] = {{1.5, 0}, {2, 1.68}, {3, 0.64}, {-2, 0.74}, {-3, 0.46}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.impulse);
        OneRobot r;
        r.run(40);
        const double pushedAt = r.now;
        r.robot.push({c.impulse, 0, 0});
        double downAfter = 0;
        for (int cycle = 0; cycle < 200 && downAfter == 0; ++cycle) {
            r.run(1);
            if (!r.robot.upright()) downAfter = r.now - pushedAt;
        }
        if (c.fallsAfter == 0) {
            EXPECT_EQ(downAfter, 0);
        } else {
            EXPECT_NEAR(downAfter, c.fallsAfter, share * c.fallsAfter);
        }
    }
}

// The same commands give the same world, byte for byte, again and again: nothing in a
// match depends on memory addresses, the clock or a generator left unseeded.
TEST(PhysicsWorld, SameCommandsGiveByteIdenticalMessages) {
    for (const physics::Solver solver : {physics::Solver::Exact, physics::Solver::Iterative}) {
        SCOPED_TRACE(physics::solverName(solver));
        auto play = [solver] {
            physics::Approximate constants;
            constants.solver = solver;
            OneRobot r(-1, 0.5, 20, constants);
            std::string messages;
            for (int cycle = 0; cycle < 150; ++cycle) {
                for (int j = 0; j < kJointCount; ++j) {
                    r.robot.setSpeed(j, std::sin(0.05 * cycle + j) * (j % 3 + 1));
                }
                if (cycle == 60) r.robot.push({2, 1, 0});
                r.run(1);
                messages += r.message();
            }
            return messages;
        };
        const std::string first = play();
        EXPECT_EQ(play(), first);
    }
}
