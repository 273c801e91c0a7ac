#include "bench/lab/walk_tasks.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

#include "motion/skills/goto.h"
#include "motion/skills/odometry.h"

namespace lab {

namespace {

// A fall costs 1, and up to 2 more the earlier it comes in the task: a walk that keeps
// up longer scores better even while every candidate still falls.
constexpr double kFallCost = 1;
constexpr double kEarlyFallCost = 2;
constexpr double kSettle = 0.5;  // seconds standing before a task starts
constexpr double kBeyond = 10;   // m/s or deg/s: asks for the walk's best

double radians(double degrees) {
    return degrees * M_PI / 180;
}

// The walk on one robot for one task, with the evaluation's pushes.
class TaskRun {
public:
    TaskRun(const skills::WalkParameters& params, const Evaluation& e, const Pose& start,
            double seconds)
        : run_(settingsFor(e, start)), walk_(params), scale_(e.timeScale), planned_(seconds) {
        std::mt19937 rng(e.seed * 7919u + 17u);
        if (e.pushEvery <= 0) return;
        std::uniform_real_distribution<double> when(kSettle, kSettle + seconds * scale_);
        std::uniform_real_distribution<double> size(0.3, 0.8), way(-M_PI, M_PI);
        const int count = static_cast<int>(seconds * scale_ / e.pushEvery + 0.5);
        for (int i = 0; i < count; ++i) {
            const double s = size(rng), a = way(rng);
            run_.schedule({when(rng), s * std::cos(a), s * std::sin(a)});
        }
    }

    // Walks with `command` for `seconds` (scaled); false once the robot is down, by the
    // server's rule or by the agent's reading (which would start a get-up).
    bool play(const skills::WalkCommand& command, double seconds) {
        walk_.setCommand(command);
        const double end = run_.time() + seconds * scale_ - 1e-9;
        while (run_.time() < end) {
            const double before = run_.truth().heading;
            run_.cycle(walk_);
            turned_ += skills::wrapDegrees(run_.truth().heading - before);
            if (run_.down() || run_.readDown()) return false;
        }
        return true;
    }
    bool settle() { return play({}, kSettle / scale_); }

    SkillRun& run() { return run_; }
    skills::Walk& walk() { return walk_; }
    // Degrees turned counter-clockwise since the start, summed cycle by cycle: whole
    // turns count.
    double turned() const { return turned_; }
    double scale() const { return scale_; }
    // The share of the task's planned time played so far (after standing still).
    double played() const {
        return std::clamp((run_.time() - kSettle) / (planned_ * scale_), 0.0, 1.0);
    }

private:
    SkillRun run_;
    skills::Walk walk_;
    double scale_;
    double planned_;  // seconds of the task, before scaling
    double turned_ = 0;
};

// How far the robot went from `from`, along its heading there and to its left, metres.
void moved(const Pose& from, const Pose& to, double& ahead, double& left) {
    const double dx = to.x - from.x, dy = to.y - from.y, h = radians(from.heading);
    ahead = std::cos(h) * dx + std::sin(h) * dy;
    left = -std::sin(h) * dx + std::cos(h) * dy;
}

TaskResult finish(TaskRun& t, TaskResult r, bool fell) {
    r.simSeconds = t.run().time();
    r.falls = t.run().falls() + t.run().misreadFalls();
    if (fell) r.score -= kFallCost + kEarlyFallCost * (1 - t.played());
    r.parts.emplace_back("fell", fell ? 1 : 0);
    return r;
}

TaskResult sprint(const skills::WalkParameters& p, const Evaluation& e) {
    TaskRun t(p, e, {-4, 0, 0}, 10);
    TaskResult r;
    if (!t.settle()) return finish(t, r, true);
    const Pose from = t.run().truth();
    const double start = t.run().time();
    const bool ok = t.play({kBeyond, 0, 0}, 10);
    double ahead = 0, left = 0;
    moved(from, t.run().truth(), ahead, left);
    const double seconds = std::max(t.run().time() - start, 1e-9);
    const double speed = ahead / (10 * t.scale());
    r.parts = {{"forward", ahead / seconds}, {"drift", left / seconds}};
    // A tuning gives speed up for steadiness: below the speed a match needs, each m/s
    // short costs four times over.
    const double kNeeded = 0.64;  // m/s
    r.score = speed - 0.5 * std::fabs(left) / seconds - 4 * std::max(0.0, kNeeded - speed);
    return finish(t, r, !ok);
}

TaskResult turn(const skills::WalkParameters& p, const Evaluation& e) {
    TaskRun t(p, e, {0, 0, 0}, 10);
    TaskResult r;
    if (!t.settle()) return finish(t, r, true);
    double rates[2] = {0, 0}, leftover = 0;
    bool ok = true;
    for (int side = 0; side < 2 && ok; ++side) {
        const double before = t.turned();
        ok = t.play({0, 0, side == 0 ? kBeyond * 100 : -kBeyond * 100}, 4);
        const double middle = t.turned();
        rates[side] = (middle - before) * (side == 0 ? 1 : -1) / (4 * t.scale());
        if (ok) ok = t.play({}, 1);
        leftover += std::fabs(t.turned() - middle);
    }
    r.parts = {{"left", rates[0]}, {"right", rates[1]}, {"leftover", leftover}};
    r.score = (rates[0] + rates[1]) / 200 - leftover / 200;
    return finish(t, r, !ok);
}

TaskResult legs(const skills::WalkParameters& p, const Evaluation& e) {
    TaskRun t(p, e, {0, 0, 0}, 9);
    TaskResult r;
    if (!t.settle()) return finish(t, r, true);
    const skills::WalkCommand commands[3] = {{-kBeyond, 0, 0}, {0, kBeyond, 0}, {0, -kBeyond, 0}};
    const char* names[3] = {"backward", "left", "right"};
    const double needed[3] = {0.32, 0.26, 0.26};  // m/s, as for the sprint
    double sum = 0, shortfall = 0;
    bool ok = true;
    for (int i = 0; i < 3 && ok; ++i) {
        const Pose from = t.run().truth();
        ok = t.play(commands[i], 3);
        double ahead = 0, left = 0;
        moved(from, t.run().truth(), ahead, left);
        const double along = i == 0 ? -ahead : i == 1 ? left : -left;
        r.parts.emplace_back(names[i], along / (3 * t.scale()));
        sum += along / (3 * t.scale());
        shortfall += std::max(0.0, needed[i] - along / (3 * t.scale()));
    }
    r.score = sum / 3 - 4 * shortfall;
    return finish(t, r, !ok);
}

// Random commands as a match gives them: a new one every 1 to 3 s (one in seven a stop),
// forward -0.4 to 0.8 m/s, sideways -0.3 to 0.3 m/s, turning -90 to 90 deg/s, for 20 s;
// the walk limits each to its best. Scored on staying up alone.
TaskResult randomCommands(const skills::WalkParameters& p, const Evaluation& e) {
    std::mt19937 rng(e.seed * 15485863u + 11u);
    std::uniform_real_distribution<double> unit(0, 1);
    const double seconds = 20;
    TaskRun t(p, e, {-2, 0, 0}, seconds);
    TaskResult r;
    if (!t.settle()) return finish(t, r, true);
    bool ok = true;
    for (double played = 0; ok && played < seconds;) {
        const double hold = std::min(1 + 2 * unit(rng), seconds - played);
        skills::WalkCommand c;
        if (unit(rng) >= 1.0 / 7)
            c = {-0.4 + 1.2 * unit(rng), -0.3 + 0.6 * unit(rng), -90 + 180 * unit(rng)};
        ok = t.play(c, hold);
        played += hold;
    }
    r.parts = {{"played", t.played()}};
    return finish(t, r, !ok);
}

TaskResult course(const skills::WalkParameters& p, const Evaluation& e) {
    std::mt19937 rng(e.seed * 104729u + 5u);
    std::uniform_real_distribution<double> step(1.5, 3), way(-M_PI, M_PI), face(-180, 180);
    std::vector<skills::FieldPose> targets;
    skills::FieldPose at{-2, -1, 0};
    while (targets.size() < 4) {
        const double d = step(rng), a = way(rng);
        const skills::FieldPose next{at.x + d * std::cos(a), at.y + d * std::sin(a), face(rng)};
        if (std::fabs(next.x) > 4.5 || std::fabs(next.y) > 3) continue;
        targets.push_back(next);
        at = next;
    }
    TaskRun t(p, e, {-2, -1, 0}, 40);
    TaskResult r;
    if (!t.settle()) return finish(t, r, true);
    const double start = t.run().time(), limit = start + 40 * t.scale();
    skills::GoTo go;
    // As the agent steers: by its latest camera fix, moved on by the walk between fixes.
    skills::Odometry odometry;
    double fixedAt = -1;
    int reached = 0;
    double distanceError = 0, angleError = 0;
    bool ok = true;
    for (const skills::FieldPose& target : targets) {
        go.setTarget(target);
        while (ok && !go.arrived() && t.run().time() < limit) {
            const WorldModel& wm = t.run().worldModel();
            if (e.steerByTruth || (t.run().located() && wm.getCameraFixTime() > fixedAt)) {
                fixedAt = wm.getCameraFixTime();
                const Pose self = e.steerByTruth ? t.run().truth() : t.run().belief();
                odometry.fix({self.x, self.y, self.heading});
            } else {
                odometry.move(t.walk().speed(), wm.readings().gyro.z(), 0.02);
            }
            ok = t.play(go.step(odometry.pose()), 0.02 / t.scale());
        }
        if (!ok || !go.arrived()) break;
        const Pose truth = t.run().truth();
        distanceError += std::hypot(truth.x - target.x, truth.y - target.y);
        angleError += std::fabs(skills::wrapDegrees(truth.heading - target.heading));
        ++reached;
    }
    const double taken = t.run().time() - start;
    const double n = std::max(reached, 1);
    r.parts = {{"reached", reached},
               {"seconds", taken},
               {"error_m", distanceError / n},
               {"error_deg", angleError / n}};
    r.score = reached / 4.0 - taken / 100 - distanceError / n - angleError / n / 100;
    return finish(t, r, !ok);
}

}  // namespace

RunSettings settingsFor(const Evaluation& e, const Pose& start) {
    RunSettings s;
    s.start = start;
    s.vision = matchVision(e.highNoise, e.seed);
    s.delay = e.delay;
    s.sweepHead = !e.headStill;
    s.torque = e.torque;
    s.friction = e.friction;
    s.softness = e.softness;
    if (e.drawConstants) {
        std::mt19937 rng(e.seed);
        std::uniform_real_distribution<double> exponent(-1, 1);
        s.torque = std::exp2(exponent(rng));
        s.friction = std::exp2(exponent(rng));
        s.softness = std::exp2(exponent(rng));
    }
    return s;
}

const std::vector<std::string>& taskNames() {
    static const std::vector<std::string> names = {"sprint", "turn",   "legs",
                                                   "course", "random", "all"};
    return names;
}

TaskResult runTask(const std::string& task, const skills::WalkParameters& p, const Evaluation& e) {
    if (task == "sprint") return sprint(p, e);
    if (task == "turn") return turn(p, e);
    if (task == "legs") return legs(p, e);
    if (task == "course") return course(p, e);
    if (task == "random") return randomCommands(p, e);
    if (task != "all") throw std::invalid_argument("unknown task '" + task + "'");
    TaskResult all;
    for (const char* name : {"sprint", "turn", "legs", "course", "random"}) {
        const TaskResult one = runTask(name, p, e);
        all.score += one.score;
        all.falls += one.falls;
        all.simSeconds += one.simSeconds;
        for (const auto& [part, value] : one.parts)
            all.parts.emplace_back(std::string(name) + "." + part, value);
    }
    return all;
}

}  // namespace lab
