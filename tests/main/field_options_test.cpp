// The agent's --field and --formation options, on the real binary against a loopback
// server: the field decides where the landmarks stand, the formation file where the
// robot beams to, and a field that does not exist is refused before connecting.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/agent_process.h"
#include "tests/support/loopback_server.h"

using halyx_test::AgentProcess;
using halyx_test::LoopbackServer;
using halyx_test::TempDir;

namespace {

// What the camera at (-3, -6.5, 0.5), level and facing +x, sees of the far goal line of
// the 30 x 20 field.
const char kLeagueGoalLine[] =
    "(See (F1R (pol 24.42 42.51 -1.17)) (F2R (pol 18.34 -11.00 -1.56)) "
    "(G1R (pol 19.52 22.76 0.88)) (G2R (pol 18.81 16.85 0.91)))";

std::string message(double now, const std::string& rest = "") {
    char time[64];
    std::snprintf(time, sizeof time, "(time (now %.2f))", now);
    return time + std::string("(GS (unum 11) (team left) (t 0.00) (pm BeforeKickOff))") + rest;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Plays `count` messages after the first against the agent; returns its replies.
std::vector<std::string> play(LoopbackServer& server, int count, const std::string& rest = "") {
    std::vector<std::string> replies;
    EXPECT_TRUE(server.accept());
    server.receiveFrame();  // the scene
    server.sendFrame("(time (now 0.00))");
    server.receiveFrame();  // the init
    for (int cycle = 1; cycle <= count; ++cycle) {
        server.sendFrame(message(0.02 * cycle, rest));
        replies.push_back(server.receiveFrame());
    }
    server.closeClient();
    return replies;
}

}  // namespace

// The same sightings put the camera where the chosen field's landmarks say: on the
// league's field where it stands, on the design's 12 x 8 field 9 m further back.
TEST(FieldOptions, FieldDecidesWhereTheLandmarksStand) {
    struct Case {
        std::vector<std::string> options;
        double x, y;  // metres
    };
    const Case cases[] = {
        {{"--field", "30x20"}, -3, -6.5},
        {{}, -12, -6.5},
        {{"--field", "12x8"}, -12, -6.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.empty() ? "default" : c.options[1]);
        TempDir dir;
        LoopbackServer server;
        std::vector<std::string> args = {"--port", std::to_string(server.port()), "--unum", "11",
                                         "--log",  dir.path() + "/cycles.log"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        AgentProcess agent(HALYX_BIN, args, dir.path());
        play(server, 1, kLeagueGoalLine);
        EXPECT_EQ(agent.waitExit(), 0) << agent.errors();
        const std::string log = readFile(dir.path() + "/cycles.log");
        double x = 99, y = 99, heading = 99;
        const auto at = log.find("t=0.02 ");
        ASSERT_NE(at, std::string::npos) << log;
        ASSERT_EQ(std::sscanf(log.c_str() + at, "t=0.02 pm=BeforeKickOff x=%lf y=%lf heading=%lf",
                              &x, &y, &heading),
                  3)
            << log;
        // Readings of two decimals at 20 m: about a centimetre and a tenth of a degree.
        EXPECT_NEAR(x, c.x, 0.02) << log;
        EXPECT_NEAR(y, c.y, 0.02) << log;
        EXPECT_NEAR(heading, 0, 0.2) << log;
    }
}

// Number 11 beams to the spot of the formation file that --formation names, and the
// default file of the folder is not read.
TEST(FieldOptions, FormationOptionNamesTheFileToBeamFrom) {
    TempDir dir;
    dir.write("formation.conf", "unums 11\nhomePosX -1\nhomePosY 1\n");
    dir.write("league.conf", "unums 10 11\nhomePosX -3.5 -3\nhomePosY 0 -6.5\n");
    LoopbackServer server;
    AgentProcess agent(HALYX_BIN,
                       {"--port", std::to_string(server.port()), "--unum", "11", "--field", "30x20",
                        "--formation", "league.conf"},
                       dir.path());
    const std::vector<std::string> replies = play(server, 40);
    EXPECT_EQ(agent.waitExit(), 0);
    int beams = 0;
    for (const std::string& reply : replies) {
        EXPECT_EQ(reply.find("(beam -1 1 0)"), std::string::npos);
        if (reply.find("(beam -3 -6.5 0)") != std::string::npos) ++beams;
    }
    EXPECT_GT(beams, 0);
    EXPECT_EQ(agent.errors().find("formation"), std::string::npos) << agent.errors();
    EXPECT_EQ(agent.errors().find("league.conf"), std::string::npos) << agent.errors();
    // A formation file that is missing is named as given.
    LoopbackServer other;
    AgentProcess without(HALYX_BIN,
                         {"--port", std::to_string(other.port()), "--formation", "nothere.conf"},
                         dir.path());
    play(other, 1);
    EXPECT_EQ(without.waitExit(), 0);
    EXPECT_NE(without.errors().find("halyx: cannot read nothere.conf in "), std::string::npos)
        << without.errors();
}

// Two teams of this agent meet under names of their own.
TEST(FieldOptions, TeamNameGoesIntoTheInitMessage) {
    for (const std::string name : {"QEL", "halyx-B", "ABCDEFGHIJ_KLMNOPQRS"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        LoopbackServer server;
        std::vector<std::string> args = {"--port", std::to_string(server.port())};
        if (name != "QEL") args.insert(args.end(), {"--team", name});
        AgentProcess agent(HALYX_BIN, args, dir.path());
        ASSERT_TRUE(server.accept());
        server.receiveFrame();  // the scene
        server.sendFrame("(time (now 0.00))");
        EXPECT_EQ(server.receiveFrame(), "(init (unum 1)(teamname " + name + "))");
        server.closeClient();
        EXPECT_EQ(agent.waitExit(), 0);
    }
}

TEST(FieldOptions, UnknownFieldOrMissingValueEndsBeforeConnecting) {
    struct Case {
        std::vector<std::string> args;
        const char* error;
    };
    const Case cases[] = {
        {{"--field", "20x30"}, "halyx: --field: \"20x30\" is not 12x8 or 30x20\n"},
        {{"--field", ""}, "halyx: --field: \"\" is not 12x8 or 30x20\n"},
        {{"--field"}, "halyx: option --field needs a value\n"},
        {{"--formation"}, "halyx: option --formation needs a value\n"},
        {{"--team", "My Team"},
         "halyx: --team: \"My Team\" is not 1 to 20 letters, digits, '_' or '-'\n"},
        {{"--team", "a(b)"},
         "halyx: --team: \"a(b)\" is not 1 to 20 letters, digits, '_' or '-'\n"},
        {{"--team", "ABCDEFGHIJKLMNOPQRSTU"},
         "halyx: --team: \"ABCDEFGHIJKLMNOPQRSTU\" is not 1 to 20 letters, digits, '_' or '-'\n"},
        {{"--team"}, "halyx: option --team needs a value\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        TempDir dir;
        LoopbackServer server;
        std::vector<std::string> args = {"--port", std::to_string(server.port())};
        args.insert(args.end(), c.args.begin(), c.args.end());
        AgentProcess agent(HALYX_BIN, args, dir.path());
        EXPECT_EQ(agent.waitExit(), 1);
        EXPECT_EQ(agent.errors(), c.error);
        EXPECT_FALSE(server.accept(300));
    }
}
