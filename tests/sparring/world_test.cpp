// The kinematic world: what a robot's camera sees, how its joints move, how it falls and
// gets up, and how the match's play modes follow each other.
#include <gtest/gtest.h>

#include <cmath>

#include "sparring/match/referee.h"
#include "sparring/report/trace.h"
#include "sparring/world/kinematic/kinematic_robot.h"
#include "sparring/world/kinematic/kinematic_world.h"

using namespace sparring;

namespace {

constexpr double kTol = 1e-9;  // metres and degrees, for exact geometry

Vec3 seenFrom(const Robot& r, const Vec3& where) {
    return r.cameraToServer().applyInverse(where - r.cameraPosition());
}

// Turns the head to (yaw, pitch) degrees in one second of constant speed.
void turnHead(KinematicRobot& r, double yaw, double pitch) {
    r.setSpeed(kHeadYaw, yaw * M_PI / 180);
    r.setSpeed(kHeadPitch, pitch * M_PI / 180);
    r.integrate(1.0);
    r.setSpeed(kHeadYaw, 0);
    r.setSpeed(kHeadPitch, 0);
}

}  // namespace

TEST(Camera, LandmarkReadingsFollowPoseAndNeck) {
    struct Case {
        double heading, yaw, pitch;  // degrees
        double theta, phi;           // expected reading of a point 5 m ahead at camera height
    } cases[] = {
        {0, 0, 0, 0, 0},    {90, 0, 0, -90, 0},  {0, 30, 0, -30, 0},
        {0, 0, 20, 0, -20}, {45, 45, 0, -90, 0}, {-90, -45, 0, 135, 0},
    };
    for (const Case& c : cases) {
        KinematicRobot r(Side::Left, 2, "T");
        r.place(0, 0, c.heading);
        turnHead(r, c.yaw, c.pitch);
        const Polar p = toPolar(seenFrom(r, {5, 0, kStandingCamera}));
        EXPECT_NEAR(p.distance, 5, kTol) << c.heading << " " << c.yaw << " " << c.pitch;
        EXPECT_NEAR(normalizeDegrees(p.theta - c.theta), 0, 1e-6) << c.heading << " " << c.yaw;
        EXPECT_NEAR(p.phi, c.phi, 1e-6) << c.pitch;
    }
}

TEST(Camera, NeckIsTheInverseOfTheAgentsBodyModel) {
    // The agent turns a torso-aligned vector into the camera frame by the neck yaw and
    // then the neck pitch; a body point seen by the server must land where it expects.
    KinematicRobot pitched(Side::Left, 2, "T");
    turnHead(pitched, 0, 30);
    const Vec3 torso = seenFrom(pitched, pitched.cameraPosition() + Vec3{0, 0, -0.155});
    EXPECT_NEAR(torso.x, -0.0775, 1e-4);
    EXPECT_NEAR(torso.y, 0, 1e-9);
    EXPECT_NEAR(torso.z, -0.1342, 1e-4);

    KinematicRobot yawed(Side::Left, 2, "T");
    turnHead(yawed, 90, 0);
    const Vec3 shoulder = seenFrom(yawed, yawed.cameraPosition() + Vec3{0, -0.098, -0.08});
    EXPECT_NEAR(shoulder.x, -0.098, 1e-9);
    EXPECT_NEAR(shoulder.y, 0, 1e-9);
    EXPECT_NEAR(shoulder.z, -0.08, 1e-9);
}

TEST(Camera, LyingRobotLooksUpOrDownAndSitsLow) {
    KinematicRobot r(Side::Left, 2, "T");
    r.fall(Posture::OnBack, 0, 5);
    EXPECT_NEAR(r.cameraToServer().apply({1, 0, 0}).z, 1, kTol);
    EXPECT_DOUBLE_EQ(r.cameraPosition().z, kLyingCamera);
    r.fall(Posture::OnFront, 0, 5);
    EXPECT_NEAR(r.cameraToServer().apply({1, 0, 0}).z, -1, kTol);
}

// The posture trace reads the trunk, not the camera: a turned head changes neither the
// tilt nor the heading.
TEST(Trace, TiltAndAxisHeightsAreTheTrunksWhateverTheHead) {
    KinematicRobot r(Side::Left, 2, "T");
    r.place(1, -2, 30);
    turnHead(r, 60, -30);
    EXPECT_EQ(traceLine(0.5, r), "0.50 left 2 1.000 -2.000 30.0 0.550 0.0 0.00 0.00 0 0 0 0\n");
    r.fall(Posture::OnBack, 0, 5);
    EXPECT_EQ(traceLine(1, r), "1.00 left 2 1.000 -2.000 30.0 0.100 90.0 1.00 0.00 0 0 0 0\n");
    r.fall(Posture::OnRight, 0, 5);
    EXPECT_EQ(traceLine(1, r), "1.00 left 2 1.000 -2.000 30.0 0.100 90.0 0.00 1.00 0 0 0 0\n");
}

TEST(Joints, SpeedIsLimitedHeldAndIntegratedWithinTheRange) {
    KinematicRobot r(Side::Left, 2, "T");
    r.setSpeed(kHeadYaw, 100);
    EXPECT_DOUBLE_EQ(r.speed(kHeadYaw), kMaxJointSpeed);
    r.setSpeed(kHeadPitch, 1.0);
    r.setSpeed(kHeadPitch, NAN);  // ignored: the previous command stays in force
    r.integrate(kCycleSeconds);
    r.integrate(kCycleSeconds);
    EXPECT_NEAR(r.angle(kHeadPitch), 2 * 0.02 * 180 / M_PI, 1e-9);
    EXPECT_NEAR(r.angle(kHeadYaw), 2 * 0.02 * kMaxJointSpeed * 180 / M_PI, 1e-9);
    for (int i = 0; i < 200; ++i) r.integrate(kCycleSeconds);
    EXPECT_DOUBLE_EQ(r.angle(kHeadYaw), 120);
    EXPECT_DOUBLE_EQ(r.angle(kHeadPitch), 45);
    r.setSpeed(kLeftKnee, 3);
    r.integrate(1.0);
    EXPECT_DOUBLE_EQ(r.angle(kLeftKnee), 1);  // knees bend one way only
}

TEST(Beam, RightTeamsBeamIsMirroredIntoTheServerFrame) {
    KinematicRobot left(Side::Left, 2, "A"), right(Side::Right, 2, "B");
    left.beam(-3, 1.5, 0);
    right.beam(-3, 1.5, 0);
    EXPECT_DOUBLE_EQ(left.x(), -3);
    EXPECT_DOUBLE_EQ(left.y(), 1.5);
    EXPECT_DOUBLE_EQ(left.heading(), 0);
    EXPECT_DOUBLE_EQ(right.x(), 3);
    EXPECT_DOUBLE_EQ(right.y(), -1.5);
    EXPECT_DOUBLE_EQ(right.heading(), 180);
}

TEST(Fall, RobotStandsAfterAGetUpOrAfterTheLyingTime) {
    KinematicRobot r(Side::Left, 2, "T");
    r.fall(Posture::OnBack, 10, 5);
    EXPECT_FALSE(r.updatePosture(11));
    r.setSpeed(kLeftKnee, -6);
    r.setSpeed(kRightKnee, -6);
    r.integrate(0.4);  // knees folded to about -130
    EXPECT_FALSE(r.updatePosture(11.4));
    r.setSpeed(kLeftKnee, 6);
    r.setSpeed(kRightKnee, 6);
    r.integrate(0.25);  // and straightened past -60
    EXPECT_TRUE(r.updatePosture(11.7));
    EXPECT_TRUE(r.upright());

    r.fall(Posture::OnFront, 20, 5);
    EXPECT_FALSE(r.updatePosture(24.98));
    EXPECT_TRUE(r.updatePosture(25));
}

// The back's get-up rolls the robot over one side onto its front, one leg swung up and
// the other back; the front's get-up then stands it. Lying on the front or a side, the
// same swing rolls nothing.
TEST(Fall, LegsScissoredOnTheBackRollTheRobotOntoItsFront) {
    struct Case {
        Posture from;
        double left, right;  // hip pitch speeds, rad/s, for 0.5 s
        Posture after;
    } const cases[] = {
        {Posture::OnBack, -0.8, 3.4, Posture::OnFront},  // -23 and 97 degrees: 120 apart
        {Posture::OnBack, 0.8, 3.4, Posture::OnBack},    // 23 and 97: 74 apart
        {Posture::OnLeft, -0.8, 3.4, Posture::OnLeft},
        {Posture::OnFront, -0.8, 3.4, Posture::OnFront},
    };
    for (const Case& c : cases) {
        KinematicRobot r(Side::Left, 2, "T");
        r.fall(c.from, 10, 5);
        r.setSpeed(LLJ3, c.left);
        r.setSpeed(RLJ3, c.right);
        r.integrate(0.5);
        EXPECT_FALSE(r.updatePosture(10.5));
        EXPECT_EQ(r.posture(), c.after) << c.left;
    }
}

TEST(Fall, APikeOfBothHipsStraightenedAgainIsAGetUpToo) {
    KinematicRobot r(Side::Left, 2, "T");
    r.fall(Posture::OnFront, 10, 5);
    r.setSpeed(LLJ3, 6);
    r.integrate(0.4);  // one hip up to 100: not yet
    r.setSpeed(LLJ3, -6);
    r.integrate(0.4);
    EXPECT_FALSE(r.updatePosture(11));
    r.setSpeed(LLJ3, 6);
    r.setSpeed(RLJ3, 6);
    r.integrate(0.4);  // both hips up to 100, the pike
    EXPECT_FALSE(r.updatePosture(11.4));
    r.setSpeed(LLJ3, -6);
    r.setSpeed(RLJ3, -6);
    r.integrate(0.2);  // and down to about 31: still bent
    EXPECT_FALSE(r.updatePosture(11.6));
    r.integrate(0.05);  // and past 30
    EXPECT_TRUE(r.updatePosture(11.65));
}

TEST(Referee, PlayModesFollowTheMatchTimeline) {
    MatchTimes t;
    t.beforeKickOff = 1;
    t.kickOff = 0.5;
    t.goalPause = 2;
    t.duration = 10;
    Referee ref(t);
    struct Step {
        double now;
        PlayMode mode;
    } steps[] = {{0, PlayMode::BeforeKickOff}, {0.98, PlayMode::BeforeKickOff},
                 {1.0, PlayMode::KickOffLeft}, {1.48, PlayMode::KickOffLeft},
                 {1.5, PlayMode::PlayOn},      {4.0, PlayMode::PlayOn}};
    for (const Step& s : steps) {
        ref.update(s.now);
        EXPECT_EQ(ref.mode(), s.mode) << s.now;
    }
    EXPECT_DOUBLE_EQ(ref.gameTime(4.0), 3.0);
    EXPECT_FALSE(ref.beamAllowed());
    ref.goal(Side::Left, 4.0);
    EXPECT_EQ(ref.mode(), PlayMode::GoalLeft);
    EXPECT_TRUE(ref.beamAllowed());
    ref.update(6.0);
    EXPECT_EQ(ref.mode(), PlayMode::KickOffRight);
    ref.update(6.6);
    EXPECT_EQ(ref.mode(), PlayMode::PlayOn);
    EXPECT_EQ(ref.score(Side::Left), 1);
    ref.update(10);
    EXPECT_TRUE(ref.over());
    EXPECT_STREQ(playModeName(ref.mode()), "GameOver");
}

TEST(BodyPoints, ChainFromJointAnglesPlacesTheLimbsAsTheAgentsBodyModelDoes) {
    constexpr double kPointTol = 1e-4;  // metres
    struct Case {
        int joint;  // -1: all zero
        double degrees;
        int point;
        Vec3 expected;  // relative to the camera, torso axes
    } cases[] = {
        {-1, 0, kRLowerArmPoint, {0.1, -0.118, -0.071}},
        {-1, 0, kLFootPoint, {0.025, 0.055, -0.525}},
        {-1, 0, kRShankPoint, {0.005, -0.055, -0.435}},
        {15, 90, kRElbowPoint, {-0.009, -0.118, -0.03}},  // raj1: the right arm points up
        {15, 90, kRLowerArmPoint, {-0.009, -0.118, 0.02}},
        {8, -60, kLAnklePoint, {-0.0978, 0.055, -0.4307}},  // llj4
        {8, -60, kLFootPoint, {-0.1131, 0.055, -0.4742}},
        {2, -45, kLThighPoint, {-0.0229, 0.0559, -0.3091}},  // llj1
        {2, -45, kLFootPoint, {-0.1128, 0.0748, -0.5052}},
    };
    for (const Case& c : cases) {
        std::array<double, kJointCount> joints{};
        if (c.joint >= 0) joints[c.joint] = c.degrees;
        const Vec3 p = bodyPointsFromJoints(joints)[c.point];
        EXPECT_NEAR(p.x, c.expected.x, kPointTol) << c.joint << " point " << c.point;
        EXPECT_NEAR(p.y, c.expected.y, kPointTol) << c.joint << " point " << c.point;
        EXPECT_NEAR(p.z, c.expected.z, kPointTol) << c.joint << " point " << c.point;
    }
}

TEST(BodyPoints, StandingRobotsFeetAreOnTheGroundUnderItsCamera) {
    KinematicRobot r(Side::Left, 2, "T");
    r.place(1, 2, 90);
    const BodyPoints points = r.bodyPoints();
    EXPECT_NEAR(points[kHeadPoint].z, kStandingCamera, kTol);
    EXPECT_NEAR(points[kLFootPoint].z, kStandingCamera - 0.525, kTol);
    // Facing +y, the left foot lies towards -x.
    EXPECT_NEAR(points[kLFootPoint].x, 1 - 0.055, kTol);
    EXPECT_NEAR(points[kLFootPoint].y, 2 + 0.025, kTol);
}
