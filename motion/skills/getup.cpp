#include "motion/skills/getup.h"

namespace skills {

namespace {

// One server cycle, seconds.
const double kCycle = 0.02;
// How long a fall of no known way of lying waits for its type before the back get-up
// starts from no activity, seconds: a fix of before the fall counts as current for
// 0.06 s, and vision comes every second or third cycle.
const double kClassifySeconds = 0.1;
// How long a get-up of the front or a side must read "on the back", cycle after cycle,
// before the back's get-up takes it over, seconds (ten cycles): a jolt of the
// accelerometer as a hand or a knee strikes the ground, or noisy fixes of the camera
// during the pike, read so for a few cycles, and the get-up in progress was cut off.
const double kBackSecondsToTakeOver = 0.2;
// How long a robot must have read as upright (no get-up stepped) before a fall counts as
// a new time on the ground, whose first roll goes over the right side again, seconds: a
// robot lying on its side with a foot loaded reads as upright for a few cycles at times,
// and the side of its next roll must not be forgotten then.
const double kUprightForNewFall = 1.0;

// A missing or header-only file gives a motion without keyframes.
bool hasKeyframes(const KeyframeMotion& m) {
    return !m.keyframes.empty();
}

}  // namespace

bool holdsForRest(const KeyframeMotion& motion, double clock, double waited, const Readings& now) {
    if (motion.keyframes.empty() || waited >= kBackSettleSeconds - 1e-6) return false;
    // The hold's last cycle (a keyframe plays until 0.01 s before its end): the next one
    // would start the roll.
    const double last = motion.keyframes.front().end - 0.01;
    return clock < last && clock + kCycle >= last - 1e-6 &&
           now.gyro.Length() >= kBackStillDegPerSecond;
}

GetUp::GetUp(Motions motions, int frontTries)
    : mMotions(std::move(motions)),
      mBackMirror(mirrored(mMotions.back)),
      mRollBack{reversed(mMotions.back), reversed(mBackMirror)},
      mFrontTries(frontTries) {}

bool GetUp::isGettingUp(Action a) {
    return a == ACT_GETUP || a == ACT_GETUP_2 || a == ACT_GETUP_FRONT || a == ACT_GETUP_LEFT ||
           a == ACT_GETUP_RIGHT || a == ACT_GETUP_ROLL_BACK;
}

bool GetUp::hasOwnGetUps() const {
    return hasKeyframes(mMotions.front) || hasKeyframes(mMotions.left) ||
           hasKeyframes(mMotions.right);
}

JointSpeeds GetUp::play(Action mine, const KeyframeMotion& motion, double& clock, bool takeOver,
                        const Readings& now, Action& activity) {
    if (activity == ACT_NONE) {
        activity = mine;
        clock = 0;
    }
    if (activity != mine && !takeOver) return JointSpeeds::allStop();
    // A take-over starts the motion from its first keyframe.
    if (activity != mine) clock = 0;
    activity = mine;
    JointSpeeds speeds;
    if (KeyframePlayer::playCycle(motion, clock, now, speeds)) activity = ACT_NONE;
    return speeds;
}

void GetUp::forgetSideAfterStanding(const Readings& now) {
    // The robot is stepped every cycle while it is down or getting up: a gap means it
    // read as upright between, and after a long one a new time on the ground starts over
    // the right side.
    if (!(now.time - mLastStep <= kUprightForNewFall)) {
        mOverLeft = false;
        mRollPending = false;
        mFrontFailed = 0;
    }
    mLastStep = now.time;
}

JointSpeeds GetUp::startFront(const Readings& now, Action& activity) {
    if (mFrontTries > 0 && mFrontFailed >= mFrontTries && hasKeyframes(mMotions.back)) {
        mFrontFailed = 0;
        return rollBack(now, activity);
    }
    // The roll before, if any, brought the robot onto its front.
    mRollPending = false;
    return play(ACT_GETUP_FRONT, mMotions.front, mOwnClocks[0], false, now, activity);
}

JointSpeeds GetUp::rollBack(const Readings& now, Action& activity) {
    // Played backwards, the roll over one side turns the body the way the roll over the
    // other side goes on: the back's next roll (over the other side, as after any roll
    // that did not end on the front) carries the robot on, away from where it lay.
    const JointSpeeds speeds = play(ACT_GETUP_ROLL_BACK, mRollBack[mOverLeft ? 1 : 0],
                                    mRollBackClock, false, now, activity);
    if (activity == ACT_NONE) mRollPending = true;
    return speeds;
}

JointSpeeds GetUp::step(const Readings& now, int lying, Action& activity) {
    forgetSideAfterStanding(now);
    // The roll back plays to its end whatever way the robot reads meanwhile (it passes
    // a side and ends on the back).
    if (activity == ACT_GETUP_ROLL_BACK) return rollBack(now, activity);
    // Lying on the front or on a side has a get-up of its own, played only for that way
    // of lying.
    struct Own {
        int lying;
        Action activity;
        const KeyframeMotion& motion;
    } const own[3] = {{kOnFront, ACT_GETUP_FRONT, mMotions.front},
                      {kOnLeft, ACT_GETUP_LEFT, mMotions.left},
                      {kOnRight, ACT_GETUP_RIGHT, mMotions.right}};
    if (lying == kOnBack) {
        // A reading of more than a cycle ago does not continue this one.
        if (!(now.time - mBackLast <= kCycle * 1.5)) mBackSince = now.time;
        mBackLast = now.time;
    }
    const bool ownInProgress =
        activity == ACT_GETUP_FRONT || activity == ACT_GETUP_LEFT || activity == ACT_GETUP_RIGHT;
    const bool backHeld =
        lying == kOnBack && now.time - mBackSince >= kBackSecondsToTakeOver - 1e-6;
    if (lying != kOnBack || (ownInProgress && !backHeld)) {
        // A get-up in progress plays on (as the back one does) until it ends, whatever
        // way the robot turns meanwhile, unless it comes to lie on its back for
        // kBackSecondsToTakeOver.
        for (int i = 0; i < 3; ++i) {
            if (activity != own[i].activity) continue;
            const JointSpeeds speeds =
                play(own[i].activity, own[i].motion, mOwnClocks[i], false, now, activity);
            // The front get-up ended with the robot still reading as lying some way.
            if (i == 0 && activity == ACT_NONE && lying != kLyingUnknown) ++mFrontFailed;
            return speeds;
        }
        // The fall ends the guard, walk or head scan it interrupts; the motion starts
        // from its first keyframe. Without keyframes the fall is handled by the back
        // get-up's rules below.
        for (int i = 0; i < 3; ++i) {
            if (lying == own[i].lying && hasKeyframes(own[i].motion) && !isGettingUp(activity)) {
                activity = ACT_NONE;
                if (i == 0) return startFront(now, activity);
                return play(own[i].activity, own[i].motion, mOwnClocks[i], false, now, activity);
            }
        }
    }
    // For its first cycles a fall can read as no known way of lying: the camera's last
    // fix, up to 0.06 s old, is still the upright one. From no activity the back get-up
    // would start then and play to its end, whatever the robot lies on. With get-ups of
    // their own, such a fall waits up to kClassifySeconds for its type, then the back
    // get-up starts as before.
    if (lying == kLyingUnknown && activity == ACT_NONE && hasOwnGetUps()) {
        // A wait of an earlier fall (more than a cycle ago) does not count.
        if (!(now.time - mUnclassifiedLast <= kCycle * 1.5)) mUnclassifiedSince = now.time;
        mUnclassifiedLast = now.time;
        if (now.time - mUnclassifiedSince < kClassifySeconds - 1e-6) return JointSpeeds::allStop();
    }
    // Lying on the back takes over from any other activity, a get-up of the front or a
    // side included (those may roll the robot onto its back) once the reading has held.
    // A start, a take-over or a restart plays from the first keyframe; its hold lasts
    // until the body has come to rest (holdsForRest).
    const bool starts = activity != ACT_GETUP;
    if (starts && (activity == ACT_NONE || lying == kOnBack) && mRollPending) {
        // A roll that ended on the back or a side was most often blocked by another
        // robot lying or standing beside the fallen one: the next goes the other way.
        mOverLeft = !mOverLeft;
        mRollPending = false;
    }
    const KeyframeMotion& back = mOverLeft ? mBackMirror : mMotions.back;
    const double played = starts ? 0 : mBackClock;
    JointSpeeds speeds = play(ACT_GETUP, back, mBackClock, lying == kOnBack, now, activity);
    // The back's motion ended this cycle: lying flat on the front, unless the roll fell
    // short or overshot; the front get-up starting next tells.
    if (activity == ACT_NONE) mRollPending = true;
    if (activity != ACT_GETUP) return speeds;
    if (starts) mBackWaited = 0;
    if (holdsForRest(back, played, mBackWaited, now)) {
        mBackClock = played;
        mBackWaited += kCycle;
    }
    return speeds;
}

}  // namespace skills
