// bench/trials runs for real on short trials, built in the tests' own build folder: the
// run folder it announces is there afterwards with its lines, and every trial folder it
// keeps holds the trial's replay page and the agents' cycle logs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/agent_process.h"

using halyx_test::AgentProcess;

namespace fs = std::filesystem;

namespace {

const std::string kSource = HALYX_SOURCE_DIR;
const std::string kBuild = HALYX_BINARY_DIR;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The value that follows `key` up to the end of its line in text, "" when absent.
std::string after(const std::string& text, const std::string& key) {
    const std::size_t at = text.find(key);
    if (at == std::string::npos) return "";
    const std::size_t from = at + key.size();
    return text.substr(from, text.find('\n', from) - from);
}

}  // namespace

TEST(TrialsScript, AnnouncedFolderStaysWithItsLinesAndKeptTrialsHaveTheirReplays) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string trial;  // the trial's folder, below the run folder
        bool kept;
    };
    const std::vector<Case> cases = {
        {"a trial that passes", {"guard", "--count", "1", "--seconds", "1"}, "guard-1", false},
        {"every trial with --keep",
         {"guard", "--count", "1", "--seconds", "1", "--keep"},
         "guard-1",
         true},
        {"a trial that fails: motors too weak to get up",
         {"getup", "--count", "1", "--torque", "0.001"},
         "getup-back-1",
         true},
        {"a walking trial of a drill, read from the server's trace",
         {"walk", "--only", "turn-left", "--count", "1", "--keep"},
         "walk-turn-left-1",
         true},
        // The second seed lays the ball ahead of the robot: the kick reaches it, so that
        // what is checked is the reading of its travel (how often a kick reaches the ball
        // is for the trials to measure, not this test).
        {"a kick of a drill, the ball's travel read from the server's trace",
         {"kick", "--count", "1", "--seed", "2", "--keep"},
         "kick-1",
         true},
        {"a short soccer match of two teams of the agent",
         {"soccer", "--count", "1", "--seconds", "5", "--world", "kinematic"},
         "soccer-1",
         false},
    };
    // The build folder relative to the project, as a user may give it.
    const fs::path build = fs::weakly_canonical(kBuild);
    ::setenv("HALYX_BUILD_DIR", fs::relative(build, kSource).c_str(), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AgentProcess trials(kSource + "/bench/trials", c.args, kSource);
        EXPECT_EQ(trials.waitExit(120000), 0) << trials.errors();
        const std::string output = trials.output();
        const std::string building = "trials: building halyx sparring in " + build.string() + "\n";
        ASSERT_EQ(output.rfind(building, 0), 0u) << output;
        const std::string folder = after(output, " folder=");
        ASSERT_EQ(folder.rfind(kSource + "/run/trials-", 0), 0u) << output;
        EXPECT_EQ(readFile(folder + "/trials.txt"), output.substr(building.size()));

        const std::string trial = folder + "/" + c.trial;
        EXPECT_EQ(fs::exists(trial), c.kept);
        EXPECT_EQ(output.find("; kept in " + trial + ")") != std::string::npos, c.kept) << output;
        EXPECT_NE(output.find(std::string("trials: kept ") + (c.kept ? "1" : "0") +
                              " trial folders (each with its replay page) and these lines "
                              "(trials.txt) in " +
                              folder + "\n"),
                  std::string::npos)
            << output;
        if (c.kept) {
            EXPECT_NE(readFile(trial + "/replay.html").find("application/x-halyx-replay"),
                      std::string::npos);
            const std::string unum = c.trial == "guard-1" ? "1" : "2";
            EXPECT_GT(fs::file_size(trial + "/agent-" + unum + ".cycles.log"), 0u);
        }
        if (c.args[0] == "walk") {
            EXPECT_NE(readFile(trial + "/trace.txt").find(" ball 0 "), std::string::npos);
            EXPECT_NE(output.find("trials walk turn-left: median "), std::string::npos) << output;
        }
        if (c.args[0] == "kick") {
            // The ball placed by the scenario left the robot's foot and was measured.
            const std::string line = after(output, "trial 1/1 kick ");
            EXPECT_NE(line.find(" travelled "), std::string::npos) << line;
            EXPECT_EQ(line.find(" travelled - "), std::string::npos) << line;
            EXPECT_NE(output.find("trials kick: median distance "), std::string::npos) << output;
            EXPECT_NE(output.find("stayed up 1/1"), std::string::npos) << output;
        }
        if (c.args[0] == "soccer") {
            // Both teams came and answered; the left one is Halyx, in soccer mode.
            const std::string line = after(output, "trial 1/1 soccer: ");
            EXPECT_EQ(line.rfind("Halyx 0 : 0 Halyx2, falls 0 + 0 (0.000 per robot-minute), "
                                 "longest down - s, untouched ",
                                 0),
                      0u)
                << line;
            EXPECT_NE(line.find(" s, every message answered by all 18 agents (seed 1)"),
                      std::string::npos)
                << line;
            EXPECT_NE(output.find("trials soccer: Halyx against Halyx2 in 1 x 5 s: 0.00 goals "
                                  "scored and 0.00 conceded per match, scored in 0/1"),
                      std::string::npos)
                << output;
            EXPECT_NE(output.find("every message answered in 1/1\n"), std::string::npos) << output;
        }
        fs::remove_all(folder);
    }
    ::unsetenv("HALYX_BUILD_DIR");
}
