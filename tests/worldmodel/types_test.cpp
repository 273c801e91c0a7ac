#include "worldmodel/types.h"

#include <gtest/gtest.h>

TEST(Types, FillBuildsBothTablesAndCanBeRepeated) {
    Types::fill();
    Types::fill();
    EXPECT_EQ(Types::mPlayModeMap.size(), 9u);
    EXPECT_EQ(Types::mJointIDMap.size(), 22u);
    EXPECT_EQ(Types::mPlayModeMap.at("BeforeKickOff"), PM_BeforeKickOff);
    EXPECT_EQ(Types::mPlayModeMap.at("KickIn_Right"), PM_KickIn_Right);
    EXPECT_EQ(Types::mPlayModeMap.at("GameOver"), PM_GameOver);
    EXPECT_EQ(Types::mJointIDMap.at("hj1"), HJ1);
    EXPECT_EQ(Types::mJointIDMap.at("rlj1"), RLJ1);
    EXPECT_EQ(Types::mJointIDMap.at("llj6"), LLJ6);
    EXPECT_EQ(Types::mJointIDMap.at("raj4"), RAJ4);
    EXPECT_EQ(Types::mJointIDMap.count("RAJ4"), 0u);
}

TEST(Types, UnknownPlayModeNameYieldsBeforeKickOffAndGrowsTheTableOnce) {
    Types::fill();
    EXPECT_EQ(Types::mPlayModeMap["playon"], PM_BeforeKickOff);
    EXPECT_EQ(Types::mPlayModeMap.size(), 10u);
    EXPECT_EQ(Types::mPlayModeMap["playon"], PM_BeforeKickOff);
    EXPECT_EQ(Types::mPlayModeMap.size(), 10u);
    Types::fill();
    EXPECT_EQ(Types::mPlayModeMap.size(), 9u);
}

TEST(Types, IdentifiersHaveTheProtocolValues) {
    EXPECT_EQ(RAJ4, 21);
    EXPECT_EQ(LAJ1, 14);
    EXPECT_EQ(TORSO, 3);
    EXPECT_EQ(RLOWERARM, 10);
    EXPECT_EQ(LFOOT, 23);
    EXPECT_EQ(G2R, 7);
    EXPECT_EQ(SIDE_RIGHT, 1);
}
