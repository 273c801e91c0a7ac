#include "worldmodel/self.h"

namespace {
// Kilograms by BodyID; value 2 is no part.
const double kMasses[kBodyCount] = {
    0.35,                                                     // HEAD
    0.05,                                                     // NECK
    0.0,                                                      // no part
    1.2171,                                                   // TORSO
    0.07,   0.07,  0.15,  0.15,  0.035, 0.035, 0.2,   0.2,    // shoulders .. lower arms
    0.215,  0.215, 0.275, 0.275, 0.0,   0.0,   0.225, 0.225,  // hips .. shanks
    0.125,  0.125, 0.2,   0.2};                               // ankles, feet

bool validBody(int i) {
    return i >= 0 && i < kBodyCount;
}
bool validJoint(int i) {
    return i >= 0 && i < kJointCount;
}
}  // namespace

Self::Self() : myAngle(0.0), myPhiAngle(0.0) {
    for (int i = 0; i < kBodyCount; ++i) mMass[i] = kMasses[i];
    for (double& j : mJoints) j = 0.0;
}

bool Self::setMyRelPos(BodyID part, const salt::Vector3f& v) {
    if (validBody(part)) myRelPos[part] = v;
    return true;
}

salt::Vector3f Self::getMyRelPos(BodyID part) const {
    return validBody(part) ? myRelPos[part] : salt::Vector3f();
}

bool Self::setMyPos(BodyID part, const salt::Vector3f& v) {
    if (validBody(part)) myPos[part] = v;
    return true;
}

salt::Vector3f Self::getMyPos(BodyID part) const {
    return validBody(part) ? myPos[part] : salt::Vector3f();
}

bool Self::setMyVel(BodyID part, const salt::Vector3f& v) {
    if (validBody(part)) myVel[part] = v;
    return true;
}

salt::Vector3f Self::getMyVel(BodyID part) const {
    return validBody(part) ? myVel[part] : salt::Vector3f();
}

bool Self::setMyJoints(JointID joint, double degrees) {
    if (validJoint(joint)) mJoints[joint] = degrees;
    return true;
}

double Self::getMyJoints(JointID joint) const {
    return validJoint(joint) ? mJoints[joint] : 0.0;
}

bool Self::setMyAngle(double degrees) {
    myAngle = degrees;
    return true;
}

bool Self::setMyPhiAngle(double degrees) {
    myPhiAngle = degrees;
    return true;
}

double Self::getMass(BodyID part) const {
    return validBody(part) ? mMass[part] : 0.0;
}

salt::Vector3f Self::getCOM() const {
    salt::Vector3f sum(0, 0, 0);
    double total = 0.0;
    for (int i = 0; i < kBodyCount; ++i) {
        sum += myRelPos[i] * static_cast<float>(mMass[i]);
        total += mMass[i];
    }
    return sum / static_cast<float>(total);
}
