#include "bench/lab/skill_run.h"

#include <time.h>

#include <algorithm>
#include <cmath>

#include "motion/skills/fall.h"
#include "parser/parser.h"
#include "sparring/world/physics/physics_world.h"
#include "worldmodel/types.h"
#include "worldmodel/worldmodel.h"

namespace lab {

using sparring::GameView;
using sparring::kCycleSeconds;
using sparring::MessageForms;
using sparring::PhysicsWorld;
using sparring::PlayMode;
using sparring::Side;
using sparring::VisionOptions;
namespace physics = sparring::physics;

sparring::VisionOptions matchVision(bool highNoise, unsigned seed) {
    VisionOptions v;
    v.viewAngle = 120;
    v.period = 3;
    v.angleNoise = highNoise ? 0.5 : 0.1;        // degrees
    v.distanceNoise = highNoise ? 0.01 : 0.001;  // fraction of the distance
    v.seed = seed;
    return v;
}

namespace {

physics::Approximate constantsOf(const RunSettings& s) {
    physics::Approximate c;
    c.motorTorque = physics::kMaxMotorTorque * s.torque;
    c.friction = physics::kFriction * s.friction;
    c.softness = s.softness;
    c.solver = s.solver;
    return c;
}

// CPU seconds of this thread: the cost of a part of the cycle, whatever else the machine
// runs meanwhile.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace

SkillRun::SkillRun(const RunSettings& settings)
    : world_(std::make_unique<PhysicsWorld>(log_, constantsOf(settings))),
      writer_(settings.vision, MessageForms::New),
      wm_(std::make_unique<WorldModel>()),
      delay_(std::max(0, settings.delay)),
      sweepHead_(settings.sweepHead) {
    // The parser reads joint and play-mode names through the protocol tables.
    Types::fill();
    parser_ = std::make_unique<Parser>(*wm_);
    robot_ = &world_->addPhysicsRobot(Side::Left, 2, "LAB");
    robot_->place(settings.start.x, settings.start.y, settings.start.heading);
    world_->placeBall(settings.ballX, settings.ballY);
    wm_->setTeamName("LAB");
    wm_->setUnum(2);
}

SkillRun::~SkillRun() = default;

void SkillRun::schedule(const Push& push) {
    pushes_.push_back(push);
}

void SkillRun::cycle(skills::Skill& skill) {
    GameView game;
    game.now = now_;
    game.gameTime = now_;
    game.mode = PlayMode::PlayOn;
    game.cycle = cycle_;
    // The agent's cycle: the message parsed into its world model, the model brought up
    // to date, the readings taken from it.
    const double began = threadSeconds();
    parser_->doParse(writer_.write(*world_, *robot_, game, {}, cycle_ == 0));
    wm_->globalize();
    const skills::Readings readings = wm_->readings();
    const bool readDown = skills::downWhileWalking(readings, wm_->bodyFrame());
    if (readDown && !readDown_ && !down()) ++misreadFalls_;
    readDown_ = readDown;
    readingSeconds_ += threadSeconds() - began;
    skills::JointSpeeds speeds = skill.step(readings);
    if (sweepHead_) {
        const skills::JointSpeeds head = headSweep_.step(readings);
        for (int i = 0; i < head.count; ++i)
            if (!speeds.driven[head.order[i]]) speeds.set(head.order[i], head.speed[head.order[i]]);
    }
    pending_.push_back(speeds);
    if (static_cast<int>(pending_.size()) > delay_) {
        const skills::JointSpeeds& speeds = pending_.front();
        for (int j = 0; j < kJointCount; ++j)
            if (speeds.driven[j]) robot_->setSpeed(j, speeds.speed[j]);
        pending_.pop_front();
    }
    for (const Push& p : pushes_)
        if (p.at >= now_ - 1e-9 && p.at < now_ + kCycleSeconds - 1e-9) robot_->push({p.x, p.y, 0});
    ++cycle_;
    now_ = static_cast<double>(cycle_) * kCycleSeconds;
    world_->step(kCycleSeconds);
    robot_->updatePosture(now_);
    const bool isDown = down();
    if (isDown && !wasDown_) ++falls_;
    wasDown_ = isDown;
}

void SkillRun::runFor(skills::Skill& skill, double seconds) {
    const double end = now_ + seconds - 1e-9;
    while (now_ < end) cycle(skill);
}

Pose SkillRun::truth() const {
    return {robot_->x(), robot_->y(), robot_->heading()};
}

bool SkillRun::down() const {
    return !robot_->upright();
}

Pose SkillRun::belief() const {
    const salt::Vector3f camera = wm_->getMyPos();
    return {camera.x(), camera.y(), wm_->getMyAngle()};
}

sparring::Vec3 SkillRun::ball() const {
    return world_->ball();
}

sparring::Vec3 SkillRun::ballVelocity() const {
    return world_->ballVelocity();
}

bool SkillRun::located() const {
    return wm_->hasCameraFix();
}

}  // namespace lab
