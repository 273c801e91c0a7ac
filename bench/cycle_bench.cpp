// One server message through the agent: the perceptor parser alone on each reference
// message of the sparring world, and the whole decision cycle (parse, localise, decide,
// status line) of the goalkeeper and of a field player.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "behavior/mybehavior.h"
#include "motion/actions.h"
#include "parser/parser.h"
#include "worldmodel/field.h"
#include "worldmodel/types.h"
#include "worldmodel/worldmodel.h"

namespace {

const char kFullVision[] = "full_vision.txt";  // 3000 bytes, everything in view
const char kNoVision[] = "no_vision.txt";      // 940 bytes, a cycle without vision
const char kLongest[] = "longest_frame.txt";   // 6000 bytes, the longest accepted

std::string readMessage(const std::string& name) {
    std::ifstream in(std::string(HALYX_SOURCE_DIR) + "/bench/data/" + name, std::ios::binary);
    if (!in) throw std::runtime_error("missing reference message " + name);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void replaceFirst(std::string& text, const std::string& from, const std::string& to) {
    const std::string::size_type at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
}

// Copies of a reference message (taken at 80 s) whose clock moves on by one cycle of 20 ms
// each, so that a run sees a new server time every cycle, as in a match; the clock goes
// back once per lap through the copies.
std::vector<std::string> withMovingClock(const std::string& message, int count) {
    std::vector<std::string> copies;
    for (int k = 0; k < count; ++k) {
        char now[32];
        std::snprintf(now, sizeof now, "%.2f", 80.0 + 0.02 * k);
        std::string copy = message;
        replaceFirst(copy, "(now 80.00)", std::string("(now ") + now + ")");
        replaceFirst(copy, "(t 80.00)", std::string("(t ") + now + ")");
        for (std::string::size_type at = 0;
             (at = copy.find("(hear 80.00 ", at)) != std::string::npos;) {
            copy.replace(at + 6, 5, now);
            at += 6;
        }
        copies.push_back(copy);
    }
    return copies;
}

// As withMovingClock, and every reading changes from one copy to the next as in a match
// (positions, angles and forces never repeat exactly): in copy k the last digit of every
// decimal number is moved on by k. Only keys, names and whole numbers (ids) repeat.
std::vector<std::string> withChangingReadings(const std::string& message, int count) {
    std::vector<std::string> copies = withMovingClock(message, count);
    for (int k = 0; k < count; ++k) {
        std::string& copy = copies[static_cast<std::size_t>(k)];
        bool decimals = false;  // inside the digits after a decimal point
        for (std::size_t i = 0; i < copy.size(); ++i) {
            const char c = copy[i];
            const bool digit = c >= '0' && c <= '9';
            if (c == '.' && i > 0 && copy[i - 1] >= '0' && copy[i - 1] <= '9') {
                decimals = true;
            } else if (!digit) {
                decimals = false;
            } else if (decimals &&
                       (i + 1 == copy.size() || copy[i + 1] < '0' || copy[i + 1] > '9')) {
                copy[i] = static_cast<char>('0' + (c - '0' + k) % 10);
            }
        }
    }
    return copies;
}

// The agent's standard output goes to /dev/null while a cycle runs: writing the status
// line is part of a cycle's cost, the terminal behind it is not.
class QuietStdout {
public:
    QuietStdout() : mSaved(dup(STDOUT_FILENO)) {
        std::cout.flush();
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~QuietStdout() {
        std::cout.flush();
        dup2(mSaved, STDOUT_FILENO);
        close(mSaved);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int mSaved;
};

void ParserDoParse(benchmark::State& state, const char* name, bool changing) {
    const std::vector<std::string> messages = changing
                                                  ? withChangingReadings(readMessage(name), 1000)
                                                  : withMovingClock(readMessage(name), 1000);
    Types::fill();
    WorldModel worldModel;
    worldModel.setTeamName("QEL");
    Parser parser(worldModel);
    std::size_t k = 0;
    for (auto _ : state) {
        parser.doParse(messages[k]);
        k = (k + 1) % messages.size();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * messages[0].size()));
}
BENCHMARK_CAPTURE(ParserDoParse, full_vision_3000B, kFullVision, false)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(ParserDoParse, full_vision_3000B_changing, kFullVision, true)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(ParserDoParse, no_vision_940B, kNoVision, false)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(ParserDoParse, longest_6000B, kLongest, false)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The agent reads its motions and formation from the team folder, as when it plays.
void enterTeamFolder() {
    static const bool entered = chdir((std::string(HALYX_SOURCE_DIR) + "/team").c_str()) == 0;
    if (!entered) throw std::runtime_error("cannot enter the team folder");
}

// MyBehavior::Think on a message of the match, after the first (init) cycle. The motion
// engine starts idle, as after a beam. With `soccer`, as with --soccer: the team play
// hears, decides and steps its skills (the walk to a spot, or the ball skills for the ball
// taker), with the team folder's walk and kick.
void runThink(benchmark::State& state, int unum, const char* name, bool changing, bool soccer) {
    const std::vector<std::string> messages = changing
                                                  ? withChangingReadings(readMessage(name), 1000)
                                                  : withMovingClock(readMessage(name), 1000);
    enterTeamFolder();
    QuietStdout quiet;
    MyBehavior agent(unum);
    if (soccer)
        agent.setSoccer(skills::readWalkParameters("walk.conf"),
                        skills::readKickParameters("kick.conf"), designField(), "QEL");
    agent.Think(std::string());
    Actions::getInstance()->setCurAct(ACT_NONE);
    std::size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(agent.Think(messages[k]));
        k = (k + 1) % messages.size();
    }
}

void Think(benchmark::State& state, int unum, const char* name, bool changing) {
    runThink(state, unum, name, changing, false);
}
BENCHMARK_CAPTURE(Think, goalkeeper_full_vision, 1, kFullVision, false)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(Think, goalkeeper_full_vision_changing, 1, kFullVision, true)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(Think, field_player_full_vision, 5, kFullVision, false)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(Think, field_player_full_vision_changing, 5, kFullVision, true)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(Think, field_player_no_vision, 5, kNoVision, false)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(Think, field_player_longest, 5, kLongest, false)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void ThinkSoccer(benchmark::State& state, int unum, const char* name, bool changing) {
    runThink(state, unum, name, changing, true);
}
BENCHMARK_CAPTURE(ThinkSoccer, goalkeeper_full_vision_changing, 1, kFullVision, true)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(ThinkSoccer, field_player_full_vision_changing, 5, kFullVision, true)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(ThinkSoccer, ball_taker_full_vision_changing, 9, kFullVision, true)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
