// The get-up laboratory run for real: its --help explains every column of the trace
// that `run` prints, a command line without a command points to it, the robot lies as
// --pose and --roll ask, and --beside lays another robot on the side it names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/agent_process.h"

using halyx_test::AgentProcess;

namespace {

const std::string kSource = HALYX_SOURCE_DIR;

// The words that name the columns of one trace line: those that are no number.
std::set<std::string> labels(const std::string& line) {
    std::set<std::string> words;
    std::istringstream in(line);
    const std::regex word("[A-Za-z()]+");
    for (std::string token; in >> token;) {
        if (std::regex_match(token, word)) words.insert(token);
    }
    return words;
}

// The words that the help's legend explains: on each line of the legend (two spaces, the
// names, then two spaces or more before the explanation), the names before the gap.
std::set<std::string> explained(const std::string& help) {
    std::set<std::string> words;
    std::istringstream in(help.substr(help.find("A trace line of run")));
    const std::regex entry("  ([^ ].*?)(  .*)?");
    std::smatch m;
    for (std::string line; std::getline(in, line) && line.rfind("The outcome", 0) != 0;) {
        if (!std::regex_match(line, m, entry)) continue;
        std::istringstream names(m[1].str());
        for (std::string name; names >> name;) {
            if (name.back() == ',') name.pop_back();
            words.insert(name);
        }
    }
    return words;
}

}  // namespace

TEST(GetUpLab, HelpExplainsEveryColumnOfTheTrace) {
    AgentProcess run(GETUP_LAB_BIN,
                     {"run", kSource + "/team/Acts/getUpFront.txt", "--from", "front", "--seconds",
                      "0.5", "--every", "5"},
                     kSource);
    ASSERT_EQ(run.waitExit(60000), 0) << run.errors();
    std::istringstream trace(run.output());
    std::vector<std::string> lines;
    for (std::string line; std::getline(trace, line);) lines.push_back(line);
    ASSERT_GE(lines.size(), 2u) << run.output();

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"run", "x.txt", "--help"}}) {
        SCOPED_TRACE(args.back());
        AgentProcess help(GETUP_LAB_BIN, args, kSource);
        EXPECT_EQ(help.waitExit(), 0);
        const std::set<std::string> legend = explained(help.output());
        // The first line is before the motion starts, "(still)"; the next ones play it.
        for (const std::string& label : labels(lines[0])) {
            EXPECT_EQ(legend.count(label), 1u) << label << " in\n" << help.output();
        }
        EXPECT_NE(help.output().find("did not stand (progress"), std::string::npos);
    }
}

TEST(GetUpLab, CommandLineWithoutACommandPointsToTheHelp) {
    AgentProcess bare(GETUP_LAB_BIN, {}, kSource);
    EXPECT_EQ(bare.waitExit(), 2);
    EXPECT_EQ(bare.errors(),
              "getup_lab: usage: getup_lab run|score|agent|cma|join|mirror FILE ... (--help "
              "tells more)\n");
}

// A robot laid down rolled and with a motion's joints, as it comes to a get-up in a
// match: the first trace line (before the motion starts) shows the lean and the joints.
TEST(GetUpLab, LiesRolledWithThePoseAsked) {
    halyx_test::TempDir dir;
    const std::string pose = dir.write("pose.txt",
                                       "start end  llj3 rlj3 llj4 rlj4 llj5 rlj5 laj1 raj1\n"
                                       "0.0 0.5    30 30  -40 -40  20 20  -60 -60\n");
    struct Case {
        const char* roll;
        double left;  // the height of the tip of the torso's left axis
    } const cases[] = {{"0", 0}, {"25", 0.42}, {"-25", -0.42}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.roll);
        AgentProcess run(GETUP_LAB_BIN,
                         {"run", kSource + "/team/Acts/getUp.txt", "--from", "back", "--pose", pose,
                          "--roll", c.roll, "--seconds", "0.02", "--every", "1"},
                         kSource);
        ASSERT_EQ(run.waitExit(60000), 0) << run.errors();
        double since, cam, tilt, fwd, left, j[4];
        ASSERT_EQ(std::sscanf(run.output().c_str(),
                              "%lf cam %lf tilt %lf fwd %lf left %lf | %*[^|]| %*[^|]| j %lf %lf "
                              "%lf %lf",
                              &since, &cam, &tilt, &fwd, &left, &j[0], &j[1], &j[2], &j[3]),
                  9)
            << run.output();
        EXPECT_NEAR(left, c.left, 0.05);
        const double asked[4] = {30, -40, 20, -60};
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(j[i], asked[i], 3) << i;
    }
}

// The back's roll goes over the right side: a robot lying on the right blocks it, one on
// the left does not. The agent's rules then roll over the left, and the robot stands.
TEST(GetUpLab, ARobotBesideLiesOnTheSideAsked) {
    struct Case {
        const char* beside;  // metres, right when positive
        bool onFront;        // where the roll alone leaves the robot
    } const cases[] = {{"0.3", false}, {"-0.3", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.beside);
        AgentProcess run(GETUP_LAB_BIN,
                         {"run", kSource + "/team/Acts/getUp.txt", "--from", "back", "--once",
                          "--beside", c.beside, "--every", "1000"},
                         kSource);
        ASSERT_EQ(run.waitExit(60000), 0) << run.errors();
        double forward = 0;
        const std::string& out = run.output();
        const std::size_t at = out.find("(ends with forward axis ");
        ASSERT_NE(at, std::string::npos) << out;
        ASSERT_EQ(std::sscanf(out.c_str() + at, "(ends with forward axis %lf", &forward), 1);
        EXPECT_EQ(forward < -0.7, c.onFront) << out;
    }
    AgentProcess agent(GETUP_LAB_BIN,
                       {"agent", kSource + "/team/Acts", "--from", "back", "--beside", "0.3",
                        "--conditions", "1", "--seconds", "20"},
                       kSource);
    ASSERT_EQ(agent.waitExit(60000), 0) << agent.errors();
    EXPECT_NE(agent.output().find("stood 1/1"), std::string::npos) << agent.output();
}

// --beside-each plays every condition once with each robot it lists beside, and a list
// it cannot read is refused naming the item.
TEST(GetUpLab, EachConditionIsPlayedWithEveryRobotListedBeside) {
    AgentProcess score(
        GETUP_LAB_BIN,
        {"score", kSource + "/team/Acts/getUpFront.txt", "--from", "front", "--conditions", "1",
         "--seconds", "0.1", "--beside-each", "0,0.3,-0.25:front"},
        kSource);
    ASSERT_EQ(score.waitExit(60000), 0) << score.errors();
    std::istringstream out(score.output());
    std::vector<std::string> lines;
    for (std::string line; std::getline(out, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u) << score.output();
    EXPECT_EQ(lines[0].find("beside"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("beside 0.30 back:"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("beside -0.25 front:"), std::string::npos) << lines[2];

    for (const char* bad : {"0,x", "0.2:sideways", "0.2m", ""}) {
        SCOPED_TRACE(bad);
        AgentProcess refused(GETUP_LAB_BIN,
                             {"score", kSource + "/team/Acts/getUpFront.txt", "--from", "front",
                              "--beside-each", bad},
                             kSource);
        EXPECT_EQ(refused.waitExit(), 2);
        const std::string errors = refused.errors();
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_EQ(errors.rfind("getup_lab: --beside-each: ", 0), 0u) << errors;
    }
}
