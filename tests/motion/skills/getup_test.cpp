// The back get-up's first keyframe, a hold of the lying posture, lasts until the torso
// rests: played through the GetUp object with synthetic readings, from a fall, after a
// roll that left the robot on its back (the retry) and taking over a side's get-up.
#include "motion/skills/getup.h"

#include <gtest/gtest.h>

#include <sstream>

using skills::GetUp;
using skills::KeyframeMotion;
using skills::Readings;

namespace {

const double kCycle = 0.02;

// A hold of 0.1 s at 0, then the "roll": the left hip pitch to 40 degrees in 0.4 s.
KeyframeMotion backMotion() {
    std::istringstream in(
        "start end llj3\n"
        "0.0 0.1 0\n"
        "0.1 0.5 40\n");
    return skills::readKeyframes(in);
}

// A side's get-up that the back's takes over.
KeyframeMotion sideMotion() {
    std::istringstream in(
        "start end laj1\n"
        "0.0 3.0 -90\n");
    return skills::readKeyframes(in);
}

struct Robot {
    GetUp getUp;
    Action activity = ACT_NONE;
    double time = 10;
    Robot() : getUp(GetUp::Motions{backMotion(), {}, {}, sideMotion()}) {}

    // One cycle lying `lying` with the torso turning at `gyro` deg/s; the left hip
    // pitch's speed.
    double step(int lying, float gyro) {
        Readings now;
        now.time = time;
        now.gyro = salt::Vector3f(gyro, 0, 0);
        time += kCycle;
        return getUp.step(now, lying, activity).speed[LLJ3];
    }
    // Cycles lying on the back, the torso turning at `gyro` deg/s for the first
    // `rocking` seconds, until the roll starts (the hip is driven); -1 if it does not
    // within 2 s.
    int cyclesToRoll(double rocking, float gyro = 60) {
        for (int c = 0; c < 100; ++c) {
            if (step(skills::kOnBack, c * kCycle < rocking - 1e-9 ? gyro : 0.0f) > 0) return c;
        }
        return -1;
    }
};

}  // namespace

TEST(GetUpHold, TheBackGetUpRollsOnceTheTorsoRests) {
    struct Case {
        const char* name;
        double rocking;  // seconds the torso turns after the start
        float gyro;      // deg/s meanwhile
        int cycles;      // cycles of the hold before the roll's first
    } const cases[] = {
        {"lying still: the hold's 0.1 s", 0, 0, 5},
        {"rocking for 0.2 s: until it rests", 0.2, 60, 11},
        {"slower than 30 deg/s counts as resting", 5, 29, 5},
        {"rocking on: 0.5 s beyond the hold at most", 5, 60, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Robot robot;
        EXPECT_EQ(robot.cyclesToRoll(c.rocking, c.gyro), c.cycles);
        EXPECT_EQ(robot.activity, ACT_GETUP);
    }
}

TEST(GetUpHold, ARollThatLeavesTheRobotOnItsBackIsTriedAgainAfterANewHold) {
    Robot robot;
    ASSERT_EQ(robot.cyclesToRoll(5), 30);
    // The roll plays to its end; the robot still lies on its back, rocking.
    int cycles = 0;
    while (robot.activity == ACT_GETUP && ++cycles < 100) robot.step(skills::kOnBack, 60);
    ASSERT_EQ(robot.activity, ACT_NONE);
    // The retry holds again, for as long as the body rocks (the first hold's wait does
    // not count against it), then rolls.
    EXPECT_EQ(robot.cyclesToRoll(0.3), 16);
    EXPECT_EQ(robot.activity, ACT_GETUP);
}

TEST(GetUpHold, TakingOverASidesGetUpHoldsUntilTheTorsoRests) {
    Robot robot;
    robot.step(skills::kOnRight, 0);
    ASSERT_EQ(robot.activity, ACT_GETUP_RIGHT);
    // The side's get-up rolls the robot onto its back: 0.2 s later the back's takes over.
    int cycles = 0;
    while (robot.activity == ACT_GETUP_RIGHT && ++cycles < 100) robot.step(skills::kOnBack, 60);
    ASSERT_EQ(robot.activity, ACT_GETUP);
    // That cycle played the hold's first; it rocks for 0.4 s more.
    EXPECT_EQ(robot.cyclesToRoll(0.4), 21);
}
