#ifndef HALYX_MOTION_SKILLS_GAIT_H
#define HALYX_MOTION_SKILLS_GAIT_H

#include <array>

#include "motion/skills/walk_settings.h"

namespace skills {

// A place and heading on the ground: metres, radians (counter-clockwise).
struct Pose2 {
    double x = 0, y = 0, yaw = 0;
};

// b given relative to a, as seen from where a is.
Pose2 compose(const Pose2& a, const Pose2& b);
// b as seen from a: compose(a, relative(a, b)) == b.
Pose2 relative(const Pose2& a, const Pose2& b);

// The walking speed the gait follows: m/s forward and to the left, rad/s counter-clockwise.
struct WalkSpeed {
    double forward = 0, sideways = 0, turn = 0;
    bool zero() const { return forward == 0 && sideways == 0 && turn == 0; }
};

// What the gait asks of the body in one cycle. Every pose is in the gait's own ground
// frame, which moves with the standing foot from step to step; only poses relative to
// each other mean anything.
struct GaitFrame {
    std::array<Pose2, 2> feet;     // left, right: the soles' centres
    std::array<double, 2> lift{};  // metres above the ground, left, right
    double comX = 0, comY = 0;     // metres: the centre of mass over the ground
    double torsoYaw = 0;           // radians
    int support = -1;              // 0 left foot, 1 right foot, -1 both (standing)
    double phase = 0;              // 0..1 through the step
};

// The gait: footsteps planned one step ahead from the walking speed, and the centre of
// mass moved over them as a linear inverted pendulum solved in closed form for each step.
//
// Why this model: a step's pressure point sits on the standing foot, so the pendulum's
// motion between two known boundary points (the midpoints between the feet at the
// step's start and end) has an exact solution in sinh terms. It needs no preview
// window and no matrices, costs a few exp() a cycle, and replans at every step from
// the speed of that moment, which is what a command changed at any cycle asks for.
// The boundaries keep the centre of mass continuous; its speed is continuous at a
// steady speed, and the walk's acceleration limits keep the jumps small otherwise.
//
// Turning: the hip yaw-pitch joints turn both feet clockwise only (relative to the
// torso), and with the hip pitched a foot placed towards the right of its hip needs a
// little of that turn too; so the torso always faces torsoTwist counter-clockwise of
// the more counter-clockwise of the two feet, and the speed, given in the torso's axes,
// is turned into the feet's. On a turn the foot on the side of the turn opens and the
// other closes, as on a sideways step the leading foot steps out and the other
// follows; the feet never cross.
class Gait {
public:
    explicit Gait(const WalkSettings& s);
    // Standing still, feet side by side.
    void reset();
    // One cycle of `dt` seconds at `speed`; `keepStepping` steps in place at zero speed;
    // `swingDown` says the swinging foot touches the ground (a late foot may hold the
    // step for up to landingWait seconds); a step that starts lands `shift` further
    // (metres forward and left in the torso's axes), the balance's step adjustment.
    GaitFrame advance(double dt, const WalkSpeed& speed, bool keepStepping, bool swingDown,
                      double shiftForward = 0, double shiftLeft = 0);
    bool standing() const { return mStanding; }

private:
    void startStep(const WalkSpeed& speed, bool keepStepping, double shiftForward,
                   double shiftLeft);
    bool feetTogether() const;
    double comAt(double com0, double com1, double zmp, double t) const;
    GaitFrame standingFrame() const;

    WalkSettings mS;
    bool mStanding = true;
    int mSupport = 0;               // the standing foot during a step: 0 left, 1 right
    double mTime = 0;               // seconds into the step
    double mWaited = 0;             // seconds the step has waited for its foot to land
    std::array<Pose2, 2> mFeet;     // where the feet stand (the swinging one: where it left)
    Pose2 mSwingTo;                 // where the swinging foot lands
    double mComX = 0, mComY = 0;    // at the step's start
    double mComX1 = 0, mComY1 = 0;  // at its end
    double mZmpX = 0, mZmpY = 0;    // the pressure point of the step
    double mLastComX = 0, mLastComY = 0;
};

}  // namespace skills

#endif
