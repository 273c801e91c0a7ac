#ifndef HALYX_MOTION_SKILLS_GETUP_H
#define HALYX_MOTION_SKILLS_GETUP_H

#include <utility>

#include "motion/skills/activity.h"
#include "motion/skills/keyframes.h"

namespace skills {

// The way a fallen robot lies, as the fall reading tells it.
enum Lying {
    kLyingUnknown = 0,
    kOnBack = 1,
    kOnLeft = 2,
    kOnRight = 3,
    kOnFront = 4,
    kLyingOther = 5
};

// The back get-up's first keyframe, a hold of the lying posture, lasts until the torso
// turns slower than kBackStillDegPerSecond, and at most kBackSettleSeconds beyond its
// span: a roll swung while the body still rocks (off a side, out of a roll that fell
// short, limbs swinging in from a walk) fell short or overshot in matches.
constexpr double kBackStillDegPerSecond = 30;
constexpr double kBackSettleSeconds = 0.5;

// True while the back get-up `motion` at motion clock `clock` (seconds) holds its first
// keyframe for the body to come to rest, having waited `waited` seconds beyond the
// keyframe's span: the clock then stays where it is.
bool holdsForRest(const KeyframeMotion& motion, double clock, double waited, const Readings& now);

// Getting up after a fall: chooses the get-up of the way the robot lies and plays it,
// sharing the motion engine's activity with the other motions. The back's get-up takes
// over from any activity; those of the front and the sides end a guard, walk or head
// scan they interrupt, when they are given. Stepped every cycle the robot reads as
// fallen or a get-up is running.
class GetUp {
public:
    // The four get-ups; a side or the front without keyframes is handled by the back's
    // rules.
    struct Motions {
        KeyframeMotion back, front, left, right;
    };
    GetUp() = default;  // no get-ups: a fall gets the all-stop
    // `frontTries`: front get-ups that may end with the robot still down before the next
    // start lying on the front rolls it back onto its back instead (the back's roll
    // played backwards) and on over the other side, two rolls away from where the front
    // get-up failed; 0: never (the agent's: next to a robot lying beside it, the
    // laboratory stood less often that way than by trying the front get-up again).
    explicit GetUp(Motions motions, int frontTries = 0);

    // One cycle: `lying` is this cycle's way of lying (kLyingUnknown while not known or
    // not fallen), `activity` the engine's activity, which the get-up takes and ends.
    JointSpeeds step(const Readings& now, int lying, Action& activity);

    static bool isGettingUp(Action activity);
    bool hasOwnGetUps() const;
    const Motions& motions() const { return mMotions; }
    // True while the back get-up rolls (or will next roll) over the left side: the mirror
    // image of the back's motion.
    bool rollsOverLeft() const { return mOverLeft; }

private:
    // Starts `mine` from no activity and plays one cycle of it while it holds the
    // engine (or takeOver says so); another activity gets the all-stop.
    JointSpeeds play(Action mine, const KeyframeMotion& motion, double& clock, bool takeOver,
                     const Readings& now, Action& activity);

    // Forgets the side of the back's roll and the front get-ups that failed once the
    // robot has read as upright for long enough: each time on the ground rolls over the
    // right side first.
    void forgetSideAfterStanding(const Readings& now);
    // Plays the front get-up, or starts the roll back onto the back after too many front
    // get-ups that left the robot down, when the robot lies on its front with no get-up
    // in progress; `activity` is then ACT_NONE.
    JointSpeeds startFront(const Readings& now, Action& activity);
    // One cycle of the roll from the front back onto the back.
    JointSpeeds rollBack(const Readings& now, Action& activity);

    Motions mMotions;
    // The back's motion for the left side (the mirror image of mMotions.back): next to
    // another robot the roll over the right side is often blocked by its body.
    KeyframeMotion mBackMirror;
    // The back's roll over the right side and over the left played backwards: from the
    // front onto the back over that side.
    KeyframeMotion mRollBack[2];
    int mFrontTries = 0;
    bool mOverLeft = false;  // the back's roll goes over the left side
    // A roll (the back's, or the roll back) has ended and no front get-up has started
    // since: it did not bring the robot onto its front, and the next roll goes over the
    // other side. Decided by what follows, not by the reading of the roll's last cycle:
    // a robot falling back off its front onto a side reads "on the front" or no way of
    // lying for a cycle or two as the roll ends.
    bool mRollPending = false;
    int mFrontFailed = 0;              // front get-ups that ended with the robot still down
    double mRollBackClock = 0;         // seconds of motion time
    double mLastStep = -1e9;           // server time (seconds) of the last cycle stepped
    double mBackClock = 0;             // seconds of motion time
    double mBackWaited = 0;            // seconds the back get-up's hold waited for rest
    double mOwnClocks[3] = {0, 0, 0};  // front, left side, right side, seconds
    // Server times (seconds) of the first and the last cycle of the current wait of a
    // fall of no known way of lying.
    double mUnclassifiedSince = -1e9;
    double mUnclassifiedLast = -1e9;
    // Server times (seconds) of the first and the last cycle of the present run of
    // cycles read "on the back".
    double mBackSince = -1e9;
    double mBackLast = -1e9;
};

}  // namespace skills

#endif
