#ifndef SPARRING_CONTACTS_H
#define SPARRING_CONTACTS_H

#include <ode/ode.h>

#include <vector>

#include "sparring/world/geometry.h"
#include "sparring/world/physics/physics_constants.h"
#include "sparring/world/world.h"

namespace sparring {

class PhysicsRobot;

// The contacts of one physics step: finds the shapes that touch (a robot's own parts
// never do), joins them with soft frictional contacts for the step, and afterwards
// hands the forces on every foot to its robot's load. It also notes which robots
// touched the ball, for the referee.
class Contacts {
public:
    Contacts(dWorldID world, const physics::Approximate& constants);
    ~Contacts();
    Contacts(const Contacts&) = delete;
    Contacts& operator=(const Contacts&) = delete;

    // Before a step of `seconds`: the contact joints of everything touching in `space`.
    void collide(dSpaceID space, double seconds);
    // After the step: adds the forces on the feet to the robots' loads, drops the joints.
    void finishStep();
    // The ball's shape, whose contacts with robots are noted.
    void setBall(dGeomID ball) { ball_ = ball; }
    // The robots whose shapes touched the ball since the last call, each once; clears them.
    std::vector<BallToucher> takeBallTouchers();

private:
    struct FootContact {
        PhysicsRobot* robot;
        int foot;  // 0 left, 1 right
        Vec3 at;   // contact point, server frame, metres
        dJointFeedback* feedback;
    };

    // Contacts between two robots in this step.
    struct RobotPair {
        const void* a;
        const void* b;
        int contacts;
    };

    static void nearCallback(void* data, dGeomID a, dGeomID b);
    // Counts one more contact between the two robots; false once they have enough.
    bool allowRobotContact(const void* a, const void* b);
    void touch(dGeomID a, dGeomID b);
    void noteBallTouch(dGeomID a, dGeomID b);
    // Whether the shape is a robot's foot, and whose.
    static bool isFoot(dGeomID geom, PhysicsRobot*& robot, int& foot);

    dWorldID world_;
    physics::Approximate constants_;
    dJointGroupID group_;
    double erp_ = 0, cfm_ = 0;              // of the soft contacts for this step
    std::vector<dJointFeedback> feedback_;  // fixed capacity: ODE keeps pointers into it
    std::size_t used_ = 0;
    std::vector<FootContact> feet_;
    std::vector<RobotPair> robotPairs_;
    dGeomID ball_ = nullptr;
    std::vector<BallToucher> ballTouchers_;
};

}  // namespace sparring

#endif
