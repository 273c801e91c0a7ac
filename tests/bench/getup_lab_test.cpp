// The get-up laboratory run for real: its --help explains every column of the trace
// that `run` prints, and a command line without a command points to it.
#include <gtest/gtest.h>

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
    EXPECT_EQ(
        bare.errors(),
        "getup_lab: usage: getup_lab run|score|cma|join|mirror FILE ... (--help tells more)\n");
}
