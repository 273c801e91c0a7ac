#ifndef HALYX_WORLDMODEL_CONSTANTS_H
#define HALYX_WORLDMODEL_CONSTANTS_H

// Field and game constants of the simulation (metres, seconds, kilograms). Each
// unit that includes this header gets its own copy. The world model's landmark
// geometry and queries use the dimensions of the field it plays on (field.h),
// not these.

const int Max_Channels = 32;
const int Max_LogMesg = 8196;
const int playerNo = 11;  // player slots per team in the world model

const double fieldLength = 21.0;
const double fieldWidth = 14.0;
const double fieldHeight = 40.0;
const double goalWidth = 1.4;
const double goalDepth = 0.4;
const double goalHeight = 0.8;
const double penaltyLength = 1.2;
const double penaltyWidth = 2.6;
const double freeKickDistance = 1.3;
const double freeKickMoveDist = 1.5;
const double goalKickDist = 1.0;
const bool automaticKickOff = false;
const double waitBeforeKickOff = 2.0;
const double halfTime = 300.0;
const double ballRadius = 0.042;
const double ballMass = 0.026;

#endif
