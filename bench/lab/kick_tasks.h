#ifndef BENCH_LAB_KICK_TASKS_H
#define BENCH_LAB_KICK_TASKS_H

#include <string>

#include "bench/lab/walk_tasks.h"
#include "motion/skills/kick.h"
#include "motion/skills/walk.h"

namespace lab {

// What one kick in the laboratory did: the ball's travel until it came to rest (or the
// run ended), its direction off the robot's heading, its top speed and height, the kicking foot's
// speed at the touch, how low its centre went (below its radius: sunk into the ground), and the
// robot's falls.
struct KickOutcome {
    double distance = 0;   // metres
    double direction = 0;  // degrees, ball travel off the robot's heading
    double topSpeed = 0;   // m/s
    double topHeight = 0;  // metres, the ball's centre
    double lowest = 1;     // metres, the ball's centre
    double seconds = 0;    // from the kick's start to the ball at rest
    double footSpeed = 0;  // m/s, the kicking foot over the ground as the ball left
    int falls = 0;
    double score = 0;  // distance along the heading, less the misses and falls
};

// A kick from standing: the robot stands 1 s with the walk at rest, then kicks with
// `foot` a ball laid at the kick's spot, moved by up to `jitter` metres either way (as an
// approach leaves it, drawn from the seed); the ball is watched up to 12 s. `trace`
// prints a line per cycle around the swing: the foot point and the ball relative to
// where the ball lay (metres), their speeds and the kicking leg's pitch joints.
KickOutcome runKick(const skills::KickParameters& kick, const skills::WalkParameters& walk,
                    const Evaluation& e, skills::Foot foot, double jitter, bool trace = false);

// A ball set rolling at `speed` m/s on the grass: how far it goes and in what time.
KickOutcome rollBall(const Evaluation& e, double speed);

// A ball task played through BallPlay as the agent plays it: the pose from the camera's
// fixes moved on by the walk between them, the ball from the camera, the head on the
// ball. `kick` towards `direction` (degrees), or dribble to (targetX, targetY).
struct PlaySettings {
    bool kick = true;
    double direction = 0;             // degrees, field frame
    double targetX = 0, targetY = 0;  // metres
    double seconds = 30;              // most run time
    int every = 0;                    // cycles between printed lines (0: none)
    // The ball relative to the body, known against true: 0 not measured, 1 a summary,
    // 2 a line per cycle as well (BallView).
    int ballView = 0;
};

// What a played task did: its end, the ball's travel and end, and the times.
struct PlayOutcome {
    std::string end;              // "done", "failed: WHY" or "timed out"
    double ballX = 0, ballY = 0;  // metres, the ball at the end
    double travel = 0;            // metres the ball moved after the swing
    double direction = 0;         // degrees the ball went, field frame
    double swingTime = -1;        // seconds from the start to the swing
    double seconds = 0;           // run time
    std::string ballView;         // BallView's summary, when measured
    int falls = 0;
};

PlayOutcome runPlay(const skills::KickParameters& kick, const skills::WalkParameters& walk,
                    const Evaluation& e, const Pose& from, double ballX, double ballY,
                    const PlaySettings& p);

}  // namespace lab

#endif
