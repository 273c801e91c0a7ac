#include <arpa/inet.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/connectionmanager.h"
#include "tests/support/agent_process.h"
#include "tests/support/loopback_server.h"

using halyx_test::AgentProcess;
using halyx_test::Descriptor;
using halyx_test::LoopbackServer;
using halyx_test::StandardDescriptors;
using halyx_test::TempDir;

namespace {

const char kUsage[] =
    "\nUsage: halyx [OPTOINS]\nOptions:\n\t--help: show this screen\n\t--teamname <teamname>: "
    "set the team name of the player\n\t--host <hostname>: set host name of the server\n\t--port "
    "<port_no>: set the port number to connect to\n\n";
const char kScene[] = "(scene rsg/agent/nao/nao.rsg)";
const int kNoConnectionMs = 300;  // how long a test waits to be sure no connection comes

std::string portArg(const LoopbackServer& server) {
    return std::to_string(server.port());
}

// What the agent writes to standard error at start-up for team files that it cannot
// read in its working folder.
std::string missingLines(const std::vector<std::string>& files, const std::string& folder) {
    std::string lines;
    for (const std::string& file : files) {
        lines += "halyx: cannot read " + file + " in " +
                 std::filesystem::canonical(folder).string() + ": playing without it\n";
    }
    return lines;
}

// A short game in the shipped team folder, so that the agent prints its formation
// trace and a line every cycle; the unknown joint makes the perceptor parser write a
// diagnostic to standard error every cycle.
const char* const kGame[] = {
    "(time (now 0.00))",
    "(time (now 0.02))(GS (t 0.00) (pm BeforeKickOff))(HJ (n nosuch) (ax 1))",
    "(time (now 0.04))(GS (t 0.00) (pm BeforeKickOff) (unum 2) (team left))",
    "(time (now 0.06))(GS (t 0.00) (pm PlayOn))(HJ (n hj1) (ax 10))(HJ (n nosuch) (ax 1))",
    "(time (now 0.08))(GS (t 0.02) (pm PlayOn))(HJ (n nosuch) (ax 1))",
};

struct Session {
    std::vector<std::string> frames;  // every frame the agent sent, scene command first
    std::optional<int> status;        // the agent's exit status after the server closed
};

// Plays kGame against the agent started with the given descriptors 0-2.
Session play(const StandardDescriptors& descriptors) {
    LoopbackServer server;
    AgentProcess agent(HALYX_BIN, {"--port", portArg(server), "--unum", "2"},
                       std::string(HALYX_SOURCE_DIR) + "/team", descriptors);
    Session session;
    if (!server.accept()) return session;
    try {
        session.frames.push_back(server.receiveFrame());
        for (const char* message : kGame) {
            server.sendFrame(message);
            session.frames.push_back(server.receiveFrame());
        }
    } catch (const std::exception& e) {
        // Bytes that are no frame: a length of garbage that never completes.
        session.frames.push_back(std::string("<no frame: ") + e.what() + ">");
    }
    server.closeClient();
    session.status = agent.waitExit();
    return session;
}

struct DescriptorCase {
    const char* name;
    StandardDescriptors descriptors;
};

// Each case sends exactly the frames that the agent started with the usual
// descriptors sends, and ends with status 0 when the server closes.
void expectPlaysAsUsual(const std::vector<DescriptorCase>& cases) {
    const Session usual = play({});
    ASSERT_EQ(usual.frames.size(), 1 + std::size(kGame));
    ASSERT_EQ(usual.status, 0);
    for (const DescriptorCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Session session = play(c.descriptors);
        EXPECT_EQ(session.frames, usual.frames);
        EXPECT_EQ(session.status, 0);
    }
}

// A duplicate of the agent's socket whose peer is the given loopback port, taken
// out of the running process (pidfd_getfd); -1 if there is none.
int agentSocket(pid_t pid, unsigned short port) {
    const int process = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (process < 0) return -1;
    int found = -1;
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    DIR* dir = ::opendir(folder.c_str());
    while (dir != nullptr && found < 0) {
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) break;
        if (entry->d_name[0] == '.') continue;
        const int target = std::atoi(entry->d_name);
        const int fd = static_cast<int>(::syscall(SYS_pidfd_getfd, process, target, 0));
        sockaddr_in peer{};
        socklen_t size = sizeof(peer);
        if (fd >= 0 && ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) == 0 &&
            ntohs(peer.sin_port) == port) {
            found = fd;
        } else if (fd >= 0) {
            ::close(fd);
        }
    }
    if (dir != nullptr) ::closedir(dir);
    ::close(process);
    return found;
}

// Runs the agent in a fresh folder.
class Agent : public ::testing::Test {
protected:
    std::unique_ptr<AgentProcess> start(const std::vector<std::string>& args) {
        return std::make_unique<AgentProcess>(HALYX_BIN, args, dir.path());
    }

    TempDir dir;
    LoopbackServer server;
};

}  // namespace

TEST_F(Agent, HelpPrintsUsageAndOpensNoConnection) {
    const std::vector<std::vector<std::string>> commandLines = {
        {"--help"},
        {"--port", portArg(server), "--unum", "3", "--help"},
        {"--port", portArg(server), "--help", "--bogus"},
        {"--sync", "--help"},
    };
    for (const auto& args : commandLines) {
        auto agent = start(args);
        EXPECT_EQ(agent->waitExit(), 0);
        EXPECT_EQ(agent->output(), kUsage);
        EXPECT_EQ(agent->errors(), "");
        EXPECT_FALSE(server.accept(kNoConnectionMs));
    }
}

TEST_F(Agent, PlaysOneReplyPerMessageAndEndsWhenServerCloses) {
    auto agent = start({"--port", portArg(server), "--unum", "7"});
    ASSERT_TRUE(server.accept());
    EXPECT_EQ(server.receiveFrame(), kScene);

    server.sendFrame("(time (now 0.0))");
    EXPECT_EQ(server.receiveFrame(), "(init (unum 7)(teamname QEL))");
    for (const std::string& message : {std::string("(time (now 0.02))"), std::string(),
                                       std::string(ConnectionManager::kMaxReceived + 1, 'x')}) {
        SCOPED_TRACE(message.size());
        server.sendFrame(message);
        EXPECT_EQ(server.receiveFrame(), "");
    }
    server.closeClient();
    EXPECT_EQ(agent->waitExit(), 0);
    // Before kick-off every cycle is in the beam window; without a formation
    // file the beam line holds only the uniform number.
    EXPECT_EQ(agent->output(), "7\n7\n7\n");
    EXPECT_EQ(agent->errors(),
              missingLines({"Acts/guard.txt", "Acts/walk.txt", "Acts/getUp.txt", "formation.conf"},
                           dir.path()));
}

// Files the agent needs and cannot read are named on standard error at start-up, one
// line each; the agent plays on without them. The get-ups of the front and the sides
// are optional.
TEST_F(Agent, MissingTeamFilesAreNamedAtStartUp) {
    struct Case {
        const char* name;
        std::vector<std::string> present;
        std::vector<std::string> missing;
    };
    const std::vector<Case> cases = {
        {"everything but the optional get-ups",
         {"Acts/guard.txt", "Acts/walk.txt", "Acts/getUp.txt", "formation.conf"},
         {}},
        {"no formation", {"Acts/guard.txt", "Acts/walk.txt", "Acts/getUp.txt"}, {"formation.conf"}},
        {"only the formation",
         {"formation.conf"},
         {"Acts/guard.txt", "Acts/walk.txt", "Acts/getUp.txt"}},
        {"no back get-up",
         {"Acts/guard.txt", "Acts/walk.txt", "formation.conf"},
         {"Acts/getUp.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir team;
        for (const std::string& file : c.present) team.write(file, "");
        LoopbackServer game;
        AgentProcess agent(HALYX_BIN, {"--port", portArg(game)}, team.path());
        ASSERT_TRUE(game.accept());
        EXPECT_EQ(game.receiveFrame(), kScene);
        game.closeClient();
        EXPECT_EQ(agent.waitExit(), 0);
        EXPECT_EQ(agent.errors(), missingLines(c.missing, team.path()));
    }
}

// A log file that cannot be written is told before anything else happens.
TEST_F(Agent, LogFileThatCannotBeOpenedIsAnErrorAndOpensNoConnection) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {dir.path() + "/no-such-folder/cycles.log", "No such file or directory"},
        {dir.path(), "Is a directory"},
        {"", "No such file or directory"},
    };
    for (const auto& [file, reason] : cases) {
        SCOPED_TRACE(file);
        auto agent = start({"--port", portArg(server), "--log", file});
        EXPECT_EQ(agent->waitExit(), 1);
        EXPECT_EQ(agent->errors(),
                  "halyx: cannot open the log file " + file + ": " + reason + "\n");
        EXPECT_EQ(agent->output(), "");
        EXPECT_FALSE(server.accept(kNoConnectionMs));
    }
}

TEST_F(Agent, UnrecognisedWordsAreReportedAndPlayGoesOn) {
    auto agent = start({"--teamname", "Rivals", "--port", portArg(server)});
    ASSERT_TRUE(server.accept());
    EXPECT_EQ(server.receiveFrame(), kScene);
    server.sendFrame("");
    EXPECT_EQ(server.receiveFrame(), "(init (unum 1)(teamname QEL))");
    server.closeClient();
    EXPECT_EQ(agent->waitExit(), 0);
    EXPECT_EQ(agent->output(), "What?! \"--teamname\"?!! ;)\nWhat?! \"Rivals\"?!! ;)\n");
}

TEST_F(Agent, PortIsTruncatedTo16Bits) {
    auto agent = start({"--port", std::to_string(server.port() + 65536)});
    EXPECT_TRUE(server.accept());
    EXPECT_EQ(server.receiveFrame(), kScene);
}

TEST_F(Agent, LastHostWins) {
    auto agent =
        start({"--host", "no-such-host.invalid", "--host", "127.0.0.1", "--port", portArg(server)});
    EXPECT_TRUE(server.accept());
    EXPECT_EQ(server.receiveFrame(), kScene);
}

TEST_F(Agent, UnresolvableHostIsReportedAsFailure) {
    auto agent = start({"--host", "no-such-host.invalid", "--port", portArg(server)});
    const auto status = agent->waitExit();
    ASSERT_TRUE(status);
    EXPECT_NE(*status, 0);
    const std::string errors = agent->errors();
    EXPECT_EQ(errors.rfind("cannot resolve host no-such-host.invalid: ", 0), 0u) << errors;
    EXPECT_EQ(errors.find('\n'), errors.size() - 1) << errors;
    EXPECT_FALSE(server.accept(kNoConnectionMs));
}

TEST_F(Agent, UnreachableServerIsReportedAsFailure) {
    std::string port;
    {
        LoopbackServer gone;
        port = portArg(gone);
    }
    auto agent = start({"--port", port});
    EXPECT_EQ(agent->waitExit(), 1);
    EXPECT_EQ(agent->errors(), "cannot connect to 127.0.0.1:" + port + ": Connection refused\n");
    EXPECT_EQ(agent->output(), "");
}

TEST_F(Agent, OptionWithoutValueIsAnErrorAndOpensNoConnection) {
    for (const char* option : {"--host", "--port", "--unum", "--log"}) {
        auto agent = start({"--port", portArg(server), option});
        EXPECT_EQ(agent->waitExit(), 1) << option;
        EXPECT_EQ(agent->errors(), std::string("halyx: option ") + option + " needs a value\n");
        EXPECT_FALSE(server.accept(kNoConnectionMs)) << option;
    }
}

TEST_F(Agent, NothingButFramesReachTheServerWhateverStandardDescriptorsAreClosed) {
    expectPlaysAsUsual({
        {"input closed", {Descriptor::Closed, Descriptor::Usual, Descriptor::Usual}},
        {"output closed", {Descriptor::Usual, Descriptor::Closed, Descriptor::Usual}},
        {"errors closed", {Descriptor::Usual, Descriptor::Usual, Descriptor::Closed}},
        {"all three closed", {Descriptor::Closed, Descriptor::Closed, Descriptor::Closed}},
    });
}

// A status of 128 + 13 would be death by SIGPIPE.
TEST_F(Agent, OutputPipesWithoutReaderDoNotEndTheMatch) {
    expectPlaysAsUsual({
        {"output", {Descriptor::Usual, Descriptor::BrokenPipe, Descriptor::Usual}},
        {"errors", {Descriptor::Usual, Descriptor::Usual, Descriptor::BrokenPipe}},
        {"both", {Descriptor::Usual, Descriptor::BrokenPipe, Descriptor::BrokenPipe}},
    });
}

TEST_F(Agent, ConnectionToTheServerHasNagleOff) {
    auto agent = start({"--port", portArg(server)});
    ASSERT_TRUE(server.accept());
    EXPECT_EQ(server.receiveFrame(), kScene);
    const int fd = agentSocket(agent->pid(), server.port());
    if (fd < 0 && (errno == ENOSYS || errno == EPERM)) {
        GTEST_SKIP() << "this kernel does not hand out another process's socket: "
                     << std::strerror(errno);
    }
    ASSERT_GE(fd, 0) << "no socket of the agent connected to port " << server.port();
    int noDelay = 0;
    socklen_t size = sizeof(noDelay);
    ASSERT_EQ(::getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, &size), 0);
    ::close(fd);
    EXPECT_EQ(noDelay, 1);
}

// A drill or a walk parameter file that cannot be used stops the agent before it
// connects, with one line naming the file, the line and the problem.
TEST_F(Agent, BadDrillOrWalkParametersStopTheAgentBeforeItConnects) {
    struct Case {
        const char* drill;
        const char* walk;  // null: no walk.conf
        std::string error;
    } const cases[] = {
        {"0 walk 0.3 0 0\n2 fly\n", nullptr,
         "drill.txt:2: unknown command 'fly' (walk, stop, goto, kick or dribble)"},
        {"0 stop\n", "no_such_parameter 1\n", "walk.conf:1: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.drill);
        const std::string drill = dir.write("drill.txt", c.drill);
        if (c.walk != nullptr) dir.write("walk.conf", c.walk);
        auto agent = start({"--port", portArg(server), "--drill", drill});
        EXPECT_EQ(agent->waitExit(), 2);
        const std::string errors = agent->errors();
        EXPECT_NE(errors.find("halyx: "), std::string::npos) << errors;
        EXPECT_NE(errors.find(c.error), std::string::npos) << errors;
        EXPECT_EQ(errors.find('\n'), errors.size() - 1) << errors;
        EXPECT_FALSE(server.accept(kNoConnectionMs));
    }
    auto agent = start({"--port", portArg(server), "--drill", dir.path() + "/none.txt"});
    EXPECT_EQ(agent->waitExit(), 2);
    EXPECT_EQ(agent->errors(), "halyx: " + dir.path() +
                                   "/none.txt: cannot read the drill: No such file or directory\n");
}

// With a drill the role waits for the first PlayOn: standing still before it, then the
// drill's commands by their times after it.
namespace {

// What a drill did: the cycle log's decisions and standard error.
struct DrillRun {
    std::vector<std::string> decisions;
    std::string errors;
};

}  // namespace

// Plays `drillText` with a field player standing on both feet: one BeforeKickOff message
// at 1 s, then PlayOn messages at each of `times` (server seconds, PlayOn from 3 s).
template <class Server, class Folder>
DrillRun runDrill(Server& server, Folder& dir, const char* drillText,
                  const std::vector<double>& times) {
    const std::string drill = dir.write("drill.txt", drillText);
    const std::string log = dir.path() + "/cycles.log";
    AgentProcess agent(HALYX_BIN,
                       {"--port", portArg(server), "--unum", "2", "--drill", drill, "--log", log},
                       std::string(HALYX_SOURCE_DIR) + "/team");
    DrillRun run;
    if (!server.accept()) return run;
    EXPECT_EQ(server.receiveFrame(), kScene);
    server.sendFrame("");
    server.receiveFrame();
    server.sendFrame("(time (now 1.00))(GS (t 0.00) (pm BeforeKickOff) (unum 2) (team left))");
    server.receiveFrame();
    for (double t : times) {
        char m[256];
        std::snprintf(m, sizeof m,
                      "(time (now %.2f))(GS (t %.2f) (pm PlayOn))"
                      "(FRP (n lf) (c 0 0 0) (f 0 0 20))(FRP (n rf) (c 0 0 0) (f 0 0 20))",
                      t, t - 3);
        server.sendFrame(m);
        server.receiveFrame();
    }
    server.closeClient();
    EXPECT_EQ(agent.waitExit(), 0);
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);)
        run.decisions.push_back(line.substr(line.find(" do=") + 4));
    run.errors = agent.errors();
    return run;
}

// A kick whose ball is never seen is given up after 5 s with one line on standard error,
// and the drill goes on with its next line.
TEST_F(Agent, AKickWithoutTheBallIsGivenUpAndTheDrillGoesOn) {
    const DrillRun run =
        runDrill(server, dir, "0 kick 30\n6 stop\n", {3.00, 7.90, 8.10, 8.12, 9.02});
    const std::vector<std::string> expected = {"init",   "beam",   "approach", "approach",
                                               "failed", "failed", "stop"};
    EXPECT_EQ(run.decisions, expected);
    EXPECT_NE(
        run.errors.find("halyx: drill line 1: kick at 8.1 s given up: ball not seen for 5 s\n"),
        std::string::npos)
        << run.errors;
    EXPECT_EQ(run.errors.find("given up"), run.errors.rfind("given up")) << "one line";
}

TEST_F(Agent, DrillCommandsFollowTheFirstPlayOnByTheirTimes) {
    const DrillRun run = runDrill(server, dir, "0 walk 0.3 0 0\n0.04 stop\n0.08 goto 1 1 0\n",
                                  {3.00, 3.02, 3.04, 3.06, 3.08});
    const std::vector<std::string> expected = {"init", "beam", "walk", "walk",
                                               "stop", "stop", "goto"};
    EXPECT_EQ(run.decisions, expected);
}
