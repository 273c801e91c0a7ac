// The hand-built kinematic model of the humanoid: fixed offsets between the body
// points, shoulder and hip rotations as matrices, and the elbow, hip yaw-pitch,
// knee, ankle and neck rotations about axes carried along the chain.

#include "math/geometry.h"
#include "worldmodel/worldmodel.h"

using salt::Matrix;
using salt::Vector3f;

namespace {
const Vector3f kOrigin(0, 0, 0);

float rad(double degrees) {
    return static_cast<float>(salt::gDegToRad(degrees));
}

Vector3f rot(const Vector3f& v, const Vector3f& axis, double degrees) {
    return rotateAroundLine(v, axis, degrees, kOrigin);
}

Vector3f rot(const Vector3f& v, const Vector3f& axis, const Turn& turn) {
    return rotateAroundLine(v, axis, turn, kOrigin);
}

// A torso-aligned vector in the camera frame: turned by the neck yaw, then by
// the neck pitch (yaw holds the negated yaw angle, pitch the pitch angle).
Vector3f throughNeck(const Vector3f& v, const Turn& yaw, const Turn& pitch) {
    return rot(rot(v, Vector3f(0, 0, 1), yaw), Vector3f(0, 1, 0), pitch);
}

// The leg chain below the hip: T1 hip yaw-pitch, T2 knee, T3 ankle pitch, T4 ankle roll.
class LegChain {
public:
    LegChain(double j1, double j2, double j3, double j4, double j5, double j6, float side)
        : mJ1(-j1), mJ4(-j4), mJ5(-j5), mJ6(-j6), mYawPitch(0, side, -1) {
        mHip.RotationY(-rad(j3));
        mHip.RotateX(-rad(j2));
        mKnee = T1(Vector3f(0, 1, 0));
        mAnklePitch = rot(mKnee, mKnee, mJ4);
        mAnkleRoll = rot(rot(T1(Vector3f(1, 0, 0)), mKnee, mJ4), mAnklePitch, mJ5);
    }

    Vector3f T1(const Vector3f& v) const { return rot(mHip.Rotate(v), mYawPitch, mJ1); }
    Vector3f T2(const Vector3f& v) const { return rot(T1(v), mKnee, mJ4); }
    Vector3f T3(const Vector3f& v) const { return rot(T2(v), mAnklePitch, mJ5); }
    Vector3f T4(const Vector3f& v) const { return rot(T3(v), mAnkleRoll, mJ6); }

private:
    // The joints' turns (their angles negated), each point of the leg turned by them.
    Turn mJ1, mJ4, mJ5, mJ6;
    Vector3f mYawPitch;  // hip yaw-pitch axis, not normalised
    Matrix mHip;
    Vector3f mKnee, mAnklePitch, mAnkleRoll;  // axes
};
}  // namespace

void WorldModel::updateSelf() {
    const double side[2] = {-1.0, 1.0};  // right, left: sign of y
    auto joint = [this](JointID j) { return getMyJointAngle(j); };
    auto put = [this](BodyID b, const Vector3f& v) {
        mSelf.setMyRelPos(b, v);
        return v;
    };

    put(NECK, Vector3f(0, 0, -0.065f));
    const Vector3f torso = put(TORSO, Vector3f(0, 0, -0.155f));

    // Arms, right then left. Joint 3 of the arm does not move any tracked point.
    const JointID arm1[2] = {RAJ1, LAJ1}, arm2[2] = {RAJ2, LAJ2}, arm4[2] = {RAJ4, LAJ4};
    const BodyID shoulder[2] = {RSHOULDER, LSHOULDER}, upper[2] = {RUPPERARM, LUPPERARM};
    const BodyID elbow[2] = {RELBOW, LELBOW}, lower[2] = {RLOWERARM, LLOWERARM};
    for (int i = 0; i < 2; ++i) {
        const float y = static_cast<float>(side[i]);
        Matrix a;
        a.RotationZ(-rad(joint(arm2[i])));
        a.RotateY(-rad(joint(arm1[i])));
        const Vector3f elbowAxis = a.Rotate(Vector3f(0, 0, 1));
        const Vector3f s = put(shoulder[i], torso + Vector3f(0, 0.098f * y, 0.075f));
        const Vector3f u = put(upper[i], s + a.Rotate(Vector3f(-0.02f, 0.01f * y, 0)));
        const Vector3f e = put(elbow[i], u + a.Rotate(Vector3f(0.07f, 0.01f * y, 0.009f)));
        put(lower[i], e + rot(a.Rotate(Vector3f(0.05f, 0, 0)), elbowAxis, -joint(arm4[i])));
    }

    // Legs, left then right.
    const JointID legs[2][6] = {{LLJ1, LLJ2, LLJ3, LLJ4, LLJ5, LLJ6},
                                {RLJ1, RLJ2, RLJ3, RLJ4, RLJ5, RLJ6}};
    const BodyID points[2][6] = {{LHIP, LTHIGH, LKNEE, LSHANK, LANKLE, LFOOT},
                                 {RHIP, RTHIGH, RKNEE, RSHANK, RANKLE, RFOOT}};
    for (int i = 0; i < 2; ++i) {
        const float y = (i == 0) ? 1.0f : -1.0f;
        const JointID* j = legs[i];
        const LegChain leg(joint(j[0]), joint(j[1]), joint(j[2]), joint(j[3]), joint(j[4]),
                           joint(j[5]), y);
        const BodyID* p = points[i];
        const Vector3f hip = put(p[0], torso + Vector3f(-0.01f, 0.055f * y, -0.115f));
        const Vector3f thigh = put(p[1], hip + leg.T1(Vector3f(0.01f, 0, -0.04f)));
        const Vector3f knee = put(p[2], thigh + leg.T1(Vector3f(0, 0, -0.07f)));
        const Vector3f shank = put(p[3], knee + leg.T2(Vector3f(0.005f, 0, -0.055f)));
        const Vector3f ankle = put(p[4], shank + leg.T2(Vector3f(-0.01f, 0, -0.055f)));
        put(p[5], ankle + leg.T4(Vector3f(0.03f, 0, -0.035f)));
    }

    // The camera is the origin of the relative frame, so the head's own point is
    // kept there (finite, and where the head's mass belongs for the centre of mass).
    mSelf.setMyRelPos(HEAD, kOrigin);

    // Field positions: the neck yaw and pitch turn the torso-aligned vectors into
    // the camera frame before the camera pose places them.
    const Turn yaw(-joint(HJ1)), pitch(joint(HJ2));
    for (int i = 1; i < kBodyCount; ++i) {
        const BodyID b = static_cast<BodyID>(i);
        mSelf.setMyPos(b, translate(throughNeck(mSelf.getMyRelPos(b), yaw, pitch)));
    }
}

bool WorldModel::cameraUp(salt::Vector3f& up) const {
    const float kLeast = 8.0f, kMost = 12.0f;  // m/s^2 around gravity's 9.81
    const float g = mAcc.Length();
    if (mAccTime != mServerTime || !(g > kLeast && g < kMost)) return false;
    up = throughNeck(mAcc / g, Turn(-getMyJointAngle(HJ1)), Turn(getMyJointAngle(HJ2)));
    return true;
}

salt::Vector3f WorldModel::bodyToField(const salt::Vector3f& rel) const {
    return translate(throughNeck(rel, Turn(-mFixNeckYaw), Turn(mFixNeckPitch)));
}
