#include "tests/reliability/agent_session.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>

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
    const std::string init = exchange("(time (now 0.00))(GS (t 0.00) (pm BeforeKickOff))");
    if (init.rfind("(init (unum ", 0) != 0) throw std::runtime_error("no init command: " + init);
}

std::string AgentSession::exchange(const std::string& text) {
    mServer.sendFrame(text);
    return mServer.receiveFrame(kTimeoutMs);
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
