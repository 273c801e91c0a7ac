// Whole matches of the real agent binary against the real sparring binary on loopback:
// the full team of nine, and a scripted fall.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <thread>

#include "tests/support/agent_process.h"

using halyx_test::AgentProcess;
using halyx_test::TempDir;

namespace {

using Fields = std::map<std::string, std::string>;

const std::string kTeamDir = std::string(HALYX_SOURCE_DIR) + "/team";

// The agent lines of a summary, each as its key=value fields, by uniform number.
std::map<int, Fields> agentLines(const std::string& summary) {
    std::map<int, Fields> agents;
    const std::regex line("^agent \\d+: (.*)$", std::regex::multiline);
    const std::regex field("(\\w+)=(\"[^\"]*\"|\\S+)");
    for (std::sregex_iterator l(summary.begin(), summary.end(), line), end; l != end; ++l) {
        Fields f;
        const std::string text = (*l)[1];
        for (std::sregex_iterator m(text.begin(), text.end(), field); m != end; ++m) {
            f[(*m)[1]] = (*m)[2];
        }
        agents[std::stoi(f["unum"])] = f;
    }
    return agents;
}

// A sparring server and the agents started against it, in a temporary folder.
class Match {
public:
    explicit Match(const std::vector<std::string>& options, const std::string& scenario = "") {
        std::vector<std::string> args = {"--port",      "0",
                                         "--port-file", dir_.path() + "/port",
                                         "--svg",       dir_.path() + "/field.svg",
                                         "--formation", kTeamDir + "/formation.conf",
                                         "--timeout",   "5000"};
        if (!scenario.empty()) {
            args.push_back("--scenario");
            args.push_back(dir_.write("scenario.txt", scenario));
        }
        args.insert(args.end(), options.begin(), options.end());
        server_ = std::make_unique<AgentProcess>(SPARRING_BIN, args, dir_.path());
        port_ = waitForPort();
    }

    void startAgent(int unum, const std::vector<std::string>& options = {}) {
        std::vector<std::string> args{"--port", port_, "--unum", std::to_string(unum)};
        args.insert(args.end(), options.begin(), options.end());
        agents_.push_back(std::make_unique<AgentProcess>(HALYX_BIN, args, kTeamDir));
    }

    // Whether the server's log holds text within timeoutMs.
    bool logShows(const std::string& text, int timeoutMs = 10000) const {
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            if (log().find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // The server's exit status once the match is over (empty on time-out).
    std::optional<int> finish() { return server_->waitExit(60000); }
    std::string summary() const { return server_->output(); }
    std::string log() const { return server_->errors(); }
    std::vector<std::unique_ptr<AgentProcess>>& agents() { return agents_; }
    std::string picture() const { return dir_.path() + "/field.svg"; }

private:
    std::string waitForPort() {
        for (int i = 0; i < 500; ++i) {
            std::ifstream in(dir_.path() + "/port");
            std::string port;
            if (in >> port) return port;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        throw std::runtime_error("sparring did not start: " + server_->errors());
    }

    TempDir dir_;
    std::unique_ptr<AgentProcess> server_;
    std::vector<std::unique_ptr<AgentProcess>> agents_;
    std::string port_;
};

// After the kick-off the field players are turned to face the touch line, where no
// landmark is in view, so that they have to look for them; then a goal sends everybody
// back to their spots.
std::string lookAroundThenGoal() {
    std::string scenario = "6.0 goal right\n";
    for (int unum = 2; unum <= 9; ++unum) {
        scenario += "4.0 place left " + std::to_string(unum) + " " + std::to_string(-5.5 + unum) +
                    " 3.5 90\n";
    }
    return scenario;
}

bool anyBeam(const std::map<int, Fields>& agents) {
    for (const auto& a : agents) {
        if (a.second.at("beam") != "-") return true;
    }
    return false;
}

}  // namespace

TEST(TeamMatch, NineAgentsJoinBeamToTheirSpotsPlayTheirRolesAndExitAtGameOver) {
    Match match({"--agents", "9", "--wait", "30", "--duration", "10"}, lookAroundThenGoal());
    for (int unum = 1; unum <= 9; ++unum) match.startAgent(unum);
    ASSERT_EQ(match.finish(), 0) << match.log();
    const auto agents = agentLines(match.summary());
    ASSERT_EQ(agents.size(), 9u) << match.summary();
    if (!anyBeam(agents)) GTEST_SKIP() << "the agent is still the minimal stand-in: it never beams";
    for (const auto& [unum, f] : agents) {
        EXPECT_EQ(f.at("team"), "QEL");
        EXPECT_EQ(f.at("init"), "yes") << unum;
        ASSERT_NE(f.at("off"), "-") << unum << ": no beam or no formation spot";
        EXPECT_LE(std::stod(f.at("off")), 0.001) << unum;
        EXPECT_GE(std::stoi(f.at("beams")), 2 * 20) << unum << ": not beamed after the goal";
        EXPECT_EQ(f.at("malformed"), "0") << unum << " " << f.count("problem");
        EXPECT_EQ(f.at("end"), "\"game over\"") << unum;
        const std::string answered = f.at("answered");
        EXPECT_EQ(answered.substr(0, answered.find('/')), answered.substr(answered.find('/') + 1));
    }
    EXPECT_GT(std::stoi(agents.at(1).at("body")), 0) << "the goalkeeper never moved";
    for (int unum = 2; unum <= 9; ++unum) {
        EXPECT_GT(std::stoi(agents.at(unum).at("head")), 0) << unum << " never turned its head";
        EXPECT_EQ(agents.at(unum).at("body"), "0") << unum << " moved more than its head";
    }
    for (auto& agent : match.agents()) EXPECT_EQ(agent->waitExit(10000), 0) << agent->errors();
    EXPECT_NE(match.summary().find("picture: " + match.picture()), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(match.picture()));
}

TEST(TeamMatch, RobotFallenOnItsBackSendsTheGetUpWithinAFewCycles) {
    // Lying on its back the camera looks at the sky; with full vision the agent can
    // still fix its camera's orientation, which is how it tells the kind of fall.
    // The kinematic world's get-up rule (knees or hips folded, then stretched) stands it
    // again.
    // The back get-up takes 6.6 s; the match lasts long enough to see it end.
    Match match({"--agents", "1", "--duration", "14", "--full-vision", "--world", "kinematic"},
                "5.0 fall left 5 back 10\n");
    match.startAgent(5);
    ASSERT_EQ(match.finish(), 0) << match.log();
    const auto agents = agentLines(match.summary());
    ASSERT_EQ(agents.count(5), 1u) << match.summary();
    if (!anyBeam(agents)) GTEST_SKIP() << "the agent is still the minimal stand-in: it never beams";
    const Fields& f = agents.at(5);
    EXPECT_EQ(f.at("falls"), "1");
    ASSERT_NE(f.at("first_getup"), "-") << "no get-up command while lying";
    // The get-up holds every joint still for its first 0.3 s, while the fall settles.
    EXPECT_LE(std::stod(f.at("first_getup")), 0.4);
    EXPECT_GT(std::stoi(f.at("getup")), 20);
    // Its joints go through the get-up, so it stands long before its lying time is up.
    const std::string log = match.log();
    std::smatch up;
    ASSERT_TRUE(
        std::regex_search(log, up, std::regex("agent 1 \\(QEL 5\\) stands again at t=([0-9.]+)")))
        << log;
    EXPECT_LT(std::stod(up[1]), 5.0 + 10);
    EXPECT_EQ(match.agents()[0]->waitExit(10000), 0);
}

TEST(TeamMatch, InSyncModeTheTeamPlaysAFullMatchWithEveryCycleAdvancedBySyn) {
    Match match({"--agents", "9", "--wait", "30", "--duration", "5", "--sync"});
    for (int unum = 1; unum <= 9; ++unum) match.startAgent(unum, {"--sync"});
    ASSERT_EQ(match.finish(), 0) << match.log();
    std::smatch heading;
    const std::string summary = match.summary();
    ASSERT_TRUE(
        std::regex_search(summary, heading, std::regex("5\\.00 s simulated, (\\d+) cycles")))
        << summary;
    const int cycles = std::stoi(heading[1]);
    EXPECT_EQ(cycles, 250);
    const auto agents = agentLines(summary);
    ASSERT_EQ(agents.size(), 9u) << summary;
    for (const auto& [unum, f] : agents) {
        const std::string answered = f.at("answered");
        const std::string replies = answered.substr(0, answered.find('/'));
        // Every message of the match, the GameOver ones included, answered with (syn).
        EXPECT_GE(std::stoi(replies), cycles) << unum;
        EXPECT_EQ(replies, answered.substr(answered.find('/') + 1)) << unum;
        EXPECT_EQ(f.at("syn"), replies) << unum;
        EXPECT_EQ(f.at("init"), "yes") << unum;
        EXPECT_EQ(f.at("malformed"), "0") << unum;
        EXPECT_EQ(f.at("end"), "\"game over\"") << unum;
    }
    for (auto& agent : match.agents()) EXPECT_EQ(agent->waitExit(10000), 0) << agent->errors();
}

TEST(TeamMatch, TheTeamPlaysTheNewerMessageFormsAsTheOlder) {
    Match match({"--agents", "9", "--wait", "30", "--duration", "10", "--forms", "new"},
                lookAroundThenGoal());
    for (int unum = 1; unum <= 9; ++unum) match.startAgent(unum);
    ASSERT_EQ(match.finish(), 0) << match.log();
    const auto agents = agentLines(match.summary());
    ASSERT_EQ(agents.size(), 9u) << match.summary();
    for (const auto& [unum, f] : agents) {
        ASSERT_NE(f.at("off"), "-") << unum;
        EXPECT_LE(std::stod(f.at("off")), 0.001) << unum;
        EXPECT_GE(std::stoi(f.at("beams")), 2 * 20) << unum << ": not beamed after the goal";
        EXPECT_EQ(f.at("malformed"), "0") << unum;
        EXPECT_EQ(f.at("end"), "\"game over\"") << unum;
        if (unum > 1) {
            EXPECT_GT(std::stoi(f.at("head")), 0) << unum << " never turned its head";
        }
    }
    EXPECT_GT(std::stoi(agents.at(1).at("body")), 0) << "the goalkeeper never moved";
}

TEST(TeamMatch, AnAgentWithoutSyncIsReportedByTheSyncServersTimeOut) {
    Match match({"--agents", "1", "--wait", "30", "--duration", "1", "--sync", "--timeout", "500"});
    match.startAgent(3);
    ASSERT_TRUE(match.logShows("agent 1 dropped: no (syn) within 500 ms")) << match.log();
    EXPECT_EQ(match.agents()[0]->waitExit(10000), 0);  // the server closed its connection
    // The server goes on waiting for agents, and plays with one that syncs.
    match.startAgent(2, {"--sync"});
    ASSERT_EQ(match.finish(), 0) << match.log();
    const auto agents = agentLines(match.summary());
    ASSERT_EQ(agents.size(), 2u) << match.summary();
    EXPECT_EQ(agents.at(0).at("init"), "no");  // its init came without (syn)
    EXPECT_EQ(agents.at(0).at("end"), "\"dropped: no (syn) within 500 ms at t=0.00\"");
    EXPECT_EQ(agents.at(2).at("end"), "\"game over\"");
    EXPECT_EQ(agents.at(2).at("syn"), "53");
}

TEST(SparringBinary, RefusesBadInputAndEndsWhenNoAgentComes) {
    TempDir dir;
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{"--frobnicate"}, 2, "unknown option \"--frobnicate\""},
        {{"--port"}, 2, "--port needs a value"},
        {{"--forms", "sideways"}, 2, "--forms: \"sideways\" is not new or old"},
        {{"--scenario", dir.write("bad.txt", "1 jump left 2\n")}, 1, "scenario line 1"},
        {{"--formation", "/nonexistent/formation.conf"}, 1, "cannot read formation file"},
        {{"--port", "0", "--agents", "1", "--wait", "0.2"}, 1, "no agent connected"},
    };
    for (const Case& c : cases) {
        AgentProcess sparring(SPARRING_BIN, c.args, dir.path());
        EXPECT_EQ(sparring.waitExit(10000), c.status) << c.args[0];
        EXPECT_NE(sparring.errors().find(c.says), std::string::npos) << sparring.errors();
    }
}
