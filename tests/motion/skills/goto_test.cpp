// Walking to a pose: the command GoTo gives for typical places of the target, and a robot
// that moves exactly as commanded reaching every target from every side.
#include "motion/skills/goto.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using skills::FieldPose;
using skills::GoTo;
using skills::WalkCommand;

namespace {

// What a case expects of one component: its sign, or about nothing.
enum Sign { Neg = -1, Zero = 0, Pos = 1 };

void expectSign(double value, Sign s, double tolerance, const char* what) {
    if (s == Zero)
        EXPECT_NEAR(value, 0, tolerance) << what;
    else
        EXPECT_GT(value * s, tolerance) << what;
}

}  // namespace

TEST(GoTo, CommandsForTargetsAroundTheRobot) {
    struct Case {
        const char* name;
        FieldPose self, target;
        Sign forward, sideways, turn;
        bool arrived;
    };
    const std::vector<Case> cases = {
        {"far ahead", {0, 0, 0}, {3, 0, 0}, Pos, Zero, Zero, false},
        {"far ahead, robot turned", {1, 1, 90}, {1, 4, 90}, Pos, Zero, Zero, false},
        {"far behind: turns first", {0, 0, 0}, {-3, 0, 0}, Zero, Zero, Pos, false},
        {"far to the right: turns clockwise", {0, 0, 0}, {0, -3, 0}, Zero, Zero, Neg, false},
        {"near on the left: steps left", {0, 0, 0}, {0, 0.3, 0}, Zero, Pos, Zero, false},
        {"near behind: steps back", {2, 0, 180}, {2.3, 0, 180}, Neg, Zero, Zero, false},
        {"at the target", {1, 1, 45}, {1.05, 0.97, 50}, Zero, Zero, Zero, true},
        {"there but facing away", {1, 1, 45}, {1, 1, 90}, Zero, Zero, Pos, false},
        {"heading across 180, counter-clockwise",
         {0, 0, 170},
         {0, 0, -170},
         Zero,
         Zero,
         Pos,
         false},
        {"heading across -180, clockwise", {0, 0, -170}, {0, 0, 170}, Zero, Zero, Neg, false},
        {"within 10 degrees across 180", {0, 0, 176}, {0, 0, -176}, Zero, Zero, Zero, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GoTo go;
        go.setTarget(c.target);
        const WalkCommand cmd = go.step(c.self);
        expectSign(cmd.forward, c.forward, 0.02, "forward");
        expectSign(cmd.sideways, c.sideways, 0.02, "sideways");
        expectSign(cmd.turn, c.turn, 1, "turn");
        EXPECT_EQ(go.arrived(), c.arrived);
    }
}

TEST(GoTo, SlowsNearTheTargetAndNeverExceedsItsTopSpeeds) {
    const skills::GoToParameters p;
    double lastForward = 1e9;
    for (double distance : {3.0, 1.0, 0.5, 0.3, 0.15}) {
        GoTo go(p);
        go.setTarget({distance, 0, 0});
        const WalkCommand c = go.step({0, 0, 0});
        EXPECT_LE(c.forward, lastForward) << distance;
        lastForward = c.forward;
    }
    EXPECT_NEAR(lastForward, p.forward * 0.15 / p.slowDistance, 1e-9);
    for (double bearing = -180; bearing < 180; bearing += 15) {
        for (double distance : {0.2, 0.6, 5.0}) {
            GoTo go(p);
            const double b = bearing * M_PI / 180;
            go.setTarget({distance * std::cos(b), distance * std::sin(b), -bearing});
            const WalkCommand c = go.step({0, 0, 0});
            const double fTop = c.forward >= 0 ? p.forward : p.backward;
            EXPECT_LE(std::hypot(c.forward / fTop, c.sideways / p.sideways), 1 + 1e-9)
                << bearing << " " << distance;
            EXPECT_LE(std::fabs(c.turn), p.turn + 1e-9);
        }
    }
}

TEST(GoTo, StaysArrivedUntilPushedBeyondTheWiderMargin) {
    GoTo go;
    go.setTarget({0, 0, 0});
    go.step({0.08, 0, 5});
    ASSERT_TRUE(go.arrived());
    go.step({0.13, 0, 12});
    EXPECT_TRUE(go.arrived());
    go.step({0.2, 0, 0});
    EXPECT_FALSE(go.arrived());
    go.step({0.12, 0, 0});
    EXPECT_FALSE(go.arrived()) << "coming back, the narrow margin holds again";
}

// A robot that moves exactly as commanded reaches the target from every side and
// heading, within 0.10 m and 10 degrees, in the time its top speeds allow.
TEST(GoTo, AnIdealRobotArrivesFromEverySide) {
    const double dt = 0.02;
    for (double bearing = -180; bearing < 180; bearing += 45) {
        for (double heading : {-180.0, -90.0, 0.0, 135.0}) {
            for (double distance : {0.3, 3.0}) {
                GoTo go;
                const FieldPose target{1, -1, 60};
                go.setTarget(target);
                const double b = bearing * M_PI / 180;
                FieldPose self{target.x + distance * std::cos(b), target.y + distance * std::sin(b),
                               heading};
                double t = 0;
                for (; t < 20 && !go.arrived(); t += dt) {
                    const WalkCommand c = go.step(self);
                    const double h = self.heading * M_PI / 180;
                    self.x += (std::cos(h) * c.forward - std::sin(h) * c.sideways) * dt;
                    self.y += (std::sin(h) * c.forward + std::cos(h) * c.sideways) * dt;
                    self.heading = skills::wrapDegrees(self.heading + c.turn * dt);
                }
                EXPECT_TRUE(go.arrived()) << bearing << " " << heading << " " << distance;
                EXPECT_LT(t, 4 + distance / 0.6 * 1.5) << bearing << " " << heading;
                EXPECT_LE(std::hypot(self.x - target.x, self.y - target.y), 0.10);
                EXPECT_LE(std::fabs(skills::wrapDegrees(self.heading - target.heading)), 10);
            }
        }
    }
}
