// Playing keyframe motions back, and the guard and walk starters.

#include <cmath>

#include "motion/actions.h"
#include "motion/skills/keyframes.h"
#include "worldmodel/worldmodel.h"

namespace {

// A count cell of a table (columns or rows), truncated and kept inside the
// table whatever the cell holds.
int countCell(double cell) {
    if (!(cell >= 0.0)) return 0;
    if (cell > Actions::kTableSize) return Actions::kTableSize;
    return static_cast<int>(cell);
}

// The joint a column drives, or -1 when its header cell holds no joint code.
int columnJoint(double headerCell) {
    if (!(headerCell >= 1.0 && headerCell < kJointCount + 1.0)) return -1;
    return static_cast<int>(headerCell - 1.0);
}

// The table as the skills' player knows it: its counted columns and rows only.
skills::KeyframeMotion motionOf(const double (*table)[Actions::kTableSize]) {
    skills::KeyframeMotion motion;
    const int columns = countCell(table[0][0]);
    const int rows = countCell(table[1][0]);
    motion.width = columns;
    motion.hasHeader = rows > 0;
    for (int c = 2; c < columns; ++c) motion.joints.push_back(columnJoint(table[c][0]));
    for (int r = 1; r < rows; ++r) {
        skills::KeyframeMotion::Keyframe k{table[0][r], table[1][r], {}};
        for (int c = 2; c < columns; ++c) k.targets.push_back(table[c][r]);
        motion.keyframes.push_back(k);
    }
    return motion;
}

}  // namespace

std::string Actions::act(double (*table)[kTableSize], double& t) {
    return play(motionOf(table), t);
}

std::string Actions::play(const skills::KeyframeMotion& motion, double& t) {
    skills::JointSpeeds speeds;
    if (skills::KeyframePlayer::playCycle(motion, t, mWM->readings(), speeds)) mCurAct = ACT_NONE;
    return commands(speeds);
}

std::string Actions::commands(const skills::JointSpeeds& speeds) {
    std::string text;
    text.reserve(static_cast<size_t>(speeds.count) * 24);  // ~18 bytes a joint
    for (int i = 0; i < speeds.count; ++i)
        text += moveJoint(speeds.order[i], speeds.speed[speeds.order[i]]);
    return text;
}

std::string Actions::playMotion(Action activity, const skills::KeyframeMotion& motion,
                                double& clock, bool takeOver) {
    if (mCurAct == ACT_NONE) {
        mCurAct = activity;
        clock = 0;
    }
    if (mCurAct == activity || takeOver) {
        mCurAct = activity;
        return play(motion, clock);
    }
    return stop();
}

std::string Actions::doGuard() {
    static double time = 0;  // motion clock, seconds
    return playMotion(ACT_GUARD, mGuard, time, false);
}

std::string Actions::doWalk() {
    static double time = 0;  // motion clock, seconds
    return playMotion(ACT_WALK, mWalk, time, false);
}

void Actions::setWalkParameters(const skills::WalkParameters& parameters) {
    mWalker = std::make_unique<skills::Walk>(parameters);
}

std::string Actions::stepWalk(const skills::WalkCommand& command) {
    if (!mWalker) return std::string();
    if (mCurAct == ACT_NONE) {
        mCurAct = ACT_WALK;
        mWalker->reset();
    }
    if (mCurAct != ACT_WALK) return stop();
    mWalker->setCommand(command);
    return commands(mWalker->step(mWM->readings()));
}

skills::WalkCommand Actions::walkSpeed() const {
    if (!mWalker || mCurAct != ACT_WALK) return {};
    return mWalker->speed();
}
