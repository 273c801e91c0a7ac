// The referee of a real match: balls out of play and the set plays that follow, goals
// seen in the world, the last touch deciding, set plays taken or given up, and the
// distance the other side keeps, in the kinematic and the physical world.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "sparring/match/ball_out.h"
#include "sparring/match/keep_away.h"
#include "sparring/match/official.h"
#include "sparring/world/kinematic/kinematic_world.h"
#include "sparring/world/physics/physics_world.h"

using namespace sparring;

namespace {

constexpr double kR = kBallRadius;

// A match in a world without agents: the world steps, the referee keeps time and the
// official watches, as the server does every cycle.
template <class W>
struct Match {
    explicit Match(const FieldSpec& field, W& w, MatchTimes times = {}) : world(w), referee(times) {
        world.setField(field);
    }
    OfficialCalls cycle() {
        now += kCycleSeconds;
        world.step(kCycleSeconds);
        referee.update(now);
        return official.watch(world, referee, now);
    }
    // Cycles until the mode is `mode`, at most `seconds`.
    void until(PlayMode mode, double seconds = 30) {
        for (double end = now + seconds; referee.mode() != mode && now < end;) cycle();
    }
    W& world;
    Referee referee;
    MatchOfficial official;
    double now = 0;
};

MatchTimes quickTimes() {
    MatchTimes t;
    t.beforeKickOff = 0.1;
    t.kickOff = 0.1;
    t.goalPause = 0.2;
    t.setPlay = 1;
    t.duration = 1000;
    return t;
}

}  // namespace

TEST(BallOut, EachLineGivesItsGoalOrSetPlayWithTheBallOnItsSpot) {
    const FieldSpec& small = designFieldSpec();
    const FieldSpec& league = leagueFieldSpec();
    const std::optional<BallToucher> none;
    const BallToucher left7{Side::Left, 7}, right3{Side::Right, 3};
    struct Case {
        const FieldSpec* field;
        Vec3 ball;
        std::optional<BallToucher> last;
        const char* mode;  // nullptr: still in play
        double x, y;       // the set play's spot
    } cases[] = {
        // In play while any part of the ball is on the line.
        {&small, {6.0 + kR - 0.001, 0, kR}, left7, nullptr, 0, 0},
        {&small, {1, 4.0 + kR - 0.001, kR}, left7, nullptr, 0, 0},
        {&league, {14.9, 9.9, kR}, right3, nullptr, 0, 0},
        // Goals: between the posts, under the crossbar, whoever touched last.
        {&small, {6.05, 0.6, kR}, left7, "Goal_Left", 0, 0},
        {&small, {-6.05, -0.6, kR}, right3, "Goal_Right", 0, 0},
        {&small, {6.05, 0.2, kR}, right3, "Goal_Left", 0, 0},  // own goal
        {&league, {15.05, 1.0, kR}, none, "Goal_Left", 0, 0},
        {&league, {-15.05, -1.0, kR}, left7, "Goal_Right", 0, 0},
        // Beside the posts: 1 m is inside the league's goal and outside the design's.
        {&small, {6.05, 1.0, kR}, left7, "goal_kick_right", 5.4, 0},
        {&league, {15.05, 1.2, kR}, left7, "goal_kick_right", 14.1, 0},
        // Over the crossbar.
        {&small, {6.05, 0, 0.8}, left7, "goal_kick_right", 5.4, 0},
        // A defender last: a corner on the side the ball left.
        {&small, {6.05, 2, kR}, right3, "corner_kick_left", 6, 4},
        {&small, {6.05, -1, 0.9}, right3, "corner_kick_left", 6, -4},
        {&small, {-6.05, -2, kR}, left7, "corner_kick_right", -6, -4},
        {&league, {-15.1, 5, kR}, left7, "corner_kick_right", -15, 10},
        {&small, {-6.05, 3, kR}, right3, "goal_kick_left", -5.4, 0},
        {&league, {-15.1, 5, kR}, none, "goal_kick_left", -14.1, 0},
        // Over a touch line: the other side's kick-in where the ball left.
        {&small, {2.5, 4.05, kR}, left7, "KickIn_Right", 2.5, 4},
        {&small, {-3, -4.05, kR}, right3, "KickIn_Left", -3, -4},
        {&league, {7, -10.1, kR}, right3, "KickIn_Left", 7, -10},
        {&small, {-3, -4.05, kR}, none, "KickIn_Left", -3, -4},  // untouched: own half
        {&small, {3, -4.05, kR}, none, "KickIn_Right", 3, -4},
    };
    for (const Case& c : cases) {
        const auto out = judgeBall(*c.field, c.ball, c.last);
        std::ostringstream at;
        at << c.field->name << " (" << c.ball.x << ", " << c.ball.y << ", " << c.ball.z << ")";
        if (c.mode == nullptr) {
            EXPECT_FALSE(out) << at.str();
            continue;
        }
        ASSERT_TRUE(out) << at.str();
        EXPECT_STREQ(playModeName(out->mode), c.mode) << at.str();
        EXPECT_EQ(out->goal, std::string(c.mode).rfind("Goal_", 0) == 0) << at.str();
        EXPECT_EQ(out->side, modeSide(out->mode)) << at.str();
        if (out->goal) continue;
        EXPECT_NEAR(out->x, c.x, 1e-9) << at.str();
        EXPECT_NEAR(out->y, c.y, 1e-9) << at.str();
    }
}

TEST(PlayModes, EveryModeHasTheLeaguesNameOnTheWire) {
    const char* names[] = {"BeforeKickOff",
                           "KickOff_Left",
                           "KickOff_Right",
                           "PlayOn",
                           "KickIn_Left",
                           "KickIn_Right",
                           "corner_kick_left",
                           "corner_kick_right",
                           "goal_kick_left",
                           "goal_kick_right",
                           "offside_left",
                           "offside_right",
                           "GameOver",
                           "Goal_Left",
                           "Goal_Right",
                           "free_kick_left",
                           "free_kick_right",
                           "direct_free_kick_left",
                           "direct_free_kick_right"};
    for (int i = 0; i <= static_cast<int>(PlayMode::DirectFreeKickRight); ++i) {
        EXPECT_STREQ(playModeName(static_cast<PlayMode>(i)), names[i]) << i;
    }
}

// Goals from the world on both fields: the last toucher scores for its side, an own goal
// counts for the other side but not for the robot, and the conceding side kicks off with
// the ball back on the centre spot.
TEST(Official, BallOverAGoalLineIsAGoalForTheOtherSideOnBothFields) {
    struct Case {
        const FieldSpec* field;
        Side toucher;
        double goalX;  // where the ball is put, over a goal line between the posts
        PlayMode goal, kickOff;
        int scorerGoals;
    } cases[] = {
        {&designFieldSpec(), Side::Left, 6.1, PlayMode::GoalLeft, PlayMode::KickOffRight, 1},
        {&designFieldSpec(), Side::Right, 6.1, PlayMode::GoalLeft, PlayMode::KickOffRight, 0},
        {&leagueFieldSpec(), Side::Right, -15.1, PlayMode::GoalRight, PlayMode::KickOffLeft, 1},
        {&leagueFieldSpec(), Side::Left, -15.1, PlayMode::GoalRight, PlayMode::KickOffLeft, 0},
    };
    for (const Case& c : cases) {
        KinematicWorld world;
        Match<KinematicWorld> m(*c.field, world, quickTimes());
        Robot& robot = world.addRobot(c.toucher, 7, "T");
        m.until(PlayMode::PlayOn);
        world.placeBall(3, 2);
        robot.place(3, 2, 0);  // standing on the ball
        m.cycle();
        robot.place(3, -2, 0);
        world.placeBall(c.goalX, 0.3);
        const OfficialCalls calls = m.cycle();
        SCOPED_TRACE(std::string(c.field->name) + " " + sideName(c.toucher));
        EXPECT_EQ(m.referee.mode(), c.goal);
        ASSERT_TRUE(calls.scorer);
        EXPECT_EQ(calls.scorer->side, c.toucher);
        const Side scoring = modeSide(c.goal);
        EXPECT_EQ(m.referee.score(scoring), 1);
        EXPECT_EQ(m.official.stats().player(c.toucher, 7).goals, c.scorerGoals);
        EXPECT_NE(describeCalls(calls, m.now).find("goal for"), std::string::npos);
        m.until(c.kickOff);
        EXPECT_NEAR(world.ball().x, 0, 1e-9);
        EXPECT_NEAR(world.ball().y, 0, 1e-9);
    }
}

// The same ball over the same line is a corner or a goal kick by who touched it last,
// and the ball goes to the set play's spot.
TEST(Official, LastTouchDecidesBetweenCornerAndGoalKick) {
    struct Case {
        Side toucher;
        PlayMode mode;
        double x, y;
    } cases[] = {
        {Side::Right, PlayMode::CornerKickLeft, 6, -4},
        {Side::Left, PlayMode::GoalKickRight, 5.4, 0},
    };
    for (const Case& c : cases) {
        KinematicWorld world;
        Match<KinematicWorld> m(designFieldSpec(), world, quickTimes());
        Robot& robot = world.addRobot(c.toucher, 4, "T");
        m.until(PlayMode::PlayOn);
        world.placeBall(5, -1);
        robot.place(5, -1, 0);
        m.cycle();
        EXPECT_EQ(m.official.stats().lastTouch()->side, c.toucher);
        robot.place(0, 3, 0);
        world.placeBall(6.1, -3);
        const OfficialCalls calls = m.cycle();
        EXPECT_EQ(m.referee.mode(), c.mode) << sideName(c.toucher);
        ASSERT_TRUE(calls.out);
        EXPECT_NEAR(world.ball().x, c.x, 1e-9);
        EXPECT_NEAR(world.ball().y, c.y, 1e-9);
    }
}

// A set play ends when its side touches the ball, not when the other side does, and is
// given up after its time when nobody takes it.
TEST(Official, SetPlayIsTakenByItsSideOrGivenUpAfterItsTime) {
    KinematicWorld world;
    Match<KinematicWorld> m(designFieldSpec(), world, quickTimes());
    Robot& taker = world.addRobot(Side::Right, 2, "R");
    Robot& other = world.addRobot(Side::Left, 5, "L");
    taker.place(-2, 0, 0);
    other.place(0, -3, 0);
    m.until(PlayMode::PlayOn);
    world.placeBall(2, 4.1);  // out with nobody's touch, in the right half
    m.cycle();
    ASSERT_EQ(m.referee.mode(), PlayMode::KickInRight);
    const double start = m.now;
    m.until(PlayMode::PlayOn, 2);
    EXPECT_NEAR(m.now - start, 1.0, kCycleSeconds + 1e-9) << "given up after its time";

    world.placeBall(2, 4.1);
    m.cycle();
    ASSERT_EQ(m.referee.mode(), PlayMode::KickInRight);
    taker.place(1, 3, 0);  // a step short of the ball on the touch line
    m.cycle();
    EXPECT_EQ(m.referee.mode(), PlayMode::KickInRight);
    taker.place(2, 4, 0);
    m.cycle();
    EXPECT_EQ(m.referee.mode(), PlayMode::PlayOn);
    EXPECT_EQ(m.official.stats().lastTouch()->side, Side::Right);
}

// The side not kicking off is put out of the centre circle, the side not taking a set play
// a metre from the ball; the others stay where they are.
TEST(Official, TheSideNotTakingTheKickOffOrSetPlayIsMovedToItsDistance) {
    struct Case {
        const FieldSpec* field;
        bool setPlay;  // a kick-in of the left side at (2, 4), else the left side's kick-off
        double x, y;   // the right robot, too close
        double keep;   // the distance it must keep from the ball
    } cases[] = {
        {&designFieldSpec(), false, 0.3, 0.4, 1.0},
        {&leagueFieldSpec(), false, -1, 0.5, 2.0},
        {&leagueFieldSpec(), false, 0, 0, 2.0},
        {&designFieldSpec(), true, 2.3, 3.6, 1.0},
    };
    for (const Case& c : cases) {
        KinematicWorld world;
        MatchTimes t = quickTimes();
        t.kickOff = 1;
        Match<KinematicWorld> m(*c.field, world, t);
        Robot& near = world.addRobot(Side::Right, 6, "R");
        Robot& own = world.addRobot(Side::Left, 9, "L");
        if (c.setPlay) {
            m.until(PlayMode::PlayOn);
            own.place(-4, 0, 0);
            world.placeBall(-2, 4.1);
            m.cycle();
            world.placeBall(2, 4);
        } else {
            m.until(PlayMode::KickOffLeft);
        }
        own.place(0.2, 0.1, 30);
        near.place(c.x, c.y, 45);
        const OfficialCalls calls = m.cycle();
        const Vec3 ball = world.ball();
        SCOPED_TRACE(std::string(c.field->name) + (c.setPlay ? " set play" : " kick-off"));
        ASSERT_EQ(calls.movedAway.size(), 1u);
        EXPECT_EQ(calls.movedAway[0], &near);
        EXPECT_NEAR(std::hypot(near.x() - ball.x, near.y() - ball.y), c.keep + kKeepAwayMargin,
                    1e-6);
        EXPECT_NEAR(near.heading(), 45, 1e-6);
        if (c.x != 0 || c.y != 0) {  // straight out from the ball
            EXPECT_NEAR(std::atan2(near.y() - ball.y, near.x() - ball.x),
                        std::atan2(c.y - ball.y, c.x - ball.x), 1e-6);
        } else {
            EXPECT_GT(near.x(), 0) << "towards its own goal";
        }
        EXPECT_NEAR(own.x(), 0.2, 1e-9);
    }
}

// A robot moved out of the kept distance is not put onto another robot (one lying there
// was fallen over and kept down): it goes to the nearest spot on the circle clear of them.
TEST(Official, ARobotMovedAwayIsPutClearOfTheOthers) {
    struct Case {
        double turn;  // degrees from straight out of the robot in the way (0: on the spot)
    } cases[] = {{0}, {15}, {-25}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.turn);
        KinematicWorld world;
        MatchTimes t = quickTimes();
        t.kickOff = 1;
        Match<KinematicWorld> m(designFieldSpec(), world, t);
        Robot& near = world.addRobot(Side::Right, 6, "R");
        Robot& lying = world.addRobot(Side::Left, 9, "L");
        m.until(PlayMode::KickOffLeft);
        const double out = std::atan2(0.4, 0.3) + c.turn * M_PI / 180;  // rad
        const double to = designFieldSpec().centreRadius + kKeepAwayMargin;
        lying.place(to * std::cos(out), to * std::sin(out), 0);
        near.place(0.3, 0.4, 45);
        const OfficialCalls calls = m.cycle();
        ASSERT_EQ(calls.movedAway.size(), 1u);
        EXPECT_NEAR(std::hypot(near.x(), near.y()), to, 1e-6);
        const double apart = std::hypot(near.x() - lying.x(), near.y() - lying.y());
        EXPECT_GE(apart, kKeepAwayClearance);
        EXPECT_LT(apart, kKeepAwayClearance + 0.2) << "turned further than it needed";
    }
}

// The summary's figures: a touch that sends the ball over a metre is a kick, possession
// goes to the side nearest the ball in PlayOn, walking is counted and beams are not.
TEST(Official, KicksPossessionAndWalkingAreCounted) {
    KinematicWorld world;
    Match<KinematicWorld> m(designFieldSpec(), world, quickTimes());
    Robot& kicker = world.addRobot(Side::Left, 8, "L");
    Robot& far = world.addRobot(Side::Right, 8, "R");
    kicker.place(-2, 0, 0);  // beamed far: not walked
    far.place(4, 0, 0);
    m.until(PlayMode::PlayOn);
    world.placeBall(-1, 0);
    kicker.place(-1, 0, 0);
    m.cycle();
    kicker.place(-1.5, 0, 0);
    world.placeBall(-0.5, 0);  // moved under a metre
    m.cycle();
    EXPECT_EQ(m.official.stats().player(Side::Left, 8).kicks, 0);
    world.placeBall(0.1, 0);  // over a metre from where it was touched
    EXPECT_EQ(m.cycle().kick, (BallToucher{Side::Left, 8}));
    m.cycle();
    EXPECT_EQ(m.official.stats().player(Side::Left, 8).kicks, 1) << "one touch, one kick";
    kicker.place(-4, 3, 0);  // put far at once: not walked
    // The right robot walks 2 m to the ball in 1 s and is nearest from then on.
    for (int i = 1; i <= 50; ++i) {
        far.place(4 - 0.04 * i, 0, 180);
        m.cycle();
    }
    for (int i = 0; i < 100; ++i) m.cycle();
    const MatchStats& s = m.official.stats();
    EXPECT_NEAR(s.player(Side::Right, 8).walked, 2.0, 0.1);
    EXPECT_LT(s.player(Side::Left, 8).walked, 1.6) << "walked 1.5 m at most, then put 5 m away";
    EXPECT_NEAR(s.possession(Side::Left) + s.possession(Side::Right), 1.0, 1e-9);
    EXPECT_GT(s.possession(Side::Right), 0.5);
    EXPECT_GT(s.possession(Side::Left), 0.0);
}

// The longest play without a touch counts only PlayOn cycles in a row: a touch ends a run,
// so does a set play (the ball out with nobody's touch), and the run under way counts.
TEST(Official, LongestUntouchedPlayIsARunOfPlayOnBetweenTouches) {
    KinematicWorld world;
    Match<KinematicWorld> m(designFieldSpec(), world, quickTimes());
    Robot& toucher = world.addRobot(Side::Left, 4, "L");
    toucher.place(-3, 0, 0);
    world.placeBall(1, 0);
    m.until(PlayMode::PlayOn);
    const MatchStats& s = m.official.stats();
    for (int i = 0; i < 50; ++i) m.cycle();
    EXPECT_NEAR(s.untouchedLongest(), 1.0, kCycleSeconds + 1e-9);
    toucher.place(1, 0, 0);  // on the ball for 20 cycles: no run
    for (int i = 0; i < 20; ++i) m.cycle();
    toucher.place(-3, 0, 0);
    for (int i = 0; i < 40; ++i) m.cycle();  // 0.8 s: shorter than the first run
    EXPECT_NEAR(s.untouchedLongest(), 1.0, kCycleSeconds + 1e-9);
    world.placeBall(2, 4.1);  // out untouched: a kick-in of 1 s, then PlayOn again
    m.until(PlayMode::KickInRight, 1);
    for (int i = 0; i < 60; ++i) m.cycle();
    ASSERT_EQ(m.referee.mode(), PlayMode::PlayOn);
    EXPECT_LT(s.untouchedLongest(), 1.1) << "the kick-in is no PlayOn and ends the run";
    for (int i = 0; i < 100; ++i) m.cycle();
    EXPECT_NEAR(s.untouchedLongest(), 2.0 + 0.2, 3 * kCycleSeconds) << "the run under way counts";
}

// In the physical world a touch is a contact: the ball rolled into a standing robot is
// touched by it, and a ball it touched last rolling into the goal is its goal.
TEST(Official, PhysicalContactIsTheTouchAndItsBallIntoTheGoalAGoal) {
    std::ostringstream log;
    PhysicsWorld world(log);
    Match<PhysicsWorld> m(leagueFieldSpec(), world, quickTimes());
    PhysicsRobot& robot = world.addPhysicsRobot(Side::Left, 10, "L");
    m.until(PlayMode::PlayOn);
    robot.place(12, 0.5, 0);
    world.placeBall(13, 0.5);
    world.rollBall(-1.5, 0);
    for (int i = 0; i < 100 && !m.official.stats().lastTouch(); ++i) m.cycle();
    ASSERT_TRUE(m.official.stats().lastTouch()) << "the ball never touched the robot";
    EXPECT_EQ(*m.official.stats().lastTouch(), (BallToucher{Side::Left, 10}));
    world.placeBall(14, 0.5);  // the robot's last touch still counts
    world.rollBall(2, 0);
    m.until(PlayMode::GoalLeft, 3);
    EXPECT_EQ(m.referee.score(Side::Left), 1);
    EXPECT_EQ(m.official.stats().player(Side::Left, 10).goals, 1);
}
