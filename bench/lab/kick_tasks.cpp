#include "bench/lab/kick_tasks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>

#include "bench/lab/ball_view.h"
#include "bench/lab/hold_pose.h"
#include "motion/skills/ball_play.h"
#include "motion/skills/goto.h"
#include "motion/skills/odometry.h"
#include "motion/skills/torso_up.h"
#include "sparring/world/physics/physics_robot.h"
#include "sparring/world/physics/physics_world.h"

namespace lab {

namespace {

constexpr double kDeg = M_PI / 180;
constexpr double kWatch = 12;  // seconds the ball is watched after the kick's start

// Follows the ball until it rests or the watch ends, stepping `skill` (the kick, then
// standing still); fills the ball's part of the outcome and, with a `footPoint` (-1:
// none), the kicking foot's speed in the cycle the ball first moved.
void watchBall(SkillRun& run, skills::Skill& skill, double startX, double startY, double heading,
               KickOutcome& o, int footPoint = -1,
               const std::function<void()>& eachCycle = nullptr) {
    const double began = run.time();
    bool moved = false;
    sparring::Vec3 foot = footPoint >= 0 ? run.robot().bodyPoints()[footPoint] : sparring::Vec3{};
    while (run.time() < began + kWatch) {
        run.cycle(skill);
        if (eachCycle) eachCycle();
        const sparring::Vec3 b = run.ball(), v = run.ballVelocity();
        const double speed = std::hypot(v.x, v.y, v.z);
        if (footPoint >= 0 && o.footSpeed == 0) {
            const sparring::Vec3 f = run.robot().bodyPoints()[footPoint];
            if (speed > 0.3) o.footSpeed = std::hypot(f.x - foot.x, f.y - foot.y) / 0.02;
            foot = f;
        }
        o.topSpeed = std::max(o.topSpeed, speed);
        o.topHeight = std::max(o.topHeight, b.z);
        o.lowest = std::min(o.lowest, b.z);
        moved = moved || std::hypot(b.x - startX, b.y - startY) > 0.02;
        if (moved && speed == 0 && (skill.done() || run.time() > began + 3)) break;
    }
    o.seconds = run.time() - began;
    const sparring::Vec3 b = run.ball();
    o.distance = std::hypot(b.x - startX, b.y - startY);
    o.direction = o.distance > 0.02
                      ? skills::wrapDegrees(std::atan2(b.y - startY, b.x - startX) / kDeg - heading)
                      : 180;
    o.falls = run.falls();
}

}  // namespace

KickOutcome runKick(const skills::KickParameters& kick, const skills::WalkParameters& walk,
                    const Evaluation& e, skills::Foot foot, double jitter, bool trace) {
    double ahead = 0, left = 0;
    skills::Kick::ballSpot(kick, foot, ahead, left);
    std::mt19937 rng(e.seed * 104729u + 7u);
    std::uniform_real_distribution<double> off(-jitter, jitter);
    ahead += off(rng);
    left += off(rng);
    RunSettings s = settingsFor(e, {});
    s.sweepHead = false;  // a kick's robot looks at the ball, not round the field
    s.ballX = ahead;
    s.ballY = left;
    SkillRun run(s);
    skills::Walk stand(walk);
    run.runFor(stand, 1.0);
    const double heading = run.truth().heading;
    // The ball as it lies now: the standing robot may have nudged it.
    const sparring::Vec3 b0 = run.ball();
    skills::Kick k(kick);
    k.start(foot);
    KickOutcome o;
    const int footPoint =
        foot == skills::Foot::Left ? sparring::kLFootPoint : sparring::kRFootPoint;
    sparring::Vec3 last = run.robot().bodyPoints()[footPoint];
    const auto print = [&] {
        const double swing = k.clock() - kick.shiftTime - kick.liftTime;
        const sparring::Vec3 f = run.robot().bodyPoints()[footPoint], b = run.ball(),
                             v = run.ballVelocity();
        if (swing > -0.1 && swing < kick.swingTime + 0.1)
            std::printf(
                "%6.2f foot %6.3f %6.3f %6.3f at %5.2f %5.2f m/s ball %6.3f %6.3f %6.3f "
                "at %5.2f m/s hip %6.1f knee %6.1f ankle %6.1f\n",
                swing, f.x - b0.x, f.y - b0.y, f.z, (f.x - last.x) / 0.02, (f.z - last.z) / 0.02,
                b.x - b0.x, b.y - b0.y, b.z, std::hypot(v.x, v.y),
                run.robot().angle(foot == skills::Foot::Left ? LLJ3 : RLJ3),
                run.robot().angle(foot == skills::Foot::Left ? LLJ4 : RLJ4),
                run.robot().angle(foot == skills::Foot::Left ? LLJ5 : RLJ5));
        last = f;
    };
    watchBall(run, k, b0.x, b0.y, heading, o, footPoint,
              trace ? std::function<void()>(print) : nullptr);
    const double along = o.distance * std::cos(o.direction * kDeg);
    o.score = along - 0.05 * std::fabs(o.direction) - 5.0 * o.falls;
    return o;
}

KickOutcome rollBall(const Evaluation& e, double speed) {
    RunSettings s = settingsFor(e, {});
    s.sweepHead = false;
    s.ballX = 1;
    s.ballY = 0;
    SkillRun run(s);
    HoldPose still;
    run.world().rollBall(speed, 0);
    KickOutcome o;
    watchBall(run, still, 1, 0, 0, o);
    return o;
}

}  // namespace lab

namespace lab {

namespace {

// Plays BallPlay as the agent does: each cycle the body's pose (a new camera fix, or the
// last one moved on by the walk and the gyroscope) and the ball's sighting go in first,
// and the head follows the tracked ball.
class PlayDriver : public skills::Skill {
public:
    PlayDriver(const SkillRun& run, skills::BallPlay& play) : run_(run), play_(play) {}
    skills::JointSpeeds step(const skills::Readings& now) override {
        const WorldModel& wm = run_.worldModel();
        if (wm.hasCameraFix() && wm.getCameraFixTime() > fix_) {
            fix_ = wm.getCameraFixTime();
            const salt::Vector3f at = wm.getMyPos();
            pose_.fix({at.x(), at.y(), skills::wrapDegrees(wm.getMyAngle() - now.angle(HJ1))});
        } else {
            pose_.move(play_.speed(), now.gyro.z(), 0.02);
        }
        const bool seen = wm.getBallTimeSeen() >= 0 && wm.getBallTimeSeen() == wm.getServerTime();
        seen_ = seen;
        up_.update(now);
        sighting_ = skills::groundFromCamera(wm.getBallRelPos(), now, up_.up());
        play_.see(pose_.pose(), now.time, seen, sighting_);
        skills::JointSpeeds s = play_.step(now);
        play_.aimHead(now, s);
        return s;
    }
    const skills::FieldPose& pose() const { return pose_.pose(); }
    // The camera's sighting of the ball this cycle, or null.
    const skills::Ground* sighting() const { return seen_ ? &sighting_ : nullptr; }

private:
    const SkillRun& run_;
    skills::BallPlay& play_;
    skills::Odometry pose_;
    skills::TorsoUp up_;
    double fix_ = -1;
    bool seen_ = false;
    skills::Ground sighting_;
};

}  // namespace

PlayOutcome runPlay(const skills::KickParameters& kick, const skills::WalkParameters& walk,
                    const Evaluation& e, const Pose& from, double ballX, double ballY,
                    const PlaySettings& p) {
    RunSettings s = settingsFor(e, from);
    s.sweepHead = false;  // ball play aims the head at the ball itself
    s.ballX = ballX;
    s.ballY = ballY;
    SkillRun run(s);
    skills::BallPlay play(walk, kick);
    PlayDriver driver(run, play);
    // A second standing still, as the drills start, before the task.
    skills::Walk stand(walk);
    run.runFor(stand, 1.0);
    if (p.kick)
        play.kick(p.direction, run.time());
    else
        play.dribble(p.targetX, p.targetY, run.time());
    const double began = run.time();
    PlayOutcome o;
    sparring::Vec3 atSwing{};
    BallView view(p.ballView > 1);
    for (long c = 0; run.time() < began + p.seconds; ++c) {
        run.cycle(driver);
        // Measured while the skill steers by the ball: not before it was first seen, nor
        // while the kick swings and the ball rolls off.
        using State = skills::BallPlay::State;
        const State st = play.state();
        if (p.ballView > 0 && play.ball().known() &&
            (st == State::Approaching || st == State::Settling || st == State::Dribbling)) {
            const skills::WalkCommand v = play.speed();
            const bool walking = std::hypot(v.forward, v.sideways) > 0.01 || std::fabs(v.turn) > 2;
            view.record(run, driver.sighting(), play.ball().relativeTo(driver.pose()), walking,
                        play.stateName());
        }
        if (o.swingTime < 0 && play.swingTime() >= 0) {
            o.swingTime = run.time() - began;
            atSwing = run.ball();
        }
        if (p.every > 0 && c % p.every == 0) {
            const Pose t = run.truth();
            const sparring::Vec3 b = run.ball();
            const skills::FieldPose& q = driver.pose();
            std::printf(
                "%6.2f %-8s truth %6.2f %6.2f %7.1f pose %6.2f %6.2f %7.1f ball %6.2f %6.2f "
                "tracked %6.2f %6.2f\n",
                run.time(), play.stateName(), t.x, t.y, t.heading, q.x, q.y, q.heading, b.x, b.y,
                play.ball().x(), play.ball().y());
        }
        if (play.failed() || play.done()) break;
    }
    if (p.ballView > 0) o.ballView = view.summary();
    // A kicked ball is watched until it rests.
    KickOutcome rolled;
    if (play.done() && p.kick) watchBall(run, play, atSwing.x, atSwing.y, 0, rolled);
    o.end = play.done() ? "done" : play.failed() ? "failed: " + play.failure() : "timed out";
    const sparring::Vec3 b = run.ball();
    o.ballX = b.x;
    o.ballY = b.y;
    if (o.swingTime >= 0) {
        o.travel = std::hypot(b.x - atSwing.x, b.y - atSwing.y);
        o.direction = std::atan2(b.y - atSwing.y, b.x - atSwing.x) / kDeg;
    }
    o.seconds = run.time() - began;
    o.falls = run.falls();
    return o;
}

}  // namespace lab
