#include <gtest/gtest.h>

#include <string>

#include "tests/motion/motion_fixture.h"
#include "worldmodel/types.h"

namespace {

// Header cell value of a joint: its JointID + 1.
double code(JointID j) {
    return j + 1.0;
}

TEST(KeyframeFile, CommentsAndBlankLinesAreNeitherRowsNorColumns) {
    TempActs acts;
    acts.write("m",
               "; a motion\n"
               "\n"
               "   \t \r\n"
               "a b hj2 rlj3 ; the joints\n"
               "; between keyframes\n"
               "0 0.5 20 -10\n"
               "\n"
               "0.5 1 -20 .\r\n"
               "; trailing\n"
               "\n");
    Actions::Table t;
    acts.load("m", t);
    EXPECT_EQ(4, t[0][0]);
    EXPECT_EQ(3, t[1][0]);
    EXPECT_EQ(code(HJ2), t[2][0]);
    EXPECT_EQ(code(RLJ3), t[3][0]);
    const double keyframes[2][4] = {{0, 0.5, 20, -10}, {0.5, 1, -20, -10}};
    for (int r = 1; r <= 2; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(keyframes[r - 1][c], t[c][r]) << "cell " << c << "," << r;
}

TEST(KeyframeFile, FullStopKeepsThePreviousKeyframeValue) {
    TempActs acts;
    acts.write("m",
               "x x hj1 hj2\n"
               ". . . 5\n"    // first keyframe: "." is 0, not the header's code
               "1 2 7 .\n"    // copies 5
               ". 3 . .\n");  // copies 1, 7 and the copied 5
    Actions::Table t;
    acts.load("m", t);
    const double expected[3][4] = {{0, 0, 0, 5}, {1, 2, 7, 5}, {1, 3, 7, 5}};
    for (int r = 1; r <= 3; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(expected[r - 1][c], t[c][r]) << "cell " << c << "," << r;
}

TEST(KeyframeFile, TokensReadAsTheirNumericPrefix) {
    struct Case {
        const char* token;
        double value;
    } const cases[] = {{"12.5deg", 12.5}, {"abc", 0}, {"-3e1", -30}, {"+4", 4},
                       {"nan", 0},        {"inf", 0}, {"1e999", 0},  {"-.5", -0.5}};
    for (const Case& c : cases) {
        TempActs acts;
        acts.write("m", std::string("x x hj1\n0 1 ") + c.token + "\n");
        Actions::Table t;
        acts.load("m", t);
        EXPECT_EQ(c.value, t[2][1]) << "token " << c.token;
    }
}

TEST(KeyframeFile, WideKeyframeLineRaisesColumnsAndItsExtraColumnsNameNoJoint) {
    TempActs acts;
    acts.write("m", "x x hj1\n0 1 10 20 30\n0 1 5\n");
    Actions::Table t;
    for (auto& column : t)
        for (double& cell : column) cell = 99;  // left over from an earlier load
    acts.load("m", t);
    EXPECT_EQ(5, t[0][0]);
    EXPECT_EQ(3, t[1][0]);
    EXPECT_EQ(0, t[3][0]);
    EXPECT_EQ(0, t[4][0]);
    EXPECT_EQ(0, t[3][2]);  // short line
    EXPECT_EQ(0, t[10][10]);
}

TEST(KeyframeFile, HeaderNamesResolveThroughTheJointTableWithoutChangingIt) {
    TempActs acts;
    acts.write("m", "x x llj4 llj4 hj3 RAJ4 raj4\n0 1 1 2 3 4 5\n");
    Actions::Table t;
    acts.load("m", t);
    EXPECT_EQ(code(LLJ4), t[2][0]);
    EXPECT_EQ(code(LLJ4), t[3][0]);
    EXPECT_EQ(0, t[4][0]);  // unknown names drive nothing
    EXPECT_EQ(0, t[5][0]);
    EXPECT_EQ(code(RAJ4), t[6][0]);
    EXPECT_EQ(22u, Types::mJointIDMap.size());
}

TEST(KeyframeFile, MissingFileGivesAnEmptyTableAndAHeaderAloneOneRow) {
    TempActs acts;
    Actions::Table t;
    acts.load("absent", t);
    EXPECT_EQ(0, t[0][0]);
    EXPECT_EQ(0, t[1][0]);
    acts.write("header", "start end hj1 hj2\n");
    acts.load("header", t);
    EXPECT_EQ(4, t[0][0]);
    EXPECT_EQ(1, t[1][0]);
}

TEST(KeyframeFile, LineOverNineHundredNinetyNineCharactersEndsTheFile) {
    TempActs acts;
    std::string longest = "0 1 5";
    longest.resize(999, ' ');
    acts.write("fits", "x x hj1\n" + longest + "\n0 2 3\n");
    Actions::Table t;
    acts.load("fits", t);
    EXPECT_EQ(3, t[1][0]);

    std::string tooLong = longest + " ";
    acts.write("long", "x x hj1\n0 1 7\n" + tooLong + "\n0 2 3\n");
    acts.load("long", t);
    EXPECT_EQ(2, t[1][0]);
    EXPECT_EQ(3, t[0][0]);
    EXPECT_EQ(7, t[2][1]);
}

TEST(KeyframeFile, RowsAndTokensBeyondTheTableAreIgnored) {
    TempActs acts;
    std::string file = "x x";
    for (int c = 0; c < 30; ++c) file += " hj1";
    file += "\n";
    for (int r = 1; r <= 40; ++r) {
        file += std::to_string(r) + " " + std::to_string(r + 1);
        for (int c = 0; c < 30; ++c) file += " " + std::to_string(r);
        file += "\n";
    }
    acts.write("big", file);
    Actions::Table t;
    acts.load("big", t);
    EXPECT_EQ(24, t[0][0]);
    EXPECT_EQ(24, t[1][0]);
    EXPECT_EQ(23, t[23][23]);
    EXPECT_EQ(24, t[1][23]);
}

}  // namespace
