#include "motion/skills/leg_ik.h"

#include <gtest/gtest.h>

#include <cmath>

#include "motion/skills/keyframes.h"
#include "worldmodel/worldmodel.h"

using skills::FootPose;
using skills::Leg;
using skills::LegAngles;
using skills::Vec3d;

namespace {

const double kAngleTol = 1e-6;     // degrees, the round trip in double precision
const double kPositionTol = 1e-9;  // metres
const float kModelTol = 2e-4f;     // metres: the body model works in float

// Bent poses within every joint's range, the yaw-pitch joint and both ankle joints
// included, from a slight crouch to deep knee bends; left leg signs (the right leg's
// roll joints are mirrored).
const LegAngles kPoses[] = {
    {0, 0, 20, -40, 20, 0},       {-10, 5, 30, -60, 25, -5}, {-45, -10, 40, -80, 45, 10},
    {-80, 20, 60, -30, -10, 15},  {-5, 30, 0, -5, -30, -20}, {-30, -20, 80, -120, 60, 20},
    {-60, 40, -20, -90, 70, -40}, {-1, -5, 95, -10, 0, 5},
};

LegAngles forLeg(Leg leg, LegAngles a) {
    if (leg == Leg::Right) {
        a[1] = -a[1];
        a[5] = -a[5];
    }
    return a;
}

// The same joint angles through the agent's body model: the foot point relative to
// the hip point, in the torso's axes.
salt::Vector3f bodyModelFoot(Leg leg, const LegAngles& a) {
    WorldModel wm;
    const JointID base = leg == Leg::Left ? LLJ1 : RLJ1;
    for (int k = 0; k < 6; ++k) wm.setMyJointAngle(static_cast<JointID>(base + 2 * k), a[k]);
    wm.updateSelf();
    const Self& self = wm.getMySelf();
    const bool left = leg == Leg::Left;
    return self.getMyRelPos(left ? LFOOT : RFOOT) - self.getMyRelPos(left ? LHIP : RHIP);
}

double rotationGap(const skills::Rot3d& a, const skills::Rot3d& b) {
    double worst = 0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) worst = std::max(worst, std::fabs(a.m[i][j] - b.m[i][j]));
    return worst;
}

TEST(LegIk, ForwardChainIsTheBodyModels) {
    for (Leg leg : {Leg::Left, Leg::Right}) {
        for (const LegAngles& raw : kPoses) {
            const LegAngles a = forLeg(leg, raw);
            SCOPED_TRACE(testing::Message() << "leg " << (leg == Leg::Left ? "left" : "right")
                                            << " knee " << a[3] << " yaw-pitch " << a[0]);
            const FootPose p = skills::legForward(leg, a);
            // The foot point lies 0.01 m above the sole's centre, in the foot's axes.
            const Vec3d up = p.rotation.apply({0, 0, 0.01});
            const salt::Vector3f model = bodyModelFoot(leg, a);
            EXPECT_NEAR(p.position.x + up.x, model.x(), kModelTol);
            EXPECT_NEAR(p.position.y + up.y, model.y(), kModelTol);
            EXPECT_NEAR(p.position.z + up.z, model.z(), kModelTol);
        }
    }
}

TEST(LegIk, InverseOfForwardGivesTheAnglesBack) {
    for (Leg leg : {Leg::Left, Leg::Right}) {
        for (const LegAngles& raw : kPoses) {
            const LegAngles a = forLeg(leg, raw);
            const skills::LegSolution s = skills::legInverse(leg, skills::legForward(leg, a));
            EXPECT_TRUE(s.reachable);
            for (int k = 0; k < 6; ++k)
                EXPECT_NEAR(s.angles[k], a[k], kAngleTol)
                    << "joint " << k + 1 << " of pose " << raw[0] << "," << raw[3];
        }
    }
}

// Targets as the walk sets them: the sole level under the hip at walking heights,
// turned clockwise (the only way the yaw-pitch joints turn the feet; the left foot turns
// inward, which its hip roll range limits).
TEST(LegIk, LevelSoleTargetsAreReachedExactly) {
    const double heights[] = {-0.2, -0.22};
    const double places[][2] = {{0, 0}, {0.05, 0}, {-0.05, 0}, {0.03, 0.02}, {0.03, -0.03}};
    const double yaws[2][3] = {{-8, -10, -12}, {-8, -15, -25}};  // left, right
    for (Leg leg : {Leg::Left, Leg::Right}) {
        for (double z : heights)
            for (const auto& xy : places)
                for (double yaw : yaws[leg == Leg::Left ? 0 : 1]) {
                    FootPose t;
                    t.position = {xy[0], xy[1], z};
                    t.rotation = skills::rotYawPitchRoll(yaw, 0, 0);
                    SCOPED_TRACE(testing::Message() << t.position.x << "," << t.position.y << ","
                                                    << z << " yaw " << yaw);
                    const skills::LegSolution s = skills::legInverse(leg, t);
                    EXPECT_TRUE(s.reachable);
                    const FootPose back = skills::legForward(leg, s.angles);
                    EXPECT_NEAR(back.position.x, t.position.x, kPositionTol);
                    EXPECT_NEAR(back.position.y, t.position.y, kPositionTol);
                    EXPECT_NEAR(back.position.z, t.position.z, kPositionTol);
                    EXPECT_LT(rotationGap(back.rotation, t.rotation), 1e-9);
                }
    }
}

TEST(LegIk, TargetsOutOfReachAreClampedNotNan) {
    struct Case {
        const char* what;
        Vec3d position;
        double yaw, pitch, roll;
    };
    const Case cases[] = {
        {"far below", {0, 0, -0.5}, 0, 0, 0},
        {"far ahead", {0.4, 0, -0.1}, 0, 0, 0},
        {"at the hip", {0, 0, 0}, 0, 0, 0},
        {"above the hip", {0, 0, 0.2}, 0, 0, 0},
        {"turned counter-clockwise", {0, 0, -0.2}, 30, 0, 0},
        {"tipped over", {0, 0, -0.2}, 0, 120, 80},
        {"half turned", {0.01, -0.02, -0.2}, -170, 0, 0},
    };
    for (Leg leg : {Leg::Left, Leg::Right}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            FootPose t;
            t.position = c.position;
            t.rotation = skills::rotYawPitchRoll(c.yaw, c.pitch, c.roll);
            const skills::LegSolution s = skills::legInverse(leg, t);
            EXPECT_FALSE(s.reachable);
            for (int k = 0; k < 6; ++k) {
                EXPECT_TRUE(std::isfinite(s.angles[k])) << "joint " << k + 1;
                EXPECT_GE(s.angles[k], skills::legJointMin(leg, k)) << "joint " << k + 1;
                EXPECT_LE(s.angles[k], skills::legJointMax(leg, k)) << "joint " << k + 1;
            }
        }
    }
}

// A pose mirrored joint by joint (as mirrored keyframe motions are) puts every point of
// the legs at the mirror image of where the pose put its twin, through the agent's body
// model (which the physical world's bodies follow: tests/sparring/physics_model_test):
// the hip yaw-pitch joints included, whose mirror angle is the opposite one.
TEST(LegIk, AMirroredPoseMirrorsTheLegsThroughTheBodyModel) {
    const BodyID pairs[][2] = {{LHIP, RHIP},     {LTHIGH, RTHIGH}, {LKNEE, RKNEE},
                               {LSHANK, RSHANK}, {LANKLE, RANKLE}, {LFOOT, RFOOT}};
    for (std::size_t n = 0; n + 1 < std::size(kPoses); ++n) {
        SCOPED_TRACE(n);
        WorldModel pose, twin;
        for (int k = 0; k < 6; ++k) {
            const double angles[2] = {kPoses[n][k], forLeg(Leg::Right, kPoses[n + 1])[k]};
            for (int side = 0; side < 2; ++side) {
                const int joint = (side == 0 ? LLJ1 : RLJ1) + 2 * k;
                double sign = 1;
                const int mirror = skills::mirrorJoint(joint, sign);
                pose.setMyJointAngle(static_cast<JointID>(joint), angles[side]);
                twin.setMyJointAngle(static_cast<JointID>(mirror), sign * angles[side]);
            }
        }
        pose.updateSelf();
        twin.updateSelf();
        for (const auto& pair : pairs) {
            for (int side = 0; side < 2; ++side) {
                const salt::Vector3f a = pose.getMySelf().getMyRelPos(pair[side]);
                const salt::Vector3f b = twin.getMySelf().getMyRelPos(pair[1 - side]);
                EXPECT_NEAR(b.x(), a.x(), kModelTol) << pair[side];
                EXPECT_NEAR(b.y(), -a.y(), kModelTol) << pair[side];
                EXPECT_NEAR(b.z(), a.z(), kModelTol) << pair[side];
            }
        }
    }
}

}  // namespace
