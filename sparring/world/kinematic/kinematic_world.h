#ifndef SPARRING_KINEMATIC_WORLD_H
#define SPARRING_KINEMATIC_WORLD_H

#include "sparring/world/kinematic/kinematic_robot.h"
#include "sparring/world/world.h"

namespace sparring {

// The kinematic world: no physics. Robots move only by beams and scripted events, joints
// only by their speed commands; the ball stays where it was put.
class KinematicWorld : public World {
public:
    Vec3 ball() const override { return ball_; }
    void placeBall(double x, double y) override;
    // Integrates every robot's joints over dt, then finds the robots that touch the ball.
    void step(double dt) override;
    const char* name() const override { return "kinematic"; }

    KinematicRobot& addKinematicRobot(Side side, int unum, const std::string& team) {
        return static_cast<KinematicRobot&>(addRobot(side, unum, team));
    }

protected:
    std::unique_ptr<Robot> makeRobot(Side side, int unum, const std::string& team) override;

private:
    bool touchesBall(const Robot& robot) const;

    Vec3 ball_{0, 0, kBallRadius};
};

}  // namespace sparring

#endif
