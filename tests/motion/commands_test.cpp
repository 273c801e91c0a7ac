#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tests/motion/motion_fixture.h"
#include "tests/sexp/read_all.h"
#include "worldmodel/worldmodel.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(Commands, StopIsTwentyTwoZeroSpeedsInJointOrder) {
    EXPECT_EQ(
        "(he1 0)(he2 0)(lle1 0)(rle1 0)(lle2 0)(rle2 0)(lle3 0)(rle3 0)(lle4 0)(rle4 0)"
        "(lle5 0)(rle5 0)(lle6 0)(rle6 0)(lae1 0)(rae1 0)(lae2 0)(rae2 0)(lae3 0)(rae3 0)"
        "(lae4 0)(rae4 0)",
        engine()->stop());
}

TEST(Commands, JointSpeedsUseSixSignificantDigits) {
    struct Case {
        double value;
        const char* text;
    } const cases[] = {{0, "(rae2 0)"},
                       {0.5, "(rae2 0.5)"},
                       {1.0 / 3, "(rae2 0.333333)"},
                       {1234567, "(rae2 1.23457e+06)"},
                       {-2.25, "(rae2 -2.25)"},
                       {0.00001, "(rae2 1e-05)"}};
    for (const Case& c : cases) EXPECT_EQ(c.text, engine()->moveJoint(RAJ2, c.value));
}

TEST(Commands, MoveJointRefusesWhatTheServerCannotRead) {
    EXPECT_EQ("", engine()->moveJoint(HJ1, kNaN));
    EXPECT_EQ("", engine()->moveJoint(HJ1, -kInf));
    EXPECT_EQ("", engine()->moveJoint(static_cast<JointID>(22), 1));
    EXPECT_EQ("", engine()->moveJoint(static_cast<JointID>(-1), 1));
}

TEST(Commands, MoveJointToStepsTowardsTheTargetAndLandsOnIt) {
    struct Case {
        double current, target, speed;
        const char* text;
        double sent;
    } const cases[] = {
        {20, 20, 3, "(he2 0)", 0},      // already on target
        {5, 15, -3, "(he2 3)", 3},      // the sign follows the direction, not the request
        {5, 4, 3, "(he2 -1)", -1},      // the last step lands on the target
        {5, -25, 3, "(he2 -3)", -3},    //
        {0, 0.5, 6, "(he2 0.5)", 0.5},  //
        {kNaN, 10, 3, "", 0},           // unknown angle: nothing sent for this joint
        {kInf, 10, 3, "", 0},           //
        {0, kNaN, 3, "", 0},            //
    };
    for (const Case& c : cases) {
        setJoint(HJ2, c.current);
        double speed = c.speed;
        EXPECT_EQ(c.text, engine()->moveJointTo(HJ2, c.target, speed))
            << "from " << c.current << " to " << c.target;
        EXPECT_EQ(c.sent, speed) << "from " << c.current << " to " << c.target;
    }
}

TEST(Commands, InitStateDrivesEveryJointToZeroAndHoldsThoseWithinOneDegree) {
    setAllJoints(0.5);
    setJoint(HJ1, 10);
    setJoint(LLJ4, -2);
    setJoint(RAJ4, kNaN);
    engine()->setCurAct(ACT_GUARD);
    std::string commands = engine()->initState();
    EXPECT_EQ(ACT_NONE, engine()->getCurAct());
    EXPECT_EQ(0u, commands.find("(he1 -6)(he2 0)(lle1 0)"));
    EXPECT_NE(std::string::npos, commands.find("(lle4 2)"));
    EXPECT_NE(std::string::npos, commands.find("(lae4 0)"));
    EXPECT_EQ(std::string::npos, commands.find("rae4"));
    setAllJoints(0);
}

TEST(Commands, InitAndBeamTexts) {
    WorldModel* wm = WorldModel::getInstance();
    wm->setUnum(7);
    wm->setTeamName("QEL");
    EXPECT_EQ("(init (unum 7)(teamname QEL))", engine()->init());
    EXPECT_EQ("(beam -3 1.5 0)", engine()->beam(salt::Vector3f(-3, 1.5f, 0)));
    EXPECT_EQ("(beam 0.1 -0.333333 1e+06)", engine()->beam(salt::Vector3f(0.1f, -1.0f / 3, 1e6f)));
}

TEST(Commands, BeamToAPositionThatIsNoNumberIsRefused) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ("", engine()->beam(salt::Vector3f(nan, 0, 0)));
    EXPECT_EQ("", engine()->beam(salt::Vector3f(0, inf, 0)));
    EXPECT_EQ("", engine()->beam(salt::Vector3f(0, 0, -inf)));
}

TEST(Commands, SayPassesPlainWordsAndRefusesWhatWouldBreakTheReply) {
    EXPECT_EQ("(say hello)", engine()->say("hello"));
    EXPECT_EQ("(say ball@3.5,-2)", engine()->say("ball@3.5,-2"));
    const std::string refused[] = {"",
                                   "two words",
                                   "(beam 0 0 0)",
                                   "x)",
                                   "tab\there",
                                   "line\n",
                                   std::string("nul\0x", 5),
                                   "\x7f",
                                   "caf\xc3\xa9",
                                   "a\"b",
                                   "a\\)",
                                   "'a",
                                   ";a",
                                   "#b#1#)"};
    for (const std::string& message : refused) EXPECT_EQ("", engine()->say(message)) << message;
}

// Every byte, alone and inside a word, read back by the project's own reader
// (plain and with inline binary atoms): a say that is not refused reads as the
// message itself, and the commands after it are always intact.
TEST(Commands, CommandsAfterASayAlwaysReadBackIntact) {
    const std::string after = "(he1 0)(he2 1.5)";
    for (int mode : {PARSER_NORMAL, PARSER_INLINE_BINARY}) {
        for (int b = 0; b < 256; ++b) {
            const std::string byte(1, static_cast<char>(b));
            for (const std::string& message : {byte, "a" + byte + "z", byte + "b#3#xyz"}) {
                SCOPED_TRACE("byte " + std::to_string(b) + ", mode " + std::to_string(mode));
                const std::string said = engine()->say(message);
                std::vector<std::string> expected = {"(he1 0)", "(he2 1.5)"};
                if (!said.empty()) expected.insert(expected.begin(), "(say " + message + ")");
                EXPECT_EQ(readAll(said + after, mode), expected);
            }
        }
    }
}

}  // namespace
