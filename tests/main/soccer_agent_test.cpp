// The agent with --soccer, talking to a scripted server over loopback: it beams only where
// a server obeys a beam, speaks in its turn in the league's limits, and reads what it hears
// without trusting another team's messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "behavior/team_message.h"
#include "tests/support/agent_process.h"
#include "tests/support/loopback_server.h"

using halyx_test::AgentProcess;
using halyx_test::LoopbackServer;
using halyx_test::TempDir;

namespace {

const char kScene[] = "(scene rsg/agent/nao/nao.rsg)";

// A standing field player's body readings.
const char kFeet[] = "(FRP (n lf) (c 0 0 0) (f 0 0 20))(FRP (n rf) (c 0 0 0) (f 0 0 20))";

std::string message(double now, const char* playMode, const std::string& extra = "") {
    char head[128];
    std::snprintf(head, sizeof head, "(time (now %.2f))(GS (t %.2f) (pm %s))", now, now, playMode);
    return head + std::string(kFeet) + extra;
}

// The agent's replies to the init exchange and then to one message per entry.
std::vector<std::string> replies(const std::vector<std::string>& args,
                                 const std::vector<std::string>& messages, std::string* errors) {
    LoopbackServer server;
    std::vector<std::string> all = {"--port", std::to_string(server.port()), "--unum", "9"};
    all.insert(all.end(), args.begin(), args.end());
    AgentProcess agent(HALYX_BIN, all, std::string(HALYX_SOURCE_DIR) + "/team");
    std::vector<std::string> out;
    if (!server.accept()) return out;
    EXPECT_EQ(server.receiveFrame(), kScene);
    server.sendFrame("");
    server.receiveFrame();
    server.sendFrame("(time (now 0.50))(GS (t 0.00) (pm BeforeKickOff) (unum 9) (team left))");
    server.receiveFrame();
    for (const std::string& m : messages) {
        server.sendFrame(m);
        out.push_back(server.receiveFrame());
    }
    server.closeClient();
    EXPECT_EQ(agent.waitExit(), 0);
    if (errors != nullptr) *errors = agent.errors();
    return out;
}

int count(const std::vector<std::string>& frames, const std::string& what) {
    int n = 0;
    for (const std::string& f : frames) n += f.find(what) != std::string::npos ? 1 : 0;
    return n;
}

}  // namespace

// The designed agent takes a corner's name for BeforeKickOff and opens a beam window when
// play turns to it; a soccer player plays on instead.
TEST(SoccerAgent, BeamsOnlyInThePlayModesAServerObeysABeamIn) {
    std::vector<std::string> corner;
    for (int i = 0; i < 5; ++i) corner.push_back(message(9 + 0.02 * i, "PlayOn"));
    for (int i = 0; i < 60; ++i) corner.push_back(message(10 + 0.02 * i, "corner_kick_left"));
    EXPECT_GT(count(replies({}, corner, nullptr), "(beam "), 0);
    EXPECT_EQ(count(replies({"--soccer"}, corner, nullptr), "(beam "), 0);
    std::vector<std::string> before;
    for (int i = 0; i < 60; ++i) before.push_back(message(1 + 0.02 * i, "BeforeKickOff"));
    EXPECT_GT(count(replies({"--soccer"}, before, nullptr), "(beam "), 0);
}

// Over 22 cycles (eleven turns of two) the player speaks once, a message its team reads;
// heard messages of another team, garbled ones and oversized ones change nothing of that
// and crash nothing.
TEST(SoccerAgent, SpeaksOnceInItsTurnAndHearsWithoutTrustingStrangers) {
    TeamMessage quicker;
    quicker.unum = 8;
    quicker.ballSeen = true;
    const std::string theirs = encodeTeamMessage(quicker, "Other");
    std::vector<std::string> play;
    for (int i = 0; i < 22; ++i) {
        play.push_back(message(20 + 0.02 * i, "PlayOn",
                               "(hear Other 19.98 -20 " + theirs + ")(hear Halyx 19.98 15 *A)" +
                                   "(hear Halyx 19.98 15 " + std::string(300, 'x') + ")"));
    }
    std::string errors;
    const std::vector<std::string> frames = replies({"--soccer", "--team", "Halyx"}, play, &errors);
    ASSERT_EQ(frames.size(), play.size());
    std::vector<std::string> said;
    for (const std::string& f : frames) {
        const std::size_t at = f.find("(say ");
        if (at == std::string::npos) continue;
        said.push_back(f.substr(at + 5, f.find(')', at) - at - 5));
    }
    ASSERT_EQ(said.size(), 1u);
    EXPECT_LE(said[0].size(), 20u);
    const std::optional<TeamMessage> m = decodeTeamMessage(said[0], "Halyx");
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->unum, 9);
}

TEST(SoccerAgent, SoccerAndADrillTogetherAreRefusedBeforeConnecting) {
    LoopbackServer server;
    TempDir dir;
    const std::string drill = dir.write("drill.txt", "0 stop\n");
    AgentProcess agent(HALYX_BIN,
                       {"--port", std::to_string(server.port()), "--soccer", "--drill", drill},
                       dir.path());
    EXPECT_EQ(agent.waitExit(), 1);
    EXPECT_EQ(agent.errors(), "halyx: --soccer and --drill cannot be used together\n");
    EXPECT_FALSE(server.accept(300));
}

// A goal stops a walking robot where it is: the joints are held (every speed 0) while it
// waits for its beam, rather than left at the speeds of the stride it was in.
TEST(SoccerAgent, AGoalHoldsTheWalkingRobotsJointsUntilItBeams) {
    std::vector<std::string> game;
    for (int i = 0; i < 10; ++i) game.push_back(message(5 + 0.02 * i, "PlayOn"));
    for (int i = 0; i < 40; ++i) game.push_back(message(6 + 0.02 * i, "Goal_Left"));
    const std::vector<std::string> frames = replies({"--soccer"}, game, nullptr);
    ASSERT_EQ(frames.size(), game.size());
    const std::string& hold = frames[10];
    ASSERT_FALSE(hold.empty());
    std::size_t commands = 0;
    for (std::size_t at = hold.find('('); at != std::string::npos; at = hold.find('(', at + 1)) {
        ++commands;
        EXPECT_EQ(hold.substr(hold.find(' ', at), 3), " 0)") << hold;
    }
    EXPECT_GE(commands, 22u);
    EXPECT_EQ(frames[11], "");  // held: nothing more until the beam
    EXPECT_EQ(frames.back().rfind("(beam ", 0), 0u) << frames.back();
}

// A goal while the robot gets up: the beam will stand it up where it is put, so the get-up
// ends in the beam window and is not played on once the robot stands (played on, it threw
// beamed robots down again).
TEST(SoccerAgent, ABeamEndsTheGetUpInProgress) {
    // A cycle lying (no weight on the feet, gravity along the torso's x axis) or upright.
    auto cycle = [](double now, const char* playMode, bool down) {
        if (!down) return message(now, playMode, "(ACC (n torso) (a 0 0 9.81))");
        const std::string m = message(now, playMode);
        return m.substr(0, m.find("(FRP")) + "(ACC (n torso) (a 9.81 0 0))";
    };
    std::vector<std::string> game;
    for (int i = 0; i < 30; ++i) game.push_back(cycle(5 + 0.02 * i, "PlayOn", true));
    // Beamed halfway into the window: upright from then on.
    for (int i = 0; i < 80; ++i) game.push_back(cycle(6 + 0.02 * i, "Goal_Left", i < 25));
    TempDir dir;
    const std::string log = dir.path() + "/cycles.log";
    replies({"--soccer", "--log", log}, game, nullptr);
    std::ifstream in(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_GE(lines.size(), game.size());
    auto field = [](const std::string& line, const std::string& name) {
        const std::size_t at = line.find(" " + name + "=");
        return at == std::string::npos ? std::string()
                                       : line.substr(at + name.size() + 2,
                                                     line.find(' ', at + 1) - at - name.size() - 2);
    };
    const std::string& fallen = lines[lines.size() - 81];  // the last cycle of PlayOn
    EXPECT_EQ(field(fallen, "act").rfind("getup", 0), 0u) << fallen;
    for (std::size_t i = lines.size() - 30; i < lines.size(); ++i) {
        EXPECT_EQ(field(lines[i], "act").find("getup"), std::string::npos) << lines[i];
        EXPECT_EQ(field(lines[i], "down"), "0") << lines[i];
    }
}
