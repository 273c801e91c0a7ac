#ifndef HALYX_MOTION_SKILLS_WALK_PARAMETERS_H
#define HALYX_MOTION_SKILLS_WALK_PARAMETERS_H

// Every tunable number of the walk, once: name, default, smallest and largest value a
// parameter file may give, and what it is (with its unit). WalkParameters, the file
// reader and writer and the walk's settings are all made from this list.
#define HALYX_WALK_PARAMETERS(X)                                                                   \
    X(stepDuration, 0.25, 0.1, 1.0, "seconds per step (one foot's swing)")                         \
    X(stepHeight, 0.025, 0.0, 0.1, "metres the swinging sole is lifted at mid-step")               \
    X(hipHeight, 0.20, 0.12, 0.26, "metres from the ground to the hip points")                     \
    X(pendulumHeight, 0.24, 0.1, 0.6, "metres: height of the centre of mass in the model")         \
    X(footSpread, 0.11, 0.07, 0.2, "metres between the soles' centres, side to side")              \
    X(footForward, 0.0, -0.05, 0.05, "metres the soles stand ahead of the hips")                   \
    X(torsoTwist, 10.0, 0, 30, "degrees the torso is turned counter-clockwise from the feet")      \
    X(torsoLean, 8.0, -20, 40, "degrees the torso leans forward")                                  \
    X(leanPerSpeed, 0.0, -40, 40, "degrees more lean per m/s forward")                             \
    X(zmpForward, 0.0, -0.05, 0.05, "metres the pressure point lies ahead of the sole")            \
    X(zmpOutward, 0.0, -0.05, 0.05, "metres the pressure point lies outward of the sole")          \
    X(swayGain, 1.0, 0.0, 4.0, "factor on the side-to-side sway of the model")                     \
    X(maxForward, 0.8, 0.0, 2.0, "m/s, the fastest forward speed")                                 \
    X(maxBackward, 0.4, 0.0, 2.0, "m/s, the fastest backward speed")                               \
    X(maxSideways, 0.3, 0.0, 1.0, "m/s, the fastest sideways speed")                               \
    X(maxTurn, 90, 0.0, 360, "deg/s, the fastest turn")                                            \
    X(turnLead, 1.0, 0.0, 1.0, "share of the turn on the leading foot's steps (0: every step)")    \
    X(accForward, 1.0, 0.01, 20, "m/s^2 by which the forward speed may grow")                      \
    X(decForward, 1.5, 0.01, 20, "m/s^2 by which the forward speed may shrink")                    \
    X(accSideways, 1.0, 0.01, 20, "m/s^2, change of the sideways speed")                           \
    X(accTurn, 300, 1, 5000, "deg/s^2, change of the turning rate")                                \
    X(readingLag, 1.0, 0, 2, "cycles the joint readings lag behind the commands (1 via a server)") \
    X(servoGain, 0.5, 0.0, 1.0, "share of a joint's lag made up in one cycle")                     \
    X(gyroAnklePitch, 0.0, -1, 1, "degrees of ankle pitch per deg/s of pitch rate")                \
    X(gyroAnkleRoll, 0.0, -1, 1, "degrees of ankle roll per deg/s of roll rate")                   \
    X(gyroHipRoll, 0.0, -1, 1, "degrees of hip roll per deg/s of roll rate")                       \
    X(tiltHipPitch, 0.0, -2, 2, "degrees of hip pitch per degree the torso tilts forward")         \
    X(tiltStepForward, 0.0, -0.02, 0.02, "metres a step lands further per degree of tilt forward") \
    X(tiltStepSideways, 0.0, -0.02, 0.02,                                                          \
      "metres a step lands further left per degree of tilt left")                                  \
    X(headingGain, 1.0, 0, 5, "deg/s of turn per degree the torso has turned off the command")     \
    X(tiltFilter, 0.1, 0.0, 1.0, "share of a new tilt reading taken in each cycle")                \
    X(landingWait, 0.0, 0.0, 0.2, "seconds a step may wait for the swinging foot to land")         \
    X(armPitch, -90, -120, 120, "degrees of the shoulders' pitch (arms down at -90)")              \
    X(armElbow, 30, 0, 90, "degrees the elbows are bent")                                          \
    X(armSwing, 100, -500, 500, "degrees of arm swing per metre the opposite foot is ahead")       \
    X(startDuration, 0.5, 0.02, 5, "seconds from the pose at a reset to standing")

#endif
