// Whole messages in the forms of newer servers (the score in the game state, the team in
// every heard message, players by body parts, an accelerometer and no touch sensors) read
// through the perception path, parse and localisation: the world model must come out as
// the older forms of the same scene leave it.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "parser/parser.h"
#include "tests/parser/perceive.h"
#include "tests/worldmodel/scene.h"
#include "worldmodel/types.h"

using salt::Vector3f;

namespace {

const float kPositionTolerance = 0.1f;  // metres: readings carry two decimals, 8 m away

// The scene: the camera of our number 5, a teammate, two opponents and the ball, all in
// the field frame of the left team (metres).
// Made on first use: the matrices need the identity matrix of another file.
const scene::Pose& camera() {
    static const scene::Pose pose = scene::Pose::at(-2, 1, 0.55f, 20);
    return pose;
}
const Vector3f kMateHead(0, 2.5f, 0.55f);
const Vector3f kOpponentHead(1.5f, -0.5f, 0.55f);
const Vector3f kFootOffset(0.02f, 0.05f, -0.53f);  // a foot below its head
const Vector3f kArmOffset(0.05f, 0.1f, -0.25f);    // a lower arm beside its head
const Vector3f kBall(0.5f, 0.5f, 0.04f);

std::string pol(const Vector3f& field) {
    const VisionSense s = CartecianToPolar(camera().toCamera(field));
    char text[80];
    std::snprintf(text, sizeof text, "(pol %.2f %.2f %.2f)", s.distance, s.theta, s.phi);
    return text;
}

std::string landmarks() {
    WorldModel wm;
    std::string out;
    const char* const names[] = {"F1L", "F1R", "F2L", "F2R", "G1L", "G1R", "G2L", "G2R"};
    for (int id = F1L; id <= G2R; ++id) {
        out += std::string(" (") + names[id] + " " +
               pol(wm.getFlagsGlobalPos(static_cast<FlagsID>(id))) + ")";
    }
    return out;
}

std::string joints() {
    Types::fill();
    std::string out;
    for (const auto& joint : Types::mJointIDMap) out += "(HJ (n " + joint.first + ") (ax 0.00))";
    return out;
}

const std::string kFeet =
    "(FRP (n lf) (c 0.00 0.00 -0.01) (f 0.00 0.00 22.60))"
    "(FRP (n rf) (c 0.00 0.00 -0.01) (f 0.00 0.00 22.60))";

std::string olderMessage() {
    return "(time (now 5.00))(GS (unum 5) (team left) (t 2.00) (pm PlayOn))"
           "(GYR (n torso) (rt 0.00 0.00 0.00))" +
           kFeet + "(TCH (name lf) (val 1))(TCH (name rf) (val 1))" + joints() + "(See" +
           landmarks() + " (B " + pol(kBall) + ") (P (team QEL) (id 4) " + pol(kMateHead) +
           ") (P (team Rivals) (id 7) " + pol(kOpponentHead) + "))(hear 4.98 -31.50 go)";
}

std::string newerMessage() {
    const Vector3f arm = kMateHead + kArmOffset, foot = kMateHead + kFootOffset;
    return "(time (now 5.00))(GS (sl 1) (sr 0) (t 2.00) (pm PlayOn))"
           "(GYR (n torso) (rt 0.00 0.00 0.00))(ACC (n torso) (a 0.00 0.00 9.81))" +
           kFeet + joints() + "(See" + landmarks() + " (B " + pol(kBall) +
           ") (P (team QEL) (id 4) (head " + pol(kMateHead) + ") (rlowerarm " + pol(arm) +
           ") (llowerarm " + pol(arm - Vector3f(0, 0.2f, 0)) + ") (rfoot " + pol(foot) +
           ") (lfoot " + pol(foot - Vector3f(0, 0.1f, 0)) + ")) (P (team Rivals) (id 7) (lfoot " +
           pol(kOpponentHead + kFootOffset) + ") (head " + pol(kOpponentHead) +
           ")) (P (team Rivals) (id 8) (rfoot " + pol(Vector3f(2, 2, 0.02f)) +
           ")))(hear Rivals 4.98 self go)";
}

void expectSame(const Vector3f& newer, const Vector3f& older) {
    scene::expectNear(newer, older, 0.0f);
}

void expectSame(const Player& newer, const Player& older) {
    EXPECT_EQ(newer.getID(), older.getID());
    for (BodyID part : {HEAD, RLOWERARM, LLOWERARM, RFOOT, LFOOT}) {
        SCOPED_TRACE(part);
        expectSame(newer.getPos(part), older.getPos(part));
        expectSame(newer.getRelPos(part), older.getRelPos(part));
    }
}

}  // namespace

TEST(NewerForms, AWholeMessageLeavesTheWorldModelAsTheOlderFormsDo) {
    const auto newer = perceive(newerMessage());
    const auto older = perceive(olderMessage());

    // Against the scene itself.
    scene::expectNear(newer->getMyPos(), camera().position, kPositionTolerance);
    EXPECT_NEAR(newer->getMyAngle(), 20.0, 1.0);
    scene::expectNear(newer->getBallPos(), kBall, kPositionTolerance);
    ASSERT_EQ(newer->getOurCount(), 1);
    scene::expectNear(newer->getOurPlayer(0).getPos(HEAD), kMateHead, kPositionTolerance);
    ASSERT_EQ(newer->getOppCount(), 1);  // number 8 shows only a foot
    scene::expectNear(newer->getOppPlayer(0).getPos(LFOOT), kOpponentHead, kPositionTolerance);
    EXPECT_EQ(newer->getGameState(), PM_PlayOn);
    EXPECT_EQ(newer->getGameTime(), 2.0);
    EXPECT_EQ(newer->getCommunicationString(), "go");
    EXPECT_EQ(newer->getTimeLastHeard(), 4.98);

    // Against the older forms, reading for reading.
    expectSame(newer->getMyPos(), older->getMyPos());
    EXPECT_EQ(newer->getMyAngle(), older->getMyAngle());
    expectSame(newer->getBallPos(), older->getBallPos());
    EXPECT_EQ(newer->getTeamSide(), older->getTeamSide());
    EXPECT_EQ(newer->isFeltDown(), older->isFeltDown());
    ASSERT_EQ(older->getOurCount(), 1);
    ASSERT_EQ(older->getOppCount(), 1);
    expectSame(newer->getOurPlayer(0), older->getOurPlayer(0));
    expectSame(newer->getOppPlayer(0), older->getOppPlayer(0));
    EXPECT_EQ(newer->getCommunicationString(), older->getCommunicationString());
    EXPECT_EQ(newer->getTimeLastHeard(), older->getTimeLastHeard());
}
