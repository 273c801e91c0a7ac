#include "bench/lab/walk_run.h"

#include <cmath>
#include <sstream>

#include "sparring/world/physics/physics_world.h"

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

bool fallen(const PhysicsRobot& r) {
    const Vec3 torso = r.bodyPoints()[kTorsoPoint];
    return torso.z < kFallHeight || r.torsoToServer().apply({0, 0, 1}).z < kFallUp;
}

}  // namespace

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
    while (now < seconds) {
        while (next < commands.size() && commands[next].at <= now + 1e-9)
            walk.setCommand(commands[next++].command);
        const skills::JointSpeeds js = walk.step(readingsOf(robot, now));
        for (int j = 0; j < sparring::kJointCount; ++j)
            if (js.driven[j]) robot.setSpeed(j, js.speed[j]);
        world.step(kCycle);
        now += kCycle;
        ++cycle;
        turned += std::remainder(robot.heading() - lastHeading, 360.0);
        lastHeading = robot.heading();
        if (std::fabs(now - measureFrom) < kCycle / 2) {
            measureStart = groundOf(robot);
            turnedAtMeasure = turned;
        }
        if (trace != nullptr && cycle % traceEvery == 0) {
            const Ground g = between(start, groundOf(robot));
            const skills::WalkCommand v = walk.speed();
            std::fprintf(trace,
                         "%6.2f x %6.3f y %6.3f h %7.1f | v %5.2f %5.2f %6.1f | F %4.0f %4.0f\n",
                         now, g.x, g.y, turned, v.forward, v.sideways, v.turn,
                         robot.sensors().feet[0].force.z, robot.sensors().feet[1].force.z);
        }
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
