#include "worldmodel/types.h"

std::map<std::string, PlayMode> Types::mPlayModeMap;
std::map<std::string, JointID> Types::mJointIDMap;
std::map<std::string, VisionObject> Types::mVisionObjectMap;
std::map<VisionObject, VisionSense> Types::mVisionMap;
std::map<JointID, float> Types::mJointAngle;
std::map<JointID, std::string> Types::mJointEffMap;
std::map<JointID, HingeJointSense> Types::mHingeJointSenseMap;
std::map<FlagsID, salt::Vector3f> Types::mFlagsPosMap;
std::map<TCHID, float> Types::mTCHMap;

namespace {
// The server's play-mode names in PlayMode order.
const char* const kPlayModeNames[] = {"BeforeKickOff", "KickOff_Left", "KickOff_Right",
                                      "PlayOn",        "KickIn_Left",  "KickIn_Right",
                                      "Goal_Left",     "Goal_Right",   "GameOver"};
// The hinge-joint perceptor names in JointID order.
const char* const kJointNames[] = {"hj1",  "hj2",  "llj1", "rlj1", "llj2", "rlj2", "llj3", "rlj3",
                                   "llj4", "rlj4", "llj5", "rlj5", "llj6", "rlj6", "laj1", "raj1",
                                   "laj2", "raj2", "laj3", "raj3", "laj4", "raj4"};
}  // namespace

const char* Types::playModeName(PlayMode pm) {
    return pm >= PM_BeforeKickOff && pm <= PM_GameOver ? kPlayModeNames[pm] : "?";
}

void Types::fill() {
    mPlayModeMap.clear();
    for (int i = 0; i <= PM_GameOver; ++i) {
        mPlayModeMap[kPlayModeNames[i]] = static_cast<PlayMode>(i);
    }
    mJointIDMap.clear();
    for (int i = 0; i < kJointCount; ++i) {
        mJointIDMap[kJointNames[i]] = static_cast<JointID>(i);
    }
}
