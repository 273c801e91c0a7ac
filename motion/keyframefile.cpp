// Reading the keyframe motion files into their tables, through the skills' reader.

#include "motion/actions.h"
#include "motion/skills/keyframes.h"

bool Actions::fill(double (*table)[kTableSize], std::string name) {
    // The table is cleared first, so cells that the file does not reach (short
    // lines, a short header) read as 0 and name no joint.
    for (int c = 0; c < kTableSize; ++c)
        for (int r = 0; r < kTableSize; ++r) table[c][r] = 0.0;
    skills::KeyframeMotion motion;
    const bool opened = skills::readKeyframeFile("./Acts/" + name + ".txt", motion);
    table[0][0] = motion.width;
    table[1][0] = static_cast<double>(motion.keyframes.size()) + (motion.hasHeader ? 1 : 0);
    for (std::size_t c = 0; c < motion.joints.size(); ++c) {
        table[c + 2][0] = motion.joints[c] + 1.0;  // 0: no joint
        for (std::size_t r = 0; r < motion.keyframes.size(); ++r)
            table[c + 2][r + 1] = motion.keyframes[r].targets[c];
    }
    for (std::size_t r = 0; r < motion.keyframes.size(); ++r) {
        table[0][r + 1] = motion.keyframes[r].start;
        table[1][r + 1] = motion.keyframes[r].end;
    }
    return opened;
}
