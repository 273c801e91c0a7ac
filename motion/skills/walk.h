#ifndef HALYX_MOTION_SKILLS_WALK_H
#define HALYX_MOTION_SKILLS_WALK_H

#include <array>
#include <string>
#include <vector>

#include "motion/skills/gait.h"
#include "motion/skills/joint_servo.h"
#include "motion/skills/skill.h"
#include "motion/skills/walk_settings.h"

namespace skills {

// A walking command, changed at any cycle: forward speed (m/s), sideways speed (m/s,
// positive to the robot's left) and turning rate (deg/s, positive counter-clockwise).
struct WalkCommand {
    double forward = 0;
    double sideways = 0;
    double turn = 0;
    // Keep stepping in place while all three are zero (otherwise the walk stops to
    // standing).
    bool inPlace = false;
};

// The walk's tunable numbers, each with a name, as the team folder's walk parameter
// file writes them ("name value" per line, "#" comments).
class WalkParameters {
public:
    WalkParameters();  // the built-in defaults
    // The names, in file order; every name is one number.
    static const std::vector<std::string>& names();
    // Throws std::out_of_range for an unknown name.
    double get(const std::string& name) const;
    void set(const std::string& name, double value);

private:
    std::vector<double> mValues;
};

// Reads a parameter file over the defaults. Throws std::runtime_error with one line
// "FILE:LINE: ..." naming the offending name or value.
WalkParameters readWalkParameters(const std::string& path);
void writeWalkParameters(const WalkParameters& p, const std::string& path);

// The omnidirectional walk: made from its parameters, stepped once per cycle.
class Walk : public Skill {
public:
    explicit Walk(const WalkParameters& p);
    // Beyond what the walk can do the command is limited to its best, never refused.
    void setCommand(const WalkCommand& c);
    JointSpeeds step(const Readings& now) override;
    // Back to standing still, as after a get-up: the next step starts from the
    // pose the joints are in.
    void reset();
    // Standing with both feet down and no step under way.
    bool still() const;

    // The command as the walk follows it after the limit of its best (m/s, m/s, deg/s).
    const WalkCommand& command() const { return mCommand; }
    // The speed the walk has reached on its way to the command, accelerations limited.
    WalkCommand speed() const;
    // The joint angles the walk aimed at in the last cycle (degrees, JointID order; the
    // head's are zero).
    const std::array<double, kJointCount>& targets() const { return mServo.target(); }
    // The last cycle's plan of feet and body, in the gait's ground frame.
    const GaitFrame& frame() const { return mFrame; }

private:
    void followCommand(double dt);
    std::array<double, kJointCount> poseFor(const GaitFrame& f, const Readings& now);
    void readTilt(const Readings& now);
    WalkSpeed heldSpeed(const Readings& now);
    void countPlannedTurn(const GaitFrame& before, const GaitFrame& after);
    void addBalance(const GaitFrame& f, const Readings& now, std::array<double, kJointCount>& t);

    WalkSettings mS;
    Gait mGait;
    WalkCommand mCommand;  // limited to the walk's best
    WalkSpeed mSpeed;      // m/s, m/s, rad/s
    GaitFrame mFrame;
    bool mFresh = true;                            // the next step takes the pose the joints are in
    double mStartClock = 0;                        // seconds since the reset
    std::array<double, kJointCount> mStartPose{};  // degrees, at the reset
    JointServo mServo;
    // Degrees the torso tilts forward and to the left, filtered accelerometer readings.
    double mTilt = 0, mRoll = 0;
    // Degrees the torso has turned (by the gyroscope) beyond what the walk planned.
    double mHeadingError = 0;
    double mTurnBack = 0;  // deg/s of turn the walk adds to undo that
};

}  // namespace skills

#endif
