#ifndef SPARRING_ROBOT_H
#define SPARRING_ROBOT_H

#include <array>
#include <optional>
#include <string>

#include "sparring/world/body_points.h"
#include "sparring/world/field.h"
#include "sparring/world/geometry.h"
#include "sparring/world/joints.h"

namespace sparring {

// How a robot lies after a fall; Upright while it stands.
enum class Posture { Upright, OnBack, OnFront, OnLeft, OnRight };

const char* postureName(Posture posture);

constexpr double kMaxJointSpeed = 6.14;  // rad/s, magnitude

// What one foot's pressure sensor measures: the point where the ground's force acts,
// relative to the foot's centre (metres), and that force (newtons), in the foot's frame.
struct FootReading {
    bool touching = false;  // the foot touches something
    Vec3 centre;            // metres
    Vec3 force;             // newtons
};

// What a robot's body sensors measure in one cycle.
struct BodySensors {
    Vec3 gyro;                        // torso angular velocity, torso frame, degrees/s
    Vec3 acc;                         // torso acceleration as an accelerometer reads it, m/s^2
    std::array<FootReading, 2> feet;  // left, right
};

// How often and how long a robot has been down, as the physical world watches it.
struct DownRecord {
    int falls = 0;           // times it went down
    int stood = 0;           // times it was upright again afterwards
    double downSeconds = 0;  // seconds spent down, the current spell included
    double longestDown = 0;  // seconds, the longest spell
};

// One robot of a world, as perception, referee and replies see it: who it is, its ground
// pose, its joints, its camera and its sensors. The world it lives in decides how those
// come about (kinematic or physical). Poses are held in the server frame; beams arrive in
// the team's own frame.
class Robot {
public:
    Robot(Side side, int unum, std::string team);
    virtual ~Robot() = default;
    Robot(const Robot&) = delete;
    Robot& operator=(const Robot&) = delete;

    Side side() const { return side_; }
    int unum() const { return unum_; }
    const std::string& team() const { return team_; }

    virtual double x() const = 0;        // server frame, metres
    virtual double y() const = 0;        // server frame, metres
    virtual double heading() const = 0;  // server frame, degrees
    // Puts the robot upright and still at (x, y), facing `heading` (server frame).
    virtual void place(double x, double y, double heading) = 0;
    // (beam x y rot): position and heading in the team's own frame.
    void beam(double x, double y, double rotDegrees);

    virtual bool upright() const = 0;
    // A scripted fall: the robot comes to lie in `posture`. The kinematic world stands it
    // up again after lieSeconds or a get-up; the physical one leaves that to the physics.
    virtual void fall(Posture posture, double now, double lieSeconds) = 0;
    // Returns true when the robot stood up in this call.
    virtual bool updatePosture(double now) = 0;
    // Falls as the world itself saw them; none in a world where falls are only scripted.
    virtual std::optional<DownRecord> downRecord(double /*now*/) const { return std::nullopt; }
    // An impulse on the torso, newton-seconds, server frame; a world without physics
    // ignores it.
    virtual void push(const Vec3& /*impulse*/) {}

    virtual double angle(int joint) const = 0;                // degrees
    double speed(int joint) const { return speeds_[joint]; }  // rad/s, as commanded
    // A speed command, in force until the next one for the joint; limited to 6.14 rad/s.
    void setSpeed(int joint, double radPerSecond);

    virtual Vec3 cameraPosition() const = 0;
    // Rotation from the camera frame to the server frame.
    virtual Rot3 cameraToServer() const = 0;
    virtual BodySensors sensors() const = 0;
    // Every body point in the server frame, metres.
    virtual BodyPoints bodyPoints() const = 0;

protected:
    std::array<double, kJointCount> speeds_{};  // rad/s

private:
    Side side_;
    int unum_;
    std::string team_;
};

}  // namespace sparring

#endif
