// Reads arbitrary file contents as the formation file. The reader must stay
// within its twelve entries, and the beam command for every uniform number
// must be well formed and hold only finite numbers.
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>

#include "behavior/position.h"
#include "fuzz/command_check.h"
#include "fuzz/workdir.h"
#include "motion/actions.h"
#include "worldmodel/types.h"
#include "worldmodel/worldmodel.h"

namespace {

using halyx_fuzz::checkCommand;
using halyx_fuzz::require;

const int kLastUnum = 12;

Position& position() {
    // Made in an empty folder: the formation starts without entries.
    static Position* p = [] {
        halyx_fuzz::enterScratchDir();
        Types::fill();
        return new Position(Actions::getInstance());
    }();
    return *p;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    position();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream file(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream trace;
    Position& formation = position();
    formation.setFormation(FORMATION_DEFAULT, file, trace);
    require(formation.count() >= 0 && formation.count() <= Position::kMaxEntries,
            "entry count outside the table");
    WorldModel* wm = WorldModel::getInstance();
    for (int unum = 0; unum <= kLastUnum; ++unum) {
        wm->setUnum(unum);
        checkCommand("beam", formation.init());
        const salt::Vector3f home = formation.getHomePos();
        require(std::isfinite(home.x()) && std::isfinite(home.y()) && home.z() == 0,
                "home position not finite");
    }
    return 0;
}
