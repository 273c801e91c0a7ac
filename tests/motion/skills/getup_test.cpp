// The back get-up's first keyframe, a hold of the lying posture, lasts until the torso
// rests: played through the GetUp object with synthetic readings, from a fall, after a
// roll that left the robot on its back (the retry) and taking over a side's get-up. The
// side of the back's roll: the other one after a roll that the front get-up did not
// follow. A front get-up that left the robot down: the roll back onto the back, then on
// over the other side.
#include "motion/skills/getup.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

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

// A side's or the front's get-up (the arm only, so that a hip tells the back's roll).
KeyframeMotion ownMotion() {
    std::istringstream in(
        "start end laj1\n"
        "0.0 3.0 -90\n");
    return skills::readKeyframes(in);
}

struct Robot {
    GetUp getUp;
    Action activity = ACT_NONE;
    double time = 10;
    explicit Robot(int frontTries = 0)
        : getUp(GetUp::Motions{backMotion(), ownMotion(), {}, ownMotion()}, frontTries) {}

    // One cycle lying `lying` with the torso turning at `gyro` deg/s; the left hip
    // pitch's speed.
    double step(int lying, float gyro) { return stepAll(lying, gyro).speed[LLJ3]; }
    skills::JointSpeeds stepAll(int lying, float gyro) {
        Readings now;
        now.time = time;
        now.gyro = salt::Vector3f(gyro, 0, 0);
        time += kCycle;
        return getUp.step(now, lying, activity);
    }
    // Lying still on the back until the back's roll swings a hip: 'R' for the motion as
    // written (the left hip), 'L' for its mirror image (the right hip), '-' if none does
    // within 2 s.
    char nextRoll() {
        for (int c = 0; c < 100; ++c) {
            const skills::JointSpeeds s = stepAll(skills::kOnBack, 0);
            if (s.speed[LLJ3] > 0) return 'R';
            if (s.speed[RLJ3] > 0) return 'L';
        }
        return '-';
    }
    // Plays the roll to its end, the robot reading `lying` meanwhile, then one cycle
    // more that way (which starts that way's own get-up, if it has one).
    void rollEndsOn(int lying) {
        for (int c = 0; c < 100 && activity == ACT_GETUP; ++c) stepAll(lying, 0);
        stepAll(lying, 0);
    }
    // Plays the activity in progress to its end, the robot reading `lying`; which hip
    // its first cycles drove up: 'R' the left (the back's roll over the right side, or
    // that roll played backwards), 'L' the right, '-' neither.
    char playsOut(int lying) {
        char hip = '-';
        const Action playing = activity;
        for (int c = 0; c < 300 && activity == playing; ++c) {
            const skills::JointSpeeds s = stepAll(lying, 0);
            if (hip == '-' && s.speed[LLJ3] > 0) hip = 'R';
            if (hip == '-' && s.speed[RLJ3] > 0) hip = 'L';
        }
        return hip;
    }
    // Cycles lying on the back, the torso turning at `gyro` deg/s for the first
    // `rocking` seconds, until the roll starts (a hip is driven); -1 if it does not
    // within 2 s.
    int cyclesToRoll(double rocking, float gyro = 60) {
        for (int c = 0; c < 100; ++c) {
            const skills::JointSpeeds s =
                stepAll(skills::kOnBack, c * kCycle < rocking - 1e-9 ? gyro : 0.0f);
            // Either side's roll (the motion or its mirror image).
            if (s.speed[LLJ3] > 0 || s.speed[RLJ3] > 0) return c;
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

TEST(GetUpSide, ARollThatDoesNotEndOnTheFrontIsFollowedByOneOverTheOtherSide) {
    struct Case {
        const char* name;
        std::vector<int> endings;  // where each roll so far ended, in order
        const char* sides;         // the side of each roll, the next one's included
    } const cases[] = {
        {"ended on the back: the next over the left", {skills::kOnBack}, "RL"},
        {"overshot onto the left side: the next over the left", {skills::kOnLeft}, "RL"},
        {"ended on the front, the front get-up followed: the same side again",
         {skills::kOnFront},
         "RR"},
        {"fell short onto the right side: the next over the left", {skills::kOnRight}, "RL"},
        {"two failed: back over the right", {skills::kOnBack, skills::kOnBack}, "RLR"},
        {"failed, then on the front: on over the left", {skills::kOnBack, skills::kOnFront}, "RLL"},
        {"three failed: every roll the other way",
         {skills::kOnBack, skills::kLyingOther, skills::kOnBack},
         "RLRL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Robot robot;
        std::string sides;
        for (int ending : c.endings) {
            sides += robot.nextRoll();
            robot.rollEndsOn(ending);
        }
        sides += robot.nextRoll();
        EXPECT_EQ(sides, c.sides);
        EXPECT_EQ(robot.getUp.rollsOverLeft(), sides.back() == 'L');
    }
}

TEST(GetUpSide, ARollThatFellShortOntoASideIsTakenOverOverTheOtherSide) {
    // However the roll's last cycle read: a robot falling back off its front onto a side
    // reads "on the front" or no way of lying for a cycle or two as the roll ends.
    for (int lastCycle : {skills::kOnRight, skills::kOnFront, skills::kLyingUnknown}) {
        SCOPED_TRACE(lastCycle);
        Robot robot;
        ASSERT_EQ(robot.nextRoll(), 'R');
        for (int c = 0; c < 100 && robot.activity == ACT_GETUP; ++c) robot.step(lastCycle, 0);
        // The side's get-up plays, and rolls the robot back onto its back.
        robot.step(skills::kOnRight, 0);
        ASSERT_EQ(robot.activity, ACT_GETUP_RIGHT);
        int cycles = 0;
        while (robot.activity == ACT_GETUP_RIGHT && ++cycles < 100) robot.step(skills::kOnBack, 0);
        ASSERT_EQ(robot.activity, ACT_GETUP);
        EXPECT_EQ(robot.nextRoll(), 'L');
    }
}

TEST(GetUpSide, ANewTimeOnTheGroundRollsOverTheRightSideFirst) {
    struct Case {
        const char* name;
        double upright;  // seconds no get-up was stepped after a failed roll
        char next;
    } const cases[] = {
        {"read as upright for a few cycles: the same time on the ground", 0.1, 'L'},
        {"under a second", 0.9, 'L'},
        {"upright for over a second: a new fall", 1.1, 'R'},
        {"stood for long", 30, 'R'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Robot robot;
        ASSERT_EQ(robot.nextRoll(), 'R');
        while (robot.activity == ACT_GETUP) robot.step(skills::kOnBack, 0);
        // The last cycle stepped was the roll's; the next comes `upright` later.
        robot.time += c.upright - kCycle;
        EXPECT_EQ(robot.nextRoll(), c.next);
    }
}

TEST(GetUpRollBack, AFrontGetUpThatLeftTheRobotDownIsFollowedByTheRollBackAndOnOverTheOtherSide) {
    struct Case {
        const char* name;
        int frontTries;
        const char* story;  // what played, in order: F front get-up, B the roll back over
                            // the side that follows, R and L the back's roll
    } const cases[] = {
        {"never (the agent's): the front get-up again and again", 0, "FFFF"},
        {"after one front get-up: back over the right's way, on over the left", 1, "FrLFlR"},
        {"after two", 2, "FFrLFFlR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Robot robot(c.frontTries);
        robot.step(skills::kOnFront, 0);
        std::string story;
        while (story.size() < std::string(c.story).size()) {
            if (robot.activity == ACT_GETUP_FRONT) {
                // The front get-up ends with the robot still on its front.
                robot.playsOut(skills::kOnFront);
                story += 'F';
                robot.step(skills::kOnFront, 0);
            } else if (robot.activity == ACT_GETUP_ROLL_BACK) {
                // Played to its end whatever the robot reads on the way: a side, the back.
                const char hip = robot.playsOut(skills::kOnLeft);
                story += hip == 'R' ? 'r' : hip == 'L' ? 'l' : '-';
                ASSERT_EQ(robot.activity, ACT_NONE);
            } else {
                story += robot.nextRoll();
                // The roll reaches the front, and the front get-up starts.
                robot.rollEndsOn(skills::kOnFront);
            }
        }
        EXPECT_EQ(story, c.story);
    }
}

TEST(GetUpRollBack, AFrontGetUpThatStoodIsNoFailure) {
    struct Case {
        const char* name;
        double upright;  // seconds read as upright after the front get-up's end
        Action next;     // what a fall onto the front then starts
    } const cases[] = {
        {"stood, then a new fall: the front get-up again", 1.5, ACT_GETUP_FRONT},
        {"stood for long", 30, ACT_GETUP_FRONT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Robot robot(1);
        robot.step(skills::kOnFront, 0);
        ASSERT_EQ(robot.activity, ACT_GETUP_FRONT);
        // Its last cycle reads as upright (no way of lying): it stood.
        robot.playsOut(skills::kLyingUnknown);
        ASSERT_EQ(robot.activity, ACT_NONE);
        robot.time += c.upright;
        robot.step(skills::kOnFront, 0);
        EXPECT_EQ(robot.activity, c.next);
    }
    // Still lying on the front at its end: the roll back (a pause of upright readings
    // under a second is the same time on the ground).
    Robot robot(1);
    robot.step(skills::kOnFront, 0);
    robot.playsOut(skills::kOnFront);
    robot.time += 0.5;
    robot.step(skills::kOnFront, 0);
    EXPECT_EQ(robot.activity, ACT_GETUP_ROLL_BACK);
}
