// The head scan for landmarks and ball, and pointing the head at field positions.

#include <cmath>

#include "math/geometry.h"
#include "math/gmath.h"
#include "motion/actions.h"
#include "worldmodel/worldmodel.h"

namespace {

// Head range, degrees: the yaw and pitch limits the head scan also visits.
const double kYawRange = 120;
const double kPitchRange = 45;

// Bearings of a camera-frame vector, degrees: left of straight ahead is
// positive yaw, above it positive pitch.
float yawBearing(const salt::Vector3f& r) {
    return salt::gRadToDeg(std::atan2(r.y(), r.x()));
}
float pitchBearing(const salt::Vector3f& r) {
    return salt::gRadToDeg(std::atan2(r.z(), r.x()));
}

const salt::Vector3f kOrigin(0, 0, 0);
const salt::Vector3f kUp(0, 0, 1);
const salt::Vector3f kLeft(0, 1, 0);

}  // namespace

std::string Actions::update(bool requireBall) {
    static int level = 0;  // pose of the scan, 0 to 6
    if (mCurAct == ACT_NONE) {
        mCurAct = ACT_HEAD_SCAN;
        level = 0;
    }
    if (level == 6 || (mWM->canSeeFlags() && (mWM->canSeeBall() || !requireBall))) {
        mCurAct = ACT_NONE;
        return moveJoint(HJ1, 0) + moveJoint(HJ2, 0);
    }
    // Left and right at full yaw (degrees), first looking down, then level,
    // then up.
    const double yaw = ((level % 2) - 0.5) * 2 * kYawRange;
    const double pitch = (level / 2 - 1) * kPitchRange;
    if (std::fabs(mWM->getMyJointAngle(HJ1) - yaw) < 5 &&
        std::fabs(mWM->getMyJointAngle(HJ2) - pitch) < 5)
        ++level;
    double yawSpeed = 3.0;
    double pitchSpeed = 3.0;
    std::string commands = moveJointTo(HJ1, yaw, yawSpeed);
    return commands + moveJointTo(HJ2, pitch, pitchSpeed);
}

std::string Actions::lookAt(salt::Vector3f target) {
    salt::Vector3f r = mWM->getRelPos(target);
    // The bearings are measured from where the camera points now, so each
    // joint's target is its current angle plus the bearing; taken as the
    // joint target alone they would stop the head half way.
    double yaw = mWM->getMyJointAngle(HJ1) + yawBearing(r);
    double pitch = mWM->getMyJointAngle(HJ2) + pitchBearing(r);
    std::string commands = moveOrHold(HJ1, yaw, 6, 6);
    return commands + moveOrHold(HJ2, pitch, 2, 2);
}

salt::Vector3f Actions::rotatePosAroundHead(salt::Vector3f a, salt::Vector3f b, double& cost) {
    const salt::Vector3f ra = mWM->getRelPos(a);
    const double yawA = yawBearing(ra);
    const double pitchA = pitchBearing(rotateAroundLine(ra, kUp, -yawA, kOrigin));
    cost = std::fabs(yawA + pitchA);
    if (std::fabs(mWM->getMyJointAngle(HJ1) + yawA) > kYawRange ||
        std::fabs(mWM->getMyJointAngle(HJ2) + pitchA) > kPitchRange)
        cost = 1000;  // the head cannot turn that far
    // Undo A's yaw about the vertical axis, then its pitch about the lateral
    // axis; a turn by +pitch about +y is what brings a point above the axis
    // down to it.
    salt::Vector3f rb = rotateAroundLine(mWM->getRelPos(b), kUp, -yawA, kOrigin);
    rb = rotateAroundLine(rb, kLeft, pitchA, kOrigin);
    return mWM->translate(rb);
}
