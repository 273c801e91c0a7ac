// ./play runs for real: its help, its checks of the command line, and whole short
// matches of two teams, or of the designed team alone, against the sparring server, built
// in the tests' own build folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/agent_process.h"
#include "tests/support/loopback_server.h"

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

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Whether an agent's cycle log shows a decision of the soccer mode: the designed roles
// decide only these.
bool playsSoccer(const std::string& cycleLog) {
    const std::set<std::string> designed = {"init", "beam", "getup", "guard",
                                            "scan", "stop", "idle"};
    std::set<std::string> decided;
    for (const std::string& line : lines(readFile(cycleLog))) {
        const std::size_t at = line.find(" do=");
        if (at != std::string::npos) decided.insert(line.substr(at + 4));
    }
    for (const std::string& d : decided) {
        if (designed.count(d) == 0) return true;
    }
    return false;
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
        auto run = play({"--design", "--duration", "1"}, dir, 120000);
        const std::string output = run->output();
        const std::string folder = runFolder(output);
        // --design: the designed team alone, under its own name, in its own roles.
        EXPECT_NE(output.find("\nteam left: name=QEL goals="), std::string::npos) << output;
        EXPECT_EQ(output.find("\nteam right:"), std::string::npos) << output;
        EXPECT_FALSE(fs::exists(folder + "/team2"));
        EXPECT_FALSE(playsSoccer(folder + "/team/agent-5.cycles.log"));
        // Each agent's cycle log beside the log of what it prints: a line per message
        // of the one-second match (and more, the first and the closing ones).
        for (int unum = 1; unum <= 9; ++unum) {
            const std::string log = folder + "/team/agent-" + std::to_string(unum);
            EXPECT_TRUE(fs::exists(log + ".log")) << log;
            std::ifstream cycles(log + ".cycles.log");
            int count = 0;
            for (std::string line; std::getline(cycles, line);) ++count;
            EXPECT_GT(count, 50) << log;
        }
        if (!folder.empty()) fs::remove_all(folder);
        EXPECT_EQ(run->waitExit(), 0) << run->errors();
        EXPECT_NE(output.find("play: building halyx sparring in " + build.string() + "\n"),
                  std::string::npos)
            << output;
        EXPECT_NE(output.find("sparring summary: 1.00 s simulated"), std::string::npos) << output;
        EXPECT_EQ(folder.rfind(kSource + "/run/play-", 0), 0u) << output;
    }
}

// Two teams of the agent by default, or the designed team as the opponent (here on the
// league's field, eleven a side): each team's line names it on its side, every agent came
// and answered every message, each team's logs are in their own folder, and the soccer
// mode shows in the cycle logs of the soccer teams only. The kinematic world keeps these
// short matches cheap; --design alone is played above.
TEST(PlayScript, TwoTeamsOfTheAgentOrTheDesignedOneEachUnderItsName) {
    struct Case {
        std::vector<std::string> args;
        std::string left, right;  // the teams' names
        int agents;               // a side
    };
    const std::vector<Case> cases = {
        {{}, "Halyx", "Halyx2", 9},
        {{"--opponent", "design", "--field", "30x20"}, "Halyx", "QEL", 11},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        for (const char* a : {"--world", "kinematic", "--duration", "3"}) args.push_back(a);
        SCOPED_TRACE(args.size() > 4 ? args[0] + " " + args[1] : "no options");
        auto run = play(args, kBuild, 120000);
        const std::string output = run->output();
        const std::string folder = runFolder(output);
        ASSERT_FALSE(folder.empty()) << output << run->errors();
        EXPECT_EQ(run->waitExit(), 0) << run->errors();

        int answered = 0;
        for (const std::string& line : lines(output)) {
            if (line.rfind("agent ", 0) != 0) continue;
            const std::size_t at = line.find(" answered=");
            const std::size_t slash = line.find('/', at);
            const std::string got = line.substr(at + 10, slash - at - 10);
            const std::string sent = line.substr(slash + 1, line.find(' ', slash) - slash - 1);
            if (got == sent && std::stoi(sent) > 150) ++answered;
        }
        EXPECT_EQ(answered, 2 * c.agents) << output;
        EXPECT_NE(output.find("\nteam left: name=" + c.left + " goals="), std::string::npos)
            << output;
        EXPECT_NE(output.find("\nteam right: name=" + c.right + " goals="), std::string::npos)
            << output;
        EXPECT_NE(output.find("\nmatch: untouched_longest_s="), std::string::npos) << output;
        EXPECT_NE(output.find("play: " + c.left + " (team/) plays left, " + c.right +
                              " (team2/) right\n"),
                  std::string::npos)
            << output;
        const std::string last = "agent-" + std::to_string(c.agents) + ".cycles.log";
        EXPECT_GT(fs::file_size(folder + "/team/" + last), 0u);
        EXPECT_GT(fs::file_size(folder + "/team2/" + last), 0u);
        EXPECT_TRUE(playsSoccer(folder + "/team/agent-5.cycles.log"));
        EXPECT_EQ(playsSoccer(folder + "/team2/agent-5.cycles.log"), c.right == "Halyx2");
        fs::remove_all(folder);
    }
}

// A command line that cannot work gets one line of play's own, before anything starts:
// nothing is built, no folder is made, no agent runs.
TEST(PlayScript, BadValuesAreToldInOneLineBeforeAnythingStarts) {
    struct Case {
        std::vector<std::string> args;
        std::string error;
    };
    const std::vector<Case> cases = {
        {{"--host", "nohost.invalid"}, "cannot resolve host nohost.invalid"},
        {{"--host", "nohost.invalid", "--port", "3100"}, "cannot resolve host nohost.invalid"},
        {{"--host", ""}, "--host needs a value"},
        {{"--port", "abc"}, "--port takes a number from 1 to 65535, not 'abc'"},
        {{"--port", "0"}, "--port takes a number from 1 to 65535, not '0'"},
        {{"--port", "65536"}, "--port takes a number from 1 to 65535, not '65536'"},
        {{"--port", ""}, "--port takes a number from 1 to 65535, not ''"},
        {{"--scenario", "nodir/x.txt"}, "cannot read the scenario file 'nodir/x.txt'"},
        {{"--scenario", "team"}, "cannot read the scenario file 'team'"},
        {{"--opponent", "x"}, "--opponent takes soccer or design, not 'x'"},
        {{"--design", "--opponent", "soccer"},
         "--opponent chooses the second team; --design plays one team alone"},
        {{"--opponent", "design", "--port", "3100"},
         "--opponent plays on our own sparring server, not with --host or --port"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        // A build folder that does not exist: anything built would show up there.
        halyx_test::TempDir unused;
        auto run = play(c.args, unused.path() + "/build");
        EXPECT_EQ(run->waitExit(), 1);
        EXPECT_EQ(run->errors(), "play: " + c.error + "\n");
        EXPECT_EQ(run->output(), "");
        EXPECT_FALSE(fs::exists(unused.path() + "/build"));
    }
}

TEST(PlayScript, ServerThatNobodyListensAtIsToldInOneLineWithTheLogs) {
    std::string port;
    {
        halyx_test::LoopbackServer gone;
        port = std::to_string(gone.port());
    }
    auto run = play({"--port", port}, kBuild, 60000);
    EXPECT_EQ(run->waitExit(), 1);
    const std::string errors = run->errors();
    const std::string start = "play: no agent could connect to 127.0.0.1:" + port + "; logs in ";
    ASSERT_EQ(errors.rfind(start, 0), 0u) << errors;
    ASSERT_EQ(errors.find('\n'), errors.size() - 1) << errors;
    const std::string logs = errors.substr(start.size(), errors.size() - start.size() - 1);
    EXPECT_TRUE(fs::exists(logs + "/agent-9.log")) << logs;
    EXPECT_EQ(run->output().find("plays against"), std::string::npos) << run->output();
    fs::remove_all(fs::path(logs).parent_path());
}

TEST(PlayScript, TeamAgainstAServerAtAPortPlaysUntilThatServerEnds) {
    halyx_test::TempDir dir;
    AgentProcess server(SPARRING_BIN,
                        {"--port", "0", "--port-file", dir.path() + "/port", "--agents", "9",
                         "--wait", "60", "--duration", "1", "--svg", ""},
                        dir.path());
    std::string port;
    for (int i = 0; i < 500 && port.empty(); ++i) {
        std::ifstream(dir.path() + "/port") >> port;
        if (port.empty()) ::usleep(10000);
    }
    ASSERT_FALSE(port.empty()) << server.errors();
    auto run = play({"--port", port}, kBuild, 60000);
    EXPECT_EQ(run->waitExit(), 0) << run->errors();
    EXPECT_EQ(server.waitExit(60000), 0) << server.errors();
    // Against another server one team plays, in soccer mode, under its own name.
    EXPECT_NE(server.output().find("team left: name=Halyx goals="), std::string::npos)
        << server.output();
    const std::string output = run->output();
    EXPECT_NE(output.find("play: the team plays against 127.0.0.1:" + port + "; Ctrl-C stops it\n"),
              std::string::npos)
        << output;
    const std::string marker = "play: every agent has ended; logs in ";
    const std::size_t at = output.find(marker);
    ASSERT_NE(at, std::string::npos) << output;
    const std::string logs =
        output.substr(at + marker.size(), output.find('\n', at) - at - marker.size());
    EXPECT_GT(fs::file_size(logs + "/agent-1.cycles.log"), 0u) << logs;
    EXPECT_EQ(run->errors(), "");
    fs::remove_all(fs::path(logs).parent_path());
}
