#include "behavior/situation.h"

#include <cstring>

namespace {

// The set plays, each named once per side.
const char* const kSetPlays[] = {"KickIn",    "corner_kick",      "goal_kick",
                                 "free_kick", "direct_free_kick", "offside"};

// Whether `name` is `stem` followed by "_Left"/"_left" or "_Right"/"_right"; `left` tells
// which.
bool sided(const std::string& name, const char* stem, bool& left) {
    const std::size_t n = std::strlen(stem);
    if (name.compare(0, n, stem) != 0 || name.size() < n + 1 || name[n] != '_') return false;
    const std::string side = name.substr(n + 1);
    if (side == "Left" || side == "left") {
        left = true;
        return true;
    }
    if (side == "Right" || side == "right") {
        left = false;
        return true;
    }
    return false;
}

}  // namespace

Situation readSituation(const std::string& playMode, bool ownSideLeft) {
    if (playMode == "PlayOn") return Situation::PlayOn;
    bool left = false;
    if (sided(playMode, "KickOff", left))
        return left == ownSideLeft ? Situation::OwnKickOff : Situation::TheirKickOff;
    for (const char* stem : kSetPlays) {
        if (!sided(playMode, stem, left)) continue;
        // An offside is called against a side: the free kick goes to the other.
        if (std::strcmp(stem, "offside") == 0) left = !left;
        return left == ownSideLeft ? Situation::OwnSetPlay : Situation::TheirSetPlay;
    }
    return Situation::Stopped;
}

bool beamAllowed(const std::string& playMode) {
    return playMode == "BeforeKickOff" || playMode == "Goal_Left" || playMode == "Goal_Right";
}

bool ownKickOffNext(const std::string& playMode, bool ownSideLeft, double gameTime) {
    const double kHalf = 300;  // seconds of game time in a half
    if (playMode == "BeforeKickOff") return ownSideLeft == (gameTime < kHalf);
    if (playMode == "Goal_Left") return !ownSideLeft;
    if (playMode == "Goal_Right") return ownSideLeft;
    return false;
}
