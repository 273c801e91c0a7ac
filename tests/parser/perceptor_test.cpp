#include <gtest/gtest.h>
#include <malloc.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "math/geometry.h"
#include "parser/parser.h"
#include "tests/sexp/fixtures.h"
#include "worldmodel/types.h"

namespace {

const float kTolerance = 1e-5f;

void expectNear(const salt::Vector3f& actual, const salt::Vector3f& expected) {
    EXPECT_NEAR(actual.x(), expected.x(), kTolerance);
    EXPECT_NEAR(actual.y(), expected.y(), kTolerance);
    EXPECT_NEAR(actual.z(), expected.z(), kTolerance);
}

// Every test writes into a fresh store through its own parser.
class Perceptors : public ::testing::Test {
protected:
    void SetUp() override {
        Types::fill();
        wm.reset(new WorldModel());
        wm->setTeamName("halyx");
        parser.reset(new Parser(*wm));
    }
    // Parses text and returns what went to standard error.
    std::string parse(const std::string& text) {
        testing::internal::CaptureStderr();
        parser->doParse(text);
        return testing::internal::GetCapturedStderr();
    }

    std::unique_ptr<WorldModel> wm;
    std::unique_ptr<Parser> parser;
};

TEST_F(Perceptors, TimeIsSinglePrecisionAndGameStateItemsAreIndependent) {
    wm->setTeamSide(SIDE_RIGHT);
    wm->setGameState(PM_PlayOn);
    parse("(time (now 12.34))(GS (t 0.00) (pm BeforeKickOff))");
    EXPECT_EQ(wm->getServerTime(), 12.34000015258789);
    EXPECT_EQ(wm->getGameTime(), 0.0);
    EXPECT_EQ(wm->getGameState(), PM_BeforeKickOff);
    EXPECT_EQ(wm->getTeamSide(), SIDE_RIGHT);

    parse("(GS (unum 3) (team left) (t 5.5))");
    EXPECT_EQ(wm->getTeamSide(), SIDE_LEFT);
    EXPECT_EQ(wm->getGameTime(), 5.5);
    EXPECT_EQ(wm->getGameState(), PM_BeforeKickOff);
}

TEST_F(Perceptors, GameStateSideAndPlayModeWordsWithOrWithoutTheScore) {
    struct Case {
        const char* text;
        TeamSide side;  // each afterwards
        PlayMode mode;
        double gameTime;
    };
    const Case cases[] = {
        {"(GS (team right) (pm PlayOn))", SIDE_RIGHT, PM_PlayOn, 0.0},
        {"(GS (team middle) (pm playon))", SIDE_RIGHT, PM_BeforeKickOff, 0.0},  // both unknown
        // Newer servers add the score, and send number and side in the first message only.
        {"(GS (sl 2) (sr 1) (t 12.50) (pm PlayOn))", SIDE_RIGHT, PM_PlayOn, 12.5},
        {"(GS (unum 3) (team left) (sl 0) (sr 0) (t 0.00) (pm Goal_Left))", SIDE_LEFT, PM_Goal_Left,
         0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        parse(c.text);
        EXPECT_EQ(wm->getTeamSide(), c.side);
        EXPECT_EQ(wm->getGameState(), c.mode);
        EXPECT_EQ(wm->getGameTime(), c.gameTime);
    }
}

TEST_F(Perceptors, HingeJointsAreStoredByPerceptorName) {
    wm->setMyJointAngle(RAJ1, 3.0);
    EXPECT_EQ(parse("(HJ (n raj9) (ax 10))"), "(VarAzozizor) unknown joint id!\n");
    EXPECT_EQ(parse("(HJ (n RAJ1) (ax 10))"), "(VarAzozizor) unknown joint id!\n");
    EXPECT_EQ(wm->getMyJointAngle(RAJ1), 3.0);
    parse("(HJ (n raj1) (ax -45.5))");
    EXPECT_EQ(wm->getMyJointAngle(RAJ1), -45.5);
    parse("(HJ (n raj1))(HJ (ax 7) (n raj1) (rt 1))");
    EXPECT_EQ(wm->getMyJointAngle(RAJ1), 7.0);
}

TEST_F(Perceptors, FootPressureNeedsNameContactAndForce) {
    parse("(FRP (n lf) (c 0.1 0.2 0.3) (f 1 2 22.5))(FRP (n rf) (c 1 1 1) (f 3 3 3))");
    expectNear(wm->getLeftFootForce().contact, salt::Vector3f(0.1f, 0.2f, 0.3f));
    expectNear(wm->getLeftFootForce().force, salt::Vector3f(1, 2, 22.5f));
    expectNear(wm->getRightFootForce().force, salt::Vector3f(3, 3, 3));
    parse("(FRP (n lf) (c 9 9 9))(FRP (c 9 9 9) (f 9 9 9))(FRP (n xf) (c 9 9 9) (f 9 9 9))");
    expectNear(wm->getLeftFootForce().contact, salt::Vector3f(0.1f, 0.2f, 0.3f));
    expectNear(wm->getRightFootForce().contact, salt::Vector3f(1, 1, 1));
}

TEST_F(Perceptors, TouchAndGyroReadings) {
    parse("(TCH (name lf) (val 1))(TCH (name rf) (val 0))(GYR (n torso) (rt 0.01 0.07 0.46))");
    EXPECT_EQ(wm->getLeftTouchVal(), 1);
    EXPECT_EQ(wm->getRightTouchVal(), 0);
    expectNear(wm->getGyro(), salt::Vector3f(0.01f, 0.07f, 0.46f));
    // The flat touch form has no keyed lists; a gyro without a name is skipped.
    parse("(TCH n bumper val 1)(TCH n lf val 0)(GYR (rt 5 5 5))(GYR (n torso) (rt 5 5))");
    EXPECT_EQ(wm->getLeftTouchVal(), 1);
    expectNear(wm->getGyro(), salt::Vector3f(0.01f, 0.07f, 0.46f));
}

TEST_F(Perceptors, AccelerometerNeedsNameAndThreeFiniteValues) {
    parse("(time (now 3))(ACC (n torso) (a 0.12 -9.80 0.50))");
    expectNear(wm->getAcc(), salt::Vector3f(0.12f, -9.8f, 0.5f));
    // Without a name, with two values or a value that is not finite: skipped;
    // a perceptor of another name that starts alike is not read as one.
    parse(
        "(ACC (a 1 1 1))(ACC (n torso) (a 1 1))(ACC (n torso) (a 1 nan 1))(ACCX (n t) (a 1 1 1))");
    expectNear(wm->getAcc(), salt::Vector3f(0.12f, -9.8f, 0.5f));
}

TEST_F(Perceptors, HearingNeedsTimeDirectionAndMessage) {
    struct Case {
        const char* text;
        const char* error;
        const char* message;  // stored afterwards
        double time;
    };
    const Case cases[] = {
        {"(hear 10.5 -30 hello)", "", "hello", 10.5},
        {"(hear 11)", "could not get sender \n", "hello", 10.5},
        {"(hear)", "could not get hear time \n", "hello", 10.5},
        {"(hear (x) 1 m)", "could not get hear time \n", "hello", 10.5},
        {"(hear 12 -3)", "could not get message \n", "hello", 10.5},
        {"(hear 12.5 self pass:7)", "", "pass:7", 12.5},  // a word reads as direction 0
        // The newer form names the speaker's team first.
        {"(hear QEL 13.5 self hi)", "", "hi", 13.5},
        {"(hear Opponent:2 14 -30.5 there)", "", "there", 14},
        {"(hear QEL 15 -3)", "could not get message \n", "there", 14},
        {"(hear QEL 15)", "could not get sender \n", "there", 14},
        {"(hear QEL)", "could not get hear time \n", "there", 14},
        {"(hear 1e1 self ten)", "", "ten", 10},  // a number is the time, whatever its form
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parse(c.text), c.error);
        EXPECT_EQ(wm->getCommunicationString(), c.message);
        EXPECT_EQ(wm->getTimeLastHeard(), c.time);
    }
}

// Every message of a cycle is kept, not the last only: two teams and the robot itself may
// speak in one cycle. The list starts afresh with each server message.
TEST_F(Perceptors, EveryMessageHeardInACycleIsKeptUntilTheNext) {
    parse(
        "(time (now 4))(hear A 3.98 self mine)(hear B 3.98 -20 theirs)(hear 3.98 40)"
        "(hear A 3.98 10 ours)");
    const std::vector<WorldModel::Heard>& heard = wm->heard();
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_EQ(heard[0].text, "mine");
    EXPECT_EQ(heard[1].text, "theirs");
    EXPECT_EQ(heard[2].text, "ours");
    EXPECT_EQ(heard[2].time, 3.98);
    EXPECT_EQ(wm->getCommunicationString(), "ours");
    parse("(time (now 4.02))");
    EXPECT_TRUE(wm->heard().empty());
    EXPECT_EQ(wm->getCommunicationString(), "ours");
}

// The enumeration knows nine modes and reads the others as BeforeKickOff; the name as the
// server wrote it is kept beside it.
TEST_F(Perceptors, PlayModeNameIsKeptAsTheServerWroteIt) {
    parse("(GS (t 1) (pm corner_kick_left))");
    EXPECT_EQ(wm->getGameState(), PM_BeforeKickOff);
    EXPECT_EQ(wm->playModeName(), "corner_kick_left");
    parse("(GS (t 2) (pm PlayOn))");
    EXPECT_EQ(wm->getGameState(), PM_PlayOn);
    EXPECT_EQ(wm->playModeName(), "PlayOn");
}

TEST_F(Perceptors, SeenLandmarksAndBallAreStampedWithTheServerTime) {
    parse(
        "(time (now 3.5))(See (F1L (pol 8.93 -40.30 -4.46)) (B (pol 2 90 0)) "
        "(G2R (pol 12.12 3.33 1.88)) (mypos -2.43 1.11 0.52))");
    EXPECT_EQ(wm->getTimeLastSeen(), 3.5);
    VisionSense flag = wm->getRelFlagPos(F1L);
    EXPECT_FLOAT_EQ(flag.distance, 8.93f);
    EXPECT_FLOAT_EQ(flag.theta, -40.30f);
    EXPECT_FLOAT_EQ(flag.phi, -4.46f);
    EXPECT_EQ(wm->getFlagsTimeSeen(F1L), 3.5);
    EXPECT_FLOAT_EQ(wm->getRelFlagPos(G2R).distance, 12.12f);
    EXPECT_EQ(wm->getFlagsTimeSeen(G2R), 3.5);
    expectNear(wm->getBallRelPos(), salt::Vector3f(0, 2, 0));
    EXPECT_EQ(wm->getBallTimeSeen(), 3.5);
    expectNear(wm->getSenseMyPos(), salt::Vector3f(-2.43f, 1.11f, 0.52f));
}

TEST_F(Perceptors, UnknownLandmarkNamesAndIncompleteReadingsChangeNothing) {
    const double unseen = wm->getFlagsTimeSeen(F1L);
    parse(
        "(time (now 1))(See (F3L (pol 1 2 3)) (F (pol 1 2 3)) (G1Q (pol 1 2 3)) "
        "(F1R (pol 1 2)) (B (pol x)) (Z (pol 1 2 3)) plain)");
    for (int id = F1L; id <= G2R; ++id) {
        EXPECT_EQ(wm->getFlagsTimeSeen(static_cast<FlagsID>(id)), unseen) << id;
    }
    EXPECT_EQ(wm->getBallTimeSeen(), -1.0);
    EXPECT_EQ(wm->getTimeLastSeen(), 1.0);
}

TEST_F(Perceptors, PlayersAreFiledByTeamNameFromAPolList) {
    EXPECT_EQ(parse("(See (P (team halyx) (id 4) (pol 2 90 0)) (P (team Opponent:2) (id 9) "
                    "(pol 1 0 90)))"),
              "");
    EXPECT_EQ(wm->getOurCount(), 1);
    EXPECT_EQ(wm->getOurPlayer(0).getID(), 4);
    expectNear(wm->getOurPlayer(0).getRelPos(HEAD), salt::Vector3f(0, 2, 0));
    expectNear(wm->getOurPlayer(0).getRelPos(LFOOT), salt::Vector3f(0, 2, 0));
    EXPECT_EQ(wm->getOppCount(), 1);
    EXPECT_EQ(wm->getOppPlayer(0).getID(), 9);
    expectNear(wm->getOppPlayer(0).getRelPos(HEAD), salt::Vector3f(0, 0, 1));
}

TEST_F(Perceptors, PlayersWithoutAPolListFirstOrAHeadAreNotRecorded) {
    // Any list but a body part before the pol list ends the player; of the body parts
    // only the head places it.
    parse(
        "(See (P (team halyx) (id 5) (x 1) (pol 1 2 3)) "
        "(P (team halyx) (id 6) (rlowerarm (pol 1 2 3)) (llowerarm (pol 1 2 3)) "
        "(rfoot (pol 1 2 3)) (lfoot (pol 1 2 3)))"
        "(P (team halyx) (id 7) (head (pol 1 2)) (rfoot (pol 1 2 3))) "
        "(P (team halyx) (id 8) (head) (pol 1 2 3)) (P (team halyx) (id 9) (head 1 2 3)))");
    EXPECT_EQ(wm->getOurCount(), 0);
    EXPECT_EQ(wm->getOppCount(), 0);
}

TEST_F(Perceptors, PlayersSeenByBodyPartsAreRecordedFromTheirHead) {
    EXPECT_EQ(parse("(See (P (team halyx) (id 4) (head (pol 2 90 0)) (rlowerarm (pol 2.1 80 -10)) "
                    "(llowerarm (pol 2.1 100 -10)) (rfoot (pol 2.2 85 -40)) (lfoot (pol 2.2 95 "
                    "-40))) (P (team Opponent:2) (id 9) (rfoot (pol 3 0 -10)) (head (pol 1 0 90))) "
                    "(P (team Opponent:2) (id 3) (lfoot (pol 4 0 -20))))"),
              "");
    EXPECT_EQ(wm->getOurCount(), 1);
    EXPECT_EQ(wm->getOurPlayer(0).getID(), 4);
    // The arms and feet are not read: every slot holds the head, as in the pol form.
    for (BodyID part : {HEAD, RLOWERARM, LLOWERARM, RFOOT, LFOOT}) {
        expectNear(wm->getOurPlayer(0).getRelPos(part), salt::Vector3f(0, 2, 0));
    }
    EXPECT_EQ(wm->getOppCount(), 1);  // number 3 shows only a foot
    EXPECT_EQ(wm->getOppPlayer(0).getID(), 9);
    expectNear(wm->getOppPlayer(0).getRelPos(RFOOT), salt::Vector3f(0, 0, 1));
}

TEST_F(Perceptors, PlayersWithoutTeamOrIdAreReported) {
    EXPECT_EQ(parse("(See (P (id 6) (pol 1 0 0)))"), "could not get team \n");
    EXPECT_EQ(wm->getOppCount(), 1);  // an unnamed team is not ours
    EXPECT_EQ(parse("(See (P (team halyx) (pol 1 0 0)))"), "could not get id \n");
    EXPECT_EQ(wm->getOurCount(), 0);
}

TEST_F(Perceptors, ObjectNamesGainTheirIdBeforeTheKindsTableAndLandmarkLetters) {
    // An unnamed object whose id reads "F1L" is taken for that flag.
    parse("(time (now 3.5))(See (\"\" (id F1L) (pol 3 0 0)))");
    EXPECT_EQ(wm->getFlagsTimeSeen(F1L), 3.5);
    EXPECT_EQ(wm->getRelFlagPos(F1L).distance, 3.0f);
    parse("(See (my -1.5 2 0.25 (id pos)))");
    expectNear(wm->getSenseMyPos(), salt::Vector3f(-1.5f, 2.0f, 0.25f));

    // With the kinds table filled, a player's reading is filed under its kind.
    const VisionObject kind = static_cast<VisionObject>(0);
    Types::mVisionObjectMap["P4"] = kind;
    parse("(See (P (team halyx) (id 4) (pol 2 90 0)))");
    const VisionSense filed = Types::mVisionMap[kind];
    Types::mVisionObjectMap.clear();
    Types::mVisionMap.clear();
    EXPECT_EQ(filed.distance, 2.0f);
    EXPECT_EQ(filed.theta, 90.0f);
    EXPECT_EQ(wm->getOurCount(), 1);
}

TEST_F(Perceptors, OnlyTheListedFirstLettersAreDispatched) {
    wm->setGameState(PM_PlayOn);
    parse("(G (pm GameOver))(Gx (pm GameOver))(gS (pm GameOver))(XYZ)(Time (now 9))(now 9)");
    EXPECT_EQ(wm->getGameState(), PM_PlayOn);
    EXPECT_EQ(wm->getServerTime(), 0.0);
}

TEST_F(Perceptors, NonFiniteNumbersAreSkippedWithoutDisturbingTheRest) {
    wm->setMyJointAngle(HJ2, 4.0);
    const double flagUnseen = wm->getFlagsTimeSeen(F1L);
    parse(
        "(time (now 7))(HJ (n hj1) (ax 1.5))(HJ (n hj2) (ax nan))(FRP (n lf) (c 0 0 0) "
        "(f nan 0 1))(HJ (n llj1) (ax 2.5))(time (now inf))(GYR (n t) (rt 1 nan 1))"
        "(See (F1L (pol 1 nan 2)) (B (pol 1 0 0)) (mypos nan 0 0))(hear nan 0 x)");
    EXPECT_EQ(wm->getServerTime(), 7.0);
    EXPECT_EQ(wm->getMyJointAngle(HJ1), 1.5);
    EXPECT_EQ(wm->getMyJointAngle(HJ2), 4.0);
    EXPECT_EQ(wm->getMyJointAngle(LLJ1), 2.5);
    expectNear(wm->getLeftFootForce().force, salt::Vector3f(0, 0, 0));
    expectNear(wm->getGyro(), salt::Vector3f(0, 0, 0));
    EXPECT_EQ(wm->getFlagsTimeSeen(F1L), flagUnseen);
    EXPECT_EQ(wm->getBallTimeSeen(), 7.0);
    expectNear(wm->getSenseMyPos(), salt::Vector3f(0, 0, 0));
    EXPECT_EQ(wm->getCommunicationString(), "");
}

TEST_F(Perceptors, AWholeServerMessageReachesEveryReading) {
    EXPECT_EQ(parse(referenceMessage()), "");
    EXPECT_EQ(wm->getServerTime(), static_cast<double>(146.34f));
    EXPECT_EQ(wm->getTeamSide(), SIDE_LEFT);
    EXPECT_EQ(wm->getGameTime(), 81.22);
    EXPECT_EQ(wm->getGameState(), PM_PlayOn);
    expectNear(wm->getGyro(), salt::Vector3f(0.81f, -1.22f, 0.04f));
    const double joints[] = {0.00,   -19.77, 0.00,   0.00,  0.02,  -0.02, 24.91, 24.91,
                             -53.47, -53.47, 29.35,  29.35, -0.02, 0.02,  -90.0, -90.0,
                             0.00,   0.00,   -89.99, 89.99, -0.00, 0.00};
    for (int j = 0; j < kJointCount; ++j) {
        EXPECT_NEAR(wm->getMyJointAngle(static_cast<JointID>(j)), joints[j], 1e-5) << j;
    }
    expectNear(wm->getLeftFootForce().force, salt::Vector3f(-0.34f, 0.21f, 23.64f));
    expectNear(wm->getRightFootForce().contact, salt::Vector3f(-0.01f, 0.01f, -0.02f));
    EXPECT_EQ(wm->getLeftTouchVal(), 1);
    for (int id = F1L; id <= G2R; ++id) {
        EXPECT_EQ(wm->getFlagsTimeSeen(static_cast<FlagsID>(id)), wm->getServerTime()) << id;
    }
    EXPECT_FLOAT_EQ(wm->getRelFlagPos(G1L).distance, 6.21f);
    VisionSense ball(3.27f, -12.60f, -11.89f);
    expectNear(wm->getBallRelPos(), PolarToCartecian(ball));
    // Eight players, four of each team, half in the pol form and half by body parts.
    EXPECT_EQ(wm->getOurCount(), 4);
    EXPECT_EQ(wm->getOurPlayer(1).getID(), 3);
    expectNear(wm->getOurPlayer(1).getRelPos(LFOOT),
               PolarToCartecian(VisionSense(2.55f, 3.62f, -11.67f)));
    EXPECT_EQ(wm->getOurPlayer(2).getID(), 4);
    EXPECT_EQ(wm->getOppCount(), 4);
    EXPECT_EQ(wm->getOppPlayer(0).getID(), 2);
    EXPECT_EQ(wm->getOppPlayer(3).getID(), 8);
    expectNear(wm->getSenseMyPos(), salt::Vector3f(-2.43f, 1.11f, 0.52f));
    EXPECT_EQ(wm->getCommunicationString(), "pass:7");
    EXPECT_EQ(wm->getTimeLastHeard(), 146.12);
}

TEST_F(Perceptors, EmptyCommentOnlyAndDeeplyNestedMessagesChangeNothing) {
    wm->setServerTime(2.0);
    // As deep as a 6000-byte frame can nest, inside a vision message and alone.
    const std::string deep = std::string(2997, '(') + std::string(2997, ')');
    for (const std::string& text : {std::string(), std::string("; only a comment\n"),
                                    "(See " + deep + ")", deep, std::string(3000, '(')}) {
        EXPECT_EQ(parse(text), "");
    }
    EXPECT_EQ(wm->getServerTime(), 2.0);
    EXPECT_EQ(wm->getOurCount() + wm->getOppCount(), 0);
    EXPECT_EQ(wm->getBallTimeSeen(), -1.0);
}

TEST_F(Perceptors, MutatedMessagesNeverMisbehave) {
    const std::string message = referenceMessage();
    const char alphabet[] = "()\"'\\; \n#0a-.enan\x01\xff";
    std::mt19937 random(99);
    testing::internal::CaptureStderr();
    for (int round = 0; round < 2000; ++round) {
        std::string text = message;
        for (int i = 1 + static_cast<int>(random() % 6); i > 0 && !text.empty(); --i) {
            size_t at = random() % text.size();
            if (random() % 3 == 0) {
                text.erase(at, 1 + random() % 30);
            } else {
                text[at] = alphabet[random() % (sizeof alphabet - 1)];
            }
        }
        parser->doParse(text);
    }
    testing::internal::GetCapturedStderr();
    EXPECT_LE(wm->getOurCount(), 9);
}

TEST_F(Perceptors, MemoryStaysFlatOverManyMessages) {
#ifdef HALYX_UNDER_ASAN
    GTEST_SKIP() << "the address checker keeps its own heap";
#else
    const std::string message = referenceMessage();
    for (int i = 0; i < 10; ++i) parser->doParse(message);
    const size_t inUse = mallinfo2().uordblks;
    for (int i = 0; i < 5000; ++i) parser->doParse(message);
    EXPECT_EQ(mallinfo2().uordblks, inUse);
#endif
}

}  // namespace
