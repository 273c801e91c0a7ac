#include "bench/lab/getup_run.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>
#include <sstream>

#include "bench/lab/centre_of_mass.h"
#include "motion/skills/fall.h"
#include "motion/skills/getup.h"
#include "sparring/world/physics/physics_constants.h"
#include "sparring/world/physics/physics_world.h"
#include "sparring/world/robot_model.h"

namespace lab {

using namespace sparring;

namespace {

constexpr double kCycle = 0.02;  // seconds
constexpr double kHoldUp = 3.0;  // seconds the robot must stay up after standing

salt::Vector3f toSalt(const Vec3& v) {
    return salt::Vector3f(static_cast<float>(v.x), static_cast<float>(v.y),
                          static_cast<float>(v.z));
}

// The robot's readings as its perceptors give them, without noise.
skills::Readings readingsOf(const PhysicsRobot& robot, double now) {
    skills::Readings r;
    r.time = now;
    for (int j = 0; j < sparring::kJointCount; ++j) r.angles[j] = robot.angle(j);
    const BodySensors s = robot.sensors();
    r.gyro = toSalt(s.gyro);
    r.acc = toSalt(s.acc);
    r.accFresh = true;
    for (int f = 0; f < 2; ++f) {
        r.feet[f].touching = s.feet[f].touching;
        r.feet[f].centre = toSalt(s.feet[f].centre);
        r.feet[f].force = toSalt(s.feet[f].force);
    }
    return r;
}

void setSpeeds(PhysicsRobot& robot, const skills::JointSpeeds& speeds) {
    for (int i = 0; i < speeds.count; ++i)
        robot.setSpeed(speeds.order[i], speeds.speed[speeds.order[i]]);
}

// One cycle of the agent's own playback at motion clock t. Returns false once the
// motion ended.
bool playCycle(const skills::KeyframeMotion& m, double& t, PhysicsRobot& robot, double now) {
    skills::JointSpeeds speeds;
    const bool ended = skills::KeyframePlayer::playCycle(m, t, readingsOf(robot, now), speeds);
    setSpeeds(robot, speeds);
    return !ended;
}

double tilt(const PhysicsRobot& r) {
    const Vec3 up = r.torsoToServer().apply({0, 0, 1});
    return std::acos(std::clamp(up.z, -1.0, 1.0)) * 180 / M_PI;
}

// 0 lying, 1 standing tall and upright: 40 % for height and uprightness, 60 % for
// the weight carried over the feet (soles on the ground, the centre of mass above
// them; it falls off linearly to nothing 25 cm away), which guides a search through
// the crouches on the way up.
double uprightness(const PhysicsRobot& r) {
    const double height = std::clamp(r.cameraPosition().z / 0.5, 0.0, 1.0);
    const double up = height * 0.5 * (1 + std::cos(tilt(r) * M_PI / 180));
    const BodyPoints p = r.bodyPoints();
    const BodySensors s = r.sensors();
    const Vec3 com = centreOfMass(r);
    const Vec3 feet = (p[kLFootPoint] + p[kRFootPoint]) * 0.5;
    const double d = std::hypot(com.x - feet.x, com.y - feet.y);
    const double soles = (s.feet[0].touching && p[kLFootPoint].z < 0.05 ? 0.5 : 0) +
                         (s.feet[1].touching && p[kRFootPoint].z < 0.05 ? 0.5 : 0);
    const double support = soles * std::max(0.0, 1 - d / 0.25);
    return 0.4 * up + 0.6 * support;
}

// Where the left limbs' points are (x along the world's x, z up, centimetres), the
// centre of mass and the feet's loads: enough to see what a motion leans on.
void tracePosture(std::FILE* out, double since, const PhysicsRobot& robot, bool playing) {
    const BodyPoints p = robot.bodyPoints();
    const Vec3 com = centreOfMass(robot);
    const BodySensors s = robot.sensors();
    auto at = [&](int i) {
        static char buf[8][24];
        static int n = 0;
        n = (n + 1) % 8;
        std::snprintf(buf[n], sizeof buf[n], "%4.0f,%3.0f", p[i].x * 100, p[i].z * 100);
        return buf[n];
    };
    std::fprintf(out,
                 "%5.2f cam %4.1f tilt %4.0f fwd %5.2f left %5.2f | sh %s hand %s hip %s knee %s "
                 "foot %s com %4.0f,%3.0f | F %3.0f %3.0f | j %4.0f %4.0f %4.0f %4.0f%s\n",
                 since, robot.cameraPosition().z * 100, tilt(robot),
                 robot.torsoToServer().apply({1, 0, 0}).z, robot.torsoToServer().apply({0, 1, 0}).z,
                 at(kLShoulderPoint), at(kLLowerArmPoint), at(kLHipPoint), at(kLKneePoint),
                 at(kLFootPoint), com.x * 100, com.z * 100, s.feet[0].force.z, s.feet[1].force.z,
                 robot.angle(sparring::LLJ3), robot.angle(sparring::LLJ4),
                 robot.angle(sparring::LLJ5), robot.angle(sparring::LAJ1),
                 playing ? "" : " (still)");
}

// The body as the agent's fall reading takes it, from the true pose: the body points
// relative to the camera in the torso's frame, and the torso's true orientation. With
// `fixCurrent` false the reading goes by the accelerometer, as the agent's does while
// it sees no landmark.
skills::BodyFrame bodyFrameOf(const PhysicsRobot& robot, bool fixCurrent) {
    const BodyPoints p = robot.bodyPoints();
    const Vec3 camera = robot.cameraPosition();
    const Rot3 torso = robot.torsoToServer();
    auto rel = [&](const Vec3& v) { return toSalt(torso.applyInverse(v - camera)); };
    skills::BodyFrame body;
    body.com = rel(centreOfMass(robot));
    body.leftFoot = rel(p[kLFootPoint]);
    body.rightFoot = rel(p[kRFootPoint]);
    body.toField = [torso, camera](const salt::Vector3f& v) {
        return toSalt(torso.apply(Vec3{v.x(), v.y(), v.z()}) + camera);
    };
    body.fixCurrent = fixCurrent;
    return body;
}

bool agentReadsDown(const PhysicsRobot& r, double now) {
    return skills::feltDown(readingsOf(r, now), bodyFrameOf(r, true));
}

// Lying on the back by the agent's reading, with a fix or without one; `recent` holds
// the accelerometer's readings of the last 0.1 s, whose mean the agent reads the way of
// lying by.
// The readings with the accelerometer's mean over `recent` (its last 0.1 s).
skills::Readings steadyReadingsOf(const PhysicsRobot& r, double now,
                                  const std::deque<salt::Vector3f>& recent) {
    skills::Readings readings = readingsOf(r, now);
    for (const salt::Vector3f& a : recent) readings.accSteady += a;
    readings.accSteadyCount = static_cast<int>(recent.size());
    if (!recent.empty()) readings.accSteady /= static_cast<float>(recent.size());
    return readings;
}

bool agentReadsOnBack(const PhysicsRobot& r, double now, const std::deque<salt::Vector3f>& recent) {
    const skills::Readings readings = steadyReadingsOf(r, now, recent);
    return skills::wayOfLying(readings, bodyFrameOf(r, true)) == skills::kOnBack ||
           skills::wayOfLying(readings, bodyFrameOf(r, false)) == skills::kOnBack;
}

// One cycle of the agent's get-up rules, stepped as the agent steps them: while it reads
// down (from `started` on) or a get-up runs. Returns whether a get-up runs.
bool stepAgent(skills::GetUp& getUp, Action& activity, PhysicsRobot& robot, double now,
               bool started, const std::deque<salt::Vector3f>& recent) {
    const skills::Readings r = steadyReadingsOf(robot, now, recent);
    const skills::BodyFrame body = bodyFrameOf(robot, true);
    const bool down = started && skills::feltDown(r, body);
    if (!down && !skills::GetUp::isGettingUp(activity)) {
        setSpeeds(robot, skills::JointSpeeds::allStop());
        return false;
    }
    const int lying = down ? skills::wayOfLying(r, body) : skills::kLyingUnknown;
    setSpeeds(robot, getUp.step(r, lying, activity));
    return skills::GetUp::isGettingUp(activity);
}

}  // namespace

Outcome runGetUp(const skills::KeyframeMotion& motion, const Condition& c, double seconds,
                 std::FILE* trace, int traceEvery) {
    physics::Approximate constants;
    constants.motorTorque = physics::kMaxMotorTorque * c.torque;
    constants.friction = physics::kFriction * c.friction;
    constants.softness = c.softness;
    constants.solver = c.solver;
    std::ostringstream log;
    PhysicsWorld world(log, constants);
    PhysicsRobot& robot = world.addPhysicsRobot(Side::Left, 2, "LAB");
    world.placeBall(4, 3);  // well away: the ball starts on the centre spot
    robot.place(0, 0, c.heading);
    PhysicsRobot* other = nullptr;
    if (c.beside != 0) {
        // To the right of the heading, which stays the fallen robot's right as it lies.
        const double h = c.heading * M_PI / 180;
        other = &world.addPhysicsRobot(Side::Right, 3, "BESIDE");
        other->place(c.beside * std::sin(h), -c.beside * std::cos(h), c.heading);
        other->lieRolled(c.besideFrom, 0);
    }
    double now = 0;
    auto cycle = [&] {
        world.step(kCycle);
        now += kCycle;
        return robot.updatePosture(now);
    };
    // The head turned as the scan left it, then the fall.
    for (int i = 0; i < 25; ++i) {
        robot.setSpeed(sparring::HJ1, (c.headYaw - robot.angle(sparring::HJ1)) * M_PI / 180 / 0.1);
        robot.setSpeed(sparring::HJ2,
                       (c.headPitch - robot.angle(sparring::HJ2)) * M_PI / 180 / 0.1);
        cycle();
    }
    robot.setSpeed(sparring::HJ1, 0);
    robot.setSpeed(sparring::HJ2, 0);
    if (c.pose != nullptr && !c.pose->keyframes.empty()) {
        // Held off the ground while the joints go to the pose, so that it cannot fall.
        robot.hold(0.3);
        const std::size_t last = c.pose->keyframes.size() - 1;
        for (int i = 0; i < 30; ++i) {
            for (int j = 0; j < sparring::kJointCount; ++j) {
                if (!c.pose->drives(j)) continue;
                robot.setSpeed(j, (c.pose->target(last, j) - robot.angle(j)) * M_PI / 180 / 0.1);
            }
            cycle();
        }
        for (int j = 0; j < sparring::kJointCount; ++j) robot.setSpeed(j, 0);
        robot.release();
    }
    // "Upright": the motion starts from standing (to try poses on the way up).
    if (c.from != Posture::Upright) robot.lieRolled(c.from, c.roll);
    robot.push({c.nudgeX, c.nudgeY, 0});
    const double fallAt = now;
    Outcome out;
    std::deque<double> window;           // uprightness over the last 0.3 s
    std::deque<double> forwards, lefts;  // the torso's axes over the last 0.3 s
    bool playing = false;
    double clock = 0;
    double waited = 0;    // seconds the back get-up's hold waited for the body to rest
    double endedAt = -1;  // seconds after the fall when the first play ended
    std::deque<salt::Vector3f> accRecent;  // the accelerometer's last 0.1 s, m/s^2
    int backCycles = 0;                    // cycles in a row read on the back
    std::optional<skills::GetUp> getUp;
    if (c.agent != nullptr) getUp.emplace(*c.agent, c.frontTries);
    Action activity = ACT_NONE;
    // The robot beside, when it gets up too: its own rules, activity and readings.
    std::optional<skills::GetUp> otherGetUp;
    if (c.agent != nullptr && c.besideAgent && other != nullptr)
        otherGetUp.emplace(*c.agent, c.frontTries);
    Action otherActivity = ACT_NONE;
    std::deque<salt::Vector3f> otherAccRecent;
    bool mainStood = false;
    while (now - fallAt < seconds) {
        const double since = now - fallAt;
        if (getUp) {
            playing = stepAgent(*getUp, activity, robot, now, since >= c.delay, accRecent);
            if (otherGetUp)
                stepAgent(*otherGetUp, otherActivity, *other, now, since >= c.delay,
                          otherAccRecent);
        } else {
            const bool fromStanding = c.from == Posture::Upright && since < kCycle / 2;
            if (fromStanding ||
                (!playing && since >= c.delay && !out.stood && agentReadsDown(robot, now))) {
                playing = true;
                clock = 0;
            }
            if (c.once && endedAt >= 0 && !out.stood && since - endedAt > 1.5) break;
            if (c.once && endedAt >= 0) playing = false;
            if (playing) {
                if (clock == 0) waited = 0;
                const double at = clock;
                playing = playCycle(motion, clock, robot, now);
                // From the back, the hold lasts until the body rests, as the agent's does.
                if (playing && c.from == Posture::OnBack &&
                    skills::holdsForRest(motion, at, waited, readingsOf(robot, now))) {
                    clock = at;
                    waited += kCycle;
                }
                if (!playing && endedAt < 0) endedAt = since;
            }
        }
        const bool mainNow = cycle();
        if (mainNow) mainStood = true;
        bool stoodNow = mainStood;
        if (otherGetUp) {
            if (other->updatePosture(now) && !out.otherStood) {
                out.otherStood = true;
                out.otherStoodAt = now - fallAt;
            }
            otherAccRecent.push_back(toSalt(other->sensors().acc));
            if (otherAccRecent.size() > 5) otherAccRecent.pop_front();
            stoodNow = mainStood && out.otherStood;
        }
        if (stoodNow && !out.stood) {
            out.stood = true;
            out.stoodAt = now - fallAt;
        }
        if (out.stood && !robot.upright() && now - fallAt - out.stoodAt <= kHoldUp)
            out.fellAgain = true;
        const Rot3 torso = robot.torsoToServer();
        accRecent.push_back(toSalt(robot.sensors().acc));
        if (accRecent.size() > 5) accRecent.pop_front();
        backCycles = agentReadsOnBack(robot, now, accRecent) ? backCycles + 1 : 0;
        // The agent's back get-up takes over another get-up after 0.2 s on the back.
        if (since > c.delay && backCycles > 10) out.readOnBack = true;
        forwards.push_back(torso.apply({1, 0, 0}).z);
        lefts.push_back(torso.apply({0, 1, 0}).z);
        if (forwards.size() > 15) {
            forwards.pop_front();
            lefts.pop_front();
        }
        window.push_back(uprightness(robot));
        if (window.size() > 15) window.pop_front();
        out.progress = std::max(out.progress, *std::min_element(window.begin(), window.end()));
        if (trace != nullptr && std::lround(since / kCycle) % traceEvery == 0)
            tracePosture(trace, since, robot, playing);
        if (out.stood && now - fallAt - out.stoodAt > kHoldUp) break;
        if (out.fellAgain) break;
    }
    for (std::size_t i = 0; i < forwards.size(); ++i) {
        out.forwardEnd += forwards[i] / static_cast<double>(forwards.size());
        out.leftEnd += lefts[i] / static_cast<double>(lefts.size());
    }
    if (!log.str().empty() && trace != nullptr) std::fprintf(trace, "%s", log.str().c_str());
    if (log.str().find("unstable") != std::string::npos) out.progress = 0;
    if (out.stood && !out.fellAgain)
        out.score = 100 - out.stoodAt;
    else
        out.score = 50 * out.progress + (out.stood ? 5 : 0);
    return out;
}

}  // namespace lab
