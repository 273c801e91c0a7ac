#ifndef BENCH_LAB_BALL_VIEW_H
#define BENCH_LAB_BALL_VIEW_H

#include <string>

#include "bench/lab/skill_run.h"
#include "motion/skills/ball_track.h"

namespace lab {

// Measures how well a ball skill knows where the ball lies relative to the body: each
// cycle the truth (the ball relative to the torso, by the simulator) against the camera's
// sighting of that cycle (groundFromCamera) and against the skill's tracked ball moved by
// its pose. Errors are kept apart for a ball at the feet (within 0.4 m) and at 0.5 to
// 2 m, and for the robot standing and walking, so that a fault of the geometry, of the
// timing or of the odometry shows in its own column.
class BallView {
public:
    // `print`: a line per cycle as well as the summary.
    explicit BallView(bool print) : print_(print) {}
    // One cycle after the world stepped: `sighting` when the camera saw the ball, the
    // tracked ball relative to the skill's pose, and whether the walk was moving.
    void record(SkillRun& run, const skills::Ground* sighting, const skills::Ground& tracked,
                bool walking, const char* state);
    // Root-mean-square errors (metres, ahead and left) per class, several lines.
    std::string summary() const;

private:
    // Sums of one class of errors: count, ahead, left, squares.
    struct Sums {
        int n = 0;
        double ahead = 0, left = 0, ahead2 = 0, left2 = 0;
        void add(double a, double l);
        std::string line(const char* name) const;
    };
    static int range(double distance);  // 0 at the feet, 1 at 0.5-2 m, -1 otherwise
    bool print_;
    Sums sighted_[2][2], tracked_[2][2];  // [range][walking]
};

}  // namespace lab

#endif
