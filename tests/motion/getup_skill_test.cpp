// The get-up sequence as a plain object: which get-up a fall gets, and when, from the
// readings alone.
#include <gtest/gtest.h>

#include <sstream>

#include "motion/skills/getup.h"

namespace {

const float kG = 9.81f;  // m/s^2

// One-keyframe motions whose first cycle tells them apart by the head yaw's speed.
skills::KeyframeMotion motion(double yaw) {
    std::istringstream in("t t hj1\n0 1 " + std::to_string(yaw) + "\n");
    return skills::readKeyframes(in);
}

skills::GetUp::Motions fourGetUps() {
    return {motion(-50), motion(-100), motion(150), motion(-150)};
}

// A reading at time t; `moving` turns the torso at 90 deg/s.
skills::Readings reading(double t, const salt::Vector3f& acc, bool moving) {
    skills::Readings r;
    r.time = t;
    r.acc = acc;
    r.accFresh = true;
    if (moving) r.gyro = salt::Vector3f(90, 0, 0);
    return r;
}

// Which get-up a run of cycles ends up playing.
struct Falling {
    skills::GetUp getUp{fourGetUps()};
    Action activity = ACT_NONE;
    Action step(double t, int lying, const salt::Vector3f& acc, bool moving) {
        getUp.step(reading(t, acc, moving), lying, activity);
        return activity;
    }
};

TEST(GetUpSkill, AFallWaitsForTheRobotToComeToRestBeforeChoosingItsGetUp) {
    struct Case {
        const char* what;
        int restsAfter;  // cycles of moving before the robot lies still
        Action chosen;   // after the wait
        int cycles;      // when the get-up starts
    } const cases[] = {
        {"at rest at once", 0, ACT_GETUP_LEFT, 0},
        {"still after 0.1 s", 5, ACT_GETUP_LEFT, 5},
        {"moving for longer than 0.3 s: chosen at 0.3 s", 100, ACT_GETUP_LEFT, 15},
    };
    const salt::Vector3f onLeft(0, -kG, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Falling run;
        int started = -1;
        for (int i = 0; i < 20 && started < 0; ++i) {
            if (run.step(1 + 0.02 * i, skills::kOnLeft, onLeft, i < c.restsAfter) != ACT_NONE)
                started = i;
        }
        EXPECT_EQ(started, c.cycles);
        EXPECT_EQ(run.activity, c.chosen);
    }
}

TEST(GetUpSkill, AReadingOnTheBackTakesOverFromAnotherGetUpOnlyWhenTheAccelerometerAgrees) {
    struct Case {
        const char* what;
        salt::Vector3f acc;  // m/s^2, torso frame
        Action after;
    } const cases[] = {
        {"the accelerometer reads the back", salt::Vector3f(kG, 0, 0), ACT_GETUP},
        {"it reads the left side", salt::Vector3f(0, -kG, 0), ACT_GETUP_LEFT},
        {"it reads a knock", salt::Vector3f(30, 0, 0), ACT_GETUP_LEFT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Falling run;
        ASSERT_EQ(run.step(1, skills::kOnLeft, salt::Vector3f(0, -kG, 0), false), ACT_GETUP_LEFT);
        EXPECT_EQ(run.step(1.02, skills::kOnBack, c.acc, true), c.after);
    }
    // Without an accelerometer (older servers) the back takes over as ever.
    Falling run;
    ASSERT_EQ(run.step(1, skills::kOnLeft, salt::Vector3f(0, -kG, 0), false), ACT_GETUP_LEFT);
    skills::Readings none;
    none.time = 1.02;
    run.getUp.step(none, skills::kOnBack, run.activity);
    EXPECT_EQ(run.activity, ACT_GETUP);
}

}  // namespace
