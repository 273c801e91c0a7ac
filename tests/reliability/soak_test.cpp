// A long match of the agent against the sparring server, run as fast as the
// two can go: no reply is missed and the agent's resident memory stops
// growing once it is warm. The cycle count comes from HALYX_SOAK_CYCLES
// (200000, about 67 minutes of simulated time, when unset). Labelled soak:
// the default test run leaves it out.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/reliability/agent_session.h"

using halyx_test::AgentProcess;
using halyx_test::TempDir;

namespace {

const double kCycle = 0.02;          // seconds of simulated time
const double kWarmUpShare = 0.1;     // the first tenth of the run is warm-up
const double kAllowedGrowth = 0.01;  // resident memory after warm-up, share
const int kSampleMs = 50;            // how often resident memory is read
const int kUnums[] = {1, 4};         // the goalkeeper and a field player

long soakCycles() {
    const char* text = std::getenv("HALYX_SOAK_CYCLES");
    return text != nullptr ? std::atol(text) : 200000;
}

// Falls of both robots and goals for both sides at a steady rhythm, so that
// the run passes through get-ups and beam windows again and again.
std::string scenario(double duration) {
    std::ostringstream out;
    for (double t = 10; t + 20 < duration; t += 20) {
        out << t << " fall left 1 back 3\n"
            << t + 5 << " fall left 4 front 3\n"
            << t + 10 << " goal " << (static_cast<long>(t) % 40 == 10 ? "left" : "right") << '\n'
            << t + 15 << " ball " << (static_cast<long>(t) % 7) - 3 << " 1\n";
    }
    return out.str();
}

struct MemoryCurve {
    long first = 0;  // kB, first reading
    long start = 0;  // kB, at the end of warm-up
    long end = 0;    // kB, last reading before the agent exited
    long peak = 0;   // kB, highest reading after warm-up
};

MemoryCurve curve(const std::vector<long>& samples) {
    MemoryCurve c;
    if (samples.empty()) return c;
    const size_t warm = static_cast<size_t>(samples.size() * kWarmUpShare);
    c.first = samples.front();
    c.start = samples[warm];
    c.end = samples.back();
    c.peak = *std::max_element(samples.begin() + static_cast<long>(warm), samples.end());
    return c;
}

std::string waitForPort(const std::string& file, AgentProcess& server) {
    for (int i = 0; i < 1000; ++i) {
        std::ifstream in(file);
        std::string port;
        if (in >> port) return port;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    throw std::runtime_error("sparring did not start: " + server.errors());
}

}  // namespace

TEST(Soak, LongMatchMissesNoReplyAndMemoryStaysFlatAfterWarmUp) {
    const long cycles = soakCycles();
    const double duration = cycles * kCycle;
    TempDir dir;
    const std::string team = std::string(HALYX_SOURCE_DIR) + "/team";
    AgentProcess server(
        SPARRING_BIN,
        {"--world", "kinematic", "--port", "0", "--port-file", dir.path() + "/port", "--agents",
         "2", "--duration", std::to_string(duration), "--timeout", "30000", "--svg", "",
         "--scenario", dir.write("scenario.txt", scenario(duration))},
        dir.path());
    const std::string port = waitForPort(dir.path() + "/port", server);

    std::vector<std::unique_ptr<AgentProcess>> agents;
    std::vector<pid_t> pids;
    for (int unum : kUnums) {
        std::vector<std::string> words =
            halyx_test::agentCommand({"--port", port, "--unum", std::to_string(unum)});
        const std::string program = words.front();
        words.erase(words.begin());
        agents.push_back(std::make_unique<AgentProcess>(program, words, team));
        pid_t pid = -1;
        for (int i = 0; i < 200 && pid < 0; ++i) {
            pid = halyx_test::agentPid(unum);
            if (pid < 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        pids.push_back(pid);
    }

    std::vector<std::vector<long>> samples(pids.size());
    while (!server.waitExit(kSampleMs)) {
        for (size_t i = 0; i < pids.size(); ++i) {
            const long kb = halyx_test::statusKb(pids[i], "VmRSS:");
            if (kb > 0) samples[i].push_back(kb);
        }
    }
    ASSERT_EQ(server.waitExit(), 0) << server.errors();

    const std::string summary = server.output();
    const std::regex answered("answered=(\\d+)/(\\d+)");
    int lines = 0;
    for (std::sregex_iterator m(summary.begin(), summary.end(), answered), end; m != end; ++m) {
        EXPECT_EQ((*m)[1], (*m)[2]) << "replies missed";
        EXPECT_GE(std::stol((*m)[2]), cycles) << summary;
        ++lines;
    }
    EXPECT_EQ(lines, 2) << summary;
    EXPECT_EQ(summary.find("malformed=0"), summary.find("malformed=")) << summary;
    std::printf("%s", summary.c_str());

    const bool measured = halyx_test::agentMemoryMeasurable();
    for (size_t i = 0; i < agents.size(); ++i) {
        EXPECT_EQ(agents[i]->waitExit(60000), 0) << agents[i]->errors();
        const MemoryCurve c = curve(samples[i]);
        std::printf(
            "soak: unum %d, %ld cycles, %zu samples, resident kB first %ld, after "
            "warm-up %ld, end %ld, peak after warm-up %ld\n",
            kUnums[i], cycles, samples[i].size(), c.first, c.start, c.end, c.peak);
        if (!measured || samples[i].size() < 10) continue;
        EXPECT_LT(c.peak, c.start * (1 + kAllowedGrowth)) << "unum " << kUnums[i];
    }
}
