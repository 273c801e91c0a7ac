#include "bench/lab/keyframe_motion.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace lab {

using namespace sparring;

namespace {

int jointByName(const std::string& name) {
    for (int i = 0; i < kJointCount; ++i) {
        if (name == kJoints[i].perceptor) return i;
    }
    return -1;
}

std::string trimmed(const std::string& line) {
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

bool KeyframeMotion::drives(int joint) const {
    for (int j : joints) {
        if (j == joint) return true;
    }
    return false;
}

KeyframeMotion readMotion(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot open motion file " + path);
    KeyframeMotion motion;
    std::string line, pending;
    bool header = false;
    while (std::getline(in, line)) {
        const auto semi = line.find(';');
        const std::string comment = semi == std::string::npos ? "" : trimmed(line.substr(semi + 1));
        std::istringstream tokens(line.substr(0, semi));
        std::vector<std::string> cells;
        for (std::string t; tokens >> t;) cells.push_back(t);
        if (cells.empty()) {
            if (!comment.empty()) (header ? pending : motion.heading) += comment + "\n";
            continue;
        }
        if (!header) {
            for (std::size_t c = 2; c < cells.size(); ++c) {
                const int j = jointByName(cells[c]);
                if (j < 0) throw std::runtime_error(path + ": no joint named '" + cells[c] + "'");
                motion.joints.push_back(j);
            }
            header = true;
            continue;
        }
        if (cells.size() != motion.joints.size() + 2)
            throw std::runtime_error(path + ": a keyframe row has " + std::to_string(cells.size()) +
                                     " cells, the header " +
                                     std::to_string(motion.joints.size() + 2));
        KeyframeMotion::Keyframe k;
        if (!motion.keyframes.empty()) k.targets = motion.keyframes.back().targets;
        k.start = std::atof(cells[0].c_str());
        k.end = std::atof(cells[1].c_str());
        for (std::size_t c = 2; c < cells.size(); ++c) {
            if (cells[c] != ".") k.targets[motion.joints[c - 2]] = std::atof(cells[c].c_str());
        }
        motion.keyframes.push_back(k);
        motion.comments.push_back(pending);
        pending.clear();
    }
    if (motion.keyframes.empty()) throw std::runtime_error(path + ": no keyframes");
    return motion;
}

void writeMotion(const KeyframeMotion& motion, const std::string& path) {
    std::ofstream out(path);
    if (!out) throw std::runtime_error("cannot write motion file " + path);
    std::istringstream heading(motion.heading);
    for (std::string l; std::getline(heading, l);) out << "; " << l << "\n";
    out << "\nstart end ";
    for (int j : motion.joints) out << " " << kJoints[j].perceptor;
    out << "\n";
    for (std::size_t i = 0; i < motion.keyframes.size(); ++i) {
        const auto& k = motion.keyframes[i];
        std::istringstream comment(i < motion.comments.size() ? motion.comments[i] : "");
        for (std::string l; std::getline(comment, l);) out << "; " << l << "\n";
        char cell[32];
        std::snprintf(cell, sizeof cell, "%.3f %.3f ", k.start, k.end);
        out << cell;
        for (int j : motion.joints) {
            std::snprintf(cell, sizeof cell, " %6.2f", std::round(k.targets[j] * 100) / 100 + 0.0);
            out << cell;
        }
        out << "\n";
    }
}

int mirrorJoint(int joint, double& sign) {
    // Pitch joints keep their sign; rolls and yaws of limbs turn the other way. The hip
    // yaw-pitch joints mirror each other through the 45-degree axes.
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
    const bool rolls = joint == LLJ2 || joint == RLJ2 || joint == LLJ6 || joint == RLJ6 ||
                       joint == LAJ2 || joint == RAJ2 || joint == LAJ3 || joint == RAJ3 ||
                       joint == LAJ4 || joint == RAJ4;
    sign = rolls ? -1 : 1;
    // Left and right alternate in the table after the head.
    return ((joint - 2) % 2 == 0) ? joint + 1 : joint - 1;
}

KeyframeMotion mirrored(const KeyframeMotion& motion) {
    KeyframeMotion out = motion;
    for (auto& k : out.keyframes) k.targets = {};
    for (std::size_t i = 0; i < motion.keyframes.size(); ++i) {
        for (int j = 0; j < kJointCount; ++j) {
            double sign = 1;
            const int m = mirrorJoint(j, sign);
            out.keyframes[i].targets[m] = sign * motion.keyframes[i].targets[j];
        }
    }
    // The columns stay in their order when they hold both sides of every joint;
    // otherwise each names the joint it now drives.
    bool closed = true;
    for (int j : motion.joints) {
        double sign = 1;
        closed = closed && motion.drives(mirrorJoint(j, sign));
    }
    if (!closed) {
        for (int& j : out.joints) {
            double sign = 1;
            j = mirrorJoint(j, sign);
        }
    }
    return out;
}

}  // namespace lab
