#ifndef HALYX_MOTION_SKILLS_KEYFRAMES_H
#define HALYX_MOTION_SKILLS_KEYFRAMES_H

#include <iosfwd>
#include <string>
#include <vector>

#include "motion/skills/skill.h"

namespace skills {

// A keyframe motion as the team folder's motion files hold it: a header naming the
// joint each column drives, then keyframes, each a span of motion time and one
// target angle per column. The agent's motion engine, the laboratory and the tests
// read it with one reader and play it with one player.
struct KeyframeMotion {
    // Most rows a file may hold (header included) and most cells a row may hold;
    // what lies beyond is ignored.
    static constexpr int kMaxRows = 24;
    static constexpr int kMaxCells = 24;

    struct Keyframe {
        double start = 0, end = 0;    // seconds of motion time
        std::vector<double> targets;  // degrees, one per column
    };
    // Cells in the widest row, the two times included (at most kMaxCells).
    int width = 0;
    bool hasHeader = false;
    // The joint each column drives, in file order; -1 for a name that is no joint,
    // which playback skips.
    std::vector<int> joints;
    std::vector<Keyframe> keyframes;
    std::vector<std::string> comments;  // per keyframe, the comment lines above it
    std::string heading;                // comment lines above the header

    // The end of the last keyframe: the motion's length.
    double end() const { return keyframes.empty() ? 0 : keyframes.back().end; }
    bool drives(int joint) const;
    // The target of keyframe k for a joint, through the first column that drives it
    // (0 when none does); setting a joint no column drives changes nothing.
    double target(std::size_t k, int joint) const;
    void setTarget(std::size_t k, int joint, double degrees);
};

// The perceptor names of the 22 joints in JointID order ("hj1", ..., "raj4").
const char* jointName(int joint);
// The joint a name stands for, or -1.
int jointNamed(const std::string& name);

// Reads a motion. Never fails: ";" starts a comment, blank lines are no rows; "." keeps
// the previous keyframe's value of its column (0 in the first); tokens read as their
// numeric prefix and non-finite ones as 0; cells a short row does not reach are 0; a
// line of over 999 characters ends the file.
KeyframeMotion readKeyframes(std::istream& in);
// False, with an empty motion, when the file cannot be opened.
bool readKeyframeFile(const std::string& path, KeyframeMotion& motion);
// Writes a motion back in the same form, targets rounded to 0.01 degree and times to
// 1 ms, comments kept. Throws std::runtime_error when the file cannot be written.
void writeKeyframeFile(const KeyframeMotion& motion, const std::string& path);

// The joint that mirrors `joint` through the robot's sagittal plane, and the sign its
// angle takes there.
int mirrorJoint(int joint, double& sign);
// The same motion for the other side of the body.
KeyframeMotion mirrored(const KeyframeMotion& motion);
// The same motion played backwards: it starts holding the last keyframe's targets for
// the first keyframe's span, then reaches every earlier keyframe's targets over the span
// that led away from them, and ends at the first keyframe's; as long as the original.
KeyframeMotion reversed(const KeyframeMotion& motion);

// Plays a keyframe motion: each cycle, every driven joint gets the remaining angle to
// its keyframe's target spread evenly over the keyframe's remaining time; after the
// last keyframe every joint stops and the player is done. The motion must outlive it.
class KeyframePlayer : public Skill {
public:
    explicit KeyframePlayer(const KeyframeMotion& motion) : mMotion(&motion) {}
    // From the motion's start again.
    void restart() {
        mClock = 0;
        mDone = false;
    }
    JointSpeeds step(const Readings& now) override;
    bool done() const override { return mDone; }
    double clock() const { return mClock; }  // seconds of motion time

    // One cycle at motion clock `clock` (seconds), which advances by one cycle; true
    // once the motion has ended (the speeds are then the all-stop).
    static bool playCycle(const KeyframeMotion& motion, double& clock, const Readings& now,
                          JointSpeeds& speeds);

private:
    const KeyframeMotion* mMotion;
    double mClock = 0;
    bool mDone = false;
};

}  // namespace skills

#endif
