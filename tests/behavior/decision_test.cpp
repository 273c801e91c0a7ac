// The whole agent, end to end: the real binary in a working directory of its
// own (keyframe motions and formation), talking to a loopback server that
// plays the simulation server's part.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/agent_process.h"
#include "tests/support/loopback_server.h"

using halyx_test::AgentProcess;
using halyx_test::LoopbackServer;
using halyx_test::TempDir;

namespace {

const char kScene[] = "(scene rsg/agent/nao/nao.rsg)";
// Both feet loaded: with no landmark fix yet this reads as standing.
const char kUpright[] = "(FRP (n lf) (c 0 0 0) (f 0 0 20))(FRP (n rf) (c 0 0 0) (f 0 0 20))";
const char kScan[] = "(he1 -3)(he2 -3)";  // first step towards the scan's first pose
const char kBeam[] = "(beam -5 2 0)";
const char kFormation[] = "unums 3\nhomePosX -5\nhomePosY 2\n";

// Motions that are easy to follow: with the head yaw reported on the
// keyframe's straight line (50 degrees per second of motion time), the guard
// motion sends (he1 1) every cycle and the get-up motion (he1 -1).
const char kGuard[] = "; test guard\nt t hj1\n0 1 50\n";
const char kGetUp[] = "; test get-up\nt t hj1\n0 1 -50\n";
// The get-ups from the front, (he1 -2), and from the left side, (he1 3); the
// one from the right side, (he1 -3), is not played here.
const char kGetUpFront[] = "; test front get-up\nt t hj1\n0 1 -100\n";
const char kGetUpLeft[] = "; test left get-up\nt t hj1\n0 1 150\n";
const char kGetUpRight[] = "; test right get-up\nt t hj1\n0 1 -150\n";

struct V3 {
    double x, y, z;  // metres
};

V3 minus(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

double dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Where the camera stands and which field directions its x, y and z axes point.
struct Camera {
    V3 pos, ax, ay, az;
};

const Camera kStanding = {{-3, 1, 0.5}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
// Lying on its back: looking up, the trunk pointing towards the own goal.
const Camera kOnBack = {{-3, 1, 0.1}, {0, 0, 1}, {0, 1, 0}, {-1, 0, 0}};
// Lying on its front: looking down, the trunk pointing towards the opponents' goal.
const Camera kOnFront = {{-3, 1, 0.1}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}};
// Lying on its left side, facing the opponents' goal.
const Camera kOnLeftSide = {{-3, 1, 0.1}, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}};

// The server's polar reading of a field point: distance, horizontal and
// vertical angle in degrees, in the camera frame.
std::string pol(const Camera& camera, V3 point) {
    const V3 d = minus(point, camera.pos);
    const double x = dot(d, camera.ax), y = dot(d, camera.ay), z = dot(d, camera.az);
    const double distance = std::sqrt(x * x + y * y + z * z);
    const double toDeg = 180.0 / M_PI;
    std::ostringstream out;
    out << "(pol " << distance << " " << std::atan2(y, x) * toDeg << " "
        << std::asin(z / distance) * toDeg << ")";
    return out.str();
}

// Vision of both corner flags and one post of the own goal line, and the ball.
std::string see(const Camera& camera, bool ball) {
    std::string text = "(See (F1L " + pol(camera, {-6, 4, 0}) + ")(F2L " +
                       pol(camera, {-6, -4, 0}) + ")(G1L " + pol(camera, {-6, 0.7, 0.8}) + ")";
    if (ball) text += "(B " + pol(camera, {-2, 1, 0.04}) + ")";
    return text + ")";
}

std::string headYaw(double degrees) {
    std::ostringstream out;
    out << "(HJ (n hj1) (ax " << degrees << "))";
    return out.str();
}

std::string message(double now, const std::string& playMode, const std::string& rest = kUpright) {
    std::ostringstream out;
    out << "(time (now " << now << "))(GS (unum 0) (team left) (t 0.00) (pm " << playMode << "))"
        << rest;
    return out.str();
}

// The all-stop command: zero speed for the 22 joints in joint order.
std::string allStop() {
    std::string all;
    for (const char* name :
         {"he1",  "he2",  "lle1", "rle1", "lle2", "rle2", "lle3", "rle3", "lle4", "rle4", "lle5",
          "rle5", "lle6", "rle6", "lae1", "rae1", "lae2", "rae2", "lae3", "rae3", "lae4", "rae4"}) {
        all += std::string("(") + name + " 0)";
    }
    return all;
}

// One server message, the reply expected and the line the agent writes.
struct Step {
    std::string message;
    std::string reply;
    std::string line;
};

// Four cycles of a goalkeeper guarding upright, from server time `now` on.
void appendGuarding(std::vector<Step>& steps, double& now) {
    for (int k = 0; k < 4; ++k, now += 0.02) {
        steps.push_back({message(now, "PlayOn", kUpright + headYaw(k)), "(he1 1)", "0  0"});
    }
}

// Four cycles lying as the camera shows, no weight on the feet, from server time
// `now` on: the first cycle of a fall, then a get-up that sends `reply` every
// cycle while the head yaw is reported on its straight line (`step` degrees a
// cycle).
void appendLying(std::vector<Step>& steps, double& now, const Camera& camera, double step,
                 const std::string& reply) {
    for (int k = 0; k < 4; ++k, now += 0.02) {
        steps.push_back({message(now, "PlayOn", see(camera, true) + headYaw(step * k)), reply,
                         k == 0 ? "1  0" : "1  1"});
    }
}

// The agent in a temporary working directory, connected and announced.
class Decision : public ::testing::Test {
protected:
    // ownGetUps: the team folder has the get-ups from the front and the sides; options
    // go to the agent after its port and number.
    void start(int unum, const std::string& formation = kFormation, bool ownGetUps = false,
               const std::vector<std::string>& options = {}) {
        dir.write("Acts/guard.txt", kGuard);
        dir.write("Acts/getUp.txt", kGetUp);
        dir.write("Acts/walk.txt", "");
        if (ownGetUps) {
            dir.write("Acts/getUpFront.txt", kGetUpFront);
            dir.write("Acts/getUpLeft.txt", kGetUpLeft);
            dir.write("Acts/getUpRight.txt", kGetUpRight);
        }
        dir.write("formation.conf", formation);
        std::vector<std::string> args = {"--port", std::to_string(server.port()), "--unum",
                                         std::to_string(unum)};
        args.insert(args.end(), options.begin(), options.end());
        agent = std::make_unique<AgentProcess>(HALYX_BIN, args, dir.path());
        ASSERT_TRUE(server.accept());
        ASSERT_EQ(server.receiveFrame(), kScene);
    }

    // Sends the first message, which must be answered with the init command.
    void announce(int unum, const std::string& first = "") {
        server.sendFrame(first);
        ASSERT_EQ(server.receiveFrame(),
                  "(init (unum " + std::to_string(unum) + ")(teamname QEL))");
        mSeen = agent->output().size();
    }

    void play(const std::vector<Step>& steps) {
        for (size_t i = 0; i < steps.size(); ++i) {
            SCOPED_TRACE("step " + std::to_string(i) + ": " + steps[i].message);
            server.sendFrame(steps[i].message);
            EXPECT_EQ(server.receiveFrame(), steps[i].reply);
            EXPECT_EQ(newOutput(), steps[i].line + "\n");
        }
    }

    // The goalkeeper guards upright, then falls as the camera shows and gets
    // up with a motion that sends `reply` (see appendLying).
    void guardThenFall(bool ownGetUps, const Camera& lying, double step, const std::string& reply) {
        start(1, kFormation, ownGetUps);
        announce(1);
        std::vector<Step> steps;
        double now = 30;
        appendGuarding(steps, now);
        appendLying(steps, now, lying, step, reply);
        play(steps);
    }

    // Every match ends the same way: the server closes, the agent ends
    // quietly (nothing on standard error, no sanitizer report).
    void TearDown() override {
        if (!agent) return;
        server.closeClient();
        EXPECT_EQ(agent->waitExit(), 0);
        EXPECT_EQ(agent->errors(), "");
    }

    // Starts the agent with a --log file, plays the steps and ends the match; the
    // lines of the log file come back.
    std::vector<std::string> playLogged(int unum, const std::vector<Step>& steps) {
        const std::string log = dir.path() + "/cycles.log";
        start(unum, kFormation, false, {"--log", log});
        announce(unum);
        play(steps);
        server.closeClient();
        EXPECT_EQ(agent->waitExit(), 0);
        std::ifstream in(log);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    // What the agent wrote to standard output since the last call.
    std::string newOutput() {
        const std::string all = agent->output();
        const std::string fresh = all.substr(mSeen);
        mSeen = all.size();
        return fresh;
    }

    TempDir dir;
    LoopbackServer server;
    std::unique_ptr<AgentProcess> agent;
    size_t mSeen = 0;
};

}  // namespace

TEST_F(Decision, FirstMessageIsAnsweredWithInitAndNotRead) {
    start(3);
    // Read, this message would leave the game in play and no beam window open.
    announce(3, message(20, "PlayOn", see(kStanding, true)));
    play({{"(time (now 20.02))" + std::string(kUpright), "", std::string(kBeam) + "3"}});
}

TEST_F(Decision, BeamWindowOpensAtEveryGameStopAndNeverInPlay) {
    start(3);
    announce(3);
    const std::string beamLine = std::string(kBeam) + "3";
    play({
        {message(10.0, "BeforeKickOff"), "", beamLine},
        {message(10.48, "BeforeKickOff"), "", beamLine},
        {message(10.5, "BeforeKickOff"), kBeam, beamLine},
        {message(10.98, "BeforeKickOff"), kBeam, beamLine},
        {message(11.0, "BeforeKickOff"), kScan, "0  0"},
        {message(11.25, "PlayOn"), kScan, "0  0"},
        {message(11.5, "PlayOn"), kScan, "0  0"},
        {message(12.0, "Goal_Left"), "", beamLine},
        {message(12.5, "Goal_Left"), kBeam, beamLine},
        {message(13.0, "Goal_Left"), kScan, "0  0"},
        {message(13.5, "Goal_Right"), "", beamLine},
    });
}

TEST_F(Decision, WithoutFormationEntryTheBeamWindowStaysSilent) {
    start(4);
    announce(4);
    play({
        {message(10.0, "BeforeKickOff"), "", "4"},
        {message(10.5, "BeforeKickOff"), "", "4"},
        {message(10.98, "BeforeKickOff"), "", "4"},
        {message(11.0, "BeforeKickOff"), kScan, "0  0"},
    });
}

// No weight on the feet and the camera looking up: the get-up motion takes
// over from the guard, and keeps the goalkeeper busy.
TEST_F(Decision, GoalkeeperGuardsUprightAndGetsUpFromItsBack) {
    guardThenFall(false, kOnBack, -1, "(he1 -1)");
}

// A fall onto the front ends the guard and starts the front get-up; without
// that motion in the team folder the goalkeeper waits as before, with the
// all-stop, for the guard to give the engine back.
TEST_F(Decision, GoalkeeperFallenOnItsFrontGetsUpWithTheFrontMotion) {
    guardThenFall(true, kOnFront, -2, "(he1 -2)");
}

TEST_F(Decision, WithoutAFrontGetUpAGoalkeeperOnItsFrontWaitsForTheGuard) {
    start(1);
    announce(1);
    std::vector<Step> steps;
    double now = 30;
    steps.push_back({message(now, "PlayOn", kUpright), "(he1 1)", "0  0"});
    for (int k = 0; k < 3; ++k) {
        now += 0.02;
        steps.push_back({message(now, "PlayOn", see(kOnFront, true)), allStop(), "1  0"});
    }
    play(steps);
}

TEST_F(Decision, FieldPlayerFallenOnItsSideDuringTheHeadScanGetsUp) {
    start(5, kFormation, true);
    announce(5);
    std::vector<Step> steps = {{message(40.0, "PlayOn"), kScan, "0  0"}};
    double now = 40.02;
    appendLying(steps, now, kOnLeftSide, 3, "(he1 3)");
    play(steps);
}

TEST_F(Decision, FieldPlayerScansUntilLandmarksAndBallAreInView) {
    start(5);
    announce(5);
    const std::string flags = kUpright + see(kStanding, false);
    const std::string flagsAndBall = kUpright + see(kStanding, true);
    play({
        {message(40.0, "PlayOn"), kScan, "0  0"},
        // The scan holds on with landmarks in view until it sees the ball too.
        {message(40.02, "PlayOn", flags), kScan, "0  0"},
        {message(40.04, "PlayOn", flagsAndBall), "(he1 0)(he2 0)", "0  0"},
        {message(40.06, "PlayOn", flagsAndBall), "", "0  0"},
        {message(40.08, "PlayOn", flags), "", "0  0"},
        {message(40.20, "PlayOn"), kScan, "0  0"},
    });
}

TEST_F(Decision, FieldPlayerStandsStillBeforeKickOff) {
    start(5);
    announce(5);
    const std::string flagsAndBall = kUpright + see(kStanding, true);
    play({
        {message(10.0, "BeforeKickOff", flagsAndBall), "", "5"},
        {message(11.0, "BeforeKickOff", flagsAndBall), allStop(), "0  0"},
        {message(11.02, "BeforeKickOff", flagsAndBall), allStop(), "0  0"},
    });
}

TEST_F(Decision, FormationIsTracedAtStartUp) {
    start(2, "# two players\nid 0\nunums 2 3\nhomePosX -4 -1.5\nhomePosY 1 0.25\n");
    EXPECT_EQ(agent->output(),
              "0 0\n"
              "2 1\no2\n3 1\no3\n"
              "-4 1\nAS\n-1.5 1\nAS\n"
              "1 1\n0.25 1\n");
    announce(2);
    play({{message(10.0, "BeforeKickOff"), "", "(beam -4 1 0)2"}});
}

// The --log file: one line per message, the first one's included, that tells the clock,
// the play mode, the camera's pose once landmarks have fixed it, the ball once seen, the
// motion engine's activity, the fall test and the decision; standard output and the
// replies stay as they are without it (the steps check both).
TEST_F(Decision, LogFileTellsEachCycleOfAFieldPlayer) {
    const std::string flagsAndBall = kUpright + see(kStanding, true);
    const std::string beamLine = std::string(kBeam) + "3";
    const std::vector<std::string> lines = playLogged(
        3, {
               {message(10.0, "BeforeKickOff"), "", beamLine},
               {message(11.0, "BeforeKickOff", flagsAndBall), allStop(), "0  0"},
               {message(11.2, "PlayOn"), kScan, "0  0"},
               {message(11.22, "PlayOn", see(kOnBack, true) + headYaw(0)), "(he1 -1)", "1  0"},
           });
    const std::vector<std::string> expected = {
        "t=0.00 pm=BeforeKickOff x=- y=- heading=- ball=- act=none down=0 do=init",
        "t=10.00 pm=BeforeKickOff x=- y=- heading=- ball=- act=none down=0 do=beam",
        "t=11.00 pm=BeforeKickOff x=-3.00 y=1.00 heading=0.0 ball=-2.00,1.00 act=none down=0 "
        "do=stop",
        "t=11.20 pm=PlayOn x=-3.00 y=1.00 heading=0.0 ball=-2.00,1.00 act=head-scan down=0 "
        "do=scan",
        "t=11.22 pm=PlayOn x=-3.00 y=1.00 heading=0.0 ball=-2.00,1.00 act=getup down=1 do=getup",
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(Decision, LogFileTellsTheGoalkeepersGuard) {
    std::vector<Step> steps;
    double now = 30;
    appendGuarding(steps, now);
    const std::vector<std::string> lines = playLogged(1, steps);
    ASSERT_EQ(lines.size(), 1 + steps.size());
    for (size_t i = 1; i < lines.size(); ++i) {
        EXPECT_NE(lines[i].find(" pm=PlayOn "), std::string::npos) << lines[i];
        EXPECT_NE(lines[i].find(" act=guard down=0 do=guard"), std::string::npos) << lines[i];
    }
}
