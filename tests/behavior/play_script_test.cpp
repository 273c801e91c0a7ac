// ./play runs for real: its help, its checks of the command line, and whole short
// matches of the team against the sparring server, built in the tests' own build folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/agent_process.h"

using halyx_test::AgentProcess;

namespace fs = std::filesystem;

namespace {

const std::string kSource = HALYX_SOURCE_DIR;
const std::string kBuild = HALYX_BINARY_DIR;

// Runs ./play to its end (at most timeoutMs), with HALYX_BUILD_DIR set to buildDir
// unless that is empty.
std::unique_ptr<AgentProcess> play(const std::vector<std::string>& args,
                                   const std::string& buildDir = "", int timeoutMs = 20000) {
    if (buildDir.empty()) {
        ::unsetenv("HALYX_BUILD_DIR");
    } else {
        ::setenv("HALYX_BUILD_DIR", buildDir.c_str(), 1);
    }
    auto process = std::make_unique<AgentProcess>(kSource + "/play", args, kSource);
    ::unsetenv("HALYX_BUILD_DIR");
    if (!process->waitExit(timeoutMs)) throw std::runtime_error("play did not end");
    return process;
}

std::vector<std::string> lines(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> result;
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

// The folder named by the line "play: logs in <folder>", or "" when there is none.
std::string runFolder(const std::string& output) {
    const std::string marker = "play: logs in ";
    for (const std::string& line : lines(output)) {
        if (line.rfind(marker, 0) == 0) return line.substr(marker.size());
    }
    return "";
}

}  // namespace

TEST(PlayScript, HelpIsTheCommentAtTheTopOfTheScriptAndNothingElse) {
    auto help = play({"--help"});
    EXPECT_EQ(help->waitExit(), 0);
    const std::vector<std::string> shown = lines(help->output());
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front().rfind("Plays a short match", 0), 0u) << shown.front();

    std::ifstream script(kSource + "/play");
    std::vector<std::string> comment;
    for (std::string line; std::getline(script, line);) {
        if (line.rfind("#!", 0) == 0) continue;
        if (line.rfind("#", 0) != 0) break;
        comment.push_back(line.size() > 2 ? line.substr(2) : "");
    }
    EXPECT_EQ(shown, comment);
}

TEST(PlayScript, BadDurationGetsOneLineOfPlaysOwn) {
    for (const char* value : {"abc", "", "0", "-5", "3s"}) {
        SCOPED_TRACE(value);
        auto run = play({"--duration", value});
        EXPECT_EQ(run->waitExit(), 1);
        EXPECT_EQ(run->errors(), std::string("play: --duration takes simulated seconds from 0.02 "
                                             "to 1000000, not '") +
                                     value + "'\n");
        EXPECT_EQ(run->output(), "");
    }
}

TEST(PlayScript, BuildFolderMayBeGivenAbsoluteOrRelativeToTheProject) {
    const fs::path build = fs::weakly_canonical(kBuild);
    const std::string given[] = {build.string(), fs::relative(build, kSource).string()};
    for (const std::string& dir : given) {
        SCOPED_TRACE(dir);
        auto run = play({"--duration", "1"}, dir, 120000);
        const std::string output = run->output();
        const std::string folder = runFolder(output);
        if (!folder.empty()) fs::remove_all(folder);
        EXPECT_EQ(run->waitExit(), 0) << run->errors();
        EXPECT_NE(output.find("play: building halyx sparring in " + build.string() + "\n"),
                  std::string::npos)
            << output;
        EXPECT_NE(output.find("sparring summary: 1.00 s simulated"), std::string::npos) << output;
        EXPECT_EQ(folder.rfind(kSource + "/run/play-", 0), 0u) << output;
    }
}
