#include "bench/lab/getup_run.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <sstream>

#include "bench/lab/centre_of_mass.h"
#include "sparring/world/physics/physics_constants.h"
#include "sparring/world/physics/physics_world.h"
#include "sparring/world/robot_model.h"

namespace lab {

using namespace sparring;

namespace {

constexpr double kCycle = 0.02;   // seconds
constexpr double kMargin = 0.01;  // seconds: keyframe spans shift by this, as in the agent
constexpr double kHoldUp = 3.0;   // seconds the robot must stay up after standing

// One cycle of playback at motion clock t: the joint speeds, in the agent's units
// (degrees over seconds over 50, sent as rad/s). Returns false once the motion ended.
bool playCycle(const KeyframeMotion& m, double& t, Robot& robot) {
    for (const auto& k : m.keyframes) {
        if (!(k.start - kMargin <= t && t < k.end - kMargin)) continue;
        for (int j : m.joints)
            robot.setSpeed(j, (k.targets[j] - robot.angle(j)) / (k.end - t) / 50);
        break;
    }
    t += kCycle;
    if (t > m.end()) {
        for (int j = 0; j < kJointCount; ++j) robot.setSpeed(j, 0);
        return false;
    }
    return true;
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
                 robot.angle(LLJ3), robot.angle(LLJ4), robot.angle(LLJ5), robot.angle(LAJ1),
                 playing ? "" : " (still)");
}

// The agent's own fall test, on the true pose: no foot carrying more than 8 N, or the
// centre of mass more than 0.2 m (0.15 m over one loaded foot) from the feet.
bool agentReadsDown(const PhysicsRobot& r) {
    const BodySensors s = r.sensors();
    const double zL = s.feet[0].touching ? std::fabs(s.feet[0].force.z) : 0;
    const double zR = s.feet[1].touching ? std::fabs(s.feet[1].force.z) : 0;
    if (zL <= 8 && zR <= 8) return length(s.acc) >= 3;  // in the air is not down
    const BodyPoints p = r.bodyPoints();
    const Vec3 com = centreOfMass(r);
    auto flat = [&](const Vec3& a) { return std::hypot(com.x - a.x, com.y - a.y); };
    if (zL > 10 && zR > 10) return flat((p[kLFootPoint] + p[kRFootPoint]) * 0.5) > 0.2;
    return flat(zL > 8 ? p[kLFootPoint] : p[kRFootPoint]) > 0.15;
}

}  // namespace

Outcome runGetUp(const KeyframeMotion& motion, const Condition& c, double seconds, std::FILE* trace,
                 int traceEvery) {
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
    double now = 0;
    auto cycle = [&] {
        world.step(kCycle);
        now += kCycle;
        return robot.updatePosture(now);
    };
    // The head turned as the scan left it, then the fall.
    for (int i = 0; i < 25; ++i) {
        robot.setSpeed(HJ1, (c.headYaw - robot.angle(HJ1)) * M_PI / 180 / 0.1);
        robot.setSpeed(HJ2, (c.headPitch - robot.angle(HJ2)) * M_PI / 180 / 0.1);
        cycle();
    }
    robot.setSpeed(HJ1, 0);
    robot.setSpeed(HJ2, 0);
    // "Upright": the motion starts from standing (to try poses on the way up).
    if (c.from != Posture::Upright) robot.fall(c.from, now, 0);
    robot.push({c.nudgeX, c.nudgeY, 0});
    const double fallAt = now;
    Outcome out;
    std::deque<double> window;           // uprightness over the last 0.3 s
    std::deque<double> forwards, lefts;  // the torso's axes over the last 0.3 s
    bool playing = false;
    double clock = 0;
    double endedAt = -1;  // seconds after the fall when the first play ended
    while (now - fallAt < seconds) {
        const double since = now - fallAt;
        const bool fromStanding = c.from == Posture::Upright && since < kCycle / 2;
        if (fromStanding || (!playing && since >= c.delay && !out.stood && agentReadsDown(robot))) {
            playing = true;
            clock = 0;
        }
        if (c.once && endedAt >= 0 && !out.stood && since - endedAt > 1.5) break;
        if (c.once && endedAt >= 0) playing = false;
        if (playing) {
            playing = playCycle(motion, clock, robot);
            if (!playing && endedAt < 0) endedAt = since;
        }
        const bool stoodNow = cycle();
        if (stoodNow && !out.stood) {
            out.stood = true;
            out.stoodAt = now - fallAt;
        }
        if (out.stood && !robot.upright() && now - fallAt - out.stoodAt <= kHoldUp)
            out.fellAgain = true;
        const Rot3 torso = robot.torsoToServer();
        const Vec3 acc = robot.sensors().acc;
        const double g = length(acc);
        if (since > c.delay &&
            (torso.apply({1, 0, 0}).z > 0.25 || (g > 6 && g < 14 && acc.x / g > 0.25)))
            out.readOnBack = true;
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
