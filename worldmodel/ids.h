#ifndef HALYX_WORLDMODEL_IDS_H
#define HALYX_WORLDMODEL_IDS_H

// The identifiers every subsystem indexes its tables with.

// The 22 hinge joints: head, legs (left before right for each joint number),
// arms (the same); joint 1 of a limb is nearest the torso.
enum JointID {
    HJ1 = 0,
    HJ2,
    LLJ1,
    RLJ1,
    LLJ2,
    RLJ2,
    LLJ3,
    RLJ3,
    LLJ4,
    RLJ4,
    LLJ5,
    RLJ5,
    LLJ6,
    RLJ6,
    LAJ1,
    RAJ1,
    LAJ2,
    RAJ2,
    LAJ3,
    RAJ3,
    LAJ4,
    RAJ4
};
const int kJointCount = 22;

// The 24 body points whose positions the world model keeps. Value 2 names no
// part; even values from 4 up are right-side parts, odd values left-side parts.
enum BodyID {
    HEAD = 0,
    NECK = 1,
    TORSO = 3,
    RSHOULDER,
    LSHOULDER,
    RUPPERARM,
    LUPPERARM,
    RELBOW,
    LELBOW,
    RLOWERARM,
    LLOWERARM,
    RHIP,
    LHIP,
    RTHIGH,
    LTHIGH,
    RKNEE,
    LKNEE,
    RSHANK,
    LSHANK,
    RANKLE,
    LANKLE,
    RFOOT,
    LFOOT
};
const int kBodyCount = 24;

// The eight landmarks: even values stand on the left team's goal line, odd
// values on the right team's; values 0-3 are corner flags, 4-7 goal posts.
enum FlagsID { F1L = 0, F1R, F2L, F2R, G1L, G1R, G2L, G2R };
const int kFlagCount = 8;

enum PlayMode {
    PM_BeforeKickOff = 0,
    PM_KickOff_Left,
    PM_KickOff_Right,
    PM_PlayOn,
    PM_KickIn_Left,
    PM_KickIn_Right,
    PM_Goal_Left,
    PM_Goal_Right,
    PM_GameOver
};

enum TeamSide { SIDE_LEFT = 0, SIDE_RIGHT = 1 };

// Key types of tables that stay empty; no value of either is used.
enum VisionObject {};
enum TCHID {};

#endif
