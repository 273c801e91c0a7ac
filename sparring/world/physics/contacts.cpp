#include "sparring/world/physics/contacts.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "sparring/world/physics/physics_constants.h"
#include "sparring/world/physics/physics_robot.h"

namespace sparring {

using namespace physics;

namespace {
// Contacts on feet whose forces are measured in one step; more than 22 robots standing
// on eight points per foot would not fill it.
constexpr std::size_t kFeedbackCapacity = 1024;
}  // namespace

Contacts::Contacts(dWorldID world, const Approximate& constants)
    : world_(world),
      constants_(constants),
      group_(dJointGroupCreate(0)),
      feedback_(kFeedbackCapacity) {}

Contacts::~Contacts() {
    dJointGroupDestroy(group_);
}

void Contacts::collide(dSpaceID space, double seconds) {
    // A spring of the contact stiffness and damping as the step's error reduction and
    // constraint force mixing.
    const double soft = constants_.softness;
    const double hk = seconds * kContactStiffness / soft, damping = kContactDamping / soft;
    erp_ = hk / (hk + damping);
    cfm_ = 1.0 / (hk + damping);
    dSpaceCollide(space, this, &Contacts::nearCallback);
}

void Contacts::nearCallback(void* data, dGeomID a, dGeomID b) {
    static_cast<Contacts*>(data)->touch(a, b);
}

void Contacts::touch(dGeomID a, dGeomID b) {
    void* ownerA = dGeomGetData(a);
    if (ownerA != nullptr && ownerA == dGeomGetData(b)) return;  // one robot's own parts
    if (dGeomGetBody(a) == nullptr && dGeomGetBody(b) == nullptr) return;
    // A foot goes first, so that the contact joint's first body is the foot and its
    // feedback's first force the one on the foot.
    PhysicsRobot* robot = nullptr;
    int foot = 0;
    if (!isFoot(a, robot, foot) && isFoot(b, robot, foot)) std::swap(a, b);
    void* ownerB = dGeomGetData(b);
    int most = kMaxContactsPerPair;
    if (ownerA != nullptr && ownerB != nullptr) {
        // Two robots: one point per pair of parts and a few per pair of robots, or two
        // robots beamed into each other would make the step's problem huge.
        if (!allowRobotContact(ownerA, ownerB)) return;
        most = 1;
    }
    // A robot's part against a moving body of no robot: the ball.
    const bool aRobot = dGeomGetData(a) != nullptr, bRobot = ownerB != nullptr;
    const bool ball = aRobot != bRobot && dGeomGetBody(aRobot ? b : a) != nullptr;
    dContactGeom found[kMaxContactsPerPair];
    const int n = dCollide(a, b, most, found, sizeof(dContactGeom));
    if (n > 0) noteBallTouch(a, b);
    for (int i = 0; i < n; ++i) {
        dContact c{};
        c.surface.mode = dContactSoftERP | dContactSoftCFM | dContactApprox1;
        c.surface.mu = constants_.friction;
        c.surface.soft_erp = erp_;
        c.surface.soft_cfm = cfm_;
        if (ball) {
            c.surface.mode |= dContactBounce;
            c.surface.bounce = kBallBounce;
            c.surface.bounce_vel = kBallBounceSpeed;
        }
        c.geom = found[i];
        const dJointID j = dJointCreateContact(world_, group_, &c);
        dJointAttach(j, dGeomGetBody(a), dGeomGetBody(b));
        if (robot == nullptr || used_ == feedback_.size()) continue;
        dJointFeedback* fb = &feedback_[used_++];
        *fb = {};  // a step leaves it alone when the foot is at rest
        dJointSetFeedback(j, fb);
        feet_.push_back({robot, foot, {found[i].pos[0], found[i].pos[1], found[i].pos[2]}, fb});
    }
}

void Contacts::noteBallTouch(dGeomID a, dGeomID b) {
    if (a != ball_ && b != ball_) return;
    const auto* robot = static_cast<const PhysicsRobot*>(dGeomGetData(a == ball_ ? b : a));
    if (robot == nullptr) return;  // the ground
    const BallToucher who{robot->side(), robot->unum()};
    if (std::find(ballTouchers_.begin(), ballTouchers_.end(), who) == ballTouchers_.end()) {
        ballTouchers_.push_back(who);
    }
}

std::vector<BallToucher> Contacts::takeBallTouchers() {
    std::vector<BallToucher> out;
    out.swap(ballTouchers_);
    return out;
}

bool Contacts::allowRobotContact(const void* a, const void* b) {
    if (b < a) std::swap(a, b);
    for (RobotPair& p : robotPairs_) {
        if (p.a == a && p.b == b) return ++p.contacts <= kMaxRobotContacts;
    }
    robotPairs_.push_back({a, b, 1});
    return true;
}

bool Contacts::isFoot(dGeomID geom, PhysicsRobot*& robot, int& foot) {
    auto* owner = static_cast<PhysicsRobot*>(dGeomGetData(geom));
    if (owner == nullptr || !owner->isFoot(dGeomGetBody(geom), foot)) return false;
    robot = owner;
    return true;
}

void Contacts::finishStep() {
    for (const FootContact& c : feet_) {
        const dReal* f = c.feedback->f1;
        FootLoad& load = c.robot->footLoad(c.foot);
        const Vec3 force{f[0], f[1], f[2]};
        load.force = load.force + force;
        const double weight = std::fabs(force.z) + 1e-9;
        load.weighted = load.weighted + c.at * weight;
        load.normal += weight;
        load.touchedThisStep = true;
    }
    for (FootContact& c : feet_) {
        FootLoad& load = c.robot->footLoad(c.foot);
        if (load.touchedThisStep) {
            ++load.steps;
            load.touchedThisStep = false;
        }
    }
    feet_.clear();
    robotPairs_.clear();
    used_ = 0;
    dJointGroupEmpty(group_);
}

}  // namespace sparring
