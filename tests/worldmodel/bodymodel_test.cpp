#include <gtest/gtest.h>

#include <vector>

#include "scene.h"
#include "worldmodel/worldmodel.h"

using salt::Vector3f;
using scene::expectNear;

namespace {
const float kTol = 1e-4f;  // metres

struct Point {
    BodyID id;
    Vector3f rel;
};

// Relative body points with every joint at 0 (right side; the left mirrors in y).
const std::vector<Point> kZeroPose = {
    {NECK, Vector3f(0, 0, -0.065f)},
    {TORSO, Vector3f(0, 0, -0.155f)},
    {RSHOULDER, Vector3f(0, -0.098f, -0.08f)},
    {RUPPERARM, Vector3f(-0.02f, -0.108f, -0.08f)},
    {RELBOW, Vector3f(0.05f, -0.118f, -0.071f)},
    {RLOWERARM, Vector3f(0.1f, -0.118f, -0.071f)},
    {RHIP, Vector3f(-0.01f, -0.055f, -0.27f)},
    {RTHIGH, Vector3f(0, -0.055f, -0.31f)},
    {RKNEE, Vector3f(0, -0.055f, -0.38f)},
    {RSHANK, Vector3f(0.005f, -0.055f, -0.435f)},
    {RANKLE, Vector3f(-0.005f, -0.055f, -0.49f)},
    {RFOOT, Vector3f(0.025f, -0.055f, -0.525f)},
};

Vector3f mirrored(const Vector3f& v) {
    return Vector3f(v.x(), -v.y(), v.z());
}

// The left-side twin of a right-side point (odd BodyID one above).
BodyID leftOf(BodyID right) {
    return static_cast<BodyID>(right + 1);
}

Self poseWith(std::initializer_list<std::pair<JointID, double>> joints) {
    WorldModel wm;
    for (const auto& j : joints) wm.setMyJointAngle(j.first, j.second);
    wm.updateSelf();
    return wm.getMySelf();
}
}  // namespace

TEST(BodyModel, ZeroPoseHasTheNominalOffsets) {
    const Self self = poseWith({});
    for (const Point& p : kZeroPose) {
        SCOPED_TRACE(p.id);
        expectNear(self.getMyRelPos(p.id), p.rel, kTol);
        if (p.id >= RSHOULDER) expectNear(self.getMyRelPos(leftOf(p.id)), mirrored(p.rel), kTol);
    }
    expectNear(self.getMyRelPos(static_cast<BodyID>(2)), Vector3f(0, 0, 0), 0.0f);
    expectNear(self.getMyRelPos(HEAD), Vector3f(0, 0, 0), 0.0f);
}

TEST(BodyModel, SingleJointsMoveOnlyTheirChain) {
    struct Case {
        JointID joint;
        double degrees;
        std::vector<Point> moved;
    };
    const Case cases[] = {
        {RAJ1,
         90,
         {{RELBOW, Vector3f(-0.009f, -0.118f, -0.03f)},
          {RLOWERARM, Vector3f(-0.009f, -0.118f, 0.02f)}}},
        {LLJ4,
         -60,
         {{LSHANK, Vector3f(-0.0451f, 0.055f, -0.4118f)},
          {LANKLE, Vector3f(-0.0978f, 0.055f, -0.4307f)},
          {LFOOT, Vector3f(-0.1131f, 0.055f, -0.4742f)}}},
        {LLJ1,
         -45,
         {{LTHIGH, Vector3f(-0.0229f, 0.0559f, -0.3091f)},
          {LFOOT, Vector3f(-0.1128f, 0.0748f, -0.5052f)}}},
    };
    const Self zero = poseWith({});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.joint);
        const Self self = poseWith({{c.joint, c.degrees}});
        for (const Point& p : c.moved) expectNear(self.getMyRelPos(p.id), p.rel, kTol);
        // The other side's chain is unchanged.
        const bool leftJoint = (c.joint == LLJ4 || c.joint == LLJ1);
        for (int i = RSHOULDER; i < kBodyCount; ++i) {
            const bool otherSide = leftJoint ? (i % 2 == 0) : (i % 2 == 1);
            if (!otherSide) continue;
            const BodyID b = static_cast<BodyID>(i);
            expectNear(self.getMyRelPos(b), zero.getMyRelPos(b), 0.0f);
        }
    }
}

// With a level camera facing +x the camera pose adds the head position, so the
// field positions show the neck-corrected vectors directly.
TEST(BodyModel, NeckTurnsOnlyTheFieldPositions) {
    struct Case {
        JointID joint;
        double degrees;
        BodyID point;
        Vector3f camera;  // the vector handed to translate
    };
    const Case cases[] = {
        {HJ1, 90, RSHOULDER, Vector3f(-0.098f, 0, -0.08f)},
        {HJ2, 30, TORSO, Vector3f(-0.0775f, 0, -0.1342f)},
    };
    const Vector3f head(-3, 1, 0.5f);
    const Self zero = poseWith({});
    for (const Case& c : cases) {
        WorldModel wm;
        wm.setMyJointAngle(c.joint, c.degrees);
        scene::localise(wm, 1.0, scene::Pose::at(head.x(), head.y(), head.z(), 0), {F1L, F2L, G1L});
        const Self self = wm.getMySelf();
        for (int i = 1; i < kBodyCount; ++i) {
            const BodyID b = static_cast<BodyID>(i);
            expectNear(self.getMyRelPos(b), zero.getMyRelPos(b), kTol);
        }
        expectNear(self.getMyPos(c.point), head + c.camera, kTol);
        expectNear(self.getMyPos(HEAD), head, kTol);
    }
}

TEST(BodyModel, CentreOfMassOfTheZeroPoseLiesOnTheMidline) {
    const Vector3f com = poseWith({}).getCOM();
    EXPECT_NEAR(com.y(), 0.0f, 1e-6f);
    EXPECT_LT(com.z(), -0.155f);
    EXPECT_GT(com.z(), -0.35f);
}
