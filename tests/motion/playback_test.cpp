#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "tests/motion/motion_fixture.h"

namespace {

// A table in memory: the joint columns named by code (JointID + 1, 0 = none),
// each keyframe as start, end and one target per joint column.
struct Keyframe {
    double start, end;
    std::vector<double> targets;
};

void build(Actions::Table& t, const std::vector<double>& codes, const std::vector<Keyframe>& rows) {
    for (auto& column : t)
        for (double& cell : column) cell = 0;
    t[0][0] = 2 + codes.size();
    t[1][0] = 1 + rows.size();
    for (size_t c = 0; c < codes.size(); ++c) t[2 + c][0] = codes[c];
    for (size_t r = 0; r < rows.size(); ++r) {
        t[0][r + 1] = rows[r].start;
        t[1][r + 1] = rows[r].end;
        for (size_t c = 0; c < rows[r].targets.size(); ++c) t[2 + c][r + 1] = rows[r].targets[c];
    }
}

std::string speedText(const char* effector, double value) {
    std::ostringstream out;
    out << "(" << effector << " " << value << ")";
    return out.str();
}

class Playback : public testing::Test {
protected:
    void SetUp() override {
        engine()->setCurAct(ACT_NONE);
        setAllJoints(0);
    }
    void TearDown() override {
        engine()->setCurAct(ACT_NONE);
        setAllJoints(0);
    }
};

TEST_F(Playback, KeyframeIsChosenWithAHundredthOfASecondMargin) {
    Actions::Table t;
    build(t, {HJ1 + 1}, {{0, 0.5, {10}}, {0.5, 1, {20}}});
    struct Case {
        double clock;
        std::string text;
    } const cases[] = {
        {-0.01, speedText("he1", 10 / 0.51 / 50)},
        {0.485, speedText("he1", 10 / (0.5 - 0.485) / 50)},
        {0.495, speedText("he1", 20 / (1 - 0.495) / 50)},
        {0.98, speedText("he1", 20 / (1 - 0.98) / 50)},
    };
    for (const Case& c : cases) {
        double clock = c.clock;
        EXPECT_EQ(c.text, engine()->act(t, clock)) << "clock " << c.clock;
        EXPECT_DOUBLE_EQ(c.clock + 0.02, clock);
    }
    // Neither keyframe is active at 0.995; the clock passes the last end time
    // and the motion ends with the all-stop.
    engine()->setCurAct(ACT_WALK);
    double clock = 0.995;
    EXPECT_EQ(engine()->stop(), engine()->act(t, clock));
    EXPECT_EQ(ACT_NONE, engine()->getCurAct());
}

TEST_F(Playback, SpeedSpreadsTheRemainingAngleOverTheRemainingTime) {
    Actions::Table t;
    build(t, {HJ1 + 1}, {{0, 0.5, {30}}});
    struct Case {
        double clock, angle;
        const char* text;
    } const cases[] = {{0, 0, "(he1 1.2)"}, {0.25, 15, "(he1 1.2)"}, {0.48, 30, "(he1 0)"}};
    for (const Case& c : cases) {
        setJoint(HJ1, c.angle);
        double clock = c.clock;
        EXPECT_EQ(c.text, engine()->act(t, clock)) << "clock " << c.clock;
    }
}

TEST_F(Playback, GapBetweenKeyframesSendsNothing) {
    Actions::Table t;
    build(t, {HJ1 + 1, HJ2 + 1}, {{0, 0.5, {10, 10}}, {1, 1.5, {0, 0}}});
    engine()->setCurAct(ACT_GUARD);
    double clock = 0.7;
    EXPECT_EQ("", engine()->act(t, clock));
    EXPECT_EQ(ACT_GUARD, engine()->getCurAct());
}

TEST_F(Playback, ColumnsWithoutAJointAndUnknownAnglesAreSkipped) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Actions::Table t;
    build(t, {0, HJ2 + 1, 23, -4, nan, LLJ1 + 1}, {{0, 1, {5, 5, 5, 5, 5, 5}}});
    setJoint(LLJ1, nan);
    double clock = 0.5;
    EXPECT_EQ(speedText("he2", 5 / 0.5 / 50), engine()->act(t, clock));
}

TEST_F(Playback, TableWithoutKeyframesEndsAtOnce) {
    Actions::Table t;
    build(t, {HJ1 + 1}, {});
    engine()->setCurAct(ACT_GUARD);
    double clock = 0;
    EXPECT_EQ(engine()->stop(), engine()->act(t, clock));
    EXPECT_EQ(ACT_NONE, engine()->getCurAct());

    t[0][0] = t[1][0] = 0;  // a missing file
    engine()->setCurAct(ACT_GUARD);
    EXPECT_EQ(engine()->stop(), engine()->act(t, clock));
    EXPECT_EQ(ACT_NONE, engine()->getCurAct());
}

TEST_F(Playback, CountCellsOutsideTheTableAreClamped) {
    Actions::Table t;
    build(t, {HJ1 + 1}, {{0, 1, {5}}});
    t[0][0] = 1e9;  // columns beyond the table
    t[1][0] = -3;   // no rows
    engine()->setCurAct(ACT_GUARD);
    double clock = 0.2;
    EXPECT_EQ(engine()->stop(), engine()->act(t, clock));
    t[1][0] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(engine()->stop(), engine()->act(t, clock));
}

// The shipped motions played every cycle: each ends with the all-stop once
// its clock passes the last end time, and the next call starts it again.
TEST_F(Playback, MotionStartersRepeatTheirMotionEndlessly) {
    struct Starter {
        const char* name;
        std::string (Actions::*play)();
        Action activity;
    } const starters[] = {{"guard", &Actions::doGuard, ACT_GUARD},
                          {"walk", &Actions::doWalk, ACT_WALK}};
    for (const Starter& s : starters) {
        SCOPED_TRACE(s.name);
        Actions* a = engine();
        const std::string first = (a->*s.play)();
        EXPECT_EQ(s.activity, a->getCurAct());
        EXPECT_FALSE(first.empty());
        int cycles = 1;
        while (a->getCurAct() == s.activity && cycles < 1000) {
            std::string commands = (a->*s.play)();
            ++cycles;
            if (a->getCurAct() == ACT_NONE) {
                EXPECT_EQ(a->stop(), commands);
            }
        }
        EXPECT_EQ(ACT_NONE, a->getCurAct());
        EXPECT_GT(cycles, 10);
        EXPECT_EQ(first, (a->*s.play)());
        EXPECT_EQ(s.activity, a->getCurAct());
        a->setCurAct(ACT_NONE);
    }
}

TEST_F(Playback, StarterWaitsWhileAnotherActivityHoldsTheEngine) {
    Actions* a = engine();
    const Action others[] = {ACT_HEAD_SCAN,   ACT_WALK,       ACT_GETUP,      ACT_GETUP_2,
                             ACT_GETUP_FRONT, ACT_GETUP_LEFT, ACT_GETUP_RIGHT};
    for (Action other : others) {
        a->setCurAct(other);
        EXPECT_EQ(a->stop(), a->doGuard());
        EXPECT_EQ(other, a->getCurAct());
    }
    a->setCurAct(ACT_GUARD);
    EXPECT_EQ(a->stop(), a->doWalk());
    EXPECT_EQ(ACT_GUARD, a->getCurAct());
}

TEST_F(Playback, OnlyGetUpActivitiesCountAsGettingUp) {
    const struct {
        Action act;
        bool gettingUp;
    } all[] = {{ACT_NONE, false},       {ACT_GUARD, false},     {ACT_WALK, false},
               {ACT_HEAD_SCAN, false},  {ACT_GETUP, true},      {ACT_GETUP_2, true},
               {ACT_GETUP_FRONT, true}, {ACT_GETUP_LEFT, true}, {ACT_GETUP_RIGHT, true}};
    for (const auto& a : all) {
        engine()->setCurAct(a.act);
        EXPECT_EQ(a.gettingUp, engine()->isGettingUp()) << a.act;
    }
}

}  // namespace
