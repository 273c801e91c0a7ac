#include <gtest/gtest.h>

#include "worldmodel/player.h"
#include "worldmodel/self.h"

using salt::Vector3f;

namespace {
const BodyID kTracked[] = {HEAD, RLOWERARM, LLOWERARM, RFOOT, LFOOT};

void expectVec(const Vector3f& v, const Vector3f& e, float tol = 1e-6f) {
    EXPECT_NEAR(v.x(), e.x(), tol);
    EXPECT_NEAR(v.y(), e.y(), tol);
    EXPECT_NEAR(v.z(), e.z(), tol);
}
}  // namespace

TEST(Player, TimeSeenKeepsThePreviousSighting) {
    Player p;
    p.setTimeSeen(3.0);
    p.setTimeSeen(3.2);
    EXPECT_EQ(p.getTimeSeen(), 3.2);
    EXPECT_EQ(p.getTimePrevSeen(), 3.0);
    EXPECT_NEAR(p.getTimeDiff(), 0.2, 1e-12);
}

TEST(Player, SettingAPartWritesItAndEveryLaterSlot) {
    Player p;
    const Vector3f v(1, 2, 3), w(-4, 5, 0.5f);
    p.setPos(HEAD, v);
    for (BodyID part : kTracked) expectVec(p.getPos(part), v);
    p.setPos(RFOOT, w);
    expectVec(p.getPos(HEAD), v);
    expectVec(p.getPos(LLOWERARM), v);
    expectVec(p.getPos(RFOOT), w);
    expectVec(p.getPos(LFOOT), w);

    p.setRelPos(LFOOT, w);
    expectVec(p.getRelPos(RFOOT), Vector3f());
    expectVec(p.getRelPos(LFOOT), w);
}

TEST(Player, UntrackedPartIsNeitherStoredNorReturned) {
    Player p;
    p.setRelPos(HEAD, Vector3f(1, 1, 1));
    p.setRelPos(TORSO, Vector3f(9, 9, 9));
    expectVec(p.getRelPos(TORSO), Vector3f());
    for (BodyID part : kTracked) expectVec(p.getRelPos(part), Vector3f(1, 1, 1));
}

TEST(Player, CentreOfMassOfAHeadOnlyUpdateIsTheHead) {
    Player p;
    p.setPos(Vector3f(1.5f, -2, 0.4f));
    p.setVel(Vector3f(0.3f, 0, -0.1f));
    expectVec(p.getCOMPos(), Vector3f(1.5f, -2, 0.4f));
    expectVec(p.getCOMVel(), Vector3f(0.3f, 0, -0.1f));
}

TEST(Self, MassesSumToTheRobotWeight) {
    Self s;
    double total = 0;
    for (int i = 0; i < kBodyCount; ++i) total += s.getMass(static_cast<BodyID>(i));
    EXPECT_NEAR(total, 4.6071, 1e-9);
    EXPECT_EQ(s.getMass(static_cast<BodyID>(2)), 0.0);
    EXPECT_EQ(s.getMass(TORSO), 1.2171);
}

TEST(Self, CentreOfMassIsTheMassWeightedMeanOfTheBodyPoints) {
    Self s;
    const Vector3f q(0.1f, -0.2f, -0.3f);
    for (int i = 0; i < kBodyCount; ++i) s.setMyRelPos(static_cast<BodyID>(i), q);
    expectVec(s.getCOM(), q);

    Self t;  // everything at the origin except the torso
    t.setMyRelPos(TORSO, Vector3f(0, 0, -1));
    expectVec(t.getCOM(), Vector3f(0, 0, static_cast<float>(-1.2171 / 4.6071)));
}

TEST(Self, StartsFiniteAndIgnoresIndicesOutsideItsTables) {
    Self s;
    expectVec(s.getCOM(), Vector3f());
    EXPECT_EQ(s.getMyJoints(RAJ4), 0.0);
    s.setMyJoints(static_cast<JointID>(22), 45.0);
    s.setMyPos(static_cast<BodyID>(24), Vector3f(1, 1, 1));
    EXPECT_EQ(s.getMyJoints(static_cast<JointID>(22)), 0.0);
    expectVec(s.getMyPos(static_cast<BodyID>(24)), Vector3f());
    s.setMyJoints(RAJ4, -30.0);
    EXPECT_EQ(s.getMyJoints(RAJ4), -30.0);
    s.setMyPos(Vector3f(1, 2, 3));
    expectVec(s.getMyPos(HEAD), Vector3f(1, 2, 3));
}
