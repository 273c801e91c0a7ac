#ifndef BENCH_LAB_GETUP_RUN_H
#define BENCH_LAB_GETUP_RUN_H

#include <cstdio>
#include <vector>

#include "motion/skills/getup.h"
#include "motion/skills/keyframes.h"
#include "sparring/world/physics/physics_constants.h"
#include "sparring/world/robot.h"

namespace lab {

// One way of running a get-up: how the robot lies, the world's approximate constants
// (factors of their defaults), the head's angles at the fall and the pause before the
// motion starts.
struct Condition {
    sparring::Posture from = sparring::Posture::OnBack;
    double torque = 1, friction = 1, softness = 1;  // factors of the world's defaults
    double headYaw = 0, headPitch = 0;              // degrees
    double delay = 0.2;                             // seconds from the fall to the motion
    double heading = 0;                             // degrees, server frame
    // A push on the torso as the robot comes to lie, newton-seconds along the
    // server's x and y: lying a few degrees off the exact posture, as robots do.
    double nudgeX = 0, nudgeY = 0;
    // Lying rolled by this many degrees about the torso's long axis, towards the right
    // side when positive: a robot that comes to its back off a side, or out of a roll
    // that fell short, still leans on a shoulder.
    double roll = 0;
    // Lying with the joints at the last keyframe of this motion (null: as the robot stood,
    // every joint at 0 but the head's): the posture a motion in progress left.
    const skills::KeyframeMotion* pose = nullptr;
    // Another robot lies on its back beside the fallen one, its torso this far (metres)
    // from the fallen one's, to the right when positive, parallel to it (0: none): in
    // matches the body of a robot lying or standing within 0.15-0.42 m blocked rolls.
    double beside = 0;
    // How that robot lies, and whether it gets up by the agent's rules too (with `agent`):
    // two robots on the ground side by side, each in the other's way, as robots that fell
    // together in matches lay tangled for 20 s and more.
    sparring::Posture besideFrom = sparring::Posture::OnBack;
    bool besideAgent = false;
    // The agent's get-up rules (skills::GetUp) with these get-ups instead of the one
    // motion: the get-up of the way the robot lies, a roll over the other side after a
    // failed one, the back's take-over (null: the one motion).
    const skills::GetUp::Motions* agent = nullptr;
    // With the agent's rules: front get-ups that may leave the robot down before it
    // rolls back onto its back instead of trying again (0: never, as the agent).
    int frontTries = 0;
    // Plays the motion once only and gives up 1.5 s after its end if the robot does not
    // stand by then (searches: a motion that fails once is not worth more time).
    bool once = false;
    sparring::physics::Solver solver = sparring::physics::Approximate{}.solver;
};

// What became of one get-up.
struct Outcome {
    bool stood = false;      // upright by the server's rule and not down again for 3 s
    double stoodAt = 0;      // seconds after the fall (end of the upright second)
    bool fellAgain = false;  // stood, then down again within 3 s
    double progress = 0;     // 0..1: how far up it came, held for 0.3 s
    double score = 0;        // higher is better: 100 - seconds for a success, else below 60
    // The torso's forward and leftward axes at the end (their heights, -1..1, averaged
    // over the last 0.3 s): -1 forward is lying on the front.
    double forwardEnd = 0, leftEnd = 0;
    // At some cycle after the fall the agent would have read "lying on the back" (the
    // torso's forward axis tilted up by more than 14.5 degrees, by the true pose or by
    // an accelerometer reading of 6 to 14 m/s^2): its back get-up then takes over from
    // any other get-up.
    bool readOnBack = false;
    // With a robot beside that gets up too: whether and when (seconds after the fall) it
    // stood. `stood` and `stoodAt` then tell of the later of the two.
    bool otherStood = false;
    double otherStoodAt = 0;
};

// Plays the motion on one physical robot laid down as the condition says, the way the
// agent plays it (the remaining angle over the remaining time each cycle; the motion
// again from the start while the robot is still down at its end), for at most
// `seconds` after the fall. With `trace`, one line of posture every `traceEvery` cycles.
Outcome runGetUp(const skills::KeyframeMotion& motion, const Condition& c, double seconds,
                 std::FILE* trace = nullptr, int traceEvery = 5);

}  // namespace lab

#endif
