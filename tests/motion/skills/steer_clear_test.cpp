#include "motion/skills/steer_clear.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using skills::FieldPoint;
using skills::FieldPose;
using skills::WalkCommand;

namespace {

WalkCommand walking(double forward, double sideways, double turn = 0) {
    WalkCommand c;
    c.forward = forward;
    c.sideways = sideways;
    c.turn = turn;
    return c;
}

}  // namespace

// A robot at the origin facing +x (or +y), walking at 0.5 m/s, with others around it.
TEST(SteerClear, SlowsTowardsARobotAheadAndStepsAsideFromIt) {
    const double tolerance = 1e-9;
    struct Case {
        const char* what;
        FieldPose self;
        WalkCommand c;
        std::vector<FieldPoint> others;
        bool slowed;  // less speed along the way walked
        int aside;    // sign of the step aside: +1 left, -1 right, 0 none
    } const cases[] = {
        {"nobody near", {0, 0, 0}, walking(0.5, 0), {{2, 0}}, false, 0},
        {"one behind", {0, 0, 0}, walking(0.5, 0), {{-0.5, 0}}, false, 0},
        {"one beside the way", {0, 0, 0}, walking(0.5, 0), {{0, 0.6}}, false, 0},
        {"one ahead, a little left", {0, 0, 0}, walking(0.5, 0), {{0.6, 0.1}}, true, -1},
        {"one ahead, a little right", {0, 0, 0}, walking(0.5, 0), {{0.6, -0.1}}, true, +1},
        {"facing +y, one ahead", {0, 0, 90}, walking(0.5, 0), {{0.1, 0.6}}, true, +1},
        {"walking sideways into one", {0, 0, 0}, walking(0, 0.3), {{0.05, 0.6}}, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const WalkCommand out = skills::steerClear(c.c, c.self, c.others);
        const double way = std::atan2(c.c.sideways, c.c.forward);
        const double along = out.forward * std::cos(way) + out.sideways * std::sin(way);
        const double speed = std::hypot(c.c.forward, c.c.sideways);
        if (c.slowed) {
            EXPECT_LT(along, speed - tolerance);
        } else {
            EXPECT_NEAR(along, speed, tolerance);
        }
        const double across = -out.forward * std::sin(way) + out.sideways * std::cos(way);
        if (c.aside == 0 && !c.slowed) {
            EXPECT_NEAR(across, 0, tolerance);
        }
        if (c.aside != 0) {
            EXPECT_GT(across * c.aside, 0);
        }
        EXPECT_EQ(out.turn, c.c.turn);
    }
}

TEST(SteerClear, NoSpeedIsLeftTowardsARobotWithinTouchAndStandingStaysStanding) {
    const skills::SteerClearParameters p;
    const WalkCommand out =
        skills::steerClear(walking(0.5, 0, 20), {0, 0, 0}, {{p.touch - 0.05, 0}}, p);
    EXPECT_DOUBLE_EQ(out.forward, 0);
    EXPECT_LE(std::fabs(out.sideways), p.sideStep);
    EXPECT_EQ(out.turn, 20);
    const WalkCommand still = skills::steerClear(walking(0, 0, 30), {0, 0, 0}, {{0.4, 0}}, p);
    EXPECT_EQ(still.forward, 0);
    EXPECT_EQ(still.sideways, 0);
}
