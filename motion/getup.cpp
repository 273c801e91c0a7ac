// Getting up after a fall: the starters that can end a running motion.

#include "motion/actions.h"
#include "worldmodel/worldmodel.h"

namespace {

// The felt type of lying on the back (WorldModel::feltType).
const int kOnBack = 1;
// How long a fall of no known way of lying waits for its type before the back
// get-up starts from no activity, seconds: a fix of before the fall counts as
// current for 0.06 s, and vision comes every second or third cycle.
const double kClassifySeconds = 0.1;

// A missing or header-only file gives a motion without keyframes.
bool hasKeyframes(const double (*table)[Actions::kTableSize]) {
    return table[1][0] >= 2.0;
}

}  // namespace

bool Actions::hasOwnGetUps() const {
    return hasKeyframes(mGetUpFront) || hasKeyframes(mGetUpLeft) || hasKeyframes(mGetUpRight);
}

bool Actions::isGettingUp() const {
    return mCurAct == ACT_GETUP || mCurAct == ACT_GETUP_2 || mCurAct == ACT_GETUP_FRONT ||
           mCurAct == ACT_GETUP_LEFT || mCurAct == ACT_GETUP_RIGHT;
}

std::string Actions::getUp() {
    static double time = 0;                     // motion clock of the back get-up, seconds
    static double clocks[3] = {0.0, 0.0, 0.0};  // front, left side, right side, seconds
    // Mend of the fall handling: lying on the front (felt type 4) or on a side
    // (2 left, 3 right) has a get-up of its own, played only for that type.
    // Before, such a fall under the guard or the head scan got the all-stop for
    // good, and from no activity a front fall started the back get-up.
    struct OwnGetUp {
        int feltType;
        Action activity;
        double (*table)[kTableSize];
    } const own[3] = {{4, ACT_GETUP_FRONT, mGetUpFront},
                      {2, ACT_GETUP_LEFT, mGetUpLeft},
                      {3, ACT_GETUP_RIGHT, mGetUpRight}};
    const int felt = mWM->getFeltType();
    if (felt != kOnBack) {
        // A get-up in progress plays on (as the back one does) until it ends,
        // whatever way the robot turns meanwhile, unless it comes to lie on its
        // back.
        for (int i = 0; i < 3; ++i) {
            if (mCurAct == own[i].activity)
                return playMotion(own[i].activity, own[i].table, clocks[i], false);
        }
        // The fall ends the guard, walk or head scan it interrupts; the motion
        // starts from its first keyframe. Without the file (no keyframes) the
        // fall is handled as before, by the back get-up's rules below.
        for (int i = 0; i < 3; ++i) {
            if (felt == own[i].feltType && hasKeyframes(own[i].table) && !isGettingUp()) {
                mCurAct = ACT_NONE;
                return playMotion(own[i].activity, own[i].table, clocks[i], false);
            }
        }
    }
    // For its first cycles a fall can read as no known way of lying (type 0):
    // the camera's last fix, up to 0.06 s old, is still the upright one. From no
    // activity the back get-up would start then and play to its end, whatever the
    // robot lies on; a side fall went that way in a third of the trials. With get-ups
    // of their own in the team folder, such a fall waits up to kClassifySeconds for
    // its type, then the back get-up starts as before.
    if (felt == 0 && mCurAct == ACT_NONE && hasOwnGetUps()) {
        const double now = mWM->getServerTime();
        // A wait of an earlier fall (more than a cycle ago) does not count.
        if (!(now - mUnclassifiedLast <= Actions::kCycleSeconds * 1.5)) mUnclassifiedSince = now;
        mUnclassifiedLast = now;
        if (now - mUnclassifiedSince < kClassifySeconds - 1e-6) return stop();
    }
    // Lying on the back takes over from any other activity, a get-up of the
    // front or a side included (those may roll the robot onto its back).
    return playMotion(ACT_GETUP, mGetUp, time, felt == kOnBack);
}
