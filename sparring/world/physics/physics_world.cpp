#include "sparring/world/physics/physics_world.h"

#include <cmath>
#include <cstdio>
#include <mutex>

#include "sparring/world/physics/physics_constants.h"

namespace sparring {

using namespace physics;

namespace {

constexpr double kBallRadiusPhysics = 0.04;  // metres

void initOde() {
    static std::once_flag once;
    std::call_once(once, [] { dInitODE2(0); });
}

}  // namespace

PhysicsWorld::PhysicsWorld(std::ostream& log, const Approximate& constants)
    : log_(log), constants_(constants) {
    initOde();
    world_ = dWorldCreate();
    dWorldSetGravity(world_, 0, 0, -kGravity);
    dWorldSetContactMaxCorrectingVel(world_, kMaxCorrectingSpeed);
    dWorldSetContactSurfaceLayer(world_, kSurfaceLayer);
    dWorldSetAutoDisableFlag(world_, 1);
    dWorldSetAutoDisableLinearThreshold(world_, kRestSpeed);
    dWorldSetAutoDisableAngularThreshold(world_, kRestSpin);
    dWorldSetAutoDisableSteps(world_, kRestSteps);
    dWorldSetAutoDisableTime(world_, 0);
    dWorldSetQuickStepNumIterations(world_, kIterations);
    dWorldSetQuickStepW(world_, kOverRelaxation);
    // The iterative solver visits the rows in an order drawn from ODE's own generator,
    // one for the whole process: seeded with every world, a match plays the same again.
    dRandSetSeed(0);
    space_ = dHashSpaceCreate(nullptr);
    ground_ = dCreatePlane(space_, 0, 0, 1, 0);
    ball_ = dBodyCreate(world_);
    dMass m;
    dMassSetSphereTotal(&m, kBallMass, kBallRadiusPhysics);
    dBodySetMass(ball_, &m);
    // The dampings are fractions per cycle, spread over the cycle's steps.
    dBodySetLinearDamping(ball_, kBallLinearDamping / kStepsPerCycle);
    dBodySetAngularDamping(ball_, kBallAngularDamping / kStepsPerCycle);
    dBodySetLinearDampingThreshold(ball_, 0);
    dBodySetAngularDampingThreshold(ball_, 0);
    ballGeom_ = dCreateSphere(space_, kBallRadiusPhysics);
    dGeomSetBody(ballGeom_, ball_);
    contacts_ = std::make_unique<Contacts>(world_, constants_);
    contacts_->setBall(ballGeom_);
    placeBall(0, 0);
}

PhysicsWorld::~PhysicsWorld() {
    robots_.clear();  // their bodies belong to this world
    contacts_.reset();
    dGeomDestroy(ballGeom_);
    dBodyDestroy(ball_);
    dGeomDestroy(ground_);
    dSpaceDestroy(space_);
    dWorldDestroy(world_);
}

std::unique_ptr<Robot> PhysicsWorld::makeRobot(Side side, int unum, const std::string& team) {
    return std::make_unique<PhysicsRobot>(side, unum, team, world_, space_, constants_);
}

Vec3 PhysicsWorld::ball() const {
    const dReal* p = dBodyGetPosition(ball_);
    return {p[0], p[1], p[2]};
}

Vec3 PhysicsWorld::ballVelocity() const {
    const dReal* v = dBodyGetLinearVel(ball_);
    return {v[0], v[1], v[2]};
}

void PhysicsWorld::placeBall(double x, double y) {
    dBodySetPosition(ball_, x, y, kBallRadiusPhysics);
    dBodySetLinearVel(ball_, 0, 0, 0);
    dBodySetAngularVel(ball_, 0, 0, 0);
}

void PhysicsWorld::rollBall(double vx, double vy) {
    dBodyEnable(ball_);
    dBodySetLinearVel(ball_, vx, vy, 0);
    // Rolling without slipping: spin about the horizontal axis across the motion.
    dBodySetAngularVel(ball_, -vy / kBallRadiusPhysics, vx / kBallRadiusPhysics, 0);
}

void PhysicsWorld::step(double dt) {
    const int steps =
        std::max(1, static_cast<int>(std::lround(dt / kCycleSeconds * kStepsPerCycle)));
    const double h = dt / steps;
    for (auto& r : robots_) static_cast<PhysicsRobot&>(*r).beginCycle();
    for (int s = 0; s < steps; ++s) {
        contacts_->collide(space_, h);
        for (auto& r : robots_) static_cast<PhysicsRobot&>(*r).beforeStep(h);
        if (constants_.solver == Solver::Iterative) {
            dWorldQuickStep(world_, h);
        } else {
            dWorldStep(world_, h);
        }
        contacts_->finishStep();
    }
    touchers_ = contacts_->takeBallTouchers();
    now_ += dt;
    for (auto& r : robots_) {
        auto& robot = static_cast<PhysicsRobot&>(*r);
        if (robot.endCycle(dt, steps)) continue;
        char at[32];
        std::snprintf(at, sizeof at, "%.2f", now_);
        log_ << "sparring: robot " << sideName(robot.side()) << " " << robot.unum()
             << " became unstable at t=" << at << " and is reset upright at its place\n";
        robot.resetUpright();
    }
    keepBallSound();
}

void PhysicsWorld::keepBallSound() {
    const dReal* p = dBodyGetPosition(ball_);
    const dReal* v = dBodyGetLinearVel(ball_);
    bool sound = true;
    for (int i = 0; i < 3; ++i) sound = sound && std::isfinite(p[i]) && std::isfinite(v[i]);
    const double speed = std::hypot(v[0], v[1], v[2]);
    if (sound && speed <= kMaxBodySpeed) {
        // The grass holds a ball that has slowed to a crawl on the ground.
        if (speed < kBallRestSpeed && p[2] < kBallRadiusPhysics + 0.002) {
            dBodySetLinearVel(ball_, 0, 0, 0);
            dBodySetAngularVel(ball_, 0, 0, 0);
        }
        return;
    }
    log_ << "sparring: the ball became unstable and is put back on the centre spot\n";
    placeBall(0, 0);
}

}  // namespace sparring
