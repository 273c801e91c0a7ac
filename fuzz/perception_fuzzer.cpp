// Feeds arbitrary server messages through the agent's whole cycle: the text
// becomes predicates, the perceptors are written into a world model, the
// robot localises itself, and the decision object answers. No message may
// crash it, leave a non-finite pose behind, or make it send a command that
// holds a non-finite number or is not well formed.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "behavior/mybehavior.h"
#include "fuzz/command_check.h"
#include "fuzz/workdir.h"
#include "parser/parser.h"
#include "parser/sexpparser.h"
#include "worldmodel/worldmodel.h"

namespace {

using halyx_fuzz::checkCommand;
using halyx_fuzz::require;

const char kTeamName[] = "QEL";
const size_t kMaxMessages = 8;

bool finite(const salt::Vector3f& v) {
    return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z());
}

// The agent reads its motions and formation from the working directory.
MyBehavior& agent() {
    static MyBehavior* behavior = [] {
        // The team's own motions and formation, copied so that nothing the
        // fuzzer writes lands in the source tree.
        namespace fs = std::filesystem;
        const fs::path team = HALYX_SOURCE_DIR "/team";
        halyx_fuzz::enterScratchDir();
        fs::copy(team / "Acts", "Acts", fs::copy_options::overwrite_existing);
        fs::copy_file(team / "formation.conf", "formation.conf");
        std::cout.rdbuf(nullptr);  // the status lines only slow the fuzzer down
        MyBehavior* b = new MyBehavior(5);
        b->Think("");  // the first message only opens the conversation
        return b;
    }();
    return *behavior;
}

// The input holds up to kMaxMessages messages separated by zero bytes (a
// frame's text never holds one).
std::vector<std::string> messages(const uint8_t* data, size_t size) {
    std::vector<std::string> result;
    const char* text = reinterpret_cast<const char*>(data);
    size_t pos = 0;
    while (pos < size && result.size() < kMaxMessages) {
        const size_t length = strnlen(text + pos, size - pos);
        result.emplace_back(text + pos, length);
        pos += length + 1;
    }
    return result;
}

void checkPose(const WorldModel& wm, const std::string& message) {
    require(finite(wm.getMyPos()) && std::isfinite(wm.getMyAngle()),
            "non-finite pose after message: " + message);
    require(finite(wm.getBallPos()), "non-finite ball position after message: " + message);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    agent();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::vector<std::string> texts = messages(data + 1, size - 1);

    // A fresh store read through the parser alone.
    WorldModel wm;
    wm.setTeamName(kTeamName);
    Parser parser(wm);
    for (const std::string& text : texts) {
        parser.doParse(text);
        wm.globalize();
        checkPose(wm, text);
    }

    // The whole agent, its store reset so that one input replays the same.
    // The first byte chooses the goalkeeper or a field player.
    WorldModel* shared = WorldModel::getInstance();
    *shared = WorldModel();
    shared->setTeamName(kTeamName);
    shared->setUnum(data[0] % 2 == 0 ? 1 : 5);
    for (const std::string& text : texts) {
        checkCommand("reply", agent().Think(text));
        checkPose(*shared, text);
    }
    return 0;
}
