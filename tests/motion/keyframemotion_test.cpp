// The skills' keyframe motion: what the laboratory writes back reads as it was, and a
// motion mirrored twice is the motion again.
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

}  // namespace
