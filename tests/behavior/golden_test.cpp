// Golden replay: the real agent, run in the shipped team folder (its motions and
// formation), answers a scripted game (golden/session.msgs, made by
// golden/make_session.py) and every reply and every line it prints must match
// the recorded transcript byte for byte. Any change of behaviour shows up here;
// when a change is intended, rerun with HALYX_UPDATE_GOLDEN=1 to record the new
// transcript and review its diff.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/agent_process.h"
#include "tests/support/loopback_server.h"

namespace {

const std::string kGolden = std::string(HALYX_SOURCE_DIR) + "/tests/behavior/golden/";

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The first line where two texts differ, with both versions, or "" when equal.
std::string firstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream a(expected), b(actual);
    std::string la, lb;
    for (int line = 1;; ++line) {
        const bool moreA = static_cast<bool>(std::getline(a, la));
        const bool moreB = static_cast<bool>(std::getline(b, lb));
        if (!moreA && !moreB) return expected == actual ? "" : "line endings differ";
        if (moreA != moreB || la != lb) {
            return "line " + std::to_string(line) + "\n  recorded: " + (moreA ? la : "<end>") +
                   "\n  now:      " + (moreB ? lb : "<end>");
        }
    }
}

// Plays the scripted session against the agent and returns its replies, one per
// line, and everything it printed.
void replay(int unum, std::string& replies, std::string& printed,
            const std::vector<std::string>& options = {}) {
    halyx_test::LoopbackServer server;
    std::vector<std::string> args = {"--port", std::to_string(server.port()), "--unum",
                                     std::to_string(unum)};
    args.insert(args.end(), options.begin(), options.end());
    halyx_test::AgentProcess agent(HALYX_BIN, args, std::string(HALYX_SOURCE_DIR) + "/team");
    ASSERT_TRUE(server.accept());
    ASSERT_EQ(server.receiveFrame(), "(scene rsg/agent/nao/nao.rsg)");
    for (const std::string& message : readLines(kGolden + "session.msgs")) {
        server.sendFrame(message);
        replies += server.receiveFrame() + "\n";
    }
    server.closeClient();
    ASSERT_EQ(agent.waitExit(), 0);
    printed = agent.output();
}

void checkAgainstRecording(int unum, const std::string& name) {
    std::string replies, printed;
    replay(unum, replies, printed);
    if (std::getenv("HALYX_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(kGolden + name + ".replies", std::ios::binary) << replies;
        std::ofstream(kGolden + name + ".stdout", std::ios::binary) << printed;
        GTEST_SKIP() << "recorded " << name;
    }
    EXPECT_EQ(firstDifference(readFile(kGolden + name + ".replies"), replies), "")
        << "replies of " << name;
    EXPECT_EQ(firstDifference(readFile(kGolden + name + ".stdout"), printed), "")
        << "standard output of " << name;
}

}  // namespace

TEST(GoldenReplay, GoalkeeperAnswersTheScriptedGameAsRecorded) {
    checkAgainstRecording(1, "goalkeeper");
}

TEST(GoldenReplay, FieldPlayerAnswersTheScriptedGameAsRecorded) {
    checkAgainstRecording(5, "player5");
}

TEST(GoldenReplay, InSyncModeEveryRecordedReplyEndsWithSyn) {
    std::string replies, printed;
    replay(5, replies, printed, {"--sync"});
    std::string expected;
    std::istringstream recorded(readFile(kGolden + "player5.replies"));
    for (std::string line; std::getline(recorded, line);) expected += line + "(syn)\n";
    EXPECT_EQ(firstDifference(expected, replies), "");
    EXPECT_EQ(firstDifference(readFile(kGolden + "player5.stdout"), printed), "");
}

// The --log file is written beside the designed output and changes none of it: one
// line per message of the game, every reply and every printed line as recorded.
TEST(GoldenReplay, WithALogFileRepliesAndOutputStayAsRecorded) {
    halyx_test::TempDir dir;
    const std::string log = dir.path() + "/cycles.log";
    std::string replies, printed;
    replay(1, replies, printed, {"--log", log});
    EXPECT_EQ(firstDifference(readFile(kGolden + "goalkeeper.replies"), replies), "");
    EXPECT_EQ(firstDifference(readFile(kGolden + "goalkeeper.stdout"), printed), "");
    const std::vector<std::string> lines = readLines(log);
    EXPECT_EQ(lines.size(), readLines(kGolden + "session.msgs").size());
    const std::regex fields(
        "t=[0-9]+\\.[0-9]{2} pm=[A-Za-z_]+ "
        "(x=-?[0-9]+\\.[0-9]{2} y=-?[0-9]+\\.[0-9]{2} heading=-?[0-9]+\\.[0-9]|x=- y=- heading=-) "
        "ball=(-?[0-9]+\\.[0-9]{2},-?[0-9]+\\.[0-9]{2}|-) act=[a-z0-9-]+ down=[01] "
        "do=(init|beam|getup|guard|scan|stop|idle)");
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, fields)) << line;
}
