#ifndef HALYX_TESTS_SUPPORT_AGENT_PROCESS_H
#define HALYX_TESTS_SUPPORT_AGENT_PROCESS_H

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace halyx_test {

// A temporary folder, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();

    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return mPath; }
    // Writes a file below the folder (creating sub-folders) and returns its path.
    std::string write(const std::string& relative, const std::string& content) const;

private:
    std::string mPath;
};

// What one of the descriptors 0-2 of a started program is.
enum class Descriptor {
    Usual,      // standard input inherited; standard output and error captured to files
    Closed,     // not open, as some launchers start a program
    BrokenPipe  // one end of a pipe whose other end has already been closed
};

// Descriptors 0, 1 and 2 of a started program.
struct StandardDescriptors {
    Descriptor in = Descriptor::Usual;
    Descriptor out = Descriptor::Usual;
    Descriptor err = Descriptor::Usual;
};

// The agent binary (or any program) run as a child process for end-to-end tests:
// started with arguments in a working directory, its standard output and
// standard error captured to files. A child still running when the object goes
// is killed. The child starts with SIGPIPE at its default action, whatever the
// test runner has set.
class AgentProcess {
public:
    // Starts program with args in workDir. Throws std::runtime_error if the
    // process cannot be started.
    AgentProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::string& workDir, const StandardDescriptors& descriptors = {});
    ~AgentProcess();

    AgentProcess(const AgentProcess&) = delete;
    AgentProcess& operator=(const AgentProcess&) = delete;

    // The exit status, or 128 + the signal number if a signal ended it; empty
    // when it is still running after timeoutMs.
    std::optional<int> waitExit(int timeoutMs = 10000);

    std::string output() const;  // everything written to standard output so far
    std::string errors() const;  // everything written to standard error so far
    pid_t pid() const { return mPid; }

private:
    TempDir mCapture;
    pid_t mPid = -1;
    std::optional<int> mStatus;
};

// The agent binary built with the tests.
std::string agentBinary();

}  // namespace halyx_test

#endif
