#include "tests/reliability/agent_session.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

// An agent built with AddressSanitizer holds freed memory in quarantine, so
// its resident memory grows by design; the memory check is for plain builds.
#if defined(__SANITIZE_ADDRESS__)
#define HALYX_AGENT_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HALYX_AGENT_SANITIZED 1
#endif
#endif
#ifndef HALYX_AGENT_SANITIZED
#define HALYX_AGENT_SANITIZED 0
#endif

namespace halyx_test {

namespace fs = std::filesystem;

namespace {

const char kScene[] = "(scene rsg/agent/nao/nao.rsg)";

void copyTeamFiles(const std::string& to) {
    const fs::path team = fs::path(HALYX_SOURCE_DIR) / "team";
    fs::copy(team / "Acts", fs::path(to) / "Acts");
    fs::copy_file(team / "formation.conf", fs::path(to) / "formation.conf");
}

// The program's path: the runner starts programs without a search of PATH.
std::string findProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    std::istringstream path(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "");
    for (std::string dir; std::getline(path, dir, ':');) {
        const fs::path candidate = fs::path(dir) / name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return name;
}

}  // namespace

std::vector<std::string> agentCommand(const std::vector<std::string>& args) {
    std::vector<std::string> words;
    if (const char* wrapper = std::getenv("HALYX_AGENT_WRAPPER")) {
        std::istringstream in(wrapper);
        for (std::string word; in >> word;) words.push_back(word);
        if (!words.empty()) words.front() = findProgram(words.front());
    }
    words.push_back(HALYX_BIN);
    words.insert(words.end(), args.begin(), args.end());
    return words;
}

AgentSession::AgentSession(int unum) {
    copyTeamFiles(mDir.path());
    std::vector<std::string> words =
        agentCommand({"--port", std::to_string(mServer.port()), "--unum", std::to_string(unum)});
    const std::string program = words.front();
    words.erase(words.begin());
    mAgent = std::make_unique<AgentProcess>(program, words, mDir.path());
    if (!mServer.accept(kTimeoutMs)) throw std::runtime_error("the agent did not connect");
    if (mServer.receiveFrame(kTimeoutMs) != kScene) throw std::runtime_error("no scene command");
    mPid = agentPid(unum);
    const std::string init = exchange("(time (now 0.00))(GS (t 0.00) (pm BeforeKickOff))");
    if (init.rfind("(init (unum ", 0) != 0) throw std::runtime_error("no init command: " + init);
}

std::string AgentSession::exchange(const std::string& text) {
    mServer.sendFrame(text);
    return mServer.receiveFrame(kTimeoutMs);
}

bool agentMemoryMeasurable() {
    return std::getenv("HALYX_AGENT_WRAPPER") == nullptr && !HALYX_AGENT_SANITIZED;
}

pid_t agentPid(int unum) {
    DIR* proc = ::opendir("/proc");
    pid_t found = -1;
    while (dirent* entry = proc != nullptr ? ::readdir(proc) : nullptr) {
        const std::string dir = std::string("/proc/") + entry->d_name;
        std::ifstream stat(dir + "/stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
        std::istringstream rest(line.substr(line.rfind(')') + 2));
        char state;
        pid_t parent;
        if (!(rest >> state >> parent) || parent != ::getpid()) continue;
        std::ifstream cmdline(dir + "/cmdline");
        const std::string words((std::istreambuf_iterator<char>(cmdline)), {});
        if (words.find(std::string("--unum\0", 7) + std::to_string(unum) + '\0') !=
            std::string::npos) {
            found = std::atoi(entry->d_name);
        }
    }
    if (proc != nullptr) ::closedir(proc);
    return found;
}

long statusKb(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + field.size());
    }
    return 0;
}

std::string AgentSession::perception(double t, const std::string& pm) {
    static const char* const kJoints[] = {
        "hj1",  "hj2",  "llj1", "rlj1", "llj2", "rlj2", "llj3", "rlj3", "llj4", "rlj4", "llj5",
        "rlj5", "llj6", "rlj6", "laj1", "raj1", "laj2", "raj2", "laj3", "raj3", "laj4", "raj4"};
    char head[160];
    std::snprintf(head, sizeof head,
                  "(time (now %.2f))(GS (unum 5) (team left) (t %.2f) (pm %s))"
                  "(GYR (n torso) (rt 0.00 0.00 0.00))",
                  t, t, pm.c_str());
    std::string text = head;
    text += "(FRP (n lf) (c 0.00 0.00 -0.01) (f 0.00 0.00 22.60))";
    text += "(FRP (n rf) (c 0.00 0.00 -0.01) (f 0.00 0.00 22.60))";
    text += "(TCH (name lf) (val 1))(TCH (name rf) (val 1))";
    for (const char* joint : kJoints) text += std::string("(HJ (n ") + joint + ") (ax 0.00))";
    // Camera at (-3.2, 0, 0.55) facing its own goal.
    text +=
        "(See (F1L (pol 4.91 -55.00 -6.43)) (F2L (pol 4.91 55.00 -6.43)) "
        "(G1L (pol 2.90 -14.04 4.95)) (G2L (pol 2.90 14.04 4.95)) (B (pol 1.50 10.00 -20.00)) "
        "(P (team QEL) (id 3) (pol 2.00 10.00 -2.00)) (P (team Rivals) (id 7) (pol 4.00 -20.00 "
        "-3.00)))";
    return text;
}

}  // namespace halyx_test
