#ifndef HALYX_TESTS_RELIABILITY_AGENT_SESSION_H
#define HALYX_TESTS_RELIABILITY_AGENT_SESSION_H

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/agent_process.h"
#include "tests/support/loopback_server.h"

namespace halyx_test {

// The real agent binary with the team's motion and formation files, talking
// to a loopback server, past the opening (scene command, first message, init
// command). Set HALYX_AGENT_WRAPPER to run the agent under a tool, for
// instance "valgrind --error-exitcode=99 --leak-check=full".
class AgentSession {
public:
    static const int kTimeoutMs = 20000;  // generous: the agent may run under Valgrind

    explicit AgentSession(int unum);

    LoopbackServer& server() { return mServer; }
    // The agent's process id (the wrapper's, when there is one).
    pid_t pid() const { return mPid; }
    AgentProcess& agent() { return *mAgent; }

    // Sends one frame holding text and returns the one reply to it.
    std::string exchange(const std::string& text);
    // A perception message at server time t (seconds) in play mode pm: the
    // robot upright, its joints at 0, the left goal line, the ball and two
    // players in view.
    static std::string perception(double t, const std::string& pm = "PlayOn");

private:
    TempDir mDir;
    LoopbackServer mServer;
    std::unique_ptr<AgentProcess> mAgent;
    pid_t mPid = -1;
};

// The command line that runs the agent: the wrapper's words, if any, then the
// agent binary and args.
std::vector<std::string> agentCommand(const std::vector<std::string>& args);

// False when the agent's memory is not its own to measure: under a wrapper
// such as Valgrind, or built with AddressSanitizer, whose quarantine holds
// freed memory and so grows by design.
bool agentMemoryMeasurable();

// The process id of the child of this process whose command line holds
// "--unum" followed by unum; -1 when there is none.
pid_t agentPid(int unum);

// A field of /proc/<pid>/status in kB ("VmRSS:", "VmHWM:"), 0 once the
// process is gone.
long statusKb(pid_t pid, const std::string& field);

}  // namespace halyx_test

#endif
