#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/motion/motion_fixture.h"
#include "worldmodel/worldmodel.h"

namespace {

const salt::Vector3f kEast(1, 0, 0);
const salt::Vector3f kNorth(0, 1, 0);
const salt::Vector3f kUp(0, 0, 1);
const salt::Vector3f kCamera(0, 0, 0.5f);

class HeadControl : public testing::Test {
protected:
    void SetUp() override {
        engine()->setCurAct(ACT_NONE);
        setAllJoints(0);
        // Standing level at the centre, facing the opponents' goal.
        localise(kCamera, kEast, kNorth);
    }
    void TearDown() override {
        engine()->setCurAct(ACT_NONE);
        setAllJoints(0);
    }
    WorldModel* wm = WorldModel::getInstance();

    // Sightings of this cycle: the own goal line's landmarks, and the ball.
    void seeLandmarks() {
        wm->setServerTime(wm->getServerTime() + 0.02);
        for (FlagsID id : {F1L, F2L, G1L}) wm->setFlagsCameraPos(id, salt::Vector3f(1, 0, 0));
    }
    void seeBall() { wm->setRelBallPos(salt::Vector3f(1, 0, 0)); }

    // The commands of a shipped motion's first cycle, at the present joint angles.
    std::string firstCycle(const char* motion) {
        Actions::Table table;
        {
            ScopedWorkingDir team(std::string(HALYX_SOURCE_DIR) + "/team");
            engine()->fill(table, motion);
        }
        double clock = 0;
        return engine()->act(table, clock);
    }
};

TEST_F(HeadControl, ScanEndsAtOnceWhenWhatItLooksForIsInView) {
    struct Case {
        bool landmarks, ball, requireBall, ends;
    } const cases[] = {
        {true, true, true, true},   {true, false, false, true},   {true, false, true, false},
        {false, true, true, false}, {false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "landmarks " << c.landmarks << " ball " << c.ball
                                        << " requireBall " << c.requireBall);
        engine()->setCurAct(ACT_NONE);
        forgetSightings();
        if (c.landmarks) seeLandmarks();
        if (c.ball) seeBall();
        const std::string commands = engine()->update(c.requireBall);
        if (c.ends) {
            EXPECT_EQ("(he1 0)(he2 0)", commands);
            EXPECT_EQ(ACT_NONE, engine()->getCurAct());
        } else {
            EXPECT_EQ("(he1 -3)(he2 -3)", commands);  // towards (-120, -45)
            EXPECT_EQ(ACT_HEAD_SCAN, engine()->getCurAct());
        }
    }
}

TEST_F(HeadControl, ScanVisitsSixPosesThenEndsAndStartsOver) {
    forgetSightings();
    const double poses[6][2] = {{-120, -45}, {120, -45}, {-120, 0},
                                {120, 0},    {-120, 45}, {120, 45}};
    for (int level = 0; level < 6; ++level) {
        SCOPED_TRACE(level);
        // Not there yet: the scan keeps this pose.
        setJoint(HJ1, poses[level][0] + 10);
        setJoint(HJ2, poses[level][1] - 10);
        EXPECT_EQ("(he1 -3)(he2 3)", engine()->update(true));
        // Within 5 degrees of the pose: this cycle still aims at it, the next at the following one.
        setJoint(HJ1, poses[level][0] + 4);
        setJoint(HJ2, poses[level][1] - 4);
        EXPECT_EQ("(he1 -3)(he2 3)", engine()->update(true));
        EXPECT_EQ(ACT_HEAD_SCAN, engine()->getCurAct());
    }
    EXPECT_EQ("(he1 0)(he2 0)", engine()->update(true));
    EXPECT_EQ(ACT_NONE, engine()->getCurAct());
    setAllJoints(0);
    EXPECT_EQ("(he1 -3)(he2 -3)", engine()->update(true));
}

TEST_F(HeadControl, ScanUnderAnotherActivityLeavesItInPlace) {
    forgetSightings();
    engine()->setCurAct(ACT_GUARD);
    EXPECT_EQ("(he1 -3)(he2 -3)", engine()->update(true));
    EXPECT_EQ(ACT_GUARD, engine()->getCurAct());
}

// Each way of lying has its get-up, which ends the guard, walk or head scan the
// fall interrupts and starts from its first keyframe; lying on the back takes
// over as it always has.
TEST_F(HeadControl, EachWayOfLyingGetsUpWithItsOwnMotion) {
    struct Case {
        const char* pose;
        salt::Vector3f forward, left;
        Action getUp;
        const char* motion;
    } const cases[] = {
        {"on the back", kUp, kNorth, ACT_GETUP, "getUp"},
        {"on the front", -kUp, kNorth, ACT_GETUP_FRONT, "getUpFront"},
        {"on the left side", kEast, -kUp, ACT_GETUP_LEFT, "getUpLeft"},
        {"on the right side", kEast, kUp, ACT_GETUP_RIGHT, "getUpRight"},
    };
    // The joints stand away from 0, so that a keyframe that holds them at 0 (the
    // shipped get-ups begin with one) moves them.
    setAllJoints(10);
    for (const Case& c : cases) {
        // From no activity first: the back get-up's clock starts at 0 there,
        // and the take-overs after it go on with that clock.
        for (Action before : {ACT_NONE, ACT_GUARD, ACT_WALK, ACT_HEAD_SCAN}) {
            SCOPED_TRACE(testing::Message() << c.pose << ", interrupting activity " << before);
            localise(salt::Vector3f(0, 0, 0.1f), c.forward, c.left);
            ASSERT_TRUE(wm->isFeltDown());  // no foot carries weight
            engine()->setCurAct(before);
            const std::string commands = engine()->getUp();
            EXPECT_EQ(c.getUp, engine()->getCurAct());
            if (c.getUp == ACT_GETUP) {
                EXPECT_NE(engine()->stop(), commands);
            } else {
                EXPECT_EQ(firstCycle(c.motion), commands);
            }
        }
    }
}

// A fall that is no known way of lying (here: upright, but no foot carries
// weight) waits for the activity in progress, as before; from no activity it waits
// 0.1 s for its type (for its first cycles a fall reads so while the fix of before
// it counts as current), then the back get-up starts as before.
TEST_F(HeadControl, FallOfNoKnownWayOfLyingLeavesTheActivityInProgress) {
    localise(kCamera, kEast, kNorth);
    ASSERT_TRUE(wm->isFeltDown());
    ASSERT_EQ(0, wm->feltType());
    for (Action before : {ACT_GUARD, ACT_WALK, ACT_HEAD_SCAN}) {
        engine()->setCurAct(before);
        EXPECT_EQ(engine()->stop(), engine()->getUp());
        EXPECT_EQ(before, engine()->getCurAct());
    }
    engine()->setCurAct(ACT_NONE);
    for (int cycle = 0; cycle < 5; ++cycle) {
        EXPECT_EQ(engine()->stop(), engine()->getUp());
        EXPECT_EQ(ACT_NONE, engine()->getCurAct());
        wm->setServerTime(wm->getServerTime() + 0.02);
    }
    engine()->getUp();
    EXPECT_EQ(ACT_GETUP, engine()->getCurAct());
}

TEST_F(HeadControl, FallReadOnASideWithinTheWaitForItsTypeGetsItsOwnGetUp) {
    localise(kCamera, kEast, kNorth);
    ASSERT_EQ(0, wm->feltType());
    engine()->setCurAct(ACT_NONE);
    engine()->getUp();
    wm->setServerTime(wm->getServerTime() + 0.02);
    engine()->getUp();
    ASSERT_EQ(ACT_NONE, engine()->getCurAct());
    localise(salt::Vector3f(0, 0, 0.1f), kEast, -kUp);  // the left side, a cycle on
    engine()->getUp();
    EXPECT_EQ(ACT_GETUP_LEFT, engine()->getCurAct());
}

// An own get-up plays on whatever way the robot turns, unless it reads "on the back"
// for 0.2 s in a row: a few such cycles are a jolt of the accelerometer or a noisy
// fix. The back get-up then takes over from its first keyframe, also after an earlier
// back get-up that played to its end.
TEST_F(HeadControl, GetUpOfTheFrontOrASidePlaysOnUnlessTheRobotComesToLieOnItsBack) {
    localise(salt::Vector3f(0, 0, 0.1f), kUp, kNorth);  // on the back
    engine()->getUp();
    for (int cycles = 0; engine()->isGettingUp() && cycles < 1000; ++cycles) engine()->getUp();
    ASSERT_EQ(ACT_NONE, engine()->getCurAct());

    setAllJoints(10);  // away from the 0 that the get-ups' first keyframes hold
    localise(salt::Vector3f(0, 0, 0.1f), kEast, -kUp);  // on the left side
    engine()->getUp();
    ASSERT_EQ(ACT_GETUP_LEFT, engine()->getCurAct());
    localise(salt::Vector3f(0, 0, 0.1f), -kUp, kNorth);  // rolled onto the front
    EXPECT_NE(engine()->stop(), engine()->getUp());
    EXPECT_EQ(ACT_GETUP_LEFT, engine()->getCurAct());
    localise(salt::Vector3f(0, 0, 0.1f), kUp, kNorth);  // a cycle on the back
    engine()->getUp();
    EXPECT_EQ(ACT_GETUP_LEFT, engine()->getCurAct());
    localise(salt::Vector3f(0, 0, 0.1f), -kUp, kNorth);  // the front again
    engine()->getUp();
    EXPECT_EQ(ACT_GETUP_LEFT, engine()->getCurAct());

    localise(salt::Vector3f(0, 0, 0.1f), kUp, kNorth);  // rolled onto the back
    for (int cycle = 0; cycle < 10; ++cycle) {
        engine()->getUp();
        EXPECT_EQ(ACT_GETUP_LEFT, engine()->getCurAct()) << "cycle " << cycle;
        wm->setServerTime(wm->getServerTime() + 0.02);
    }
    EXPECT_EQ(firstCycle("getUp"), engine()->getUp());
    EXPECT_EQ(ACT_GETUP, engine()->getCurAct());
}

TEST_F(HeadControl, GetUpFromTheFrontPlaysToItsEndAndStartsAgainWhileLying) {
    localise(salt::Vector3f(0, 0, 0.1f), -kUp, kNorth);
    std::string commands = engine()->getUp();
    ASSERT_EQ(ACT_GETUP_FRONT, engine()->getCurAct());
    int cycles = 0;
    while (engine()->isGettingUp() && ++cycles < 1000) commands = engine()->getUp();
    EXPECT_EQ(engine()->stop(), commands);
    EXPECT_EQ(ACT_NONE, engine()->getCurAct());
    EXPECT_GT(cycles, 10);
    EXPECT_EQ(firstCycle("getUpFront"), engine()->getUp());
    EXPECT_EQ(ACT_GETUP_FRONT, engine()->getCurAct());
}

TEST_F(HeadControl, GetUpFromNoActivityPlaysTheMotionToItsEnd) {
    setAllJoints(10);  // away from the 0 that the back get-up's first keyframe holds
    localise(salt::Vector3f(0, 0, 0.1f), kUp, kNorth);  // on the back
    int cycles = 0;
    std::string commands = engine()->getUp();
    EXPECT_TRUE(engine()->isGettingUp());
    EXPECT_NE(engine()->stop(), commands);
    while (engine()->isGettingUp() && ++cycles < 1000) commands = engine()->getUp();
    EXPECT_EQ(engine()->stop(), commands);
    EXPECT_EQ(ACT_NONE, engine()->getCurAct());
    EXPECT_GT(cycles, 10);
}

TEST_F(HeadControl, LookAtTurnsFromTheCurrentHeadAngleAndHoldsWhenClose) {
    struct Case {
        const char* what;
        double hj1, hj2;
        salt::Vector3f target;
        const char* text;
    } const cases[] = {
        {"straight ahead", 0, 0, salt::Vector3f(5, 0, 0.5f), "(he1 0)(he2 0)"},
        {"to the left and above", 0, 0, salt::Vector3f(5, 5, 5.5f), "(he1 6)(he2 2)"},
        {"to the right and below", 0, 0, salt::Vector3f(5, -5, -4.5f), "(he1 -6)(he2 -2)"},
        {"within a step", 0, 0, salt::Vector3f(5, 0.4f, 0.6f), "(he1 0)(he2 0)"},
        // The camera pose already includes the head's turn: a target straight
        // ahead of the camera keeps the head where it is.
        {"ahead of a turned head", 30, 10, salt::Vector3f(5, 0, 0.5f), "(he1 0)(he2 0)"},
        {"turned head, target left", 30, 10, salt::Vector3f(5, 1, 0.5f), "(he1 6)(he2 0)"},
    };
    for (const Case& c : cases) {
        setJoint(HJ1, c.hj1);
        setJoint(HJ2, c.hj2);
        EXPECT_EQ(c.text, engine()->lookAt(c.target)) << c.what;
    }
}

TEST_F(HeadControl, LookAtWithoutAKnownHeadAngleSendsNothingForThatJoint) {
    setJoint(HJ1, std::nan(""));
    EXPECT_EQ("(he2 2)", engine()->lookAt(salt::Vector3f(5, 5, 5.5f)));
}

TEST_F(HeadControl, RotatingTheHeadTowardsAPointBringsItStraightAhead) {
    const float tol = 1e-3f;  // metres and degrees
    const salt::Vector3f a(3, 3, 2.5f);
    double cost = -1;
    salt::Vector3f seen = engine()->rotatePosAroundHead(a, a, cost);
    // A at 45 degrees left and about 25 up, 4.69 m away, appears straight ahead.
    const float distance = (a - kCamera).Length();
    EXPECT_NEAR(kCamera.x() + distance, seen.x(), tol);
    EXPECT_NEAR(kCamera.y(), seen.y(), tol);
    EXPECT_NEAR(kCamera.z(), seen.z(), tol);
    const double pitch = std::atan2(2.0, std::sqrt(18.0)) * 180 / M_PI;
    EXPECT_NEAR(45 + pitch, cost, tol);

    // A point to the right of A by the same yaw ends that much right of ahead.
    seen = engine()->rotatePosAroundHead(salt::Vector3f(5, 0, 0.5f), salt::Vector3f(5, -5, 0.5f),
                                         cost);
    EXPECT_NEAR(-5, seen.y(), tol);
    EXPECT_NEAR(0, cost, tol);
}

TEST_F(HeadControl, RotatingBeyondTheHeadRangeCostsAThousand) {
    setJoint(HJ1, 30);
    double cost = 0;
    // About 100 degrees to the left: 30 + 100 is past the 120 degree yaw limit.
    const salt::Vector3f a(-0.8682f, 4.924f, 0.5f);
    salt::Vector3f seen = engine()->rotatePosAroundHead(a, salt::Vector3f(5, 0, 0.5f), cost);
    EXPECT_EQ(1000, cost);
    EXPECT_TRUE(std::isfinite(seen.x()) && std::isfinite(seen.y()) && std::isfinite(seen.z()));
    setJoint(HJ1, 0);
    setJoint(HJ2, 40);
    engine()->rotatePosAroundHead(salt::Vector3f(5, 0, 5.5f), a, cost);  // 45 up from 40
    EXPECT_EQ(1000, cost);
}

}  // namespace
