#include "behavior/position.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <fstream>
#include <iostream>
#include <sstream>
#include <utility>

#include "motion/actions.h"
#include "worldmodel/worldmodel.h"

namespace {

// Lines are read into a buffer of this size; a longer line ends the file.
const int kLineBuffer = 1000;

bool fitsInt(double value) {
    return value > double(INT_MIN) - 1.0 && value < double(INT_MAX) + 1.0;
}

bool fitsFloat(double value) {
    return std::fabs(value) <= double(FLT_MAX);
}

}  // namespace

const char Position::kDefaultFile[] = "formation.conf";

Position::Position(Actions* actions, std::string path)
    : mWM(WorldModel::getInstance()),
      mActions(actions),
      mPath(std::move(path)),
      mCount(0),
      mFileFound(false) {
    setFormation(FORMATION_DEFAULT);
}

void Position::setFormation(Formation formation) {
    // A file that cannot be opened reads as an empty one: no entries.
    std::ifstream in(mPath);
    mFileFound = in.is_open();
    setFormation(formation, in, std::cout);
    std::cout.flush();
}

void Position::setFormation(Formation formation, std::istream& in, std::ostream& trace) {
    for (BeamInfo& info : mBeamInfo) info = BeamInfo();
    int max = 0;
    bool selected = false;
    char buffer[kLineBuffer];
    while (in.getline(buffer, kLineBuffer)) {
        std::istringstream line(buffer);
        std::string key;
        line >> key;
        if (key.empty() || key[0] == '#') continue;
        const int k = readLine(key, line, formation, selected, trace);
        if (k > max) max = k;
    }
    mCount = max;
}

int Position::readLine(const std::string& key, std::istream& numbers, Formation formation,
                       bool& selected, std::ostream& trace) {
    int k = 0;
    double value;
    while (numbers >> value) {
        trace << value << ' ' << int(selected) << '\n';
        // Numbers beyond the table's entries are traced but stored nowhere.
        BeamInfo* info = k < kMaxEntries ? &mBeamInfo[k] : nullptr;
        if (key == "unums") {
            // A number no int can hold ends the line like a malformed one.
            if (!fitsInt(value)) break;
            trace << 'o' << value << '\n';
            if (info != nullptr) {
                info->unum = static_cast<int>(value);
                info->hasUnum = true;
            }
        } else if (key == "homePosX" || key == "homePosY") {
            const bool isX = key == "homePosX";
            if (isX) trace << "AS\n";
            if (!fitsFloat(value)) break;
            if (info != nullptr) info->homePos[isX ? 0 : 1] = static_cast<float>(value);
        } else if (key == "id") {
            selected = std::trunc(value) == double(formation);
            if (!selected) break;
        } else {
            break;
        }
        ++k;
    }
    return k < kMaxEntries ? k : kMaxEntries;
}

Position::BeamInfo* Position::ownEntry() {
    const int unum = mWM->getUnum();
    for (int k = 0; k < mCount; ++k) {
        if (mBeamInfo[k].hasUnum && mBeamInfo[k].unum == unum) return &mBeamInfo[k];
    }
    return nullptr;
}

std::string Position::init() {
    BeamInfo* info = ownEntry();
    if (info == nullptr) return std::string();
    info->homePos[2] = 0;
    return mActions->beam(info->homePos);
}

salt::Vector3f Position::getHomePos() {
    BeamInfo* info = ownEntry();
    if (info == nullptr) return salt::Vector3f(0, 0, 0);
    info->homePos[2] = 0;
    return info->homePos;
}

std::string Position::position() {
    return std::string();
}
