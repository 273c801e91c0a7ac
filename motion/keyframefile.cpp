// Reading the keyframe motion files into their tables.

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "motion/actions.h"
#include "worldmodel/types.h"

namespace {

// Lines are read up to this many characters; a longer line ends the file.
const int kMaxLine = 999;

// The cell value of one header token: JointID + 1 of the joint it names, or 0
// for a name that is no joint, so that playback skips the column instead of
// driving the first head joint with it. The joint table is only read.
double jointCode(const std::string& name) {
    std::map<std::string, JointID>::const_iterator it = Types::mJointIDMap.find(name);
    return it == Types::mJointIDMap.end() ? 0.0 : it->second + 1.0;
}

// The cell value of one keyframe token. "." keeps the previous keyframe's value
// of the same column (0 in the first keyframe); anything else is read by atof.
// "nan", "inf" and overflowing numbers read as 0 like other non-numbers, so
// that no comparison of motion time or joint target ever sees them.
double keyframeValue(const std::string& token, const double* column, int row) {
    if (token == ".") return row > 1 ? column[row - 1] : 0.0;
    double value = std::atof(token.c_str());
    return std::isfinite(value) ? value : 0.0;
}

}  // namespace

bool Actions::fill(double (*table)[kTableSize], std::string name) {
    // The table is cleared first, so cells that the file does not reach (short
    // lines, a short header) read as 0 and name no joint.
    for (int c = 0; c < kTableSize; ++c)
        for (int r = 0; r < kTableSize; ++r) table[c][r] = 0.0;

    mActFile.clear();
    mActFile.open(("./Acts/" + name + ".txt").c_str());
    const bool opened = mActFile.is_open();
    int rows = 0;
    int widest = 0;
    char line[kMaxLine + 1];
    // Lines after the 24th non-empty one do not fit the table and are ignored.
    while (rows < kTableSize && mActFile.is_open() && mActFile.getline(line, sizeof line)) {
        std::string text(line);
        text = text.substr(0, text.find(';'));
        std::istringstream tokens(text);
        std::string token;
        int c = 0;
        for (; tokens >> token; ++c) {
            if (c >= kTableSize) continue;  // beyond the table's 24 columns
            if (rows == 0 && c >= 2)
                table[c][0] = jointCode(token);
            else
                table[c][rows] = keyframeValue(token, table[c], rows);
        }
        if (c == 0) continue;  // blank or comment only: not a row
        if (c > widest) widest = c < kTableSize ? c : kTableSize;
        ++rows;
    }
    table[0][0] = widest;
    table[1][0] = rows;
    mActFile.close();
    mActFile.clear();
    return opened;
}
