#ifndef SPARRING_KINEMATIC_ROBOT_H
#define SPARRING_KINEMATIC_ROBOT_H

#include "sparring/world/robot.h"

namespace sparring {

constexpr double kStandingCamera = 0.55;  // camera height standing, metres
constexpr double kLyingCamera = 0.10;     // camera height lying, metres

// A robot of the kinematic world: a ground pose, a posture and joint angles that follow
// their speed commands. It stands because the world says so, falls by script and stands
// again after a get-up (knees folded, then stretched) or a lying time.
class KinematicRobot : public Robot {
public:
    using Robot::Robot;

    double x() const override { return x_; }
    double y() const override { return y_; }
    double heading() const override { return heading_; }
    void place(double x, double y, double heading) override;

    Posture posture() const { return posture_; }
    bool upright() const override { return posture_ == Posture::Upright; }
    // Knocks the robot over; it stands again after lieSeconds or once its joints have
    // gone through a get-up, whichever comes first.
    void fall(Posture posture, double now, double lieSeconds) override;
    bool updatePosture(double now) override;

    double angle(int joint) const override { return angles_[joint]; }
    // Moves every joint by its speed over dt seconds, within the joint's range.
    void integrate(double dt);

    Vec3 cameraPosition() const override;
    // Body pose, then neck yaw about z and neck pitch about y (positive pitch turns the
    // camera up).
    Rot3 cameraToServer() const override;
    // Level gyro, gravity on the accelerometer; feet loaded while standing.
    BodySensors sensors() const override;
    // The agent's own body chain from the joint angles, placed by the body pose.
    BodyPoints bodyPoints() const override;

private:
    Rot3 bodyToServer() const;

    double x_ = 0, y_ = 0, heading_ = 0;
    Posture posture_ = Posture::Upright;
    double lieUntil_ = 0;                       // server seconds
    bool kneesFolded_ = false;                  // both knees bent under the trunk since the fall
    bool hipsFolded_ = false;                   // both hips bent up to the trunk since the fall
    std::array<double, kJointCount> angles_{};  // degrees
};

}  // namespace sparring

#endif
