#include "tests/support/agent_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace halyx_test {

namespace fs = std::filesystem;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

int decodeStatus(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return 128 + WTERMSIG(status);
}

// Moves a descriptor to 10 or above, close-on-exec, so that setting up 0-2
// cannot overwrite it and it does not outlive the exec. -1 stays -1.
int setAside(int fd) {
    if (fd < 0) return -1;
    const int high = ::fcntl(fd, F_DUPFD_CLOEXEC, 10);
    ::close(fd);
    return high;
}

// The end of a fresh pipe that target uses (the read end for standard input,
// else the write end), with the other end already closed.
int brokenPipeEnd(int target) {
    int ends[2];
    if (::pipe(ends) != 0) return -1;
    const int kept = target == 0 ? 0 : 1;
    ::close(ends[1 - kept]);
    return setAside(ends[kept]);
}

// Makes descriptor target what kind says; usual is what it becomes then (-1:
// left as inherited). False on failure.
bool setUp(int target, Descriptor kind, int usual) {
    switch (kind) {
        case Descriptor::Usual:
            return usual < 0 || ::dup2(usual, target) == target;
        case Descriptor::Closed:
            ::close(target);
            return true;
        case Descriptor::BrokenPipe: {
            const int end = brokenPipeEnd(target);
            return end >= 0 && ::dup2(end, target) == target;
        }
    }
    return false;
}

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void execChild(const std::string& workDir, const std::string& out,
                            const std::string& err, std::vector<char*>& argv,
                            const StandardDescriptors& fds) {
    const int outFd = setAside(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
    const int errFd = setAside(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    if (outFd < 0 || errFd < 0 || !setUp(0, fds.in, -1) || !setUp(1, fds.out, outFd) ||
        !setUp(2, fds.err, errFd) || ::sigaction(SIGPIPE, &defaultAction, nullptr) != 0 ||
        ::chdir(workDir.c_str()) != 0) {
        ::_exit(127);
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

}  // namespace

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "halyx-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error(std::string("mkdtemp: ") + std::strerror(errno));
    }
    mPath = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(mPath, ignored);
}

std::string TempDir::write(const std::string& relative, const std::string& content) const {
    const fs::path file = fs::path(mPath) / relative;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
    return file.string();
}

AgentProcess::AgentProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& workDir, const StandardDescriptors& descriptors) {
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const std::string out = mCapture.path() + "/stdout";
    const std::string err = mCapture.path() + "/stderr";

    mPid = ::fork();
    if (mPid < 0) {
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    }
    if (mPid == 0) {
        execChild(workDir, out, err, argv, descriptors);
    }
}

AgentProcess::~AgentProcess() {
    if (!mStatus && mPid > 0) {
        ::kill(mPid, SIGKILL);
        int status;
        ::waitpid(mPid, &status, 0);
    }
}

std::optional<int> AgentProcess::waitExit(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!mStatus) {
        int status;
        const pid_t done = ::waitpid(mPid, &status, WNOHANG);
        if (done == mPid) {
            mStatus = decodeStatus(status);
        } else if (std::chrono::steady_clock::now() >= deadline) {
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return mStatus;
}

std::string AgentProcess::output() const {
    return readFile(mCapture.path() + "/stdout");
}

std::string AgentProcess::errors() const {
    return readFile(mCapture.path() + "/stderr");
}

std::string agentBinary() {
#ifdef HALYX_BIN
    return HALYX_BIN;
#else
    return std::string();
#endif
}

}  // namespace halyx_test
