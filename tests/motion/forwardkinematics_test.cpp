#include "motion/forwardkinematics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const float kTol = 1e-4f;  // float rounding over a chain of up to eight links

void expectMatrixNear(const salt::Matrix& expected, const salt::Matrix& actual) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(expected.El(r, c), actual.El(r, c), kTol)
                << "element (" << r << "," << c << ")";
}

void expectVectorNear(const salt::Vector3f& expected, const salt::Vector3f& actual) {
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(expected[i], actual[i], kTol) << "component " << i;
}

salt::Matrix identity() {
    salt::Matrix m;
    m.Identity();
    return m;
}

salt::Matrix zero() {
    salt::Matrix m;
    m.zero();
    return m;
}

// A pose that bends every modelled joint by a different amount, so that a
// swapped joint or a wrong product order shows up.
ForwardKinematics bentPose() {
    double degrees[kJointCount] = {};
    for (int j = 0; j < kJointCount; ++j) degrees[j] = 7.0 * (j + 1) * (j % 2 ? -1 : 1);
    ForwardKinematics fk;
    fk.setJoints(degrees);
    return fk;
}

const BodyParts kFrames[] = {BP_HEAD,   BP_NECK,   BP_TORSO,  BP_RHIP,   BP_RHIP1, BP_RHIP2,
                             BP_RTHIGH, BP_RSHANK, BP_RANKLE, BP_RFOOT,  BP_LHIP,  BP_LHIP1,
                             BP_LHIP2,  BP_LTHIGH, BP_LSHANK, BP_LANKLE, BP_LFOOT};

TEST(ForwardKinematics, StraightPoseHeadToTorsoIsTheTwoNeckLinks) {
    ForwardKinematics fk;
    salt::Matrix s1, s2;
    s1.Set(0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, -0.065f, 0, 0, 0, 1);
    s2.Set(1, 0, 0, -0.09f, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    salt::Matrix headToTorso = fk.getTMatrix(BP_HEAD, BP_TORSO);
    expectMatrixNear(s1 * s2, headToTorso);
    expectVectorNear(salt::Vector3f(0, 0, -0.155f), headToTorso.Pos());
}

TEST(ForwardKinematics, OppositeWalksAreInverseAndTheDiagonalIsIdentity) {
    ForwardKinematics fk = bentPose();
    for (BodyParts a : kFrames) {
        expectMatrixNear(identity(), fk.getTMatrix(a, a));
        for (BodyParts b : kFrames) {
            SCOPED_TRACE(testing::Message() << "frames " << a << " and " << b);
            expectMatrixNear(identity(), fk.getTMatrix(a, b) * fk.getTMatrix(b, a));
        }
    }
}

TEST(ForwardKinematics, WalkThroughAFrameOnThePathComposes) {
    ForwardKinematics fk = bentPose();
    const BodyParts path[][3] = {{BP_HEAD, BP_TORSO, BP_RFOOT},
                                 {BP_RFOOT, BP_TORSO, BP_LFOOT},
                                 {BP_LANKLE, BP_LTHIGH, BP_HEAD},
                                 {BP_RSHANK, BP_RHIP, BP_LHIP1}};
    for (const auto& p : path) {
        SCOPED_TRACE(testing::Message() << p[0] << " via " << p[1] << " to " << p[2]);
        expectMatrixNear(fk.getTMatrix(p[0], p[1]) * fk.getTMatrix(p[1], p[2]),
                         fk.getTMatrix(p[0], p[2]));
    }
}

TEST(ForwardKinematics, SlotsWithoutALinkHaveNoPath) {
    ForwardKinematics fk = bentPose();
    const BodyParts empty[] = {static_cast<BodyParts>(17), static_cast<BodyParts>(18)};
    for (BodyParts e : empty) {
        expectMatrixNear(identity(), fk.getTMatrix(e, e));
        for (BodyParts f : kFrames) {
            expectMatrixNear(zero(), fk.getTMatrix(e, f));
            expectMatrixNear(zero(), fk.getTMatrix(f, e));
        }
    }
    expectMatrixNear(zero(), fk.getTMatrix(empty[0], empty[1]));
    expectMatrixNear(zero(), fk.getTMatrix(BP_HEAD, static_cast<BodyParts>(19)));
    expectMatrixNear(zero(), fk.getTMatrix(static_cast<BodyParts>(-1), BP_HEAD));
}

TEST(ForwardKinematics, KneeAtNinetyDegreesTurnsTheShankFrame) {
    ForwardKinematics fk;
    fk.setJoint(RLJ4, 90);
    EXPECT_NEAR(-salt::gHalfPI, fk.getJoint(RLJ4), 1e-12);
    expectVectorNear(salt::Vector3f(0, -1, 0),
                     fk.rotate(BP_RTHIGH, BP_RSHANK, salt::Vector3f(1, 0, 0)));
}

}  // namespace
