#include "bench/lab/walk_run.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <random>
#include <sstream>

#include "bench/lab/centre_of_mass.h"
#include "sparring/world/physics/physics_world.h"
#include "sparring/world/robot_model.h"

namespace lab {

using namespace sparring;

namespace {

constexpr double kCycle = 0.02;  // seconds
// The fall rule: the torso below this height (metres) or its up axis this far from vertical.
constexpr double kFallHeight = 0.25;
constexpr double kFallUp = 0.6;

skills::Readings readingsOf(const PhysicsRobot& robot, double now) {
    skills::Readings r;
    r.time = now;
    for (int j = 0; j < sparring::kJointCount; ++j) r.angles[j] = robot.angle(j);
    const BodySensors s = robot.sensors();
    r.gyro = salt::Vector3f(static_cast<float>(s.gyro.x), static_cast<float>(s.gyro.y),
                            static_cast<float>(s.gyro.z));
    r.acc = salt::Vector3f(static_cast<float>(s.acc.x), static_cast<float>(s.acc.y),
                           static_cast<float>(s.acc.z));
    r.accFresh = true;
    for (int f = 0; f < 2; ++f) {
        const FootReading& in = s.feet[f];
        r.feet[f].touching = in.touching;
        r.feet[f].centre =
            salt::Vector3f(static_cast<float>(in.centre.x), static_cast<float>(in.centre.y),
                           static_cast<float>(in.centre.z));
        r.feet[f].force =
            salt::Vector3f(static_cast<float>(in.force.x), static_cast<float>(in.force.y),
                           static_cast<float>(in.force.z));
    }
    return r;
}

struct Ground {
    double x, y, heading;  // metres, degrees
};

Ground groundOf(const PhysicsRobot& r) {
    return {r.x(), r.y(), r.heading()};
}

// `b` relative to `a`: metres along a's forward and left, degrees turned.
Ground between(const Ground& a, const Ground& b) {
    const double h = a.heading * M_PI / 180;
    const double dx = b.x - a.x, dy = b.y - a.y;
    return {std::cos(h) * dx + std::sin(h) * dy, -std::sin(h) * dx + std::cos(h) * dy,
            std::remainder(b.heading - a.heading, 360.0)};
}

// One line of what the walk and the robot do: where it is, the walk's speed, the feet's
// loads, the centre of mass from the feet's middle (centimetres, robot's axes), the
// torso's tilt forward and to the left (degrees) and the largest joint lag (degrees).
void traceLine(std::FILE* out, double now, const Ground& g, double turned, const skills::Walk& walk,
               const PhysicsRobot& robot) {
    const skills::WalkCommand v = walk.speed();
    const BodyPoints p = robot.bodyPoints();
    const Vec3 com = centreOfMass(robot);
    const Vec3 feet = (p[kLFootPoint] + p[kRFootPoint]) * 0.5;
    const double h = robot.heading() * M_PI / 180;
    const double dx = com.x - feet.x, dy = com.y - feet.y;
    const Rot3 torso = robot.torsoToServer();
    const double fwdTilt = -torso.apply({1, 0, 0}).z, leftTilt = -torso.apply({0, 1, 0}).z;
    double lag = 0;
    int lagging = 0;
    for (int j = 2; j < sparring::kJointCount; ++j) {
        const double l = std::fabs(walk.targets()[j] - robot.angle(j));
        if (l > lag) {
            lag = l;
            lagging = j;
        }
    }
    std::fprintf(out,
                 "%6.2f x %6.3f y %6.3f h %7.1f | v %5.2f %5.2f %6.1f | F %4.0f %4.0f | com %5.1f "
                 "%5.1f | tilt %5.1f %5.1f | lag %4.1f %s\n",
                 now, g.x, g.y, turned, v.forward, v.sideways, v.turn,
                 robot.sensors().feet[0].force.z, robot.sensors().feet[1].force.z,
                 100 * (std::cos(h) * dx + std::sin(h) * dy),
                 100 * (-std::sin(h) * dx + std::cos(h) * dy), std::asin(fwdTilt) * 180 / M_PI,
                 std::asin(leftTilt) * 180 / M_PI, lag, sparring::kJoints[lagging].perceptor);
}

bool fallen(const PhysicsRobot& r) {
    const Vec3 torso = r.bodyPoints()[kTorsoPoint];
    return torso.z < kFallHeight || r.torsoToServer().apply({0, 0, 1}).z < kFallUp;
}

}  // namespace

std::vector<TimedCommand> randomCommands(unsigned seed, double seconds) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> gap(1, 3), f(-0.5, 1.0), s(-0.4, 0.4), t(-120, 120),
        kind(0, 1);
    std::vector<TimedCommand> list;
    for (double at = 0; at < seconds; at += gap(rng)) {
        TimedCommand c;
        c.at = at;
        const double k = kind(rng);
        if (k >= 0.15) {  // else: stop
            c.command.forward = f(rng);
            c.command.sideways = k < 0.6 ? s(rng) : 0;
            c.command.turn = k > 0.4 ? t(rng) : 0;
        }
        list.push_back(c);
    }
    return list;
}

WalkOutcome runWalk(const skills::WalkParameters& p, const WalkWorld& w,
                    const std::vector<TimedCommand>& commands, double seconds, double measureFrom,
                    std::FILE* trace, int traceEvery) {
    physics::Approximate constants;
    constants.motorTorque = physics::kMaxMotorTorque * w.torque;
    constants.friction = physics::kFriction * w.friction;
    constants.softness = w.softness;
    std::ostringstream log;
    PhysicsWorld world(log, constants);
    PhysicsRobot& robot = world.addPhysicsRobot(Side::Left, 2, "LAB");
    world.placeBall(4, 3);
    robot.place(0, 0, w.heading);
    skills::Walk walk(p);
    WalkOutcome out;
    double now = 0;
    std::size_t next = 0;
    const Ground start = groundOf(robot);
    Ground measureStart = start;
    double turned = 0, turnedAtMeasure = 0, lastHeading = start.heading;
    int cycle = 0;
    std::deque<skills::JointSpeeds> pending;  // commands on their way to the robot
    while (now < seconds) {
        while (next < commands.size() && commands[next].at <= now + 1e-9)
            walk.setCommand(commands[next++].command);
        pending.push_back(walk.step(readingsOf(robot, now)));
        if (static_cast<int>(pending.size()) > w.delay) {
            const skills::JointSpeeds& js = pending.front();
            for (int j = 0; j < sparring::kJointCount; ++j)
                if (js.driven[j]) robot.setSpeed(j, js.speed[j]);
            pending.pop_front();
        }
        world.step(kCycle);
        now += kCycle;
        ++cycle;
        turned += std::remainder(robot.heading() - lastHeading, 360.0);
        lastHeading = robot.heading();
        if (std::fabs(now - measureFrom) < kCycle / 2) {
            measureStart = groundOf(robot);
            turnedAtMeasure = turned;
        }
        if (trace != nullptr && cycle % traceEvery == 0)
            traceLine(trace, now, between(start, groundOf(robot)), turned, walk, robot);
        if (fallen(robot)) {
            out.fell = true;
            out.fellAt = now;
            break;
        }
    }
    const Ground moved = between(start, groundOf(robot));
    out.forward = moved.x;
    out.sideways = moved.y;
    out.turned = turned;
    out.seconds = now;
    const double window = now - measureFrom;
    if (window > 0.5) {
        const Ground m = between(measureStart, groundOf(robot));
        out.forwardSpeed = m.x / window;
        out.sidewaysSpeed = m.y / window;
        out.turnRate = (turned - turnedAtMeasure) / window;
    }
    return out;
}

}  // namespace lab
