// Playing the ball without a world: where a sighting puts the ball through the neck's
// angles and the torso's lean, how the torso's up is kept, how the track keeps it, the approach
// walking a robot that moves exactly as commanded behind the ball from every side without walking
// through it, the dribble's commands, and the kick's parameter files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "motion/skills/approach.h"
#include "motion/skills/ball_play.h"
#include "motion/skills/ball_track.h"
#include "motion/skills/dribble.h"
#include "motion/skills/keyframes.h"
#include "motion/skills/kick.h"
#include "motion/skills/leg_ik.h"
#include "motion/skills/torso_up.h"

using namespace skills;

namespace {

constexpr double kDeg = M_PI / 180;

Readings neck(double yaw, double pitch) {
    Readings r;
    r.angles[HJ1] = yaw;
    r.angles[HJ2] = pitch;
    r.acc = salt::Vector3f(0, 0, 9.81f);
    r.accFresh = true;
    return r;
}

// A rotation about a coordinate axis (0 x, 1 y, 2 z) by `degrees`, applied to v.
salt::Vector3f turned(const salt::Vector3f& v, int axis, double degrees) {
    const double c = std::cos(degrees * kDeg), s = std::sin(degrees * kDeg);
    const int a = (axis + 1) % 3, b = (axis + 2) % 3;
    salt::Vector3f out = v;
    out[a] = static_cast<float>(c * v[a] - s * v[b]);
    out[b] = static_cast<float>(s * v[a] + c * v[b]);
    return out;
}

// The torso leans `forward` (nose down) and `roll` (towards its right side), degrees:
// a level-frame vector in the torso frame (the inverse turns, last first).
salt::Vector3f intoTorso(const salt::Vector3f& v, double forward, double roll) {
    return turned(turned(v, 1, -forward), 0, roll);
}

// A torso-frame vector in the level frame: intoTorso undone.
salt::Vector3f fromTorso(const salt::Vector3f& v, double forward, double roll) {
    return turned(turned(v, 0, -roll), 1, forward);
}

// A camera-frame sighting of a ground point `ahead`, `left` of the torso point (0.35 m up,
// the camera 0.155 m above it on the torso's axis), seen with the neck at yaw and pitch
// (degrees; positive pitch looks up: a turn about -y) from a torso leaning `forward` and
// `roll` degrees.
salt::Vector3f sighting(double ahead, double left, double yaw, double pitch, double forward = 0,
                        double roll = 0) {
    const salt::Vector3f ball(static_cast<float>(ahead), static_cast<float>(left), -0.35f);
    const salt::Vector3f camera = fromTorso(salt::Vector3f(0, 0, 0.155f), forward, roll);
    return turned(turned(intoTorso(ball - camera, forward, roll), 2, -yaw), 1, pitch);
}

// Degrees between two directions.
double apart(const salt::Vector3f& a, const salt::Vector3f& b) {
    return std::acos(std::clamp(a.Dot(b) / (a.Length() * b.Length()), -1.0f, 1.0f)) / kDeg;
}

}  // namespace

// The level frame turns with the torso's heading: a torso leaning forward or to a side
// (up tilted in its frame, of any length) and the neck turned both ways still put the ball
// where it lies relative to the torso point, not to the camera above it.
TEST(BallTrack, ASightingIsPlacedThroughTheNeckAndTheTorsosTilt) {
    struct Case {
        double ahead, left, yaw, pitch, forward, roll;
    } const cases[] = {
        {1, 0, 0, 0, 0, 0},
        {0.2, 0.05, 0, -40, 0, 0},
        {0.5, 0.5, 45, -30, 0, 0},
        {0.3, -0.6, -80, -20, 0, 0},
        {2, 1, 20, 0, 0, 0},
        {0.15, -0.04, -10, -42, 0, 0},
        {0.17, -0.18, -45, -42, 4, 0},
        {0.17, -0.18, -45, -42, 0, 8},
        {0.17, 0.18, 45, -42, -5, -8},
        {0.25, 0, 0, -42, 12, 10},
        {1.5, -0.5, -20, -10, 6, -6},
        {0.4, 0.3, 60, -35, -10, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.yaw) + " " + std::to_string(c.pitch) + " leaning " +
                     std::to_string(c.forward) + " " + std::to_string(c.roll));
        const salt::Vector3f up = intoTorso(salt::Vector3f(0, 0, 9.81f), c.forward, c.roll);
        const Ground g = groundFromCamera(
            sighting(c.ahead, c.left, c.yaw, c.pitch, c.forward, c.roll), neck(c.yaw, c.pitch), up);
        EXPECT_NEAR(g.ahead, c.ahead, 1e-5);
        EXPECT_NEAR(g.left, c.left, 1e-5);
    }
    // No usable up (none yet, or the torso's forward axis upright): the torso counts as
    // upright.
    for (const salt::Vector3f& up : {salt::Vector3f(0, 0, 0), salt::Vector3f(1, 0, 0)}) {
        const Ground g = groundFromCamera(sighting(0.3, 0.1, 10, -40), neck(10, -40), up);
        EXPECT_NEAR(g.ahead, 0.3, 1e-5);
        EXPECT_NEAR(g.left, 0.1, 1e-5);
    }
}

// The torso's up by gyroscope and accelerometer: a torso that sways sideways while it
// steps in place (the accelerometer tilted by ten degrees and more) keeps its true lean
// within 1.5 degrees; one that leans over is followed by the gyroscope; a wrong start is
// pulled right.
TEST(TorsoUp, FollowsTheLeanNotTheSwayOfTheSteps) {
    struct Case {
        const char* what;
        double forward, roll;  // degrees at the start
        double forwardRate;    // deg/s, the torso leaning on
        double sway;           // m/s^2 sideways, at 2 Hz
        double startForward;   // degrees: the first reading's lean
        double within;         // degrees from 4 s on
    } const cases[] = {
        {"stepping in place, upright", 0, 0, 0, 2.5, 0, 1.5},
        {"stepping in place, leaning", 4, -3, 0, 2.5, 4, 1.5},
        {"leaning over by the gyroscope", 0, 0, 5, 0, 0, 0.2},
        {"a wrong first reading", 10, 0, 0, 0, 0, 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TorsoUp up;
        double worst = 0, rawWorst = 0;
        for (int cycle = 0; cycle <= 400; ++cycle) {
            const double t = cycle * 0.02, forward = c.forward + c.forwardRate * t;
            const salt::Vector3f truth = intoTorso(salt::Vector3f(0, 0, 1), forward, c.roll);
            Readings r;
            r.time = t;
            r.accFresh = true;
            const double lean = cycle == 0 ? c.startForward : forward;
            const float push = static_cast<float>(c.sway * std::sin(2 * M_PI * 2 * t));
            r.acc =
                intoTorso(salt::Vector3f(0, 0, 9.81f), lean, c.roll) + salt::Vector3f(0, push, 0);
            r.gyro = salt::Vector3f(0, static_cast<float>(c.forwardRate), 0);
            up.update(r);
            ASSERT_TRUE(up.known());
            if (t >= 4 - 1e-9) {
                worst = std::max(worst, apart(up.up(), truth));
                rawWorst = std::max(rawWorst, apart(r.acc, truth));
            }
        }
        EXPECT_LT(worst, c.within);
        if (c.sway > 0) {
            EXPECT_GT(rawWorst, 10) << "the sway alone tilts the reading";
        }
    }
}

TEST(BallTrack, NearSightingsAreSteadiedAFarOneMovesTheBall) {
    BallTrack t;
    const FieldPose self{1, 2, 90};
    t.see(self, {1, 0}, 0.0);  // one metre ahead of a robot facing +y
    EXPECT_NEAR(t.x(), 1, 1e-9);
    EXPECT_NEAR(t.y(), 3, 1e-9);
    t.see(self, {1.1, 0}, 0.06);
    EXPECT_NEAR(t.y(), 3.05, 1e-9) << "halfway to a near sighting";
    t.see(self, {2, 0}, 0.12);
    EXPECT_NEAR(t.y(), 4, 1e-9) << "a far sighting is the ball moved";
    EXPECT_DOUBLE_EQ(t.lastSeen(), 0.12);
    const Ground back = t.relativeTo({1, 3, 0});
    EXPECT_NEAR(back.ahead, 0, 1e-9);
    EXPECT_NEAR(back.left, 1, 1e-9);
}

// The robot moves exactly as commanded; the ball stays put. From every side the approach
// brings the ball to its spot, facing the line, and the body never walks over the ball.
TEST(Approach, ReachesTheSpotFromEverySideWithoutWalkingThroughTheBall) {
    const double spotAhead = 0.15, spotLeft = -0.04, line = 30;  // degrees, field frame
    const double ballX = 0, ballY = 0;
    for (int from = -180; from < 180; from += 30) {
        SCOPED_TRACE(from);
        Approach a;
        FieldPose self{ballX + 1.5 * std::cos(from * kDeg), ballY + 1.5 * std::sin(from * kDeg),
                       static_cast<double>(from + 180)};
        double closest = 10;
        int cycle = 0;
        for (; cycle < 3000 && !a.placed(); ++cycle) {
            const double h = self.heading * kDeg, dx = ballX - self.x, dy = ballY - self.y;
            const Ground ball{std::cos(h) * dx + std::sin(h) * dy,
                              -std::sin(h) * dx + std::cos(h) * dy};
            closest = std::min(closest, std::hypot(dx, dy));
            const WalkCommand c =
                a.step(ball, wrapDegrees(line - self.heading), spotAhead, spotLeft);
            self.x += 0.02 * (std::cos(h) * c.forward - std::sin(h) * c.sideways);
            self.y += 0.02 * (std::sin(h) * c.forward + std::cos(h) * c.sideways);
            self.heading += 0.02 * c.turn;
        }
        ASSERT_TRUE(a.placed()) << "not placed after " << cycle << " cycles";
        EXPECT_GT(closest, 0.12) << "walked over the ball";
        const double h = self.heading * kDeg, dx = ballX - self.x, dy = ballY - self.y;
        EXPECT_NEAR(std::cos(h) * dx + std::sin(h) * dy, spotAhead, 0.04);
        // Within what a placed robot keeps counting as placed: it may still turn a
        // little during the cycles that confirm the placing.
        EXPECT_NEAR(-std::sin(h) * dx + std::cos(h) * dy, spotLeft,
                    ApproachParameters().leaveAcross);
        EXPECT_NEAR(wrapDegrees(self.heading - line), 0, 8);
    }
}

TEST(Dribble, PushesWhileTheBallIsInFrontAndGoesBehindItOtherwise) {
    struct Case {
        const char* name;
        Ground ball, target;
        bool pushing;
        int sidewaysSign;  // of the command, 0: about none
    } const cases[] = {
        {"in front, target ahead", {0.16, 0}, {3, 0}, true, 0},
        {"in front a little left", {0.16, 0.04}, {3, 0.04}, true, 1},
        {"in front a little right", {0.16, -0.04}, {3, -0.04}, true, -1},
        {"beside the feet", {0.0, 0.3}, {3, 0.3}, false, 1},
        {"target behind the robot", {0.2, 0}, {-3, 0}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dribble d;
        WalkCommand w;
        for (int i = 0; i < 3; ++i) w = d.step(c.ball, c.target);
        EXPECT_EQ(d.pushing(), c.pushing);
        if (c.pushing) {
            EXPECT_GT(w.forward, 0.1);
        }
        if (c.sidewaysSign != 0) {
            EXPECT_GT(w.sideways * c.sidewaysSign, 0);
        }
    }
}

TEST(KickParameters, AFileGoesBackAndForthAndBadLinesAreNamed) {
    const std::string path = ::testing::TempDir() + "kick_parameters_test.conf";
    KickParameters p;
    p.reach = 0.2;
    p.aimRight = -3.5;
    writeKickParameters(p, path);
    const KickParameters q = readKickParameters(path);
    for (const auto& e : KickParameters::entries()) EXPECT_DOUBLE_EQ(q.get(e.name), p.get(e.name));

    struct Case {
        const char* text;
        const char* message;
    } const cases[] = {
        {"reach 0.1\nswing 1\n", ":2: unknown kick parameter 'swing'"},
        {"reach\n", ":1: 'reach' has no value"},
        {"reach 0.1x\n", ":1: 'reach' value '0.1x' is not a number"},
        {"reach 0.1 0.2\n", ":1: 'reach' has more than one value: '0.2'"},
        {"lift 5\n", ":1: 'lift' value 5 is outside 0 to 0.12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::ofstream(path) << c.text;
        try {
            readKickParameters(path);
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(path + c.message), std::string::npos) << e.what();
        }
    }
    std::remove(path.c_str());
}

namespace {

// Readings of a robot upright at rest whose joints are where the last speeds took them.
struct IdealBody {
    Readings r = neck(0, 0);
    void follow(const JointSpeeds& s) {
        for (int j = 0; j < kJointCount; ++j)
            if (s.driven[j]) r.angles[j] += s.speed[j] * 0.02 / kDeg;
        r.time += 0.02;
    }
};

}  // namespace

// The right foot's kick is the left foot's seen in a mirror, at every cycle; both end
// after the sum of their phases, the swing starting after the shift and the lift.
TEST(Kick, TheRightFootsKickMirrorsTheLeftsAndEndsOnTime) {
    KickParameters p;
    Kick left(p), right(p);
    left.start(Foot::Left);
    right.start(Foot::Right);
    IdealBody a, b;
    const double total =
        p.shiftTime + p.liftTime + p.swingTime + p.returnTime + p.lowerTime + p.settleTime;
    int cycles = 0;
    for (; !left.done() && cycles < 500; ++cycles) {
        a.follow(left.step(a.r));
        b.follow(right.step(b.r));
        EXPECT_EQ(left.swung(), left.clock() >= p.shiftTime + p.liftTime - 1e-9);
        for (int j = 0; j < kJointCount; ++j) {
            double sign = 1;
            const int m = mirrorJoint(j, sign);
            // The hip yaw-pitch joints are left out: their mirror angle is the opposite
            // one, which the leg's range (-90..1) does not always allow, and near the
            // upright pose the leg's kinematics picks between two nearly equal solutions
            // a little differently for each leg (tenths of a degree here); the kick asks
            // for no yaw.
            if (j == LLJ1 || j == RLJ1) continue;
            ASSERT_NEAR(b.r.angles[m], sign * a.r.angles[j], 0.01)
                << jointName(j) << " at cycle " << cycles;
        }
    }
    EXPECT_TRUE(right.done());
    EXPECT_NEAR(cycles * 0.02, total, 0.021);
}

// Where the kicking sole stands on the standing sole's ground (metres ahead and to the
// left of it, and its turn), from the angles the body holds.
FootPose kickingSoleOnTheGround(const Readings& r, Foot foot) {
    FootPose soles[2];
    for (int leg = 0; leg < 2; ++leg) {
        LegAngles a;
        for (int k = 0; k < 6; ++k) a[k] = r.angles[(leg == 0 ? LLJ1 : RLJ1) + 2 * k];
        soles[leg] = legForward(leg == 0 ? Leg::Left : Leg::Right, a);
        soles[leg].position.y += leg == 0 ? 0.055 : -0.055;  // from the hips' middle
    }
    const FootPose& kicking = soles[foot == Foot::Left ? 0 : 1];
    const FootPose& standing = soles[foot == Foot::Left ? 1 : 0];
    FootPose out;
    out.position = standing.rotation.applyInverse({kicking.position.x - standing.position.x,
                                                   kicking.position.y - standing.position.y,
                                                   kicking.position.z - standing.position.z});
    out.rotation = standing.rotation.transposed() * kicking.rotation;
    return out;
}

// Drawn back and at the swing's end the kicking sole stands where the numbers put it on
// the ground (ahead, up, the toe down and turned in by the sole's own mirror per foot)
// whether the swing is planned along a line or in joint angles and with the hips moved
// ahead. The hip yaw-pitch joints turn one way only: a turn in is reachable by the left
// foot and a turn out by the right, and the right foot's kick (kicking and standing
// leg alike) asks them for a degree or two beyond their range, which leaves its sole a
// few millimetres and about a degree off; with the hips shifted or the foot reaching
// further the right foot's misses grow to centimetres, so the stance here is modest.
TEST(Kick, TheSwingsEndsPutTheSoleWhereTheNumbersSay) {
    struct Case {
        const char* name;
        Foot foot;
        double backPitch, throughPitch, backTurn, jointSwing, lunge;
    } const cases[] = {
        {"left, level", Foot::Left, 0, 0, 0, 0, 0},
        {"right, level", Foot::Right, 0, 0, 0, 0, 0},
        {"left, toe down and in, joint swing", Foot::Left, 20, -10, 10, 1, 0},
        {"right, toe down and out, joint swing", Foot::Right, 20, -10, -10, 1, 0},
        {"left, lunge", Foot::Left, 10, 10, 0, 0.5, 0.03},
        {"right, lunge", Foot::Right, 10, 10, 0, 0.5, 0.03},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KickParameters p;
        p.backPitch = c.backPitch;
        p.throughPitch = c.throughPitch;
        p.backTurn = c.backTurn;
        p.jointSwing = c.jointSwing;
        p.lunge = c.lunge;
        p.hipHeight = 0.24;
        p.torsoLean = -5;
        p.shift = 0;
        p.lift = 0.03;
        p.drawBack = 0.03;
        p.reach = 0.06;
        p.kickHeight = 0.04;
        // Slow phases and a servo that takes its readings as current: the ideal body
        // follows the plan exactly.
        p.shiftTime = p.liftTime = p.swingTime = 1;
        p.readingLag = 0;
        p.servoGain = 1;
        Kick kick(p);
        kick.start(c.foot);
        IdealBody body;
        const double side = c.foot == Foot::Left ? 1 : -1;
        const struct {
            double at, ahead, up, toeDown, turnIn;
        } ends[] = {{2, -p.drawBack, p.lift, c.backPitch, c.backTurn},
                    {3, p.reach, p.kickHeight, c.throughPitch, 0}};
        for (const auto& end : ends) {
            while (kick.clock() < end.at - 1e-9) body.follow(kick.step(body.r));
            const FootPose sole = kickingSoleOnTheGround(body.r, c.foot);
            EXPECT_NEAR(sole.position.x, end.ahead, 5e-3) << "at " << end.at << " s";
            EXPECT_NEAR(sole.position.y, side * p.footSpread, 5e-3) << "at " << end.at << " s";
            EXPECT_NEAR(sole.position.z, end.up, 5e-3) << "at " << end.at << " s";
            const Rot3d want = rotZ(-side * end.turnIn * kDeg) * rotY(end.toeDown * kDeg);
            for (int i = 0; i < 3; ++i)
                for (int k = 0; k < 3; ++k)
                    EXPECT_NEAR(sole.rotation.m[i][k], want.m[i][k], 0.05)
                        << "at " << end.at << " s";
        }
    }
}

// A kick or a dribble fails when the ball stays unseen for five seconds (and a restart,
// as after a get-up, gives it five seconds again), or when the trunk lies tilted.
TEST(BallPlay, FailsForALostBallOrALyingTrunkAndKnowsWhy) {
    struct Case {
        const char* name;
        bool dribble;
        bool lying;
        double failsAfter;  // seconds, -1: does not fail within 8 s
    } const cases[] = {
        {"kick, ball never seen", false, false, 5.0},
        {"dribble, ball never seen", true, false, 5.0},
        {"kick, trunk on its back", false, true, 0.02},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BallPlay play{WalkParameters(), KickParameters()};
        IdealBody body;
        if (c.lying) body.r.acc = salt::Vector3f(9.81f, 0, 0);
        if (c.dribble)
            play.dribble(3, 0, 0);
        else
            play.kick(0, 0);
        double failedAt = -1;
        for (double t = 0.02; t < 8 && failedAt < 0; t += 0.02) {
            play.see({0, 0, 0}, t, false, {});
            body.follow(play.step(body.r));
            if (play.failed()) failedAt = t;
        }
        EXPECT_NEAR(failedAt, c.failsAfter, 0.03);
        EXPECT_EQ(play.ballLost(), !c.lying);
        EXPECT_EQ(play.failure(), c.lying ? "robot down" : "ball not seen for 5 s");
    }
    // After a restart the clock of the lost ball starts again.
    BallPlay play{WalkParameters(), KickParameters()};
    IdealBody body;
    play.kick(0, 0);
    for (double t = 0.02; t < 5.1; t += 0.02) {
        play.see({0, 0, 0}, t, false, {});
        body.follow(play.step(body.r));
    }
    ASSERT_TRUE(play.failed());
    play.restart();
    for (double t = 5.12; t < 9; t += 0.02) {
        play.see({0, 0, 0}, t, false, {});
        body.follow(play.step(body.r));
    }
    EXPECT_FALSE(play.failed());
}

// While the ball is unknown the head sweeps and the body turns to find it; once seen,
// the head turns towards it.
TEST(BallPlay, SearchesForAnUnknownBallAndLooksAtASeenOne) {
    BallPlay play{WalkParameters(), KickParameters()};
    IdealBody body;
    play.kick(0, 0);
    for (double t = 0.02; t < 1.5; t += 0.02) {
        play.see({0, 0, 0}, t, false, {});
        JointSpeeds s = play.step(body.r);
        play.aimHead(body.r, s);
        body.follow(s);
    }
    EXPECT_GT(play.speed().turn, 1) << "turns left to search";
    EXPECT_GT(std::fabs(body.r.angle(HJ1)), 5) << "the head sweeps";
    play.see({0, 0, 0}, 1.5, true, {0.5, -0.5});  // to the right, ahead
    JointSpeeds s = play.step(body.r);
    body.r.angles[HJ1] = body.r.angles[HJ2] = 0;
    play.aimHead(body.r, s);
    EXPECT_LT(s.speed[HJ1], 0) << "the head turns right towards the ball";
    EXPECT_LT(s.speed[HJ2], 0) << "and down";
}

// On its way to the ball the walk steers round a robot ahead, but not round one that
// stands at the ball contesting it: that one is played past.
TEST(BallPlay, WalksRoundARobotOnTheWayButNotOneAtTheBall) {
    struct Case {
        const char* name;
        std::vector<FieldPoint> others;
        bool steered;
    } const cases[] = {
        {"nobody", {}, false},
        {"a robot on the way", {{0.6, 0.05}}, true},
        {"a robot at the ball", {{2.2, 0}}, false},
        {"a robot behind", {{-0.5, 0}}, false},
    };
    WalkCommand free;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BallPlay play{WalkParameters(), KickParameters()};
        IdealBody body;
        play.kick(0, 0);
        for (double t = 0.02; t < 3.0; t += 0.02) {
            play.see({0, 0, 0}, t, true, {2.0, 0});
            play.avoid(c.others);
            body.follow(play.step(body.r));
        }
        const WalkCommand s = play.speed();
        if (c.others.empty()) free = s;
        if (c.steered) {
            EXPECT_LT(s.forward, 0.8 * free.forward);
            EXPECT_GT(std::fabs(s.sideways), 0.02);
        } else {
            EXPECT_NEAR(s.forward, free.forward, 1e-9);
            EXPECT_NEAR(s.sideways, free.sideways, 1e-9);
        }
    }
}
