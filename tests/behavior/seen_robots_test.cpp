// Other robots placed on the field by the body's own pose, through the neck.
#include "behavior/seen_robots.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const double kDeg = M_PI / 180;
const double kCameraHeight = 0.5;  // metres: an upright robot's camera above the ground
const double kTolerance = 0.02;    // metres

// What the camera of an upright robot at `self`, its neck turned by `yaw` and pitched by
// `pitch` (degrees, positive looks up), sees of a point at (x, y), `z` metres high.
salt::Vector3f cameraSees(const skills::FieldPose& self, double yaw, double pitch, double x,
                          double y, double z) {
    const double h = self.heading * kDeg, dx = x - self.x, dy = y - self.y;
    const double ahead = std::cos(h) * dx + std::sin(h) * dy;
    const double left = -std::sin(h) * dx + std::cos(h) * dy;
    const double up = z - kCameraHeight;
    // Undo the neck's yaw, then its pitch.
    const double a = yaw * kDeg, p = pitch * kDeg;
    const double hx = ahead * std::cos(a) + left * std::sin(a);
    const double hy = -ahead * std::sin(a) + left * std::cos(a);
    return salt::Vector3f(static_cast<float>(hx * std::cos(p) + up * std::sin(p)),
                          static_cast<float>(hy),
                          static_cast<float>(-hx * std::sin(p) + up * std::cos(p)));
}

skills::Readings neck(double yaw, double pitch) {
    skills::Readings r;
    r.angles[HJ1] = yaw;
    r.angles[HJ2] = pitch;
    return r;
}

const salt::Vector3f kUpright(0, 0, 1);

struct Case {
    const char* what;
    skills::FieldPose self;
    double yaw, pitch;  // degrees
    FieldPoint at;      // where the robot stands
};

}  // namespace

TEST(SeenRobots, RobotIsPlacedWhereItStandsWhateverTheBodysPoseAndTheNeck) {
    const Case cases[] = {
        {"straight ahead, head level", {0, 0, 0}, 0, 0, {2, 0}},
        {"head down on the ball", {-1, 2, 90}, 0, -35, {-0.5, 3}},
        {"head turned and down", {3, -1, -135}, 60, -20, {1.5, -2.5}},
        {"behind the body's heading", {0, 0, 170}, -80, -10, {0.5, -1.2}},
    };
    for (const Case& c : cases) {
        SeenRobots seen;
        const salt::Vector3f head = cameraSees(c.self, c.yaw, c.pitch, c.at.x, c.at.y, 0.55);
        const salt::Vector3f foot = cameraSees(c.self, c.yaw, c.pitch, c.at.x, c.at.y, 0.02);
        seen.see(false, 4, head, foot, foot, neck(c.yaw, c.pitch), kUpright, c.self, 10.0);
        const std::vector<FieldPoint> them = seen.opponents(10.0);
        ASSERT_EQ(them.size(), 1u) << c.what;
        EXPECT_NEAR(them[0].x, c.at.x, kTolerance) << c.what;
        EXPECT_NEAR(them[0].y, c.at.y, kTolerance) << c.what;
        EXPECT_TRUE(seen.teammates(10.0).empty()) << c.what;
        EXPECT_TRUE(seen.lyingBodies(10.0).empty()) << c.what << ": a standing robot";
    }
}

TEST(SeenRobots, RobotWithItsHeadNearTheGroundLiesAlongItsFeet) {
    SeenRobots seen;
    const skills::FieldPose self{0, 0, 0};
    // Head down towards the ball: a robot lying across the view, head at (1.5, 0.3).
    const skills::Readings r = neck(0, -30);
    seen.see(true, 2, cameraSees(self, 0, -30, 1.5, 0.3, 0.08),
             cameraSees(self, 0, -30, 1.5, -0.2, 0.05), cameraSees(self, 0, -30, 1.6, -0.2, 0.05),
             r, kUpright, self, 4.0);
    const std::vector<FieldPoint> body = seen.lyingBodies(4.0);
    ASSERT_EQ(body.size(), 4u);
    EXPECT_NEAR(body[0].x, 1.5, kTolerance);
    EXPECT_NEAR(body[0].y, -0.2, kTolerance);
    EXPECT_NEAR(body[1].x, 1.5, kTolerance);  // between the right foot and the head
    EXPECT_NEAR(body[1].y, 0.05, kTolerance);
    EXPECT_EQ(seen.teammates(4.0).size(), 1u);
}

TEST(SeenRobots, SightingCountsForASecondAndANewOneReplacesIt) {
    SeenRobots seen;
    const skills::FieldPose self{0, 0, 0};
    const skills::Readings level = neck(0, 0);
    seen.see(false, 0, cameraSees(self, 0, 0, 2, 1, 0.5), cameraSees(self, 0, 0, 2, 1, 0),
             cameraSees(self, 0, 0, 2, 1, 0), level, kUpright, self, 1.0);
    EXPECT_EQ(seen.opponents(2.0).size(), 1u);
    EXPECT_TRUE(seen.opponents(2.1).empty());
    // The same robot seen again, now from a pose the walk has moved on: one robot, at its
    // new place.
    const skills::FieldPose moved{1, 0, 0};
    seen.see(false, 0, cameraSees(moved, 0, 0, 3, 0, 0.5), cameraSees(moved, 0, 0, 3, 0, 0),
             cameraSees(moved, 0, 0, 3, 0, 0), level, kUpright, moved, 3.0);
    const std::vector<FieldPoint> them = seen.opponents(3.0);
    ASSERT_EQ(them.size(), 1u);
    EXPECT_NEAR(them[0].x, 3, kTolerance);
    EXPECT_NEAR(them[0].y, 0, kTolerance);
}

TEST(SeenRobots, SlotOutsideATeamIsIgnored) {
    SeenRobots seen;
    const salt::Vector3f p(1, 0, 0);
    for (const int slot : {-1, 11, 1000})
        seen.see(true, slot, p, p, p, neck(0, 0), kUpright, {0, 0, 0}, 1.0);
    EXPECT_TRUE(seen.teammates(1.0).empty());
}
