// Loads arbitrary file contents as a keyframe motion file and plays the table
// back. The loader must keep within the table, leave only finite cells and
// joint codes playback can use, and playback must send well-formed commands
// without non-finite numbers.
#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz/command_check.h"
#include "fuzz/workdir.h"
#include "motion/actions.h"
#include "worldmodel/types.h"

namespace {

using halyx_fuzz::checkCommand;
using halyx_fuzz::require;

const int kN = Actions::kTableSize;
const int kCycles = 40;  // 0.8 s of motion time, 20 ms per cycle

void checkTable(const Actions::Table& table) {
    for (int c = 0; c < kN; ++c)
        for (int r = 0; r < kN; ++r) require(std::isfinite(table[c][r]), "non-finite cell");
    require(table[0][0] >= 0 && table[0][0] <= kN, "column count outside the table");
    require(table[1][0] >= 0 && table[1][0] <= kN, "row count outside the table");
    for (int c = 2; c < kN; ++c) {
        const double code = table[c][0];
        require(code == std::floor(code) && code >= 0 && code <= kJointCount,
                "header cell is no joint code");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    halyx_fuzz::enterScratchDir();  // no motion files there: the engine starts empty
    Types::fill();
    Actions::getInstance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    halyx_fuzz::writeFile("Acts/fuzz.txt", std::string(reinterpret_cast<const char*>(data), size));
    static Actions::Table table;
    Actions* actions = Actions::getInstance();
    actions->fill(table, "fuzz");
    checkTable(table);
    double t = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) checkCommand("keyframe", actions->act(table, t));
    return 0;
}
