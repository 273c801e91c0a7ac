// Writes the reference server messages of the benchmarks, as the sparring world sends
// them to our number 5 in play with full vision: a vision message of 3000 bytes, one of a
// cycle without vision, and one of exactly 6000 bytes, the longest an agent accepts. The
// two teams of nine give a vision message of about 2 KB; the longer ones have more
// opponents in view.
//
//   make_bench_messages <formation.conf> <output folder>
#include <fstream>
#include <iostream>
#include <string>

#include "bench/match_scene.h"

namespace {

const long kVisionCycle = 4000;  // 80 s into the match; vision every other cycle
const std::string::size_type kFullVision = 3000;
const std::string::size_type kLongest = 6000;

std::string messageOf(const std::string& formation, MatchScene::Options options, long cycle) {
    options.vision.full = true;
    options.vision.period = 2;
    MatchScene scene(formation, options);
    return scene.message(cycle, sparring::PlayMode::PlayOn);
}

// A message of exactly `size` bytes: the most extra robots in view that keep it within
// `size` with one-byte utterances, then the utterances grown byte by byte.
std::string messageOfSize(const std::string& formation, std::string::size_type size) {
    MatchScene::Options options;
    options.ourSay = options.theirSay = 1;
    while (messageOf(formation, options, kVisionCycle).size() <= size) ++options.extraRobots;
    --options.extraRobots;
    std::string message = messageOf(formation, options, kVisionCycle);
    while (message.size() < size && options.theirSay < 64) {
        int& grow = options.ourSay <= options.theirSay ? options.ourSay : options.theirSay;
        ++grow;
        message = messageOf(formation, options, kVisionCycle);
    }
    return message;
}

bool save(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::cerr << "cannot write " << path << '\n';
        return false;
    }
    std::cout << path << ": " << text.size() << " bytes\n";
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_bench_messages <formation.conf> <output folder>\n";
        return 2;
    }
    const std::string formation = argv[1];
    const std::string folder = std::string(argv[2]) + "/";
    const MatchScene::Options usual;
    const bool ok = save(folder + "full_vision.txt", messageOfSize(formation, kFullVision)) &&
                    save(folder + "no_vision.txt", messageOf(formation, usual, kVisionCycle + 1)) &&
                    save(folder + "longest_frame.txt", messageOfSize(formation, kLongest));
    return ok ? 0 : 1;
}
