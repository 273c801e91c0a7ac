// The skills laboratory as its users run it: one evaluation per process, repeatable from
// its seed, and a tiny tuning through GNU parallel on this machine (the ssh login ":").
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "motion/skills/walk.h"
#include "tests/support/agent_process.h"

using halyx_test::AgentProcess;
using halyx_test::TempDir;

namespace {

const std::string kSource = HALYX_SOURCE_DIR;

std::string withoutCpu(const std::string& line) {
    return std::regex_replace(line, std::regex(" cpu_s [0-9.]+"), "");
}

std::vector<std::string> lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

}  // namespace

TEST(SkillsLab, AnEvaluationIsOneLineThatItsSeedRepeats) {
    auto evaluate = [](const std::string& seed) {
        AgentProcess p(SKILLS_LAB_BIN,
                       {"evaluate", "--task", "sprint", "--seed", seed, "--time-scale", "0.1"},
                       kSource);
        EXPECT_EQ(p.waitExit(60000), 0) << p.errors();
        return p.output();
    };
    const std::string first = evaluate("4"), again = evaluate("4"), other = evaluate("5");
    EXPECT_TRUE(std::regex_match(first, std::regex("score -?[0-9.]+ .* sim_s [0-9.]+ cpu_s "
                                                   "[0-9.]+\n")))
        << first;
    EXPECT_EQ(withoutCpu(first), withoutCpu(again));
    // Another seed draws other constants of the world.
    const std::regex torque(".* torque ([0-9.]+) .*\n");
    std::smatch a, b;
    ASSERT_TRUE(std::regex_match(first, a, torque));
    ASSERT_TRUE(std::regex_match(other, b, torque));
    EXPECT_NE(a[1].str(), b[1].str());
}

TEST(SkillsLab, MistakesAreNamed) {
    TempDir dir;
    const std::string ranges = dir.write("ranges", "stepDuration 0.2 0.4\nnoSuchThing 0 1\n");
    const std::string empty = dir.write("empty", "# nothing\nstepDuration 0.4 0.2\n");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"evaluate", "--task", "sprint", "--seed", "x"}, 2, "--seed takes a number, not 'x'"},
        {{"evaluate", "--task", "dance"}, 1, "unknown task 'dance'"},
        {{"evaluate", "--task", "turn", "--set", "stepDuration"}, 2, "--set takes NAME=VALUE"},
        {{"walk", "--sideways", "1"}, 2, "unknown option '--sideways'"},
        {{"tune", "--ranges", ranges, "--out", dir.path() + "/o", "--log", dir.path() + "/l"},
         1,
         ranges + ":2: no walk parameter is named 'noSuchThing'"},
        {{"tune", "--ranges", empty, "--out", dir.path() + "/o", "--log", dir.path() + "/l"},
         1,
         empty + ":2: empty range 0.4..0.2 for stepDuration"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        AgentProcess p(SKILLS_LAB_BIN, c.args, kSource);
        EXPECT_EQ(p.waitExit(30000), c.status);
        EXPECT_NE(p.errors().find("skills_lab: " + c.message), std::string::npos) << p.errors();
    }
}

// Two generations of three candidates, each one short evaluation, through GNU parallel
// with this machine as its only login: the best parameters come back as a file the walk
// reads, the untuned values those of the start file, and the log has both generations.
TEST(SkillsLab, ATinyTuningThroughGnuParallel) {
    TempDir dir;
    const std::string logins = dir.write("logins", ":\n");
    const std::string ranges = dir.write("ranges", "stepDuration 0.2 0.4\nmaxForward 0.2 0.6\n");
    const std::string start = dir.write("start.conf", "stepHeight 0.03\nmaxForward 0.3\n");
    const std::string out = dir.path() + "/best.conf", log = dir.path() + "/tune.log";
    AgentProcess p(SKILLS_LAB_BIN,
                   {"tune",
                    "--ranges",
                    ranges,
                    "--start",
                    start,
                    "--out",
                    out,
                    "--log",
                    log,
                    "--task",
                    "sprint",
                    "--time-scale",
                    "0.1",
                    "--generations",
                    "2",
                    "--population",
                    "3",
                    "--repeats",
                    "1",
                    "--parallel",
                    "--sshloginfile",
                    logins},
                   dir.path());
    ASSERT_EQ(p.waitExit(240000), 0) << p.errors();
    EXPECT_NE(p.output().find("evaluations 6"), std::string::npos) << p.output();

    const skills::WalkParameters best = skills::readWalkParameters(out);
    EXPECT_GE(best.get("stepDuration"), 0.2);
    EXPECT_LE(best.get("stepDuration"), 0.4);
    EXPECT_GE(best.get("maxForward"), 0.2);
    EXPECT_LE(best.get("maxForward"), 0.6);
    EXPECT_DOUBLE_EQ(best.get("stepHeight"), 0.03);
    EXPECT_DOUBLE_EQ(best.get("footSpread"), skills::WalkParameters().get("footSpread"));
    EXPECT_NO_THROW(skills::readWalkParameters(out + ".mean"));

    std::vector<std::string> generations;
    for (const std::string& line : lines(log))
        if (!line.empty() && line[0] != '#') generations.push_back(line);
    ASSERT_EQ(generations.size(), 2u);
    // generation evaluations best mean sigma sim_s cpu_s wall_s
    const std::regex row("([0-9]+) ([0-9]+) (-?[0-9.e+-]+ ){3}([0-9.e+]+) ([0-9.e+-]+) [0-9.e+-]+");
    std::smatch m;
    for (int g = 0; g < 2; ++g) {
        ASSERT_TRUE(std::regex_match(generations[g], m, row)) << generations[g];
        EXPECT_EQ(m[1].str(), std::to_string(g + 1));
        EXPECT_EQ(m[2].str(), std::to_string(3 * (g + 1)));
        EXPECT_GT(std::stod(m[4].str()), 0.5 * (g + 1)) << "simulated seconds";
    }
}
