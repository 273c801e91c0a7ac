#include "motion/skills/keyframes.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <istream>
#include <sstream>
#include <stdexcept>

namespace skills {

namespace {

// Lines are read up to this many characters; a longer line ends the file.
const int kMaxLine = 999;
// One server cycle of motion time, seconds.
const double kCycle = 0.02;
// A keyframe is active from 0.01 s before its start to 0.01 s before its end, so that
// the 0.02 s clock steps never straddle a boundary.
const double kMargin = 0.01;

const char* const kJointNames[kJointCount] = {
    "hj1",  "hj2",  "llj1", "rlj1", "llj2", "rlj2", "llj3", "rlj3", "llj4", "rlj4", "llj5",
    "rlj5", "llj6", "rlj6", "laj1", "raj1", "laj2", "raj2", "laj3", "raj3", "laj4", "raj4"};

// "." keeps the previous keyframe's value of the same column (0 in the first keyframe);
// anything else is read by atof. "nan", "inf" and overflowing numbers read as 0 like
// other non-numbers, so that no comparison of motion time or joint target sees them.
double cellValue(const std::string& token, double previous, bool first) {
    if (token == ".") return first ? 0.0 : previous;
    const double value = std::atof(token.c_str());
    return std::isfinite(value) ? value : 0.0;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The header's cells beyond the two times, and the cells of keyframe rows, are kept
// per column of the widest row; this widens every row read so far to `width`.
void widen(KeyframeMotion& m, int width) {
    if (width <= m.width) return;
    m.width = width;
    const std::size_t columns = width > 2 ? static_cast<std::size_t>(width - 2) : 0;
    m.joints.resize(columns, -1);
    for (auto& k : m.keyframes) k.targets.resize(columns, 0.0);
}

void readRow(KeyframeMotion& m, const std::vector<std::string>& cells) {
    const int count = static_cast<int>(cells.size());
    widen(m, count < KeyframeMotion::kMaxCells ? count : KeyframeMotion::kMaxCells);
    if (!m.hasHeader) {
        m.hasHeader = true;
        for (int c = 2; c < count && c < KeyframeMotion::kMaxCells; ++c)
            m.joints[c - 2] = jointNamed(cells[c]);
        return;
    }
    const bool first = m.keyframes.empty();
    const KeyframeMotion::Keyframe previous =
        first ? KeyframeMotion::Keyframe{0, 0, std::vector<double>(m.joints.size(), 0.0)}
              : m.keyframes.back();
    KeyframeMotion::Keyframe k{0, 0, std::vector<double>(m.joints.size(), 0.0)};
    for (int c = 0; c < count && c < KeyframeMotion::kMaxCells; ++c) {
        if (c == 0)
            k.start = cellValue(cells[c], previous.start, first);
        else if (c == 1)
            k.end = cellValue(cells[c], previous.end, first);
        else
            k.targets[c - 2] = cellValue(cells[c], previous.targets[c - 2], first);
    }
    m.keyframes.push_back(k);
}

}  // namespace

bool KeyframeMotion::drives(int joint) const {
    for (int j : joints)
        if (j == joint) return true;
    return false;
}

double KeyframeMotion::target(std::size_t k, int joint) const {
    for (std::size_t c = 0; c < joints.size(); ++c)
        if (joints[c] == joint) return keyframes[k].targets[c];
    return 0.0;
}

void KeyframeMotion::setTarget(std::size_t k, int joint, double degrees) {
    for (std::size_t c = 0; c < joints.size(); ++c) {
        if (joints[c] == joint) {
            keyframes[k].targets[c] = degrees;
            return;
        }
    }
}

const char* jointName(int joint) {
    return joint >= 0 && joint < kJointCount ? kJointNames[joint] : "?";
}

int jointNamed(const std::string& name) {
    for (int j = 0; j < kJointCount; ++j)
        if (name == kJointNames[j]) return j;
    return -1;
}

KeyframeMotion readKeyframes(std::istream& in) {
    KeyframeMotion m;
    std::string pending;  // comment lines since the last row
    char line[kMaxLine + 1];
    int rows = 0;
    while (rows < KeyframeMotion::kMaxRows && in.getline(line, sizeof line)) {
        const std::string text(line);
        const auto semi = text.find(';');
        if (semi != std::string::npos) {
            const std::string comment = trimmed(text.substr(semi + 1));
            if (!comment.empty()) pending += comment + "\n";
        }
        std::istringstream tokens(text.substr(0, semi));
        std::vector<std::string> cells;
        for (std::string t; tokens >> t;) cells.push_back(t);
        if (cells.empty()) continue;  // blank or comment only: not a row
        if (!m.hasHeader)
            m.heading = pending;
        else
            m.comments.push_back(pending);
        pending.clear();
        readRow(m, cells);
        ++rows;
    }
    return m;
}

bool readKeyframeFile(const std::string& path, KeyframeMotion& motion) {
    std::ifstream in(path);
    if (!in.is_open()) {
        motion = KeyframeMotion();
        return false;
    }
    motion = readKeyframes(in);
    return true;
}

void writeKeyframeFile(const KeyframeMotion& motion, const std::string& path) {
    std::ofstream out(path);
    if (!out) throw std::runtime_error("cannot write motion file " + path);
    std::istringstream heading(motion.heading);
    for (std::string l; std::getline(heading, l);) out << "; " << l << "\n";
    out << "\nstart end ";
    for (int j : motion.joints) out << " " << (j >= 0 ? kJointNames[j] : "none");
    out << "\n";
    for (std::size_t i = 0; i < motion.keyframes.size(); ++i) {
        const auto& k = motion.keyframes[i];
        std::istringstream comment(i < motion.comments.size() ? motion.comments[i] : "");
        for (std::string l; std::getline(comment, l);) out << "; " << l << "\n";
        char cell[32];
        std::snprintf(cell, sizeof cell, "%.3f %.3f ", k.start, k.end);
        out << cell;
        for (double target : k.targets) {
            std::snprintf(cell, sizeof cell, " %6.2f", std::round(target * 100) / 100 + 0.0);
            out << cell;
        }
        out << "\n";
    }
    if (!out) throw std::runtime_error("cannot write motion file " + path);
}

int mirrorJoint(int joint, double& sign) {
    // Pitch joints keep their sign; rolls and yaws of limbs turn the other way. So do the
    // hip yaw-pitch joints: their axes are each other's mirror images, so that the same
    // angle turns both feet clockwise (the body model and the physical world agree), and
    // a mirrored pose asks the other joint for the opposite angle (often out of its range
    // -90..1: the legs cannot mirror each other's yaw).
    switch (joint) {
        case HJ1:
            sign = -1;
            return HJ1;
        case HJ2:
            sign = 1;
            return HJ2;
        default:
            break;
    }
    const bool flips = joint == LLJ1 || joint == RLJ1 || joint == LLJ2 || joint == RLJ2 ||
                       joint == LLJ6 || joint == RLJ6 || joint == LAJ2 || joint == RAJ2 ||
                       joint == LAJ3 || joint == RAJ3 || joint == LAJ4 || joint == RAJ4;
    sign = flips ? -1 : 1;
    // Left and right alternate in the table after the head.
    return ((joint - 2) % 2 == 0) ? joint + 1 : joint - 1;
}

KeyframeMotion mirrored(const KeyframeMotion& motion) {
    KeyframeMotion out = motion;
    // The columns stay in their order when they hold both sides of every joint;
    // otherwise each names the joint it now drives.
    bool closed = true;
    for (int j : motion.joints) {
        double sign = 1;
        closed = closed && (j < 0 || motion.drives(mirrorJoint(j, sign)));
    }
    if (!closed) {
        for (int& j : out.joints) {
            double sign = 1;
            if (j >= 0) j = mirrorJoint(j, sign);
        }
    }
    for (std::size_t i = 0; i < motion.keyframes.size(); ++i) {
        for (std::size_t c = 0; c < motion.joints.size(); ++c) {
            const int j = motion.joints[c];
            if (j < 0) continue;
            double sign = 1;
            const int twin = mirrorJoint(j, sign);  // sets the sign: first
            out.setTarget(i, twin, sign * motion.keyframes[i].targets[c]);
        }
    }
    return out;
}

KeyframeMotion reversed(const KeyframeMotion& motion) {
    KeyframeMotion out = motion;
    out.comments.clear();
    const std::vector<KeyframeMotion::Keyframe>& in = motion.keyframes;
    const std::size_t n = in.size();
    double clock = 0;
    for (std::size_t j = 0; j < n; ++j) {
        // Keyframe j of the reversed motion heads for keyframe n-1-j's targets over the
        // span of keyframe n-j, the one that led away from them (the first holds the
        // last targets for the first span).
        const KeyframeMotion::Keyframe& span = in[j == 0 ? 0 : n - j];
        KeyframeMotion::Keyframe& k = out.keyframes[j];
        k.targets = in[n - 1 - j].targets;
        k.start = clock;
        clock += span.end - span.start;
        k.end = clock;
    }
    return out;
}

bool KeyframePlayer::playCycle(const KeyframeMotion& m, double& clock, const Readings& now,
                               JointSpeeds& speeds) {
    for (const auto& k : m.keyframes) {
        if (!(k.start - kMargin <= clock && clock < k.end - kMargin)) continue;
        // The remaining angle spread evenly over the remaining time.
        for (std::size_t c = 0; c < m.joints.size(); ++c) {
            const int joint = m.joints[c];
            if (joint < 0) continue;
            speeds.set(static_cast<JointID>(joint),
                       (k.targets[c] - now.angles[joint]) / (k.end - clock) / 50);
        }
        break;
    }
    clock += kCycle;
    // A motion without keyframes has no end time: it ends at once.
    if (m.keyframes.empty() || clock > m.end()) {
        speeds = JointSpeeds::allStop();
        return true;
    }
    return false;
}

JointSpeeds KeyframePlayer::step(const Readings& now) {
    JointSpeeds speeds;
    if (mDone) return JointSpeeds::allStop();
    mDone = playCycle(*mMotion, mClock, now, speeds);
    return speeds;
}

}  // namespace skills
