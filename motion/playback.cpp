// Playing keyframe motions back, and the guard and walk starters.

#include <cmath>

#include "motion/actions.h"
#include "worldmodel/worldmodel.h"

namespace {

// A keyframe is active from 0.01 s before its start to 0.01 s before its end,
// so that the 0.02 s clock steps never straddle a boundary.
const double kMargin = 0.01;

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

}  // namespace

std::string Actions::act(double (*table)[kTableSize], double& t) {
    const int columns = countCell(table[0][0]);
    const int rows = countCell(table[1][0]);
    std::string commands;
    commands.reserve(static_cast<size_t>(columns > 0 ? columns : 0) * 24);  // ~18 bytes a joint
    for (int i = 1; i < rows; ++i) {
        const double start = table[0][i];
        const double end = table[1][i];
        if (!(start - kMargin <= t && t < end - kMargin)) continue;
        // The remaining angle spread evenly over the remaining time.
        for (int c = 2; c < columns; ++c) {
            int joint = columnJoint(table[c][0]);
            if (joint < 0) continue;
            double current = mWM->getMyJointAngle(static_cast<JointID>(joint));
            commands +=
                moveJoint(static_cast<JointID>(joint), (table[c][i] - current) / (end - t) / 50);
        }
        break;
    }
    t += kCycleSeconds;
    // A table without keyframes has no end time: its motion ends at once.
    if (rows < 2 || t > table[1][rows - 1]) {
        mCurAct = ACT_NONE;
        return stop();
    }
    return commands;
}

std::string Actions::playMotion(Action activity, double (*table)[kTableSize], double& clock,
                                bool takeOver) {
    if (mCurAct == ACT_NONE) {
        mCurAct = activity;
        clock = 0;
    }
    if (mCurAct == activity || takeOver) {
        mCurAct = activity;
        return act(table, clock);
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
