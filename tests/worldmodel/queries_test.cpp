#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "scene.h"
#include "worldmodel/worldmodel.h"

using salt::Vector3f;
using scene::expectNear;
using scene::localise;
using scene::Pose;

namespace {
const std::initializer_list<FlagsID> kLeftLine = {F1L, F2L, G1L, G2L};

void loadFeet(WorldModel& wm, float left, float right) {
    FootRes l, r;
    l.force = Vector3f(0, 0, left);
    r.force = Vector3f(0, 0, right);
    wm.setLeftFootForce(l);
    wm.setRightFootForce(r);
}

float flatDistance(const Vector3f& a, const Vector3f& b) {
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// Loaded feet and the distance (metres) from the centre of mass beyond which
// they no longer hold the robot.
struct Support {
    float left, right;  // vertical force, newtons
    BodyID foot;        // LFOOT, RFOOT, or HEAD for the midpoint of both feet
    double limit;       // metres
};
const Support kSupports[] = {{9, 0, LFOOT, 0.15}, {0, 9, RFOOT, 0.15}, {12, 12, HEAD, 0.2}};

// How far the centre of mass is from the support, horizontally, for a trunk at
// this true field pose (the body frame is the trunk's, the origin the camera).
double supportDistance(const Pose& trunk, const Self& self, BodyID foot) {
    const Vector3f com = trunk.toField(self.getCOM());
    const Vector3f left = trunk.toField(self.getMyRelPos(LFOOT));
    const Vector3f right = trunk.toField(self.getMyRelPos(RFOOT));
    const Vector3f support = foot == HEAD ? (left + right) / 2.0f : (foot == LFOOT ? left : right);
    return flatDistance(com, support);
}
}  // namespace

TEST(FallDetection, NoFootCarryingMoreThanEightMeansFallen) {
    WorldModel wm;
    localise(wm, 1.0, Pose::at(-3, 0, 0.5f, 0), kLeftLine);
    loadFeet(wm, 5, 5);
    EXPECT_TRUE(wm.isFeltDown());
    loadFeet(wm, -8, 8);
    EXPECT_TRUE(wm.isFeltDown());
    loadFeet(wm, 30, 30);
    EXPECT_FALSE(wm.isFeltDown());
}

// The body leans by tilting the camera; the expected answer comes from the true
// pose and the body points, away from the threshold by more than the pose error.
TEST(FallDetection, CentreOfMassAgainstTheSupportDecides) {
    for (const Support& c : kSupports) {
        int fallen = 0, standing = 0;
        for (double pitch = -50; pitch <= 50; pitch += 5) {
            const Pose pose = Pose::at(-3, 0, 0.5f, 0, pitch);
            WorldModel wm;
            localise(wm, 1.0, pose, kLeftLine);
            loadFeet(wm, c.left, c.right);
            const double d = supportDistance(pose, wm.getMySelf(), c.foot);
            if (std::fabs(d - c.limit) < 0.01) continue;
            EXPECT_EQ(wm.isFeltDown(), d > c.limit) << "pitch " << pitch << " distance " << d;
            (d > c.limit ? fallen : standing)++;
        }
        EXPECT_GT(fallen, 0);
        EXPECT_GT(standing, 0);
    }
}

// The camera turns with the neck, the trunk does not: the fall test must read
// the body through the neck. Upright with the head pitched 45 degrees (as the
// head scan holds it) is standing; a trunk leaning 40 degrees with the head
// tilted back to look level is still leaning.
TEST(FallDetection, HeadTurnsDoNotTiltTheBody) {
    struct Neck {
        double trunkPitch, yaw, pitch;  // degrees
    } const necks[] = {{0, 0, 45}, {0, 0, -45}, {0, 120, 45},  {0, -120, -45},
                       {0, 90, 0}, {40, 0, 40}, {-30, 0, -45}, {30, 60, 30}};
    int fallen = 0, standing = 0;
    for (const Neck& n : necks) {
        for (const Support& c : kSupports) {
            SCOPED_TRACE(testing::Message() << "trunk " << n.trunkPitch << " neck yaw " << n.yaw
                                            << " pitch " << n.pitch << " limit " << c.limit);
            const Pose trunk = Pose::at(-3, 0, 0.5f, 10, n.trunkPitch);
            Pose camera = trunk;
            camera.rotation.RotateZ(static_cast<float>(salt::gDegToRad(n.yaw)));
            camera.rotation.RotateY(static_cast<float>(salt::gDegToRad(-n.pitch)));
            WorldModel wm;
            wm.setMyJointAngle(HJ1, n.yaw);
            wm.setMyJointAngle(HJ2, n.pitch);
            localise(wm, 1.0, camera, kLeftLine);
            loadFeet(wm, c.left, c.right);
            const double d = supportDistance(trunk, wm.getMySelf(), c.foot);
            if (std::fabs(d - c.limit) < 0.01) continue;
            EXPECT_EQ(wm.isFeltDown(), d > c.limit) << "distance " << d;
            (d > c.limit ? fallen : standing)++;
        }
    }
    EXPECT_GT(fallen, 0);
    EXPECT_GT(standing, 0);
}

// Without landmarks in view the camera pose keeps its last fix while the head
// scan turns the head: the trunk has not moved, and still stands.
TEST(FallDetection, HeadTurnsAfterTheLastFixDoNotTiltTheBody) {
    const double necks[][2] = {{0, 45}, {0, -45}, {120, 45}, {-120, -45}};  // yaw, pitch
    for (const auto& neck : necks) {
        for (const Support& c : kSupports) {
            SCOPED_TRACE(testing::Message()
                         << "neck yaw " << neck[0] << " pitch " << neck[1] << " limit " << c.limit);
            WorldModel wm;
            localise(wm, 1.0, Pose::at(-3, 0, 0.5f, 30), kLeftLine);
            wm.setMyJointAngle(HJ1, neck[0]);
            wm.setMyJointAngle(HJ2, neck[1]);
            wm.setServerTime(1.02);
            wm.globalize();  // nothing seen: no new fix
            loadFeet(wm, c.left, c.right);
            EXPECT_FALSE(wm.isFeltDown());
        }
    }
}

// The server sends no foot reading for a foot that touches nothing: a reading
// of an earlier message must not keep counting as load. Leaning 25 degrees to
// one side puts the centre of mass 0.12 m from the midpoint of the feet, 0.07 m
// from the foot it leans onto and 0.17 m from the other one.
TEST(FallDetection, OnlyFootReadingsOfTheCurrentMessageCarryLoad) {
    struct Case {
        const char* what;
        double roll;  // degrees, positive leans to the right
        bool leftNow, rightNow;
        bool fallen;
    } const cases[] = {
        {"both feet read again", 0, true, true, false},
        {"neither foot read: nothing touches the ground", 0, false, false, true},
        {"left foot lifted while leaning onto it", -25, false, true, true},
        {"right foot lifted while leaning onto it", 25, true, false, true},
        {"left foot lifted while leaning onto the right one", 25, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorldModel wm;
        localise(wm, 1.0, Pose::at(-3, 0, 0.5f, 0), kLeftLine);
        loadFeet(wm, 20, 20);
        ASSERT_FALSE(wm.isFeltDown());
        localise(wm, 1.02, Pose::at(-3, 0, 0.5f, 0, 0, c.roll), kLeftLine);
        FootRes loaded;
        loaded.force = Vector3f(0, 0, 20);
        if (c.leftNow) wm.setLeftFootForce(loaded);
        if (c.rightNow) wm.setRightFootForce(loaded);
        EXPECT_EQ(wm.isFeltDown(), c.fallen);
    }
}

TEST(FallDetection, LyingPositionsAreClassified) {
    struct Case {
        double pitch, roll, neckPitch, hipPitch;
        int type;
    };
    const Case cases[] = {
        {-80, 0, 0, 0, 1},   // camera and trunk face the sky: on the back
        {80, 0, 0, 0, 4},    // facing the ground: on the front
        {0, -80, 0, 0, 2},   // right side up: on the left side
        {0, 80, 0, 0, 3},    // left side up: on the right side
        {-60, 0, 60, 0, 0},  // only the head looks up; the trunk is upright
        {0, 0, 0, 180, 5},   // legs folded up beside the head
        {0, 0, 0, 0, 0},     // upright
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        WorldModel wm;
        wm.setMyJointAngle(HJ2, c.neckPitch);
        wm.setMyJointAngle(LLJ3, c.hipPitch);
        wm.setMyJointAngle(RLJ3, c.hipPitch);
        localise(wm, 1.0, Pose::at(-3, 0, 0.5f, 20, c.pitch, c.roll), kLeftLine);
        EXPECT_EQ(wm.feltType(), c.type);
        loadFeet(wm, 0, 0);
        EXPECT_EQ(wm.getFeltType(), c.type);
    }
}

// The fix of 0.04 s ago still counts; the head has turned since (vision comes every
// third cycle). The trunk has not moved, so neither has the way it lies.
TEST(FallDetection, AHeadTurningSinceTheFixLeavesTheWayOfLyingAsItWas) {
    struct Case {
        double roll;           // degrees: the camera lying on a side, neck straight
        double yawAfterFix;    // degrees: the neck's yaw now
        double pitchAfterFix;  // degrees: the neck's pitch now
        int type;
    } const cases[] = {
        {-80, 60, 0, 2},  // on the left side: yaw turns in the plane of forward and up
        {-80, -60, 0, 2},
        {80, 60, 0, 3},  // on the right side
        {-80, 0, 40, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.roll << " " << c.yawAfterFix << " " << c.pitchAfterFix);
        WorldModel wm;
        localise(wm, 1.0, Pose::at(-3, 0, 0.1f, 20, 0, c.roll), kLeftLine);
        ASSERT_EQ(wm.feltType(), c.type);
        wm.setServerTime(1.04);
        wm.setMyJointAngle(HJ1, c.yawAfterFix);
        wm.setMyJointAngle(HJ2, c.pitchAfterFix);
        EXPECT_EQ(wm.feltType(), c.type);
    }
}

TEST(FallDetection, StandingRobotHasNoFallTypeWhateverItsPosture) {
    WorldModel wm;
    wm.setMyJointAngle(LLJ3, 180);
    wm.setMyJointAngle(RLJ3, 180);
    localise(wm, 1.0, Pose::at(-3, 0, 0.5f, 0), kLeftLine);
    loadFeet(wm, 20, 20);
    ASSERT_EQ(wm.feltType(), 5);
    EXPECT_FALSE(wm.isFeltDown());
    EXPECT_EQ(wm.getFeltType(), 0);
}

TEST(Queries, BeamingIsAllowedOnlyDuringGameStops) {
    const std::pair<PlayMode, bool> cases[] = {{PM_BeforeKickOff, true}, {PM_Goal_Left, true},
                                               {PM_Goal_Right, true},    {PM_PlayOn, false},
                                               {PM_KickOff_Left, false}, {PM_KickIn_Right, false},
                                               {PM_GameOver, false}};
    for (const auto& c : cases) {
        WorldModel wm;
        wm.setGameState(c.first);
        EXPECT_EQ(wm.canBeam(), c.second) << c.first;
    }
}

TEST(Queries, LandmarksSeeEnoughOnlyWithBothKindsOfOneGoalLine) {
    struct Case {
        std::vector<std::pair<FlagsID, double>> seen;  // landmark, age in seconds
        bool expected;
    };
    const Case cases[] = {
        {{{F1L, 0}, {F2L, 0}, {G1L, 0}}, true},
        {{{F1R, 0}, {G1R, 0}, {G2R, 0}}, true},
        {{{F1L, 0}, {F2L, 0}, {F1R, 0}, {F2R, 0}}, false},
        {{{G1L, 0}, {G2L, 0}, {G1R, 0}}, false},
        {{{F1L, 0}, {G1R, 0}, {G2L, 0}}, false},
        {{{F1L, 0}, {F2L, 0}, {G1L, 0.06}}, true},
        {{{F1L, 0.04}, {F2L, 0.02}, {G1L, 0.08}}, false},
        {{{F1L, 0}, {G1L, 0}}, false},
    };
    for (const Case& c : cases) {
        WorldModel wm;
        const double now = 10.08;
        for (const auto& s : c.seen) {
            wm.setServerTime(now - s.second);
            wm.setRelFlagPos(s.first, VisionSense(5, 10, 0));
        }
        wm.setServerTime(now);
        EXPECT_EQ(wm.canSeeFlags(), c.expected) << "case with " << c.seen.size() << " landmarks";
    }
}

TEST(Queries, BallIsSeenWithinTheLastSixHundredthsOfASecond) {
    WorldModel wm;
    wm.setServerTime(0.0);
    EXPECT_FALSE(wm.canSeeBall());
    wm.setServerTime(3.40);
    wm.setRelBallPos(Vector3f(1, 0, 0));
    const std::pair<double, bool> cases[] = {{3.40, true}, {3.46, true}, {3.48, false}};
    for (const auto& c : cases) {
        wm.setServerTime(c.first);
        EXPECT_EQ(wm.canSeeBall(), c.second) << c.first;
    }
}

TEST(Queries, RelativePositionAndVisionConeFollowTheCamera) {
    WorldModel wm;
    const Pose pose = Pose::at(-3, 1, 0.5f, 90);
    localise(wm, 1.0, pose, kLeftLine);
    const Vector3f points[] = {Vector3f(-3, 4, 0), Vector3f(-1, 1, 0.5f), Vector3f(-5, -2, 1)};
    for (const Vector3f& p : points) expectNear(wm.getRelPos(p), pose.toCamera(p), 2e-3f);

    struct Case {
        Vector3f point;
        bool visible;
    };
    const Case cases[] = {
        {Vector3f(-3, 4, 0.5f), true},    // straight ahead
        {Vector3f(-2, 4, 0.5f), true},    // 18 degrees right
        {Vector3f(0, 2, 0.5f), false},    // 72 degrees right
        {Vector3f(-3, -2, 0.5f), false},  // behind
        {Vector3f(-3, 4, 4.0f), false},   // far above
    };
    for (const Case& c : cases) {
        EXPECT_EQ(wm.inVision(c.point, 120, 60), c.visible) << c.point.x() << " " << c.point.z();
    }
}

TEST(Queries, BeforeTheFirstFixEveryPointIsAtTheCameraAndOutOfView) {
    WorldModel wm;
    const Vector3f points[] = {Vector3f(0, 0, 0), Vector3f(1, 0, 0), Vector3f(-3, 4, 0.5f)};
    for (const char* when : {"fresh store", "after a cycle without landmarks"}) {
        SCOPED_TRACE(when);
        for (const Vector3f& p : points) {
            expectNear(wm.getRelPos(p), Vector3f(0, 0, 0), 0);
            EXPECT_FALSE(wm.inVision(p, 120, 60));
        }
        wm.setServerTime(1.0);
        wm.globalize();
    }
}

namespace {
// Cycles of 0.02 s with the ball rolling from start at the given velocity.
std::vector<bool> ballTowardsGoal(const Vector3f& start, const Vector3f& velocity, int cycles) {
    WorldModel wm;
    const Pose pose = Pose::at(-3, 2, 0.5f, 0);
    std::vector<bool> answers;
    for (int i = 0; i < cycles; ++i) {
        const double t = 1.0 + 0.02 * i;
        wm.setServerTime(t);
        wm.setRelBallPos(pose.toCamera(start + velocity * (0.02f * i)));
        localise(wm, t, pose, kLeftLine);
        answers.push_back(wm.isBallHeadToGoal());
    }
    return answers;
}
}  // namespace

TEST(Queries, BallHeadingToGoalNeedsEighteenVelocitiesAndThreeAgreeingCalls) {
    const std::vector<bool> into =
        ballTowardsGoal(Vector3f(-2, 0.1f, 0.04f), Vector3f(-1, 0, 0), 30);
    for (int i = 0; i < 17; ++i) EXPECT_FALSE(into[i]) << "call " << i + 1;
    EXPECT_TRUE(into[21]);
    EXPECT_TRUE(into[29]);

    const struct {
        Vector3f start, velocity;
    } never[] = {
        {Vector3f(-2, 0.1f, 0.04f), Vector3f(1, 0, 0)},      // rolling away from the goal
        {Vector3f(-2, 0.1f, 0.04f), Vector3f(-1, 1, 0)},     // wide of the posts
        {Vector3f(-2, 0.1f, 0.04f), Vector3f(-0.1f, 0, 0)},  // too slow
    };
    for (const auto& c : never) {
        for (bool answer : ballTowardsGoal(c.start, c.velocity, 30)) EXPECT_FALSE(answer);
    }
}

TEST(Queries, PredictedBallTravelsAlongItsVelocity) {
    WorldModel wm;
    struct Case {
        Vector3f velocity;
        float x, y;
    };
    const Case cases[] = {
        {Vector3f(3, 4, 0), 7, 9},   {Vector3f(-3, 4, 0), -5, 9}, {Vector3f(-3, -4, 0), -5, -7},
        {Vector3f(0, -2, 0), 1, -3}, {Vector3f(0, 0, 0), 1, 1},
    };
    for (const Case& c : cases) {
        const Vector3f p = wm.predictBallPos(2.0, Vector3f(1, 1, 0), c.velocity);
        EXPECT_NEAR(p.x(), c.x, 1e-4f);
        EXPECT_NEAR(p.y(), c.y, 1e-4f);
        EXPECT_TRUE(std::isfinite(p.z()));
    }
    const double inf = std::numeric_limits<double>::infinity();
    expectNear(wm.predictBallPos(inf, Vector3f(1, 2, 0), Vector3f(1, 0, 0)), Vector3f(1, 2, 0),
               0.0f);
}

TEST(Queries, GoingToPosAndInField) {
    WorldModel wm;
    const Vector3f target(5, 0, 0), from(0, 0, 0);
    EXPECT_TRUE(wm.isGoingToPos(target, from, Vector3f(2, 0, 0)));
    EXPECT_TRUE(wm.isGoingToPos(target, from, Vector3f(1, 1.5f, 0)));  // 56 degrees off
    EXPECT_FALSE(wm.isGoingToPos(target, from, Vector3f(1, 2, 0)));    // 63 degrees off
    EXPECT_FALSE(wm.isGoingToPos(target, from, Vector3f(-1, 0, 0)));
    EXPECT_FALSE(wm.isGoingToPos(target, from, Vector3f(0, 0, 0)));

    Player p;
    p.setTimeSeen(5.0);
    const std::pair<double, bool> cases[] = {{5.0, true}, {15.0, true}, {15.5, false}};
    for (const auto& c : cases) {
        wm.setServerTime(c.first);
        EXPECT_EQ(wm.isInField(p), c.second) << c.first;
    }
}

TEST(Queries, BallPossessionGoesToTheCloserTeamOrNobody) {
    const Pose pose = Pose::at(-3, 0, 0.5f, 0);
    const Vector3f ball(0, 0, 0.04f);
    WorldModel wm;
    EXPECT_EQ(wm.ballPossession().getID(), 0);

    // Our 7 stands 0.5 m from the ball; their 4 runs at it from 1 m away.
    wm.setServerTime(1.0);
    wm.setRelBallPos(pose.toCamera(ball));
    wm.setRelOurPos(pose.toCamera(Vector3f(0.5f, 0, 0.5f)), 7, HEAD);
    wm.setRelOppPos(pose.toCamera(Vector3f(1.2f, 0, 0.5f)), 4, HEAD);
    localise(wm, 1.0, pose, kLeftLine);
    wm.setServerTime(1.1);
    wm.setRelOurPos(pose.toCamera(Vector3f(0.5f, 0, 0.5f)), 7, HEAD);
    wm.setRelOppPos(pose.toCamera(Vector3f(1.0f, 0, 0.5f)), 4, HEAD);
    localise(wm, 1.1, pose, kLeftLine);
    EXPECT_EQ(wm.ballPossession().getID(), 7);

    wm.setServerTime(1.2);
    wm.setRelOppPos(pose.toCamera(Vector3f(0.3f, 0, 0.5f)), 4, HEAD);
    localise(wm, 1.2, pose, kLeftLine);
    EXPECT_EQ(wm.ballPossession().getID(), 4);
}

TEST(Queries, ClosestToBallIgnoresTheGoalieAndStaleTeammates) {
    const Pose pose = Pose::at(-3, 0, 0.5f, 0);
    struct Case {
        int number;
        double seenAt;
        bool meClosest;
    };
    const Case cases[] = {{5, 20.0, false}, {1, 20.0, true}, {5, 5.0, true}};
    for (const Case& c : cases) {
        WorldModel wm;
        wm.setUnum(9);
        wm.setServerTime(c.seenAt);
        wm.setRelOurPos(pose.toCamera(Vector3f(-0.5f, 0, 0.5f)), c.number, HEAD);
        localise(wm, c.seenAt, pose, kLeftLine);
        wm.setServerTime(20.0);
        wm.setRelBallPos(pose.toCamera(Vector3f(0, 0, 0.04f)));
        localise(wm, 20.0, pose, kLeftLine);
        EXPECT_EQ(wm.amIClosestToBall(), c.meClosest) << c.number << " " << c.seenAt;
    }
}

TEST(Queries, KickableBallIsCloseAheadAndNotTowardsTheOwnGoal) {
    struct Case {
        Vector3f me;
        double heading;
        Vector3f ball;
        bool kickable;
    };
    const Case cases[] = {
        {Vector3f(0, 0, 0.5f), 0, Vector3f(0.1f, 0, 0.04f), true},
        {Vector3f(0, 0, 0.5f), 0, Vector3f(0.3f, 0, 0.04f), false},     // too far
        {Vector3f(0, 0, 0.5f), 0, Vector3f(0, 0.15f, 0.04f), false},    // beside
        {Vector3f(0, 0, 0.5f), 180, Vector3f(-0.1f, 0, 0.04f), false},  // towards own goal
        // facing about 180 degrees with the ball just across the -x axis
        {Vector3f(-6.5f, 0, 0.5f), 179.5, Vector3f(-6.6f, -0.001f, 0.04f), true},
    };
    for (const Case& c : cases) {
        const Pose pose = Pose::at(c.me.x(), c.me.y(), c.me.z(), c.heading);
        WorldModel wm;
        wm.setServerTime(1.0);
        wm.setRelBallPos(pose.toCamera(c.ball));
        localise(wm, 1.0, pose, kLeftLine);
        EXPECT_EQ(wm.isBallKickable(), c.kickable) << c.ball.x() << " " << c.ball.y();
        EXPECT_EQ(wm.getBallPos().z(), 0.0f);
    }
}
