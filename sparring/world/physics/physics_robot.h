#ifndef SPARRING_PHYSICS_ROBOT_H
#define SPARRING_PHYSICS_ROBOT_H

#include <ode/ode.h>

#include <array>

#include "sparring/world/physics/physics_constants.h"
#include "sparring/world/robot.h"
#include "sparring/world/robot_model.h"

namespace sparring {

// What the ground and other things push on one foot during a cycle, summed over the
// physics steps, in the server frame.
struct FootLoad {
    int steps = 0;      // physics steps with a contact
    Vec3 force;         // newtons, summed over steps
    Vec3 weighted;      // contact points weighted by their normal force, metres x newtons
    double normal = 0;  // sum of those weights, newtons
    bool touchedThisStep = false;
};

// A robot of the physical world: 23 rigid bodies and 22 motorised hinges in an ODE world.
// Its sensors read the bodies: hinge angles, the torso's rates and acceleration, the
// contact forces on the feet; its camera is the head body.
class PhysicsRobot : public Robot {
public:
    // The robot's collision shapes carry it as their data, so that its parts do not collide.
    PhysicsRobot(Side side, int unum, std::string team, dWorldID world, dSpaceID space,
                 const physics::Approximate& constants);
    ~PhysicsRobot() override;

    double x() const override;
    double y() const override;
    double heading() const override;
    // Upright, still, every joint at 0, the soles on the ground.
    void place(double x, double y, double heading) override;
    // Upright and still at the last place where its state was sound.
    void resetUpright();

    bool upright() const override { return !down_; }
    // Lays the robot on the ground in `posture`, joints as they are, at rest.
    void fall(Posture posture, double now, double lieSeconds) override;
    // Lays the robot down as fall() does, then rolled by `degrees` about the torso's
    // long axis (towards its right side for a positive angle): how a robot that came
    // off a side or out of a roll lies.
    void lieRolled(Posture posture, double degrees);
    // Watches the torso and camera: down, and upright again for a second.
    bool updatePosture(double now) override;
    std::optional<DownRecord> downRecord(double now) const override;

    double angle(int joint) const override { return angles_[joint]; }
    Vec3 cameraPosition() const override;
    Rot3 cameraToServer() const override;
    // Rotation from the torso's axes to the server frame.
    Rot3 torsoToServer() const;
    BodySensors sensors() const override { return sensors_; }
    BodyPoints bodyPoints() const override;

    // An impulse on the torso, newton-seconds, server frame; given in the next step.
    void push(const Vec3& impulse) override;
    // Raises the robot by `metres` and keeps its torso fixed there (the model check holds
    // the robot in the air); release() lets it go.
    void hold(double metres);
    void release();

    // Once per cycle, before its physics steps: motors to the commanded speeds.
    void beginCycle();
    // Before each physics step of `seconds`.
    void beforeStep(double seconds);
    FootLoad& footLoad(int foot) { return loads_[foot]; }
    bool isFoot(dBodyID body, int& foot) const;
    // After the cycle's `steps` physics steps: reads the sensors and puts a robot that has
    // come to rest out of the steps. Returns false when the bodies hold a non-finite or
    // absurd state (the world then resets the robot).
    bool endCycle(double seconds, int steps);

private:
    // Where a joint of the table lives in ODE: a hinge of its own, or one axis (1 or 2) of
    // a universal joint (the child's own axis is axis 1, as a hinge measures the
    // child's turn), whose angle and speed are the joint's.
    struct JointSlot {
        dJointID joint = nullptr;
        int axis = 0;
    };

    void build(dWorldID world, dSpaceID space);
    void setMasses();
    void makeHinge(dWorldID world, int joint);
    // One universal joint for the hinges `first` (parent to light body) and `second`
    // (light body to child), which share their anchor.
    void makeUniversal(dWorldID world, int first, int second);
    void setParam(int joint, int param, double value);
    void setLimits(int joint);
    double jointRadians(int joint) const;
    // Where the reference point of a body of the chain is, server frame, metres.
    Vec3 segmentPosition(int body) const;
    // Puts every body at the pose of `degrees` with the torso at `torso` turned by `turn`,
    // lowered so that its lowest point rests on the ground, at rest.
    void setPose(const std::array<double, kJointCount>& degrees, const Vec3& torso,
                 const Rot3& turn);
    void readSensors(double seconds, int steps);
    // The servo's hold of the commanded angle (iterative solver only), before a step.
    void holdCommandedAngles(double seconds);
    // Counts the cycles the robot has kept still without commands; after a few, its
    // bodies leave the steps.
    void watchRest();
    // Puts the bodies back into the steps after a rest.
    void wake();
    double tiltDegrees() const;

    // Indexed by the chain's bodies: null for a body that rides on its parent.
    std::array<dBodyID, kModelBodyCount> bodies_{};
    std::array<dGeomID, kModelBodyCount> geoms_{};  // null for a body without a shape
    std::array<JointSlot, kJointCount> slots_{};
    dJointID holder_ = nullptr;
    std::array<double, kJointCount> angles_{};  // degrees
    physics::Approximate constants_;
    // Where the servos hold each joint: the angle it had plus what its commanded speed
    // has turned it since, never more than kServoSlack from the angle it has. Radians.
    std::array<double, kJointCount> held_{};
    Vec3 restPosition_;  // metres: the torso at the end of the last cycle
    Rot3 restRotation_;
    int stillCycles_ = 0;
    BodySensors sensors_;
    std::array<FootLoad, 2> loads_;
    Vec3 torsoVelocity_;  // m/s at the start of the cycle
    Vec3 impulse_;        // newton-seconds still to give
    bool down_ = false;
    double downSince_ = 0;      // seconds
    double uprightSince_ = -1;  // seconds; -1 while not upright enough to count
    DownRecord record_;
    double lastX_ = 0, lastY_ = 0, lastHeading_ = 0;  // metres, degrees: the last sound pose
};

}  // namespace sparring

#endif
