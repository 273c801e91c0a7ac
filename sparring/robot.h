#ifndef SPARRING_ROBOT_H
#define SPARRING_ROBOT_H

#include <array>
#include <string>

#include "sparring/field.h"
#include "sparring/geometry.h"
#include "sparring/joints.h"

namespace sparring {

enum class Posture { Upright, OnBack, OnFront };

const char* postureName(Posture posture);

constexpr double kMaxJointSpeed = 6.14;   // rad/s, magnitude
constexpr double kStandingCamera = 0.55;  // camera height standing, metres
constexpr double kLyingCamera = 0.10;     // camera height lying, metres

// One robot of the kinematic world: its ground pose, its joints and whether it stands.
// Poses are held in the server frame; beams arrive in the team's own frame.
class Robot {
public:
    Robot(Side side, int unum, std::string team);

    Side side() const { return side_; }
    int unum() const { return unum_; }
    const std::string& team() const { return team_; }

    double x() const { return x_; }              // server frame, metres
    double y() const { return y_; }              // server frame, metres
    double heading() const { return heading_; }  // server frame, degrees
    void place(double x, double y, double heading);
    // (beam x y rot): position and heading in the team's own frame.
    void beam(double x, double y, double rotDegrees);

    Posture posture() const { return posture_; }
    bool upright() const { return posture_ == Posture::Upright; }
    // Knocks the robot over; it stands again after lieSeconds or once its joints have
    // gone through a get-up, whichever comes first.
    void fall(Posture posture, double now, double lieSeconds);
    // Returns true when the robot stood up in this call.
    bool updatePosture(double now);

    double angle(int joint) const { return angles_[joint]; }  // degrees
    double speed(int joint) const { return speeds_[joint]; }  // rad/s
    // A speed command, in force until the next one for the joint; limited to 6.14 rad/s.
    void setSpeed(int joint, double radPerSecond);
    // Moves every joint by its speed over dt seconds, within the joint's range.
    void integrate(double dt);

    Vec3 cameraPosition() const;
    // Rotation from the camera frame to the server frame: body pose, then neck yaw
    // about z and neck pitch about y (positive pitch turns the camera up).
    Rot3 cameraToServer() const;

private:
    Rot3 bodyToServer() const;

    Side side_;
    int unum_;
    std::string team_;
    double x_ = 0, y_ = 0, heading_ = 0;
    Posture posture_ = Posture::Upright;
    double lieUntil_ = 0;                       // server seconds
    bool kneesFolded_ = false;                  // both knees bent under the trunk since the fall
    std::array<double, kJointCount> angles_{};  // degrees
    std::array<double, kJointCount> speeds_{};  // rad/s
};

}  // namespace sparring

#endif
