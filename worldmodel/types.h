#ifndef HALYX_WORLDMODEL_TYPES_H
#define HALYX_WORLDMODEL_TYPES_H

// The server's names for play modes and joints, mapped to their identifiers.

#include <map>
#include <string>

#include "math/vector.h"
#include "worldmodel/ids.h"
#include "worldmodel/senses.h"

// Holder of the process-wide lookup tables. They exist empty from before main;
// fill() enters the play-mode and joint names. The other tables stay empty.
class Types {
public:
    // Rebuilds mPlayModeMap (9 rows) and mJointIDMap (22 rows); safe to call again.
    static void fill();
    // The server's name of a play mode, "?" for a value outside the enumeration.
    static const char* playModeName(PlayMode pm);

    static std::map<std::string, PlayMode> mPlayModeMap;
    static std::map<std::string, JointID> mJointIDMap;
    static std::map<std::string, VisionObject> mVisionObjectMap;
    static std::map<VisionObject, VisionSense> mVisionMap;
    static std::map<JointID, float> mJointAngle;
    static std::map<JointID, std::string> mJointEffMap;
    static std::map<JointID, HingeJointSense> mHingeJointSenseMap;
    static std::map<FlagsID, salt::Vector3f> mFlagsPosMap;
    static std::map<TCHID, float> mTCHMap;
};

#endif
