// How a fallen robot lies when its camera cannot fix its pose: lying face up it
// looks at the sky and sees no landmark, so the pose of before the fall stays.
#include <gtest/gtest.h>

#include "motion/skills/fall.h"
#include "scene.h"
#include "worldmodel/worldmodel.h"

using salt::Vector3f;
using scene::localise;
using scene::Pose;

namespace {
const std::initializer_list<FlagsID> kLeftLine = {F1L, F2L, G1L, G2L};
const float kG = 9.81f;  // m/s^2

// An upright trunk with the head turned as a head scan leaves it, its pose
// fixed at time t; the feet carry nothing.
void fixUpright(WorldModel& wm, double t) {
    const double yaw = 60, pitch = -30;  // degrees
    wm.setMyJointAngle(HJ1, yaw);
    wm.setMyJointAngle(HJ2, pitch);
    Pose camera = Pose::at(-3, 0, 0.5f, 20);
    camera.rotation.RotateZ(static_cast<float>(salt::gDegToRad(yaw)));
    camera.rotation.RotateY(static_cast<float>(salt::gDegToRad(-pitch)));
    localise(wm, t, camera, kLeftLine);
}

// A later message at time t without landmarks, with an accelerometer reading.
void lieAt(WorldModel& wm, double t, const Vector3f& acc) {
    wm.setServerTime(t);
    wm.setAcc(acc);
    wm.globalize();
}
}  // namespace

TEST(FallDetection, WithoutACurrentFixTheAccelerometerTellsHowTheRobotLies) {
    struct Case {
        const char* what;
        Vector3f acc;  // torso frame, m/s^2
        int type;
    } const cases[] = {
        {"on the back: up is the chest's direction", Vector3f(kG, 0, 0), 1},
        {"on the front", Vector3f(-kG, 0, 0), 4},
        {"on the left side: up is the right", Vector3f(0, -kG, 0), 2},
        {"on the right side", Vector3f(0, kG, 0), 3},
        {"half sitting up from the back", Vector3f(0.7f * kG, 0, 0.7f * kG), 1},
        {"upright", Vector3f(0, 0, kG), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorldModel wm;
        fixUpright(wm, 1.0);
        ASSERT_EQ(wm.feltType(), 0);
        lieAt(wm, 2.0, c.acc);
        EXPECT_EQ(wm.feltType(), c.type);
        EXPECT_EQ(wm.getFeltType(), c.type);
    }
}

// The way of lying goes by the mean of the readings of the last 0.1 s: a limb that
// strikes the ground shoves the torso, and a single reading then points anywhere.
TEST(FallDetection, TheWayOfLyingGoesByTheAccelerometersMeanOverTheLastTenthOfASecond) {
    const Vector3f front(-kG, 0, 0);
    // Read alone, as lying on the left side: up mostly to the right.
    const Vector3f shove(-2, -8, 5);
    struct Case {
        const char* what;
        double earlierFrom;  // seconds before the present reading: the first of four
        Vector3f earlier, now;
        int type;
    } const cases[] = {
        {"lying on the front, a shove now", 0.08, front, shove, 4},
        {"the front read more than 0.1 s ago", 0.2, front, shove, 2},
        {"lying on the front", 0.08, front, front, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorldModel wm;
        fixUpright(wm, 1.0);
        const double now = 3.0;
        for (int i = 0; i < 4; ++i) lieAt(wm, now - c.earlierFrom + 0.02 * i, c.earlier);
        lieAt(wm, now, c.now);
        EXPECT_EQ(wm.feltType(), c.type);
    }
}

// A fix of this message or of the last 0.06 s (vision comes every third cycle)
// decides as before; so does an accelerometer reading that is not current or
// that is not mostly gravity (the robot is being thrown about).
TEST(FallDetection, ACurrentFixOrAnUnusableReadingLeavesTheCameraToDecide) {
    struct Case {
        const char* what;
        double fixAt, now;  // seconds
        bool accNow;        // the reading came with the current message
        Vector3f acc;       // m/s^2
    } const cases[] = {
        {"fixed in this message", 2.0, 2.0, true, Vector3f(kG, 0, 0)},
        {"fixed 0.06 s ago", 1.94, 2.0, true, Vector3f(-kG, 0, 0)},
        {"reading of an earlier message", 1.0, 2.0, false, Vector3f(kG, 0, 0)},
        {"free fall", 1.0, 2.0, true, Vector3f(0.5f, 0, 0)},
        {"a hard knock", 1.0, 2.0, true, Vector3f(30, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorldModel wm;
        fixUpright(wm, c.fixAt);
        if (!c.accNow) wm.setAcc(c.acc);
        wm.setServerTime(c.now);
        if (c.accNow) wm.setAcc(c.acc);
        wm.globalize();
        EXPECT_EQ(wm.feltType(), 0);
    }
}

// A robot set down a little above the ground (a beam) touches nothing for one
// cycle: no foot reading, and its accelerometer reads free fall. It is in the
// air, not lying; only a reading of this message that is near zero says so.
TEST(FallDetection, NoFootLoadedInFreeFallIsNotDown) {
    struct Case {
        const char* what;
        bool accNow;
        Vector3f acc;  // m/s^2
        bool down;
    } const cases[] = {
        {"free fall", true, Vector3f(0.1f, 0, -0.2f), false},
        {"resting on the back", true, Vector3f(kG, 0, 0), true},
        {"standing on something that is not a foot", true, Vector3f(0, 0, kG), true},
        {"free fall read in an earlier message", false, Vector3f(0, 0, 0), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorldModel wm;
        fixUpright(wm, 1.0);
        if (!c.accNow) wm.setAcc(c.acc);
        wm.setServerTime(1.02);
        if (c.accNow) wm.setAcc(c.acc);
        EXPECT_EQ(wm.isFeltDown(), c.down);
    }
    WorldModel old;  // a server without an accelerometer
    fixUpright(old, 1.0);
    EXPECT_TRUE(old.isFeltDown());
}

// Noisy readings of landmarks almost on one line can give a fix tens of degrees
// off. A robot whose feet carry it and whose accelerometer reads gravity along the
// trunk stands, whatever that fix says; any other reading leaves the fix to decide.
TEST(FallDetection, LoadedFeetUnderATrunkTheAccelerometerReadsUprightAreNotDown) {
    struct Case {
        const char* what;
        bool accNow;
        Vector3f acc;  // torso frame, m/s^2
        bool down;
    } const cases[] = {
        {"upright", true, Vector3f(0, 0, kG), false},
        {"leaning 25 degrees", true, Vector3f(0.42f * kG, 0, 0.91f * kG), false},
        {"leaning 40 degrees: the fix decides", true, Vector3f(0.64f * kG, 0, 0.77f * kG), true},
        {"lying on the back", true, Vector3f(kG, 0, 0), true},
        {"sinking into a crouch", true, Vector3f(-0.7f, 0, 25), false},
        {"a hard knock", true, Vector3f(0, 0, 40), true},
        {"upright, read in an earlier message", false, Vector3f(0, 0, kG), true},
    };
    FootRes loaded;
    loaded.force = Vector3f(0, 0, 22);  // newtons: half the robot's weight on each foot
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorldModel wm;
        if (!c.accNow) wm.setAcc(c.acc);
        // The fix has the camera pitched 70 degrees down, the neck straight.
        localise(wm, 1.0, Pose::at(-3, 0, 0.5f, 0, 70), kLeftLine);
        if (c.accNow) wm.setAcc(c.acc);
        wm.setLeftFootForce(loaded);
        wm.setRightFootForce(loaded);
        EXPECT_EQ(wm.isFeltDown(), c.down);
    }
}

// Lying face up, the heels can carry some of the legs' weight; the camera sees the
// sky, so its last fix is the upright one of before the fall. Without a current fix
// the accelerometer says how the centre of mass lies over the loaded feet.
TEST(FallDetection, WithoutACurrentFixTheAccelerometerTellsFallenFromStandingOnLoadedFeet) {
    struct Case {
        const char* what;
        double now;    // seconds; the fix was at 1.0
        Vector3f acc;  // torso frame, m/s^2
        bool down;
    } const cases[] = {
        {"on the back, heels loaded, fixed 1 s ago", 2.0, Vector3f(kG, 0, 0), true},
        {"on the front, toes loaded", 2.0, Vector3f(-kG, 0, 0), true},
        {"leaning 20 degrees, fixed 1 s ago", 2.0, Vector3f(0.34f * kG, 0, 0.94f * kG), false},
        {"on the back, fixed in this message's cycle", 1.0, Vector3f(kG, 0, 0), false},
    };
    FootRes heel;
    heel.force = Vector3f(0, 0, 12);  // newtons
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorldModel wm;
        fixUpright(wm, 1.0);
        wm.setServerTime(c.now);
        wm.setAcc(c.acc);
        wm.setLeftFootForce(heel);
        wm.setRightFootForce(heel);
        EXPECT_EQ(wm.isFeltDown(), c.down);
    }
}

// A noisy fix can tilt a robot lying on its side until it reads as lying on its back.
// Lying still, the accelerometer's gravity tells the side: where both read a way of
// lying and disagree, it decides; while it agrees, or the robot is moving, or the fix
// reads no way of lying, the camera's answer stands.
TEST(FallDetection, AtRestTheAccelerometerOverrulesAFixThatReadsAnotherWayOfLying) {
    struct Case {
        const char* what;
        Vector3f acc;   // torso frame, m/s^2
        Vector3f gyro;  // deg/s
        int type;
    } const cases[] = {
        {"at rest on the left side", Vector3f(0, -kG, 0), Vector3f(0, 0, 0), 2},
        {"at rest on the front", Vector3f(-kG, 0, 0), Vector3f(3, 0, 0), 4},
        {"agreeing", Vector3f(kG, 0, 0), Vector3f(0, 0, 0), 1},
        {"rolling over", Vector3f(0, -kG, 0), Vector3f(90, 0, 0), 1},
        {"shaken", Vector3f(0, -1.5f * kG, 0), Vector3f(0, 0, 0), 1},
        {"between two ways", Vector3f(0.2f * kG, -0.2f * kG, 0.95f * kG), Vector3f(0, 0, 0), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorldModel wm;
        // Face up: the camera's forward axis points at the sky.
        Pose camera = Pose::at(-3, 0, 0.1f, 0);
        camera.rotation.RotateY(static_cast<float>(salt::gDegToRad(-90)));
        localise(wm, 1.0, camera, kLeftLine);
        wm.setGyro(c.gyro);
        wm.setAcc(c.acc);
        EXPECT_EQ(wm.feltType(), c.type);
    }
}

// A walking robot lifts one foot and lands on the other: for a cycle neither may carry
// load, and the designed test reads that as down. The walking robot's reading also asks
// that the accelerometer's mean over 0.1 s tilt the trunk beyond 40 degrees.
TEST(FallDetection, AWalkingRobotIsDownOnlyOnceItsTrunkTilts) {
    const float c30 = 0.866f * kG, s30 = 0.5f * kG, c50 = 0.643f * kG, s50 = 0.766f * kG;
    struct Case {
        const char* what;
        bool accNow;
        Vector3f acc;  // m/s^2, torso frame
        bool designed, walking;
    } const cases[] = {
        {"upright between two steps", true, Vector3f(0, 0, kG), true, false},
        {"leaning 30 degrees forward", true, Vector3f(-s30, 0, c30), true, false},
        {"tilted 50 degrees to the side", true, Vector3f(0, s50, c50), true, true},
        {"lying on the back", true, Vector3f(kG, 0, 0), true, true},
        {"no accelerometer: the designed reading stands", false, Vector3f(0, 0, kG), true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorldModel wm;
        fixUpright(wm, 1.0);
        wm.setServerTime(1.02);
        if (c.accNow) wm.setAcc(c.acc);
        wm.globalize();
        EXPECT_EQ(wm.isFeltDown(), c.designed);
        EXPECT_EQ(skills::downWhileWalking(wm.readings(), wm.bodyFrame()), c.walking);
    }
}
