#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "scene.h"
#include "worldmodel/worldmodel.h"

using salt::Vector3f;
using scene::expectNear;
using scene::localise;
using scene::Pose;

TEST(Localisation, OneTripleFixesALevelCamera) {
    WorldModel wm;
    localise(wm, 1.0, Pose::at(-3, 1, 0.5f, 0), {F1L, F2L, G1L});
    expectNear(wm.getMyPos(), Vector3f(-3, 1, 0.5f), 1e-4f);
    EXPECT_NEAR(wm.getMyAngle(), 0.0, 1e-3);
    EXPECT_NEAR(wm.getMySelf().getMyPhiAngle(), 0.0, 1e-3);
}

TEST(Localisation, FourLandmarksOfOneGoalLinePoolFourTriples) {
    WorldModel wm;
    localise(wm, 1.0, Pose::at(-3, 1, 0.5f, 90), {F1L, F2L, G1L, G2L});
    expectNear(wm.getMyPos(), Vector3f(-3, 1, 0.5f), 1e-4f);
    EXPECT_NEAR(wm.getMyAngle(), 90.0, 1e-3);
}

// Camera at (2, -1, 0.55) with heading -120 on the right side, seeing F1R, F2R
// and G1R. The flag pair's direction has a y component of exactly 0.5, i.e. 80
// after the 1/160 scaling, so which side of that the readings' rounding falls
// decides whether it truncates to 79 or 80; both outcomes are shown.
TEST(Localisation, RightSideShowsTheQuantisationOffsets) {
    struct Case {
        float nudge;  // added to the y reading of F2R, metres
        Vector3f head;
        double angle, phi;
    };
    const Case cases[] = {
        {+1e-5f, Vector3f(2.0045f, -0.9706f, 0.4956f), -119.79, 179.61},
        {-1e-5f, Vector3f(1.9931f, -1.0141f, 0.6773f), -120.10, -179.09},
    };
    for (const Case& c : cases) {
        WorldModel wm;
        wm.setTeamSide(SIDE_RIGHT);
        wm.initFlags();
        wm.setServerTime(1.0);
        const double h = salt::gDegToRad(-120.0);
        for (FlagsID id : {F1R, F2R, G1R}) {
            const Vector3f g = wm.getFlagsGlobalPos(id);
            const double dx = g.x() - 2.0, dy = g.y() + 1.0, dz = g.z() - 0.55;
            Vector3f reading(static_cast<float>(std::cos(h) * dx + std::sin(h) * dy),
                             static_cast<float>(-std::sin(h) * dx + std::cos(h) * dy),
                             static_cast<float>(dz));
            if (id == F2R) reading.y() += c.nudge;
            wm.setFlagsCameraPos(id, reading);
        }
        wm.globalize();
        expectNear(wm.getMyPos(), c.head, 2e-4f);
        EXPECT_NEAR(wm.getMyAngle(), c.angle, 0.01);
        EXPECT_NEAR(wm.getMySelf().getMyPhiAngle(), c.phi, 0.01);
    }
}

TEST(Localisation, WithoutAUsableTripleThePreviousPoseStays) {
    const Pose first = Pose::at(-3, 1, 0.5f, 0);
    const Pose moved = Pose::at(1, -2, 0.45f, -60);
    const std::initializer_list<FlagsID> cases[] = {
        {F1L, F1R, G1L},  // not one goal line
        {F1L, G1L},       // two of one goal line
        {F1L, F2L},       // flags only
        {G1R, G2R},       // posts only
    };
    for (const auto& seen : cases) {
        WorldModel wm;
        localise(wm, 1.0, first, {F1L, F2L, G1L, G2L});
        const Vector3f head = wm.getMyPos();
        const salt::Matrix camera = wm.getCameraMatrix();
        // The ball is still placed, with the old pose.
        wm.setServerTime(1.02);
        wm.setRelBallPos(first.toCamera(Vector3f(0, 0, 0.04f)));
        scene::seeLandmarks(wm, moved, seen);
        wm.globalize();
        EXPECT_TRUE(wm.getCameraMatrix().IsEqual(camera));
        expectNear(wm.getMyPos(), head, 0.0f);
        expectNear(wm.getBallPos(), Vector3f(0, 0, 0.04f), 0.01f);
    }
}

TEST(Localisation, LandmarksFromAnEarlierCycleDoNotCount) {
    WorldModel wm;
    wm.setServerTime(2.0);
    scene::seeLandmarks(wm, Pose::at(-3, 1, 0.5f, 0), {F1L, F2L});
    wm.setServerTime(2.02);
    scene::seeLandmarks(wm, Pose::at(-3, 1, 0.5f, 0), {G1L});
    wm.globalize();
    expectNear(wm.getMyPos(), Vector3f(0, 0, 0), 0.0f);
    EXPECT_EQ(wm.getMyAngle(), 0.0);
}

TEST(Localisation, BeforeTheFirstFixEverythingSitsAtTheHeadWithHeadingZero) {
    WorldModel wm;
    wm.setServerTime(0.5);
    wm.setRelBallPos(Vector3f(2, 1, 0));
    wm.globalize();
    expectNear(wm.getBallPos(), Vector3f(0, 0, 0), 0.0f);
    EXPECT_EQ(wm.getMyAngle(), 0.0);
    EXPECT_TRUE(std::isfinite(wm.getBallVel().x()));
}

TEST(Localisation, BallAndPlayersGetFieldPositionsAndVelocities) {
    WorldModel wm;
    const Pose pose = Pose::at(-3, 1, 0.5f, 45);
    wm.setServerTime(1.0);
    wm.setRelBallPos(pose.toCamera(Vector3f(0, 0, 0.04f)));
    wm.setRelOppPos(pose.toCamera(Vector3f(2, 2, 0.5f)), 4, HEAD);
    localise(wm, 1.0, pose, {F1L, F2L, G1L, G2L});
    wm.setServerTime(1.5);
    wm.setRelBallPos(pose.toCamera(Vector3f(0.5f, -0.25f, 0.04f)));
    wm.setRelOppPos(pose.toCamera(Vector3f(2, 3, 0.5f)), 4, HEAD);
    localise(wm, 1.5, pose, {F1L, F2L, G1L, G2L});
    expectNear(wm.getBallPos(), Vector3f(0.5f, -0.25f, 0.04f), 1e-3f);
    expectNear(wm.getBallVel(), Vector3f(1, -0.5f, 0), 2e-3f);
    const Player opp = wm.getOppPlayer(0);
    expectNear(opp.getPos(HEAD), Vector3f(2, 3, 0.5f), 1e-3f);
    expectNear(opp.getPos(LFOOT), Vector3f(2, 3, 0.5f), 1e-3f);
    expectNear(opp.getVel(HEAD), Vector3f(0, 2, 0), 2e-3f);
}

TEST(Localisation, TwoSightingsAtOneServerTimeKeepTheVelocityFinite) {
    WorldModel wm;
    const Pose pose = Pose::at(-3, 1, 0.5f, 0);
    wm.setServerTime(1.0);
    wm.setRelBallPos(pose.toCamera(Vector3f(0, 0, 0.04f)));
    wm.setRelBallPos(pose.toCamera(Vector3f(0, 0, 0.04f)));
    wm.setRelOurPos(pose.toCamera(Vector3f(1, 1, 0.5f)), 3, HEAD);
    wm.setRelOurPos(pose.toCamera(Vector3f(1, 1, 0.5f)), 3, HEAD);
    localise(wm, 1.0, pose, {F1L, F2L, G1L});
    EXPECT_TRUE(std::isfinite(wm.getBallVel().Length()));
    EXPECT_TRUE(std::isfinite(wm.getOurPlayer(0).getVel(HEAD).Length()));
    expectNear(wm.getBallPos(), Vector3f(0, 0, 0.04f), 1e-3f);
}

namespace {
// Each quantised direction (components of a length-160 vector truncated toward
// zero) is off by at most eps = sqrt(3) / (160 - sqrt(3)) rad. The goal-line pair
// is off by eps; the normal n = uo x up by at most 2 eps / sin(theta), theta the
// angle between the two directions (at least asin(0.8 / |(4.7, 0.8)|) = 9.66
// degrees for these landmarks); the third row by the sum of both. Each estimate
// G[k] + R C[k] therefore errs by at most |C[k]| eps sqrt(a^2 + 1 + (a + 1)^2)
// with a = 2 / sin(theta), and the pooled mean by at most the largest of them.
// The heading, a column of the same matrix, errs by at most the same angle.
double rotationBound() {
    const double eps = std::sqrt(3.0) / (160.0 - std::sqrt(3.0));
    const double a = 2.0 / (0.8 / std::hypot(4.7, 0.8));
    return eps * std::sqrt(a * a + 1.0 + (a + 1.0) * (a + 1.0));
}

double positionBound(const WorldModel& wm, std::initializer_list<FlagsID> seen) {
    double farthest = 0.0;
    for (FlagsID id : seen) {
        farthest = std::max(farthest, static_cast<double>(wm.getFlagsCameraPos(id).Length()));
    }
    return rotationBound() * farthest;
}
}  // namespace

TEST(Localisation, RandomPosesOnBothSidesAreRecoveredWithinTheQuantisationBound) {
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<float> x(-5.5f, 5.5f), y(-3.5f, 3.5f), z(0.3f, 0.6f);
    std::uniform_real_distribution<double> heading(-180.0, 180.0);
    const std::initializer_list<FlagsID> views[] = {
        {F1L, F2L, G1L}, {F1L, F2L, G2L},      {F1L, G1L, G2L},
        {F2L, G1L, G2L}, {F1L, F2L, G1L, G2L}, {F1R, F2R, G1R},
        {F1R, G1R, G2R}, {F1R, F2R, G1R, G2R}, {F1L, F2L, G1L, G2L, F1R, F2R, G1R, G2R}};
    double worst = 0.0, sum = 0.0, worstHeading = 0.0;
    int count = 0;
    for (TeamSide side : {SIDE_LEFT, SIDE_RIGHT}) {
        for (int i = 0; i < 200; ++i) {
            const Pose pose = Pose::at(x(rng), y(rng), z(rng), heading(rng));
            const auto& seen = views[i % (sizeof(views) / sizeof(views[0]))];
            WorldModel wm;
            wm.setTeamSide(side);
            localise(wm, 1.0, pose, seen);
            const double error = (wm.getMyPos() - pose.position).Length();
            const double bound = positionBound(wm, seen);
            EXPECT_LE(error, bound) << "side " << side << " pose " << i;
            // The heading is the direction of the camera's forward axis.
            const Vector3f forward = pose.rotation.Rotate(Vector3f(1, 0, 0));
            const double expected = salt::gRadToDeg(std::atan2(forward.y(), forward.x()));
            const double headingError = std::fabs(salt::gNormalizeDeg(wm.getMyAngle() - expected));
            worstHeading = std::max(worstHeading, headingError);
            EXPECT_LE(headingError, salt::gRadToDeg(rotationBound()))
                << "side " << side << " pose " << i;
            worst = std::max(worst, error);
            sum += error;
            ++count;
        }
    }
    RecordProperty("worst_error_m", std::to_string(worst));
    RecordProperty("mean_error_m", std::to_string(sum / count));
    std::printf(
        "localisation over %d poses: mean %.4f m, worst %.4f m (bound factor %.4f rad), "
        "worst heading %.3f deg\n",
        count, sum / count, worst, rotationBound(), worstHeading);
}

// On the league's field the vertical comes from the accelerometer (the neck at 0, the
// torso turned as the camera): two landmarks then fix a tilted camera, where the
// design's fix needs three of one goal line. A reading far from 1 g fixes nothing
// there; the design's field fixes as designed, whatever the accelerometer reads, unless
// the player asks for the accelerometer where no triple is in view.
TEST(Localisation, LeagueFieldTakesTheVerticalFromTheAccelerometer) {
    const Pose pose = Pose::at(-5, 3, 0.5f, 170, 20, 10);
    const Vector3f gravity = pose.toCamera(pose.position + Vector3f(0, 0, 1)) * 9.81f;
    struct Case {
        const char* what;
        const FieldGeometry& field;
        bool accelerometer;
        Vector3f reading;  // m/s^2, torso frame
        bool fallback;     // the design's fix falls back on the accelerometer
        bool fixed;
    };
    const Case cases[] = {
        {"league, gravity", leagueField(), true, gravity, false, true},
        {"league, no reading", leagueField(), false, gravity, false, false},
        {"league, 3 g", leagueField(), true, gravity * 3.0f, false, false},
        {"league, free fall", leagueField(), true, Vector3f(0, 0, 0.5f), false, false},
        {"design, gravity", designField(), true, gravity, false, false},
        {"design, gravity, fallback", designField(), true, gravity, true, true},
        {"design, 3 g, fallback", designField(), true, gravity * 3.0f, true, false},
        {"design, no reading, fallback", designField(), false, gravity, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorldModel wm;
        wm.setField(c.field);
        wm.setVerticalFallback(c.fallback);
        wm.setServerTime(1.0);
        if (c.accelerometer) wm.setAcc(c.reading);
        scene::seeLandmarks(wm, pose, {F1L, F2L});
        wm.globalize();
        EXPECT_EQ(wm.hasCameraFix(), c.fixed);
        if (!c.fixed) continue;
        expectNear(wm.getMyPos(), pose.position, 1e-3f);
        EXPECT_NEAR(wm.getMyAngle(), 170.0, 0.01);
        // The camera's axes on the field are the pose's own.
        expectNear(wm.translate(Vector3f(1, 0, 0)), pose.toField(Vector3f(1, 0, 0)), 1e-3f);
        expectNear(wm.translate(Vector3f(0, 0, 1)), pose.toField(Vector3f(0, 0, 1)), 1e-3f);
    }
}
