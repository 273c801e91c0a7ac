#ifndef SPARRING_WORLD_H
#define SPARRING_WORLD_H

#include <memory>
#include <string>
#include <vector>

#include "sparring/field.h"
#include "sparring/robot.h"

namespace sparring {

constexpr double kCycleSeconds = 0.02;  // one simulation cycle

// The world a match is played in: the robots on the field and the ball. Perception,
// referee and replies see it only through this interface; the kinematic and the
// physical world differ in how robots and ball move between cycles.
class World {
public:
    virtual ~World() = default;

    // A new robot waits off the field at its own touch line until it beams.
    Robot& addRobot(Side side, int unum, const std::string& team);
    virtual void removeRobot(const Robot& robot);
    Robot* find(Side side, int unum);
    const std::vector<std::unique_ptr<Robot>>& robots() const { return robots_; }

    virtual Vec3 ball() const = 0;
    // Places the ball on the ground at (x, y), server frame, at rest.
    virtual void placeBall(double x, double y) = 0;

    // Moves the world on by dt seconds.
    virtual void step(double dt) = 0;

    // "kinematic" or "physics", for the summary.
    virtual const char* name() const = 0;

protected:
    virtual std::unique_ptr<Robot> makeRobot(Side side, int unum, const std::string& team) = 0;

    std::vector<std::unique_ptr<Robot>> robots_;
};

}  // namespace sparring

#endif
