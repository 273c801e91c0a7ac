#ifndef SPARRING_WORLD_H
#define SPARRING_WORLD_H

#include <memory>
#include <string>
#include <vector>

#include "sparring/field.h"
#include "sparring/robot.h"

namespace sparring {

constexpr double kCycleSeconds = 0.02;  // one simulation cycle

// The kinematic world: the robots on the field and the ball. No physics: robots move
// only by beams and scripted events, joints only by their speed commands.
class World {
public:
    // A new robot waits off the field at its own touch line until it beams.
    Robot& addRobot(Side side, int unum, const std::string& team);
    void removeRobot(const Robot& robot);
    Robot* find(Side side, int unum);
    const std::vector<std::unique_ptr<Robot>>& robots() const { return robots_; }

    const Vec3& ball() const { return ball_; }
    // Places the ball on the ground at (x, y), server frame.
    void placeBall(double x, double y);

    // Integrates every robot's joints over one cycle.
    void step(double dt);

private:
    std::vector<std::unique_ptr<Robot>> robots_;
    Vec3 ball_{0, 0, kBallRadius};
};

}  // namespace sparring

#endif
