#include "sparring/contacts.h"

#include <cmath>

#include "sparring/physics_constants.h"
#include "sparring/physics_robot.h"

namespace sparring {

using namespace physics;

namespace {
// Contacts on feet whose forces are measured in one step; more than 22 robots standing
// on eight points per foot would not fill it.
constexpr std::size_t kFeedbackCapacity = 1024;
}  // namespace

Contacts::Contacts(dWorldID world)
    : world_(world), group_(dJointGroupCreate(0)), feedback_(kFeedbackCapacity) {}

Contacts::~Contacts() {
    dJointGroupDestroy(group_);
}

void Contacts::collide(dSpaceID space, double seconds) {
    // A spring of the contact stiffness and damping as the step's error reduction and
    // constraint force mixing.
    const double hk = seconds * kContactStiffness;
    erp_ = hk / (hk + kContactDamping);
    cfm_ = 1.0 / (hk + kContactDamping);
    dSpaceCollide(space, this, &Contacts::nearCallback);
}

void Contacts::nearCallback(void* data, dGeomID a, dGeomID b) {
    static_cast<Contacts*>(data)->touch(a, b);
}

void Contacts::touch(dGeomID a, dGeomID b) {
    void* ownerA = dGeomGetData(a);
    if (ownerA != nullptr && ownerA == dGeomGetData(b)) return;  // one robot's own parts
    const dBodyID ba = dGeomGetBody(a), bb = dGeomGetBody(b);
    if (ba == nullptr && bb == nullptr) return;
    dContactGeom found[kMaxContactsPerPair];
    const int n = dCollide(a, b, kMaxContactsPerPair, found, sizeof(dContactGeom));
    for (int i = 0; i < n; ++i) {
        dContact c{};
        c.surface.mode = dContactSoftERP | dContactSoftCFM | dContactApprox1;
        c.surface.mu = kFriction;
        c.surface.soft_erp = erp_;
        c.surface.soft_cfm = cfm_;
        c.geom = found[i];
        const dJointID j = dJointCreateContact(world_, group_, &c);
        dJointAttach(j, ba, bb);
        const Vec3 at{found[i].pos[0], found[i].pos[1], found[i].pos[2]};
        dJointFeedback* fb = nullptr;
        if (used_ < feedback_.size()) fb = &feedback_[used_];
        bool noted = false;
        if (fb != nullptr && ownerA != nullptr) {
            noteFoot(a, true, at, fb);
            noted = !feet_.empty() && feet_.back().feedback == fb;
        }
        if (fb != nullptr && !noted && dGeomGetData(b) != nullptr) {
            noteFoot(b, false, at, fb);
            noted = !feet_.empty() && feet_.back().feedback == fb;
        }
        if (noted) {
            dJointSetFeedback(j, fb);
            ++used_;
        }
    }
}

void Contacts::noteFoot(dGeomID geom, bool isFirst, const Vec3& at, dJointFeedback* feedback) {
    auto* robot = static_cast<PhysicsRobot*>(dGeomGetData(geom));
    int foot = 0;
    if (robot->isFoot(dGeomGetBody(geom), foot))
        feet_.push_back({robot, foot, isFirst, at, feedback});
}

void Contacts::finishStep() {
    for (const FootContact& c : feet_) {
        const dReal* f = c.isFirst ? c.feedback->f1 : c.feedback->f2;
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
    used_ = 0;
    dJointGroupEmpty(group_);
}

}  // namespace sparring
