#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/motion/motion_fixture.h"

namespace {

// The simulated humanoid's joint ranges, degrees, in JointID order.
struct Range {
    double low, high;
};
const Range kRanges[kJointCount] = {
    {-120, 120}, {-45, 45},    // hj1, hj2
    {-90, 1},    {-90, 1},     // llj1, rlj1: hip yaw-pitch
    {-25, 45},   {-45, 25},    // llj2, rlj2: hip roll
    {-25, 100},  {-25, 100},   // llj3, rlj3: hip pitch
    {-130, 1},   {-130, 1},    // llj4, rlj4: knee
    {-45, 75},   {-45, 75},    // llj5, rlj5: ankle pitch
    {-45, 25},   {-25, 45},    // llj6, rlj6: ankle roll
    {-120, 120}, {-120, 120},  // laj1, raj1: shoulder pitch
    {-1, 95},    {-95, 1},     // laj2, raj2: shoulder roll
    {-120, 120}, {-120, 120},  // laj3, raj3: elbow yaw
    {-90, 1},    {-1, 90},     // laj4, raj4: elbow roll
};

// Every shipped motion names each joint at most once, keeps every target
// inside the joint's range, and runs its keyframes back to back from 0, each
// long enough to be played for at least one 0.02 s cycle.
TEST(MotionFiles, ShippedMotionsStayInsideTheJointRangesAndTimeline) {
    for (const char* name : {"guard", "walk", "getUp", "getUpFront", "getUpLeft", "getUpRight"}) {
        SCOPED_TRACE(name);
        Actions::Table t;
        {
            engine();
            ScopedWorkingDir team(std::string(HALYX_SOURCE_DIR) + "/team");
            engine()->fill(t, name);
        }
        const int columns = static_cast<int>(t[0][0]);
        const int rows = static_cast<int>(t[1][0]);
        ASSERT_GE(rows, 2);
        ASSERT_GE(columns, 3);
        std::set<int> joints;
        for (int c = 2; c < columns; ++c) {
            const int joint = static_cast<int>(t[c][0]) - 1;
            ASSERT_TRUE(joint >= 0 && joint < kJointCount) << "column " << c;
            EXPECT_TRUE(joints.insert(joint).second) << "joint " << joint << " named twice";
        }
        double previousEnd = 0;
        for (int r = 1; r < rows; ++r) {
            EXPECT_DOUBLE_EQ(previousEnd, t[0][r]) << "keyframe " << r << " start";
            EXPECT_GE(t[1][r] - t[0][r], 0.02 - 1e-9) << "keyframe " << r;
            previousEnd = t[1][r];
            for (int c = 2; c < columns; ++c) {
                const Range& range = kRanges[static_cast<int>(t[c][0]) - 1];
                EXPECT_GE(t[c][r], range.low) << "keyframe " << r << " column " << c;
                EXPECT_LE(t[c][r], range.high) << "keyframe " << r << " column " << c;
            }
        }
    }
}

}  // namespace
