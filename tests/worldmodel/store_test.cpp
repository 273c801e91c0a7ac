#include <gtest/gtest.h>

#include "worldmodel/worldmodel.h"

using salt::Vector3f;

namespace {
void expectVec(const Vector3f& v, float x, float y, float z, float tol = 1e-5f) {
    EXPECT_NEAR(v.x(), x, tol);
    EXPECT_NEAR(v.y(), y, tol);
    EXPECT_NEAR(v.z(), z, tol);
}
}  // namespace

TEST(WorldModelStore, GetInstanceAlwaysReturnsTheSameStore) {
    WorldModel* a = WorldModel::getInstance();
    EXPECT_NE(a, nullptr);
    EXPECT_EQ(a, WorldModel::getInstance());
}

TEST(WorldModelStore, StartsWithTheDocumentedValues) {
    WorldModel wm;
    EXPECT_EQ(wm.getBallTimeSeen(), -1.0);
    EXPECT_EQ(wm.getGameState(), PM_BeforeKickOff);
    EXPECT_EQ(wm.getTeamSide(), SIDE_LEFT);
    EXPECT_EQ(wm.getTemp(), 0.0);
    EXPECT_FALSE(wm.beGoalie());
    EXPECT_FALSE(wm.isBeamed());
    EXPECT_EQ(wm.getOurCount(), 0);
    EXPECT_EQ(wm.getTeamName(), "");
    // Before any fix every camera vector lands on the head position.
    expectVec(wm.translate(Vector3f(1, 2, 3)), 0, 0, 0);
}

TEST(WorldModelStore, PlayerNumbersTakeSlotsInOrderFirstSeen) {
    WorldModel wm;
    const int numbers[] = {5, 2, 5, 7};
    const int slots[] = {0, 1, 0, 2};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(wm.getOurRealNumber(numbers[i]), slots[i]);
    EXPECT_EQ(wm.getOurCount(), 3);
    EXPECT_EQ(wm.getOppCount(), 0);
    EXPECT_EQ(wm.getOppRealNumber(7), 0);
}

TEST(WorldModelStore, SightingIsStoredInTheNumbersSlotWithTheServerTime) {
    WorldModel wm;
    wm.setServerTime(4.0);
    wm.setRelOurPos(Vector3f(1, 0, 0), 5, HEAD);
    wm.setServerTime(4.02);
    wm.setRelOurPos(Vector3f(2, 0, 0), 2, HEAD);
    wm.setRelOurPos(Vector3f(3, 1, 0), 5, HEAD);
    const Player two = wm.getOurPlayer(1);
    EXPECT_EQ(two.getID(), 2);
    const Player five = wm.getOurPlayer(0);
    EXPECT_EQ(five.getID(), 5);
    EXPECT_EQ(five.getTimeSeen(), 4.02);
    EXPECT_EQ(five.getTimePrevSeen(), 4.0);
    expectVec(five.getRelPos(LFOOT), 3, 1, 0);
    wm.setRelOppPos(Vector3f(0, 1, 0), 9, HEAD);
    EXPECT_EQ(wm.getOppPlayer(0).getID(), 9);
    EXPECT_EQ(wm.getOurPlayer(0).getID(), 5);
}

// Eleven players a side, numbers 1 to 11, each keep a slot; a twelfth distinct
// number of one team has none and is ignored.
TEST(WorldModelStore, TwelfthDistinctNumberHasNoSlotAndIsIgnored) {
    WorldModel wm;
    wm.setServerTime(1.0);
    for (int n = 1; n <= 11; ++n) wm.setRelOppPos(Vector3f(n, 0, 0), n, HEAD);
    wm.setRelOppPos(Vector3f(99, 99, 99), 12, HEAD);
    EXPECT_EQ(wm.getOppRealNumber(12), -1);
    EXPECT_EQ(wm.getOppCount(), 11);
    for (int slot = 0; slot < 11; ++slot) {
        EXPECT_EQ(wm.getOppPlayer(slot).getID(), slot + 1);
        expectVec(wm.getOppPlayer(slot).getRelPos(HEAD), slot + 1, 0, 0);
    }
    EXPECT_EQ(wm.getOppPlayer(11).getID(), 0);
    EXPECT_EQ(wm.getOppPlayer(-1).getID(), 0);
    EXPECT_EQ(wm.getOurCount(), 0);
}

TEST(WorldModelStore, ChangeOfPlayModeOnlyClearsBeamed) {
    WorldModel wm;
    wm.setBeamed();
    wm.setGameState(PM_BeforeKickOff);
    EXPECT_TRUE(wm.isBeamed());
    wm.setGameState(PM_PlayOn);
    EXPECT_FALSE(wm.isBeamed());
    EXPECT_EQ(wm.getGameState(), PM_PlayOn);
    wm.setBeamed();
    wm.setGameState(PM_PlayOn);
    EXPECT_TRUE(wm.isBeamed());
}

TEST(WorldModelStore, LandmarkTableFollowsTheTeamSide) {
    struct Case {
        FlagsID id;
        float left[3], right[3];
    };
    const Case cases[] = {
        {F1L, {-6, 4, 0}, {6, -4, 0}},
        {F1R, {6, 4, 0}, {-6, -4, 0}},
        {F2L, {-6, -4, 0}, {6, 4, 0}},
        {F2R, {6, -4, 0}, {-6, 4, 0}},
        {G1L, {-6, 0.7f, 0.8f}, {6, -0.7f, 0.8f}},
        {G1R, {6, 0.7f, 0.8f}, {-6, -0.7f, 0.8f}},
        {G2L, {-6, -0.7f, 0.8f}, {6, 0.7f, 0.8f}},
        {G2R, {6, -0.7f, 0.8f}, {-6, 0.7f, 0.8f}},
    };
    WorldModel wm;
    for (const Case& c : cases) {
        expectVec(wm.getFlagsGlobalPos(c.id), c.left[0], c.left[1], c.left[2]);
    }
    wm.setTeamSide(SIDE_RIGHT);
    wm.initFlags();
    for (const Case& c : cases) {
        expectVec(wm.getFlagsGlobalPos(c.id), c.right[0], c.right[1], c.right[2]);
    }
}

TEST(WorldModelStore, BallSightingsKeepThePreviousTime) {
    WorldModel wm;
    wm.setServerTime(1.00);
    wm.setRelBallPos(Vector3f(1, 0, 0));
    wm.setServerTime(1.02);
    wm.setRelBallPos(Vector3f(0.9f, 0.1f, 0));
    EXPECT_EQ(wm.getBallTimeSeen(), 1.02);
    EXPECT_EQ(wm.getBallTimePrevSeen(), 1.00);
    expectVec(wm.getBallRelPos(), 0.9f, 0.1f, 0);
}

TEST(WorldModelStore, LandmarkReadingIsStampedAndConvertedToTheCameraFrame) {
    WorldModel wm;
    wm.setServerTime(2.5);
    wm.setRelFlagPos(G1R, VisionSense(2, 90, 0));
    EXPECT_EQ(wm.getFlagsTimeSeen(G1R), 2.5);
    EXPECT_EQ(wm.getFlagsTimeSeen(G1L), -1.0);
    EXPECT_EQ(wm.getRelFlagPos(G1R).theta, 90);
    expectVec(wm.getFlagsCameraPos(G1R), 0, 2, 0);
}
