#include "motion/skills/walk.h"

#include <algorithm>
#include <cmath>

#include "motion/skills/leg_ik.h"

namespace skills {

namespace {

constexpr double kCycle = 0.02;  // seconds
constexpr double kDeg = M_PI / 180;
constexpr double kHipHalfWidth = 0.055;  // metres from the hips' middle to each hip point
constexpr double kGravity = 9.81;        // m/s^2

// First joint of each leg in JointID order (left, right); a leg's joints follow two apart.
const JointID kLegBase[2] = {LLJ1, RLJ1};

double finiteOr0(double v) {
    return std::isfinite(v) ? v : 0;
}

// `from` moved towards `to` by at most `step`.
double approach(double from, double to, double step) {
    return from + std::clamp(to - from, -step, step);
}

Vec3d sub(const Vec3d& a, const Vec3d& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

double smooth(double s) {
    return 0.5 - 0.5 * std::cos(M_PI * std::clamp(s, 0.0, 1.0));
}

// The arm joints' ranges (degrees): pitch, roll, yaw, elbow, left then right.
double clampArm(JointID j, double deg) {
    switch (j) {
        case LAJ2:
            return std::clamp(deg, -1.0, 95.0);
        case RAJ2:
            return std::clamp(deg, -95.0, 1.0);
        case LAJ4:
            return std::clamp(deg, -90.0, 1.0);
        case RAJ4:
            return std::clamp(deg, -1.0, 90.0);
        default:
            return std::clamp(deg, -120.0, 120.0);
    }
}

}  // namespace

Walk::Walk(const WalkParameters& p)
    : mS(WalkSettings::from(p)), mGait(mS), mServo(mS.readingLag, mS.servoGain) {}

void Walk::setCommand(const WalkCommand& c) {
    WalkCommand l;
    l.forward = finiteOr0(c.forward);
    l.sideways = finiteOr0(c.sideways);
    l.turn = finiteOr0(c.turn);
    l.inPlace = c.inPlace;
    // Each part as a share of its best; beyond the walk's reach all three shrink together,
    // which keeps the direction of the command.
    const double maxF = l.forward >= 0 ? mS.maxForward : mS.maxBackward;
    auto share = [](double v, double max) { return max > 0 ? v / max : (v != 0 ? 1e9 : 0); };
    const double r = std::sqrt(std::pow(share(l.forward, maxF), 2) +
                               std::pow(share(l.sideways, mS.maxSideways), 2) +
                               std::pow(share(l.turn, mS.maxTurn), 2));
    if (r > 1) {
        l.forward = maxF > 0 ? l.forward / r : 0;
        l.sideways = mS.maxSideways > 0 ? l.sideways / r : 0;
        l.turn = mS.maxTurn > 0 ? l.turn / r : 0;
    }
    mCommand = l;
}

WalkCommand Walk::speed() const {
    WalkCommand c;
    c.forward = mSpeed.forward;
    c.sideways = mSpeed.sideways;
    c.turn = mSpeed.turn / kDeg;
    c.inPlace = mCommand.inPlace;
    return c;
}

void Walk::reset() {
    mGait.reset();
    mSpeed = {};
    mHeadingError = 0;
    mTurnBack = 0;
    mFresh = true;
}

bool Walk::still() const {
    return mGait.standing() && !mFresh && mStartClock >= mS.startDuration;
}

void Walk::followCommand(double dt) {
    const double f = mCommand.forward;
    const bool speedingUp = f * mSpeed.forward >= 0 && std::fabs(f) > std::fabs(mSpeed.forward);
    mSpeed.forward = approach(mSpeed.forward, f, (speedingUp ? mS.accForward : mS.decForward) * dt);
    mSpeed.sideways = approach(mSpeed.sideways, mCommand.sideways, mS.accSideways * dt);
    mSpeed.turn = approach(mSpeed.turn, mCommand.turn * kDeg, mS.accTurn * kDeg * dt);
}

std::array<double, kJointCount> Walk::poseFor(const GaitFrame& f, const Readings& now) {
    std::array<double, kJointCount> t = mServo.target();
    const double lean = mS.torsoLean + mS.leanPerSpeed * mSpeed.forward;
    const Rot3d torso = rotZ(f.torsoYaw) * rotY(lean * kDeg);
    const double c = std::cos(f.torsoYaw), s = std::sin(f.torsoYaw);
    const Vec3d hips{f.comX - c * mS.footForward, f.comY - s * mS.footForward, mS.hipHeight};
    double ahead[2];
    for (int leg = 0; leg < 2; ++leg) {
        const double side = leg == 0 ? 1 : -1;
        const Vec3d offset = torso.apply({0, side * kHipHalfWidth, 0});
        const Vec3d hip{hips.x + offset.x, hips.y + offset.y, hips.z + offset.z};
        const Pose2& foot = f.feet[leg];
        FootPose target;
        target.position = torso.applyInverse(sub({foot.x, foot.y, f.lift[leg]}, hip));
        target.rotation = torso.transposed() * rotZ(foot.yaw);
        const LegSolution sol = legInverse(leg == 0 ? Leg::Left : Leg::Right, target);
        for (int k = 0; k < 6; ++k) t[kLegBase[leg] + 2 * k] = sol.angles[k];
        ahead[leg] = c * (foot.x - hips.x) + s * (foot.y - hips.y);
    }
    addBalance(f, now, t);
    // Each arm swings with the opposite foot.
    t[LAJ1] = clampArm(LAJ1, mS.armPitch + mS.armSwing * ahead[1]);
    t[RAJ1] = clampArm(RAJ1, mS.armPitch + mS.armSwing * ahead[0]);
    t[LAJ2] = 0;
    t[RAJ2] = 0;
    t[LAJ3] = 0;
    t[RAJ3] = 0;
    t[LAJ4] = clampArm(LAJ4, -mS.armElbow);
    t[RAJ4] = clampArm(RAJ4, mS.armElbow);
    return t;
}

void Walk::addBalance(const GaitFrame& f, const Readings& now, std::array<double, kJointCount>& t) {
    // The torso's forward tilt by the accelerometer (gravity's share along its x axis).
    const double tiltError = mTilt - (mS.torsoLean + mS.leanPerSpeed * mSpeed.forward);
    for (int leg = 0; leg < 2; ++leg) {
        const int b = kLegBase[leg];
        const Leg which = leg == 0 ? Leg::Left : Leg::Right;
        const bool standingOn = f.support < 0 || f.support == leg;
        double add[6] = {};
        add[2] = mS.tiltHipPitch * tiltError;
        if (standingOn) {
            add[4] = mS.gyroAnklePitch * now.gyro.y();
            add[5] = mS.gyroAnkleRoll * now.gyro.x();
            add[1] = mS.gyroHipRoll * now.gyro.x();
        }
        for (int k = 0; k < 6; ++k) {
            t[b + 2 * k] =
                std::clamp(t[b + 2 * k] + add[k], legJointMin(which, k), legJointMax(which, k));
        }
    }
}

WalkSpeed Walk::heldSpeed(const Readings& now) {
    // Feet slip and the legs reach differently, so the robot turns a little on its own:
    // the gyroscope's turn beyond the planned one is summed and turned back (at most a
    // third of maxTurn).
    if (mGait.standing() || (mSpeed.zero() && !mCommand.inPlace)) {
        mHeadingError = 0;  // stopping: the last steps bring the feet side by side
        mTurnBack = 0;
        return mSpeed;
    }
    mHeadingError = std::clamp(mHeadingError + now.gyro.z() * kCycle, -30.0, 30.0);
    // Never beyond the walk's best turn, where the error would only grow.
    const double most = mS.maxTurn / 3, turn = mSpeed.turn / kDeg;
    mTurnBack = std::clamp(mS.headingGain * mHeadingError, std::max(-most, turn - mS.maxTurn),
                           std::min(most, turn + mS.maxTurn));
    WalkSpeed held = mSpeed;
    held.turn -= mTurnBack * kDeg;
    return held;
}

void Walk::countPlannedTurn(const GaitFrame& before, const GaitFrame& after) {
    double turned = after.torsoYaw - before.torsoYaw;
    // A new step's frame stands on the foot that has just landed.
    if (after.support >= 0 && after.support != before.support)
        turned += before.feet[after.support].yaw;
    // The turn back is the walk's own: it does not count as planned.
    mHeadingError -= turned / kDeg + mTurnBack * kCycle;
}

void Walk::readTilt(const Readings& now) {
    // Gravity's share along the torso's x and y axes, while nothing else shakes it much.
    const double ax = now.acc.x(), ay = now.acc.y(), az = now.acc.z();
    const double g = std::sqrt(ax * ax + ay * ay + az * az);
    if (!now.accFresh || g < 0.5 * kGravity || g > 1.5 * kGravity) return;
    mTilt += mS.tiltFilter * (std::atan2(-ax, az) / kDeg - mTilt);
    mRoll += mS.tiltFilter * (std::atan2(-ay, az) / kDeg - mRoll);
}

JointSpeeds Walk::step(const Readings& now) {
    if (mFresh) {
        mStartPose = now.angles;
        mServo.start(now);
        mStartClock = 0;
        mFresh = false;
    }
    const bool starting = mStartClock < mS.startDuration;
    if (!starting) followCommand(kCycle);
    const WalkCommand& c = mCommand;
    const bool inPlace = !starting && c.inPlace;
    const int swing = mFrame.support < 0 ? 0 : 1 - mFrame.support;
    readTilt(now);
    const double lean = mS.torsoLean + mS.leanPerSpeed * mSpeed.forward;
    const GaitFrame before = mFrame;
    mFrame = mGait.advance(kCycle, heldSpeed(now), inPlace, now.feet[swing].touching,
                           mS.tiltStepForward * (mTilt - lean), mS.tiltStepSideways * mRoll);
    countPlannedTurn(before, mFrame);
    std::array<double, kJointCount> next = poseFor(mFrame, now);
    if (starting) {
        mStartClock += kCycle;
        const double k = smooth(mStartClock / mS.startDuration);
        for (int j = 0; j < kJointCount; ++j)
            next[j] = mStartPose[j] + (next[j] - mStartPose[j]) * k;
    }
    next[HJ1] = next[HJ2] = 0;
    return mServo.towards(next, now);
}

}  // namespace skills
