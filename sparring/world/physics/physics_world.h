#ifndef SPARRING_PHYSICS_WORLD_H
#define SPARRING_PHYSICS_WORLD_H

#include <ode/ode.h>

#include <memory>
#include <ostream>

#include "sparring/world/physics/contacts.h"
#include "sparring/world/physics/physics_constants.h"
#include "sparring/world/physics/physics_robot.h"
#include "sparring/world/world.h"

namespace sparring {

// The physical world: robots of rigid bodies and motorised hinges under gravity on a
// flat field with friction, a ball, and robots colliding with both and with each other
// (ODE). A cycle is one or more physics steps; a robot whose state has become unsound is
// reset upright at its place with one line in the log.
class PhysicsWorld : public World {
public:
    explicit PhysicsWorld(std::ostream& log, const physics::Approximate& constants = {});
    ~PhysicsWorld() override;
    PhysicsWorld(const PhysicsWorld&) = delete;
    PhysicsWorld& operator=(const PhysicsWorld&) = delete;

    Vec3 ball() const override;
    // The ball's velocity, m/s, server frame.
    Vec3 ballVelocity() const;
    void placeBall(double x, double y) override;
    // Sets the ball rolling at (vx, vy) m/s, server frame, spinning as a ball rolls.
    void rollBall(double vx, double vy);
    void step(double dt) override;
    const char* name() const override { return "physics"; }
    // The physical robot is today's robot: the server speaks the newer forms to it.
    MessageForms defaultForms() const override { return MessageForms::New; }

    PhysicsRobot& addPhysicsRobot(Side side, int unum, const std::string& team) {
        return static_cast<PhysicsRobot&>(addRobot(side, unum, team));
    }

protected:
    std::unique_ptr<Robot> makeRobot(Side side, int unum, const std::string& team) override;

private:
    void keepBallSound();

    std::ostream& log_;
    physics::Approximate constants_;
    dWorldID world_;
    dSpaceID space_;
    dGeomID ground_;
    dBodyID ball_;
    dGeomID ballGeom_;
    std::unique_ptr<Contacts> contacts_;
    double now_ = 0;  // simulated seconds
};

}  // namespace sparring

#endif
