// The skills' keyframe motion: what the laboratory writes back reads as it was, a motion
// mirrored twice is the motion again, and a motion played backwards goes through its
// targets in reverse over the spans that led away from them.
#include <gtest/gtest.h>

#include <sstream>

#include "motion/skills/keyframes.h"
#include "tests/support/agent_process.h"

namespace {

const char kMotion[] =
    "; a get-up\n"
    "start end llj3 rlj3 laj2 raj2 hj1\n"
    "; first\n"
    "0 0.5 10 20 30 -40 15\n"
    "0.5 1.25 -5.5 . 1 -2 -15\n";

TEST(KeyframeMotion, WrittenMotionReadsBackWithItsCommentsAndTargets) {
    std::istringstream in(kMotion);
    const skills::KeyframeMotion m = skills::readKeyframes(in);
    halyx_test::TempDir dir;
    const std::string path = dir.path() + "/m.txt";
    skills::writeKeyframeFile(m, path);
    skills::KeyframeMotion back;
    ASSERT_TRUE(skills::readKeyframeFile(path, back));
    EXPECT_EQ(back.joints, m.joints);
    EXPECT_EQ(back.heading, "a get-up\n");
    ASSERT_EQ(back.keyframes.size(), 2u);
    EXPECT_EQ(back.comments[0], "first\n");
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_DOUBLE_EQ(back.keyframes[k].end, m.keyframes[k].end);
        EXPECT_EQ(back.keyframes[k].targets, m.keyframes[k].targets);
    }
    EXPECT_DOUBLE_EQ(back.target(1, RLJ3), 20);  // "." kept the value above
}

TEST(KeyframeMotion, MirroringSwapsSidesFlipsRollsAndTwiceGivesTheMotionBack) {
    std::istringstream in(kMotion);
    const skills::KeyframeMotion m = skills::readKeyframes(in);
    const skills::KeyframeMotion once = skills::mirrored(m);
    struct Case {
        JointID joint;
        double degrees;  // in the first keyframe of the mirrored motion
    } const cases[] = {{LLJ3, 20}, {RLJ3, 10}, {LAJ2, 40}, {RAJ2, -30}, {HJ1, -15}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(once.target(0, c.joint), c.degrees) << c.joint;
    const skills::KeyframeMotion twice = skills::mirrored(once);
    for (std::size_t k = 0; k < m.keyframes.size(); ++k)
        EXPECT_EQ(twice.keyframes[k].targets, m.keyframes[k].targets);
}

TEST(KeyframeMotion, PlayedBackwardsItReachesEachTargetOverTheSpanThatLedAwayFromIt) {
    std::istringstream in(
        "start end llj3 laj1\n"
        "0.0 0.1 0 0\n"
        "0.1 0.5 40 -10\n"
        "0.5 1.5 -20 90\n");
    const skills::KeyframeMotion m = skills::readKeyframes(in);
    const skills::KeyframeMotion r = skills::reversed(m);
    struct Case {
        double start, end;  // seconds
        double llj3, laj1;  // degrees
    } const cases[] = {
        {0.0, 0.1, -20, 90},  // holds where the motion ended, for its first span
        {0.1, 1.1, 40, -10},  // back to the second keyframe over the third's span
        {1.1, 1.5, 0, 0},     // and to the first over the second's
    };
    ASSERT_EQ(r.keyframes.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        EXPECT_NEAR(r.keyframes[k].start, cases[k].start, 1e-9);
        EXPECT_NEAR(r.keyframes[k].end, cases[k].end, 1e-9);
        EXPECT_DOUBLE_EQ(r.target(k, LLJ3), cases[k].llj3);
        EXPECT_DOUBLE_EQ(r.target(k, LAJ1), cases[k].laj1);
    }
    EXPECT_DOUBLE_EQ(r.end(), m.end());
    // Backwards twice is the motion again.
    const skills::KeyframeMotion twice = skills::reversed(r);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(twice.keyframes[k].targets, m.keyframes[k].targets);
        EXPECT_NEAR(twice.keyframes[k].end, m.keyframes[k].end, 1e-9);
    }
    EXPECT_TRUE(skills::reversed(skills::KeyframeMotion{}).keyframes.empty());
}

}  // namespace
