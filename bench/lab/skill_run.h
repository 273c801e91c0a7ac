#ifndef BENCH_LAB_SKILL_RUN_H
#define BENCH_LAB_SKILL_RUN_H

#include <deque>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "motion/skills/head_sweep.h"
#include "motion/skills/skill.h"
#include "sparring/protocol/perception.h"
#include "sparring/world/physics/physics_constants.h"
#include "worldmodel/worldmodel.h"

class Parser;

namespace sparring {
class PhysicsWorld;
class PhysicsRobot;
}  // namespace sparring

namespace lab {

// A robot's place on the field: metres and degrees. The runner's robot plays on the left,
// whose own field frame is the server's, so truth and belief share this frame.
struct Pose {
    double x = 0, y = 0;  // metres
    double heading = 0;   // degrees, counter-clockwise from +x
};

// The vision the match settings give: view cone 120 degrees, vision every third cycle,
// noise 0.1 degree and 0.1 % of the distance ("low"), or 0.5 degree and 1 % ("high").
sparring::VisionOptions matchVision(bool highNoise, unsigned seed);

// The world one run is played in: the approximate constants as factors of their
// defaults, the solver, the vision, where the robot starts and where the ball lies.
struct RunSettings {
    double torque = 1, friction = 1, softness = 1;  // factors of the world's defaults
    sparring::physics::Solver solver = sparring::physics::Approximate{}.solver;
    sparring::VisionOptions vision = matchVision(false, 1);
    Pose start;
    double ballX = 4, ballY = 3;  // metres: out of the way unless asked
    // Cycles between a skill's step and its speeds acting on the joints: 0 as the
    // sparring server does (a reply acts in the step after the message it answers), 1 for
    // a server whose replies act a cycle later.
    int delay = 0;
    // The head swept from side to side as the agent sweeps it while walking, for the
    // joints the skill leaves alone; false holds it where it is.
    bool sweepHead = true;
};

// An impulse on the torso given at a time of the run: newton-seconds, server frame.
struct Push {
    double at = 0;  // seconds
    double x = 0, y = 0;
};

// One robot of the physical world that plays a skill in-process, read the way the agent
// reads it: every cycle the sparring server's own perception writer writes the robot's
// message, the agent's parser stores it in a world model of the runner's own, the world
// model is updated as the agent does each cycle (globalize), and the skill is stepped
// with that world model's readings(). The driven joints get their speeds, then the world
// steps 0.02 s and the server's fall rule watches the torso. So a skill sees quantised
// angles, noisy vision and the agent's localisation, not the simulator's state.
class SkillRun {
public:
    explicit SkillRun(const RunSettings& settings);
    ~SkillRun();
    SkillRun(const SkillRun&) = delete;
    SkillRun& operator=(const SkillRun&) = delete;

    // Pushes are given at the first cycle at or after their time.
    void schedule(const Push& push);
    // One cycle of 0.02 s with `skill` driving the joints.
    void cycle(skills::Skill& skill);
    // Cycles until `seconds` of run time have passed.
    void runFor(skills::Skill& skill, double seconds);

    double time() const { return now_; }  // seconds since the start
    // The truth: the torso's pose in the server frame.
    Pose truth() const;
    // Down by the server's rule (torso tilted more than 60 degrees or camera below
    // 0.30 m), and how often the robot went down so far.
    bool down() const;
    int falls() const { return falls_; }
    // Down by the agent's own reading of a walking robot (the readings of the latest
    // cycle), and how often it read a fall of a robot the server's rule held upright: the
    // agent would have started a get-up there, which throws a walking robot.
    bool readDown() const { return readDown_; }
    int misreadFalls() const { return misreadFalls_; }
    // The agent's belief: the camera's pose as its localisation has it, once landmarks
    // fixed it (before that, `located` is false and the pose is meaningless).
    Pose belief() const;
    bool located() const;
    const WorldModel& worldModel() const { return *wm_; }
    // The ball's true place (metres) and velocity (m/s), server frame.
    sparring::Vec3 ball() const;
    sparring::Vec3 ballVelocity() const;
    sparring::PhysicsWorld& world() { return *world_; }
    sparring::PhysicsRobot& robot() { return *robot_; }
    // CPU seconds spent so far writing, parsing and reading the
    // robot's messages: the cost of reading the robot the agent's way.
    double readingSeconds() const { return readingSeconds_; }
    // Whatever the physical world logged (a robot reset after an unsound state).
    std::string worldLog() const { return log_.str(); }

private:
    std::ostringstream log_;
    std::unique_ptr<sparring::PhysicsWorld> world_;
    sparring::PhysicsRobot* robot_ = nullptr;
    sparring::PerceptionWriter writer_;
    std::unique_ptr<WorldModel> wm_;
    std::unique_ptr<Parser> parser_;
    std::vector<Push> pushes_;
    int delay_ = 0;  // cycles
    bool sweepHead_ = true;
    skills::HeadSweep headSweep_;
    std::deque<skills::JointSpeeds> pending_;  // speeds on their way to the joints
    long cycle_ = 0;
    double now_ = 0;  // seconds
    bool wasDown_ = false;
    int falls_ = 0;
    bool readDown_ = false;
    int misreadFalls_ = 0;
    double readingSeconds_ = 0;
};

}  // namespace lab

#endif
