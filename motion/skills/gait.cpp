#include "motion/skills/gait.h"

#include <algorithm>
#include <cmath>

namespace skills {

namespace {

constexpr double kGravity = 9.81;  // m/s^2

// The share of the sway on a step that starts or ends the walk: half, so that the
// centre of mass neither jumps from rest nor stops dead.
constexpr double kEdgeSway = 0.5;

double smooth(double s) {
    return 0.5 - 0.5 * std::cos(M_PI * std::clamp(s, 0.0, 1.0));
}

}  // namespace

Pose2 compose(const Pose2& a, const Pose2& b) {
    const double c = std::cos(a.yaw), s = std::sin(a.yaw);
    return {a.x + c * b.x - s * b.y, a.y + s * b.x + c * b.y, a.yaw + b.yaw};
}

Pose2 relative(const Pose2& a, const Pose2& b) {
    const double c = std::cos(a.yaw), s = std::sin(a.yaw);
    const double dx = b.x - a.x, dy = b.y - a.y;
    return {c * dx + s * dy, -s * dx + c * dy, b.yaw - a.yaw};
}

Gait::Gait(const WalkSettings& s) : mS(s) {
    reset();
}

void Gait::reset() {
    mStanding = true;
    mTime = 0;
    mWaited = 0;
    mFeet[0] = {0, mS.footSpread / 2, 0};
    mFeet[1] = {0, -mS.footSpread / 2, 0};
    mComX = mComY = mComX1 = mComY1 = mLastComX = mLastComY = 0;
}

bool Gait::feetTogether() const {
    const Pose2 r = relative(mFeet[1], mFeet[0]);
    return std::fabs(r.x) < 1e-3 && std::fabs(r.y - mS.footSpread) < 1e-3 &&
           std::fabs(r.yaw) < 1e-3;
}

void Gait::startStep(const WalkSpeed& v, bool keepStepping, double shiftForward, double shiftLeft) {
    const bool stop = v.zero() && !keepStepping;
    if (mStanding) {
        if (stop) return;
        // The first step swings the foot on the side the robot is to move or turn to.
        mSupport = (v.sideways > 0 || (v.sideways == 0 && v.turn >= 0)) ? 1 : 0;
    } else {
        mFeet[1 - mSupport] = mSwingTo;
        if (stop && feetTogether()) {
            mStanding = true;
            return;
        }
        mSupport = 1 - mSupport;
    }
    const bool edge = mStanding || stop;
    if (mStanding) mTime = 0;
    mStanding = false;
    mWaited = 0;

    // The standing foot becomes the frame's origin.
    const Pose2 stance = mFeet[mSupport];
    for (Pose2& f : mFeet) f = relative(stance, f);
    const Pose2 com = relative(stance, {mLastComX, mLastComY, 0});
    mComX = com.x;
    mComY = com.y;

    // The centre between the feet, as the standing foot puts it, moves by one step's
    // worth of speed; sideways and turning go on the leading foot's steps, twice over.
    const double side = mSupport == 0 ? 1 : -1;  // +1: standing on the left foot
    const double swingSide = -side;
    const double t = mS.stepDuration;
    const Pose2 centre{0, -side * mS.footSpread / 2, 0};
    // The speed in the feet's axes: the torso faces torsoTwist counter-clockwise of the
    // more counter-clockwise foot, on a turn half a step's turn ahead of their middle.
    const double twist = mS.torsoTwist * M_PI / 180 + std::fabs(v.turn) * t / 2;
    const double forward = std::cos(twist) * v.forward - std::sin(twist) * v.sideways;
    const double sideways = std::sin(twist) * v.forward + std::cos(twist) * v.sideways;
    Pose2 move{forward * t, 0, 0};
    if (sideways * swingSide > 0) move.y = 2 * sideways * t;
    // The balance's shift, outward only sideways so that the feet never come closer.
    move.x += std::cos(twist) * shiftForward - std::sin(twist) * shiftLeft;
    const double outward =
        swingSide * (std::sin(twist) * shiftForward + std::cos(twist) * shiftLeft);
    move.y += swingSide * std::max(0.0, outward);
    // The leading foot (on the side turned to) opens the turn and the other closes it: at
    // turnLead 1 all of a step pair's turn goes on the leading step and the feet reach
    // twice the turn of a step apart; at 0 every step turns alike, the feet alternate
    // between a step's turn either way, and the hips' yaw needs half the range.
    const double lead = v.turn * swingSide > 0 ? 1 + mS.turnLead : 1 - mS.turnLead;
    const double turn = lead * v.turn * t;
    // Half the turn before the move and half after: the chord of the arc.
    const Pose2 half{0, 0, turn / 2};
    const Pose2 next = compose(compose(compose(centre, half), move), half);
    mSwingTo = compose(next, {0, swingSide * mS.footSpread / 2, 0});

    mComX1 = mSwingTo.x / 2;
    mComY1 = mSwingTo.y / 2;
    mZmpX = mS.zmpForward;
    const double line = (mComY + mComY1) / 2;
    const double sway = mS.swayGain * (edge ? kEdgeSway : 1.0);
    mZmpY = line + sway * (side * mS.zmpOutward - line);
}

double Gait::comAt(double c0, double c1, double p, double t) const {
    const double tc = std::sqrt(mS.pendulumHeight / kGravity);
    const double whole = std::sinh(mS.stepDuration / tc);
    return p + (c0 - p) * std::sinh((mS.stepDuration - t) / tc) / whole +
           (c1 - p) * std::sinh(t / tc) / whole;
}

GaitFrame Gait::standingFrame() const {
    GaitFrame f;
    f.feet = mFeet;
    const Pose2 mid{(mFeet[0].x + mFeet[1].x) / 2, (mFeet[0].y + mFeet[1].y) / 2, 0};
    f.comX = mid.x;
    f.comY = mid.y;
    f.torsoYaw = std::max(mFeet[0].yaw, mFeet[1].yaw) + mS.torsoTwist * M_PI / 180;
    return f;
}

GaitFrame Gait::advance(double dt, const WalkSpeed& speed, bool keepStepping, bool swingDown,
                        double shiftForward, double shiftLeft) {
    if (!mStanding) {
        mTime += dt;
        if (mTime >= mS.stepDuration - 1e-9) {
            if (!swingDown && mWaited < mS.landingWait) {
                mWaited += dt;
                mTime = mS.stepDuration;
            } else {
                mTime -= mS.stepDuration;  // the cycles' rest goes to the next step
                startStep(speed, keepStepping, shiftForward, shiftLeft);
            }
        }
    } else {
        startStep(speed, keepStepping, shiftForward, shiftLeft);
    }
    if (mStanding) {
        GaitFrame f = standingFrame();
        mLastComX = f.comX;
        mLastComY = f.comY;
        return f;
    }
    const double t = std::min(mTime, mS.stepDuration);
    const double s = t / mS.stepDuration;
    GaitFrame f;
    f.support = mSupport;
    f.phase = s;
    const int swing = 1 - mSupport;
    f.feet[mSupport] = mFeet[mSupport];
    const Pose2& from = mFeet[swing];
    const double k = smooth(s);
    f.feet[swing] = {from.x + (mSwingTo.x - from.x) * k, from.y + (mSwingTo.y - from.y) * k,
                     from.yaw + (mSwingTo.yaw - from.yaw) * k};
    f.lift[swing] = mS.stepHeight * std::sin(M_PI * s);
    f.comX = comAt(mComX, mComX1, mZmpX, t);
    f.comY = comAt(mComY, mComY1, mZmpY, t);
    f.torsoYaw = std::max(f.feet[0].yaw, f.feet[1].yaw) + mS.torsoTwist * M_PI / 180;
    mLastComX = f.comX;
    mLastComY = f.comY;
    return f;
}

}  // namespace skills
