#include "motion/skills/walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using skills::WalkCommand;

constexpr double kCycle = 0.02;  // seconds
constexpr double kDeg = M_PI / 180;

// The walk on a robot whose joints turn exactly as commanded: each cycle's readings are
// the angles the last speeds reached, both feet down, upright and at rest.
class KinematicRun {
public:
    explicit KinematicRun(const skills::WalkParameters& p = {}) : walk(p) {
        now.acc = salt::Vector3f(0, 0, 9.81f);
        now.accFresh = true;
        for (auto& f : now.feet) f.touching = true;
    }
    skills::JointSpeeds cycle() {
        const double yaw = body().yaw;
        const skills::JointSpeeds s = walk.step(now);
        for (int j = 0; j < kJointCount; ++j)
            if (s.driven[j]) now.angles[j] += s.speed[j] * kCycle / kDeg;
        now.time += kCycle;
        track();
        // The gyroscope reads the torso's turn as planned.
        now.gyro = salt::Vector3f(0, 0, static_cast<float>((body().yaw - yaw) / kDeg / kCycle));
        return s;
    }
    void run(double seconds) {
        for (int i = 0; i < std::lround(seconds / kCycle); ++i) cycle();
    }
    // Where the centre of mass is on the ground and how the torso is turned, in the
    // frame the run started in (metres, radians), from the gait's frames.
    skills::Pose2 body() const {
        const skills::GaitFrame& f = walk.frame();
        return skills::compose(origin, {f.comX, f.comY, f.torsoYaw});
    }

    skills::Walk walk;
    skills::Readings now;

private:
    // The gait's frame moves to the standing foot at each step's start.
    void track() {
        const skills::GaitFrame& f = walk.frame();
        if (f.support >= 0 && f.support != lastSupport)
            origin = skills::compose(origin, last.feet[f.support]);
        lastSupport = f.support;
        last = f;
    }
    skills::Pose2 origin;
    skills::GaitFrame last;
    int lastSupport = -1;
};

TEST(Walk, HeadIsNeverDrivenAndEveryOtherJointWithinTheMotorsLimit) {
    KinematicRun r;
    const WalkCommand commands[] = {{0, 0, 0, false},    {5, 0, 0, false},   {0, -3, 0, false},
                                    {-2, 1, 300, false}, {0, 0, -90, false}, {0, 0, 0, true}};
    for (const WalkCommand& c : commands) {
        r.walk.setCommand(c);
        for (int i = 0; i < 100; ++i) {
            const skills::JointSpeeds s = r.cycle();
            ASSERT_FALSE(s.driven[HJ1]);
            ASSERT_FALSE(s.driven[HJ2]);
            for (int j = HJ2 + 1; j < kJointCount; ++j) {
                ASSERT_TRUE(s.driven[j]) << "joint " << j;
                ASSERT_TRUE(std::isfinite(s.speed[j])) << "joint " << j;
                ASSERT_LE(std::fabs(s.speed[j]), 6.14) << "joint " << j;
            }
        }
    }
}

TEST(Walk, StandingStillGivesStillJoints) {
    KinematicRun r;
    r.run(3);
    EXPECT_TRUE(r.walk.still());
    const skills::JointSpeeds s = r.cycle();
    for (int j = 0; j < kJointCount; ++j) EXPECT_NEAR(s.speed[j], 0, 1e-6) << "joint " << j;
}

TEST(Walk, CommandsBeyondItsBestAreLimitedKeepingTheirDirection) {
    skills::WalkParameters p;
    p.set("maxForward", 0.6);
    p.set("maxBackward", 0.3);
    p.set("maxSideways", 0.2);
    p.set("maxTurn", 60);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        WalkCommand in, out;
    };
    const Case cases[] = {
        {{0.3, 0.1, 20, false}, {0.3, 0.1, 20, false}},  // within reach: as given
        {{1.2, 0, 0, false}, {0.6, 0, 0, false}},
        {{-1, 0, 0, false}, {-0.3, 0, 0, false}},
        {{0, -0.8, 0, false}, {0, -0.2, 0, false}},
        {{0, 0, 600, false}, {0, 0, 60, false}},
        {{1.2, 0.4, 0, false}, {0.6 / std::sqrt(2), 0.2 / std::sqrt(2), 0, false}},
        {{nan, 0.1, inf, false}, {0, 0.1, 0, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.in.forward << " " << c.in.sideways << " " << c.in.turn);
        skills::Walk walk(p);
        walk.setCommand(c.in);
        EXPECT_NEAR(walk.command().forward, c.out.forward, 1e-12);
        EXPECT_NEAR(walk.command().sideways, c.out.sideways, 1e-12);
        EXPECT_NEAR(walk.command().turn, c.out.turn, 1e-9);
    }
}

TEST(Walk, SpeedFollowsASuddenCommandWithinItsAccelerationLimits) {
    skills::WalkParameters p;
    struct Case {
        WalkCommand command;
        double WalkCommand::*part;
        double limit;  // per second
    };
    const Case cases[] = {
        {{1, 0, 0, false}, &WalkCommand::forward, p.get("accForward")},
        {{-1, 0, 0, false}, &WalkCommand::forward, p.get("accForward")},
        {{0, 1, 0, false}, &WalkCommand::sideways, p.get("accSideways")},
        {{0, 0, -200, false}, &WalkCommand::turn, p.get("accTurn")},
    };
    for (const Case& c : cases) {
        KinematicRun r(p);
        r.run(1);
        r.walk.setCommand(c.command);
        double last = r.walk.speed().*c.part;
        bool reached = false;
        for (int i = 0; i < 400; ++i) {
            r.cycle();
            const double v = r.walk.speed().*c.part;
            ASSERT_LE(std::fabs(v - last), c.limit * kCycle + 1e-9);
            last = v;
            reached = reached || v == r.walk.command().*c.part;
        }
        EXPECT_TRUE(reached);
        // Stopping slows down by at most the braking limit.
        r.walk.setCommand({});
        for (int i = 0; i < 100; ++i) {
            r.cycle();
            const double v = r.walk.speed().*c.part;
            const double brake = c.part == &WalkCommand::forward ? p.get("decForward") : c.limit;
            ASSERT_LE(std::fabs(v - last), brake * kCycle + 1e-9);
            last = v;
        }
        EXPECT_EQ(last, 0);
    }
}

// Where a body moving at `c` (forward and left in its own axes, turning) is after
// `seconds`, seen from where it started: an arc when it turns.
skills::Pose2 arcAfter(const WalkCommand& c, double seconds) {
    const double w = c.turn * kDeg, a = w * seconds;
    const double s = std::fabs(w) > 1e-9 ? std::sin(a) / w : seconds;
    const double k = std::fabs(w) > 1e-9 ? (1 - std::cos(a)) / w : 0;
    return {s * c.forward - k * c.sideways, k * c.forward + s * c.sideways, a};
}

// The planned body's pose averaged over two steps, which evens out its sway.
skills::Pose2 averageBody(KinematicRun& r) {
    skills::Pose2 sum;
    const int n = 25;
    for (int i = 0; i < n; ++i) {
        r.cycle();
        const skills::Pose2 b = r.body();
        sum = {sum.x + b.x / n, sum.y + b.y / n, sum.yaw + b.yaw / n};
    }
    return sum;
}

// The planned body moves the way and as fast as the command says.
TEST(Walk, PlannedBodyMovesWithTheCommand) {
    struct Case {
        const char* what;
        WalkCommand command;
    };
    const Case cases[] = {
        {"forward", {0.4, 0, 0, false}},
        {"backward", {-0.25, 0, 0, false}},
        {"left", {0, 0.2, 0, false}},
        {"right", {0, -0.2, 0, false}},
        {"counter-clockwise", {0, 0, 60, false}},
        {"clockwise", {0, 0, -60, false}},
        {"forward and turning", {0.3, 0, 40, false}},
        {"forward, right and turning", {0.2, -0.1, -30, false}},
    };
    // Best speeds above every command here, whatever the tuned defaults are.
    skills::WalkParameters p;
    p.set("maxForward", 0.8);
    p.set("maxBackward", 0.4);
    p.set("maxSideways", 0.3);
    p.set("maxTurn", 90);
    const double window = 2;  // seconds
    for (const double lead : {1.0, 0.0})
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            SCOPED_TRACE(lead);
            p.set("turnLead", lead);
            KinematicRun r(p);
            r.run(1);
            r.walk.setCommand(c.command);
            r.run(2);  // up to speed
            const skills::Pose2 a = averageBody(r);
            r.run(window - 0.5);
            const skills::Pose2 moved = skills::relative(a, averageBody(r));
            const skills::Pose2 expected = arcAfter(c.command, window);
            EXPECT_NEAR(moved.x, expected.x, 0.03);
            EXPECT_NEAR(moved.y, expected.y, 0.03);
            EXPECT_NEAR(moved.yaw / kDeg, expected.yaw / kDeg, 3);
        }
}

// With the turn on the leading foot's steps the feet open twice a step's turn apart and
// close again; spread over every step they turn at most a step's turn apart, either
// way, and the robot turns as fast.
TEST(Walk, TurningOnEveryStepHalvesHowFarTheFeetTurnApart) {
    double widest[2] = {0, 0};  // degrees, for turnLead 1 and 0
    double turned[2] = {0, 0};  // degrees
    for (int k = 0; k < 2; ++k) {
        skills::WalkParameters p;
        p.set("maxTurn", 90);
        p.set("turnLead", k == 0 ? 1.0 : 0.0);
        KinematicRun r(p);
        r.run(1);
        r.walk.setCommand({0, 0, 60, false});
        r.run(2);
        const double before = r.body().yaw;
        for (int i = 0; i < 100; ++i) {
            r.cycle();
            const skills::GaitFrame& f = r.walk.frame();
            widest[k] = std::max(widest[k], std::fabs(f.feet[0].yaw - f.feet[1].yaw) / kDeg);
        }
        turned[k] = (r.body().yaw - before) / kDeg;
    }
    const double stepTurn = 60 * skills::WalkParameters().get("stepDuration");  // degrees
    EXPECT_NEAR(widest[0], 2 * stepTurn, 0.5);
    EXPECT_NEAR(widest[1], stepTurn, 0.5);
    EXPECT_NEAR(turned[0], 120, 6);
    EXPECT_NEAR(turned[1], 120, 6);
}

TEST(Walk, StopsToStandingWithTheFeetSideBySide) {
    KinematicRun r;
    r.run(1);
    r.walk.setCommand({0.5, 0.1, 30, false});
    r.run(3);
    EXPECT_FALSE(r.walk.still());
    r.walk.setCommand({});
    r.run(3);
    EXPECT_TRUE(r.walk.still());
    const skills::GaitFrame& f = r.walk.frame();
    const skills::Pose2 rightToLeft = skills::relative(f.feet[1], f.feet[0]);
    EXPECT_NEAR(rightToLeft.x, 0, 1e-6);
    EXPECT_NEAR(rightToLeft.y, skills::WalkParameters().get("footSpread"), 1e-6);
    EXPECT_NEAR(rightToLeft.yaw, 0, 1e-6);
}

TEST(Walk, StepsInPlaceOnlyWhenAsked) {
    KinematicRun r;
    r.run(1);
    r.walk.setCommand({0, 0, 0, true});
    int changes = 0, last = r.walk.frame().support;
    for (int i = 0; i < 100; ++i) {
        r.cycle();
        if (r.walk.frame().support != last) ++changes;
        last = r.walk.frame().support;
    }
    EXPECT_GE(changes, 6);  // a step every stepDuration (0.25 s) over 2 s
    EXPECT_NEAR(r.body().x, 0, 0.01);
    EXPECT_NEAR(r.body().y, 0, 0.02);
    r.walk.setCommand({});
    r.run(2);
    EXPECT_TRUE(r.walk.still());
}

TEST(Walk, ResetStartsFromThePoseTheJointsAreIn) {
    KinematicRun r;
    r.walk.setCommand({0.5, 0, 0, false});
    r.run(3);
    // As after a get-up: the joints somewhere else entirely.
    for (int j = HJ2 + 1; j < kJointCount; ++j) r.now.angles[j] = (j % 5) * 7.0 - 10;
    r.walk.reset();
    r.walk.setCommand({});
    const skills::JointSpeeds s = r.cycle();
    for (int j = HJ2 + 1; j < kJointCount; ++j)
        EXPECT_LT(std::fabs(s.speed[j]), 0.5) << "joint " << j;  // no jump on the first cycle
    r.run(2);
    EXPECT_TRUE(r.walk.still());
}

}  // namespace
