#include "motion/skills/odometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using skills::FieldPose;
using skills::Odometry;
using skills::WalkCommand;

constexpr double kCycle = 0.02;  // seconds

void walkFor(Odometry& o, const WalkCommand& speed, double gyroTurn, double seconds) {
    for (int i = 0; i < static_cast<int>(seconds / kCycle + 0.5); ++i)
        o.move(speed, gyroTurn, kCycle);
}

}  // namespace

TEST(Odometry, UnknownUntilTheFirstFixAndUnmovedBeforeIt) {
    Odometry o;
    walkFor(o, {0.5, 0, 0}, 30, 1);
    EXPECT_FALSE(o.known());
    o.fix({1, 2, 90});
    EXPECT_TRUE(o.known());
    EXPECT_DOUBLE_EQ(o.pose().x, 1);
    EXPECT_DOUBLE_EQ(o.pose().heading, 90);
}

// Between fixes the pose moves by the walk's speed in the body's axes and turns by the
// gyroscope: a straight line, a sidestep, a turn on the spot and a quarter circle.
TEST(Odometry, MovesTheLastFixByTheWalksSpeedAndTheGyroscopesTurn) {
    const double tolerance = 0.01;  // metres and degrees
    struct Case {
        const char* what;
        FieldPose from;
        WalkCommand speed;
        double gyro, seconds;
        FieldPose to;
    } const cases[] = {
        {"ahead facing +y", {0, 0, 90}, {0.5, 0, 0}, 0, 2, {0, 1, 90}},
        {"to the left facing +x", {1, 1, 0}, {0, 0.25, 0}, 0, 2, {1, 1.5, 0}},
        {"turning on the spot, through 180", {0, 0, 170}, {0, 0, 0}, 40, 1, {0, 0, -150}},
        // Radius v / w = 0.5 / (pi / 2) m; after a quarter circle from (0, 0) facing +x.
        {"a quarter circle left", {0, 0, 0}, {0.5, 0, 0}, 90, 1, {0.3183, 0.3183, 90}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Odometry o;
        o.fix(c.from);
        walkFor(o, c.speed, c.gyro, c.seconds);
        EXPECT_NEAR(o.pose().x, c.to.x, tolerance);
        EXPECT_NEAR(o.pose().y, c.to.y, tolerance);
        EXPECT_NEAR(o.pose().heading, c.to.heading, tolerance);
    }
}

TEST(Odometry, AFixReplacesTheEstimateAndUnreadableInputLeavesIt) {
    Odometry o;
    o.fix({0, 0, 0});
    walkFor(o, {0.5, 0, 0}, 0, 1);
    o.move({0.5, 0, 0}, std::nan(""), kCycle);
    EXPECT_NEAR(o.pose().x, 0.5, 1e-9);
    o.fix({-2, 3, -45});
    EXPECT_DOUBLE_EQ(o.pose().x, -2);
    EXPECT_DOUBLE_EQ(o.pose().y, 3);
    EXPECT_DOUBLE_EQ(o.pose().heading, -45);
}
