// The team scripts run for real: nine agents against a listening socket on
// loopback, started into the team folder and stopped again by their records.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/agent_process.h"

using halyx_test::AgentProcess;
using halyx_test::TempDir;

namespace fs = std::filesystem;

namespace {

const std::string kSource = HALYX_SOURCE_DIR;

// A server port that takes connections into its backlog and never answers:
// the agents connect, send their scene command and wait.
class SilentServer {
public:
    SilentServer() {
        mFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof(addr);
        if (mFd < 0 || ::bind(mFd, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
            ::listen(mFd, 32) != 0 ||
            ::getsockname(mFd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
            throw std::runtime_error("silent server: cannot listen");
        }
        mPort = ntohs(addr.sin_port);
    }
    ~SilentServer() { ::close(mFd); }

    std::string port() const { return std::to_string(mPort); }
    int fd() const { return mFd; }

private:
    int mFd = -1;
    unsigned short mPort = 0;
};

// A server whose matches are over at once: it accepts every connection and closes it
// straight away, as a fast server does after its last cycle.
class ClosingServer {
public:
    ClosingServer() : mThread([this] { serve(); }) {}
    ~ClosingServer() {
        mStop = true;
        mThread.join();
    }

    std::string port() const { return mListener.port(); }

private:
    void serve() {
        while (!mStop) {
            pollfd waiting{mListener.fd(), POLLIN, 0};
            if (::poll(&waiting, 1, 20) == 1) ::close(::accept(mListener.fd(), nullptr, nullptr));
        }
    }

    SilentServer mListener;
    std::atomic<bool> mStop{false};
    std::thread mThread;
};

struct Record {
    int unum;
    pid_t pid;
};

std::vector<Record> readRecords(const std::string& file) {
    std::vector<Record> records;
    std::ifstream in(file);
    int unum;
    pid_t pid;
    long long started;
    while (in >> unum >> pid >> started) records.push_back({unum, pid});
    return records;
}

// True while pid names a process that has not ended (a zombie has ended).
bool running(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const size_t close = line.rfind(')');
    return close != std::string::npos && line.compare(close + 2, 1, "Z") != 0;
}

bool endsWithin(pid_t pid, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (running(pid)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string commandLine(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    std::ostringstream words;
    words << in.rdbuf();
    std::string text = words.str();
    for (char& c : text) {
        if (c == '\0') c = ' ';
    }
    return text;
}

// Runs one of the team scripts to its end, with HALYX_BIN naming the agent binary
// unless agentBinary is false.
std::unique_ptr<AgentProcess> script(const std::string& name, const std::vector<std::string>& args,
                                     bool agentBinary = true) {
    if (agentBinary) {
        ::setenv("HALYX_BIN", HALYX_BIN, 1);
    } else {
        ::unsetenv("HALYX_BIN");
    }
    auto process = std::make_unique<AgentProcess>(kSource + "/scripts/" + name, args, kSource);
    if (!process->waitExit(20000)) throw std::runtime_error(name + " did not end");
    return process;
}

// The comment at the top of a script, as its --help prints it.
std::string headComment(const std::string& file) {
    std::ifstream script(file);
    std::string comment;
    for (std::string line; std::getline(script, line);) {
        if (line.rfind("#!", 0) == 0) continue;
        if (line.rfind("#", 0) != 0) break;
        comment += (line.size() > 2 ? line.substr(2) : "") + "\n";
    }
    return comment;
}

}  // namespace

TEST(TeamScripts, StartNineAgentsInTheTeamFolderAndStopExactlyThem) {
    SilentServer server;
    TempDir run;
    ::setenv("HALYX_AGENT_OPTIONS", "--sync", 1);  // handed to every agent
    auto start = script("start-team", {"127.0.0.1", server.port(), run.path()});
    ::unsetenv("HALYX_AGENT_OPTIONS");
    EXPECT_EQ(start->waitExit(), 0) << start->errors();

    const std::vector<Record> agents = readRecords(run.path() + "/pids");
    ASSERT_EQ(agents.size(), 9u);
    const fs::path team = fs::canonical(kSource + "/team");
    for (size_t i = 0; i < agents.size(); ++i) {
        const Record& agent = agents[i];
        SCOPED_TRACE("agent " + std::to_string(agent.unum));
        EXPECT_EQ(agent.unum, int(i) + 1);
        ASSERT_TRUE(running(agent.pid));
        EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(agent.pid) + "/cwd"), team);
        // Each agent writes its cycle log beside the log of what it prints; the cycle log
        // is opened before the agent connects.
        const std::string log = run.path() + "/agent-" + std::to_string(agent.unum);
        EXPECT_NE(commandLine(agent.pid).find("--port " + server.port() + " --unum " +
                                              std::to_string(agent.unum) + " --log " + log +
                                              ".cycles.log --sync "),
                  std::string::npos)
            << commandLine(agent.pid);
        EXPECT_TRUE(fs::exists(log + ".log"));
        EXPECT_TRUE(fs::exists(log + ".cycles.log"));
    }

    // A recorded pid that now names another process (its start time differs),
    // here this test itself, must be left alone.
    std::ofstream(run.path() + "/pids", std::ios::app) << "10 " << ::getpid() << " 1\n";

    auto stop = script("stop-team", {run.path()});
    EXPECT_EQ(stop->waitExit(), 0) << stop->errors();
    for (const Record& agent : agents) {
        EXPECT_TRUE(endsWithin(agent.pid, 2000)) << "agent " << agent.unum;
    }
    EXPECT_EQ(stop->output(), "agent 10 (pid " + std::to_string(::getpid()) +
                                  ") is no longer running\nstopped 9 agents of " + run.path() +
                                  "\n");

    auto again = script("stop-team", {run.path()});
    EXPECT_NE(again->waitExit(), 0);
    EXPECT_EQ(again->errors(), "stop-team: no running team recorded in " + run.path() + "\n");
}

TEST(TeamScripts, AgentsThatCannotReachTheServerAreReported) {
    std::string port;
    {
        SilentServer gone;
        port = gone.port();
    }
    TempDir run;
    auto start = script("start-team", {"127.0.0.1", port, run.path()});
    EXPECT_EQ(start->waitExit(), 1);
    EXPECT_NE(start->errors().find("start-team: agent 9 could not connect, see " + run.path() +
                                   "/agent-9.log\n"),
              std::string::npos)
        << start->errors();
    EXPECT_EQ(start->output(), "started 0 of 9 agents against 127.0.0.1:" + port +
                                   "; logs and pids in " + run.path() + "\n");

    auto stop = script("stop-team", {run.path()});
    EXPECT_EQ(stop->waitExit(), 0);
    EXPECT_NE(stop->output().find("stopped 0 agents"), std::string::npos) << stop->output();
}

TEST(TeamScripts, AgentsWhoseMatchEndedBeforeTheCheckCountAsStarted) {
    ClosingServer server;
    TempDir run;
    auto start = script("start-team", {"127.0.0.1", server.port(), run.path()});
    EXPECT_EQ(start->waitExit(), 0) << start->errors();
    EXPECT_EQ(start->errors(), "");
    const std::string output = start->output();
    for (int unum = 1; unum <= 9; ++unum) {
        const std::string log = run.path() + "/agent-" + std::to_string(unum) + ".log";
        EXPECT_NE(output.find("start-team: agent " + std::to_string(unum) +
                              " already finished its match, see " + log + "\n"),
                  std::string::npos)
            << output;
    }
    EXPECT_NE(output.find("started 9 of 9 agents against 127.0.0.1:" + server.port()),
              std::string::npos)
        << output;
}

// --help prints the usage, whatever else is on the command line, and starts nothing; an
// unknown option is one line.
TEST(TeamScripts, HelpPrintsTheUsageAndUnknownOptionsAreRefused) {
    for (const char* name : {"start-team", "stop-team"}) {
        for (const std::vector<std::string>& args :
             std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"--help", "127.0.0.1"}}) {
            SCOPED_TRACE(std::string(name) + " " + args[0]);
            auto help = script(name, args);
            EXPECT_EQ(help->waitExit(), 0);
            EXPECT_EQ(help->output(), headComment(kSource + "/scripts/" + name));
            EXPECT_EQ(help->errors(), "");
        }
        auto bad = script(name, {"--frobnicate"});
        EXPECT_EQ(bad->waitExit(), 1);
        EXPECT_EQ(bad->errors(),
                  std::string(name) + ": unknown option --frobnicate (see " + name + " --help)\n");
    }
}

// Without HALYX_BIN the agent is main/halyx of the build folder that HALYX_BUILD_DIR
// names, absolute or relative to the project, as for every script of the project.
TEST(TeamScripts, AgentComesFromTheBuildFolderThatHalyxBuildDirNames) {
    const fs::path build = fs::path(HALYX_BIN).parent_path().parent_path();
    for (const std::string& dir : {build.string(), fs::relative(build, kSource).string()}) {
        SCOPED_TRACE(dir);
        SilentServer server;
        TempDir run;
        ::setenv("HALYX_BUILD_DIR", dir.c_str(), 1);
        auto start = script("start-team", {"127.0.0.1", server.port(), run.path()}, false);
        ::unsetenv("HALYX_BUILD_DIR");
        EXPECT_EQ(start->waitExit(), 0) << start->errors();
        const std::vector<Record> agents = readRecords(run.path() + "/pids");
        ASSERT_EQ(agents.size(), 9u);
        EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(agents[0].pid) + "/exe"),
                  fs::canonical(HALYX_BIN));
        EXPECT_EQ(script("stop-team", {run.path()})->waitExit(), 0);
    }
    TempDir empty;
    ::setenv("HALYX_BUILD_DIR", empty.path().c_str(), 1);
    auto start = script("start-team", {"127.0.0.1", "3100", empty.path() + "/run"}, false);
    ::unsetenv("HALYX_BUILD_DIR");
    EXPECT_EQ(start->waitExit(), 1);
    EXPECT_EQ(start->errors(), "start-team: no agent binary at " + empty.path() +
                                   "/main/halyx (build it, or set HALYX_BIN)\n");
}

// On the league's field the team is the formation's eleven: one agent per spot, each
// given the field and the formation; a field that does not exist starts nothing.
TEST(TeamScripts, StartAsManyAgentsAsTheFormationHasSpotsWithTheFieldOptions) {
    SilentServer server;
    TempDir run;
    auto start = script("start-team", {"--field", "30x20", "--formation", "formation-30x20.conf",
                                       "127.0.0.1", server.port(), run.path()});
    EXPECT_EQ(start->waitExit(), 0) << start->errors();
    const std::vector<Record> agents = readRecords(run.path() + "/pids");
    ASSERT_EQ(agents.size(), 11u);
    for (size_t i = 0; i < agents.size(); ++i) {
        EXPECT_EQ(agents[i].unum, int(i) + 1);
        EXPECT_NE(
            commandLine(agents[i].pid).find(" --field 30x20 --formation formation-30x20.conf"),
            std::string::npos)
            << commandLine(agents[i].pid);
    }
    EXPECT_NE(start->output().find("started 11 of 11 agents against 127.0.0.1:" + server.port()),
              std::string::npos)
        << start->output();
    EXPECT_EQ(script("stop-team", {run.path()})->waitExit(), 0);

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--field", "20x30"}, {"--formation", "no-such.conf"}}) {
        TempDir none;
        auto bad =
            script("start-team", {args[0], args[1], "127.0.0.1", server.port(), none.path()});
        EXPECT_EQ(bad->waitExit(), 1) << args[1];
        EXPECT_NE(bad->errors().find(args[1]), std::string::npos) << bad->errors();
        EXPECT_FALSE(fs::exists(none.path() + "/pids")) << args[1];
    }
}

// wait-join returns once the server's log has a player of the team named, a team whose
// name only begins with it not counting, and gives up after its time or once the server
// has ended.
TEST(TeamScripts, WaitJoinWaitsForTheNamedTeamInTheServersLog) {
    TempDir dir;
    const std::string log = dir.write(
        "sparring.log", "sparring: agent 1 connected\nsparring: agent 1 is Halyx2 3 (left)\n");
    auto other = script("wait-join", {log, "Halyx", "", "1"});
    EXPECT_EQ(other->waitExit(), 1);
    EXPECT_EQ(other->errors(), "wait-join: team Halyx did not join within 1 s\n");

    std::ofstream(log, std::ios::app) << "sparring: agent 2 is Halyx 1 (left)\n";
    auto joined = script("wait-join", {log, "Halyx", "", "1"});
    EXPECT_EQ(joined->waitExit(), 0) << joined->errors();

    auto ended = script("wait-join", {log, "QEL", std::to_string(joined->pid()), "20"});
    EXPECT_EQ(ended->waitExit(), 1);
    EXPECT_EQ(ended->errors(), "wait-join: the server ended before team QEL joined\n");
    EXPECT_EQ(script("wait-join", {"--help"})->output(),
              headComment(kSource + "/scripts/wait-join"));
}
