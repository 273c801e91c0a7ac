#ifndef SPARRING_PHYSICS_CONSTANTS_H
#define SPARRING_PHYSICS_CONSTANTS_H

#include <cmath>

// Every constant of the physical world in one place, with its unit and why it has its
// value (docs/sparring.md repeats them).

namespace sparring::physics {

constexpr double kGravity = 9.81;  // m/s^2
// Physics steps per 0.02 s cycle. Each step solves the constraints exactly (ODE's
// dWorldStep): the iterative solver lets the chain of light bodies (35 g elbows on a
// 1.2 kg torso) sag and fall even with 8 steps of 40 iterations, while the exact one
// holds a standing robot still with one step per cycle. One step keeps 9 robots several
// times faster than real time; each more step costs as much again.
constexpr int kStepsPerCycle = 4;
// Largest torque a hinge's motor gives to hold its commanded speed, N·m: the range of
// the small servos of robots of this size, enough to hold the robot in a crouch.
constexpr double kMaxMotorTorque = 10.0;
// How much of its torque a motor may give while it drives a joint away from the stop it
// rests on (ODE's fudge factor): at the full torque a joint whose speed flips every cycle
// jumps off its stop and the light bodies spin up to hundreds of rad/s.
constexpr double kStopFudge = 0.1;
// Foot-ground (and every other) friction coefficient.
constexpr double kFriction = 1.0;
// Contacts are springs with dampers, a little soft and strongly damped: a standing robot
// sinks under a millimetre onto its eight sole corners and rests there without jitter.
constexpr double kContactStiffness = 2.0e4;  // N/m per contact point
constexpr double kContactDamping = 400.0;    // N·s/m per contact point
// Speed at which overlapping bodies are pushed apart, m/s: two robots beamed onto one
// spot separate instead of exploding.
constexpr double kMaxCorrectingSpeed = 0.5;
// Contact points per pair of touching shapes (a box on the ground has four corners), and
// in all between two robots in one step.
constexpr int kMaxContactsPerPair = 4;
// Shapes may sink this far into each other before contacts push back, metres: keeps
// resting contacts from breaking and re-forming every step.
constexpr double kSurfaceLayer = 0.0005;
// A body slower than these for kRestSteps steps is at rest and left out of the steps
// (ODE's auto-disable) until a command, a push, a beam or a touch wakes it: a robot
// standing still costs almost nothing.
constexpr double kRestSpeed = 0.005;  // m/s
constexpr double kRestSpin = 0.01;    // rad/s
constexpr int kRestSteps = 10;
// The iterative solver never lets a robot keep quite still (each step's small errors
// differ), so ODE's test above would never put it to rest: a robot without commands
// whose torso has moved less than kRestShift and turned less than kRestTurn in each of
// kRestCycles cycles is put to rest as well.
constexpr double kRestShift = 0.0003;  // metres per cycle
constexpr double kRestTurn = 0.08;     // degrees per cycle
constexpr int kRestCycles = 5;
// The iterative solver: iterations per step and over-relaxation.
constexpr int kIterations = 10;
constexpr double kOverRelaxation = 1.3;
// The servo's hold (iterative solver only, see PhysicsRobot): the time in which it takes
// a joint back to where its commanded speed should have taken it, and the largest lag it
// makes up, so that a joint held back by the ground does not jump when let go.
constexpr double kServoTime = 0.01;               // seconds
constexpr double kServoSlack = 1.0 * M_PI / 180;  // radians
constexpr int kMaxRobotContacts = 6;
// Bodies without a shape (neck, shoulders, elbows, hips, ankles) get the inertia of a
// sphere of this radius, metres.
constexpr double kSmallBodyRadius = 0.02;
// Smallest principal moment of inertia of a body without a shape (the hip bodies between
// the yaw hinge and the universal joint) under the iterative solver, kg m^2: that solver
// converges badly on a chain with a body of 3e-5 (a sphere of 2 cm with the hip's mass)
// between heavy ones. A real servo's gear train adds to each joint the reflected inertia
// of its rotor, far more than that; the exact solver needs no such floor.
constexpr double kMinInertia = 1.0e-3;
// The soles start this far above the ground after a beam, metres.
constexpr double kPlacementGap = 0.001;

// The ball: 26 g; the grass slows it through damping of its speed and spin (fractions
// taken off per step), so that a ball rolling off at 2 m/s comes to rest about 3 m on.
constexpr double kBallMass = 0.026;  // kilograms
constexpr double kBallLinearDamping = 0.01;
constexpr double kBallAngularDamping = 0.02;
constexpr double kBallRestSpeed = 0.02;  // m/s: slower on the ground, the ball stops
// A ball is an inflated shell: struck by a foot (or any part of a robot) it springs back
// off it with this share of the speed at which they met (restitution), where the
// strongly damped contacts of the ground alone would let it stick to the foot and leave
// no faster than the foot. Below kBallBounceSpeed (m/s) meeting speed it does not bounce,
// so that a ball resting against a foot stays calm.
constexpr double kBallBounce = 0.5;
constexpr double kBallBounceSpeed = 0.1;

// A robot whose bodies move faster than these, or whose hinges have come this far apart,
// is unstable and is reset upright at its place.
constexpr double kMaxBodySpeed = 100.0;  // m/s
constexpr double kMaxBodySpin = 500.0;   // rad/s
constexpr double kMaxHingeGap = 0.05;    // metres

// Down and up for the summary: down when the torso axis leans more than kDownTilt or the
// camera drops below kDownCamera; up again after kUpHold seconds within kUpTilt and
// above kUpCamera.
constexpr double kDownTilt = 60;      // degrees
constexpr double kDownCamera = 0.30;  // metres
constexpr double kUpTilt = 20;        // degrees
constexpr double kUpCamera = 0.45;    // metres
constexpr double kUpHold = 1.0;       // seconds

// How each physics step solves the constraints: exactly (ODE's dWorldStep, the
// reference) or by iterations (dWorldQuickStep, about twice as fast while robots move).
enum class Solver { Exact, Iterative };
inline const char* solverName(Solver s) {
    return s == Solver::Exact ? "exact" : "iterative";
}

// What a physical world is made with: its solver and the approximate constants above as
// a match runs with them. The trials vary each constant to half and double (sparring
// --motor-torque, --friction, --contact-softness) to show that the motions do not depend
// on one lucky value.
struct Approximate {
    double motorTorque = kMaxMotorTorque;  // N·m
    double friction = kFriction;
    // Contact stiffness and damping are divided by this: 2 makes contacts twice as soft
    // (twice the constraint force mixing) with the same error reduction per step.
    double softness = 1.0;
    Solver solver = Solver::Exact;
};

}  // namespace sparring::physics

#endif
