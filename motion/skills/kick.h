#ifndef HALYX_MOTION_SKILLS_KICK_H
#define HALYX_MOTION_SKILLS_KICK_H

#include <string>
#include <vector>

#include "motion/skills/joint_servo.h"
#include "motion/skills/skill.h"

namespace skills {

// The kick's tunable numbers. The kick is a small engine of its own rather than a
// keyframe file: the feet and hips are planned in metres and the legs' angles come from
// the leg's inverse kinematics, so the stance matches the walk's and one set of numbers
// serves both feet by mirroring the plan.
struct KickParameters {
    double hipHeight = 0.22;   // metres from the ground to the hip points
    double footSpread = 0.10;  // metres between the soles' centres
    double torsoLean = 0;      // degrees the torso leans forward
    double shift = 0.06;       // metres the hips move sideways over the standing foot
    double lift = 0.05;        // metres the kicking sole rises before the swing
    double drawBack = 0.08;    // metres the kicking sole is drawn behind the hips
    double reach = 0.14;       // metres ahead of the hips the sole ends its swing
    double kickHeight = 0.03;  // metres above the ground at the end of the swing
    // Degrees the kicking sole's toe points down while drawn back and at the swing's end:
    // a heel raised behind bends the knee, which then straightens through the ball.
    double backPitch = 0, throughPitch = 0;
    // Share (0..1) of the swing planned in joint angles rather than along a straight
    // line of the sole: a line asks the ankle to undo the hip's and knee's turns at every
    // cycle, faster than its motor goes, while joint angles moved evenly let hip, knee
    // and ankle each run at their own speed.
    double jointSwing = 0;
    // Metres the hips move ahead over the standing foot during the swing (and back after
    // it): the body's own speed added to the leg's, whose joints alone reach about 2 m/s
    // at the toe.
    double lunge = 0;
    // Degrees the kicking sole turns its toes inwards while drawn back: the hip's
    // yaw-pitch joint, whose axis leans 45 degrees, then turns back during the swing and
    // adds its pitch to the hip's. Those joints turn the feet clockwise only, so the left
    // foot can turn in and the right foot out (negative).
    double backTurn = 0;
    // Degrees the standing leg leans the torso forward during the swing (back if
    // negative; and back to torsoLean after it), the kicking leg turning with the torso.
    double swingLean = 0;
    // Metres between the resting toe and the ball before the kick: room for the swing to
    // gather speed.
    double ballGap = 0.03;
    double shiftTime = 0.5;   // seconds to move the hips over the standing foot
    double liftTime = 0.3;    // seconds to raise and draw back the foot
    double swingTime = 0.1;   // seconds of the swing through the ball
    double returnTime = 0.3;  // seconds to bring the foot back under the hips
    double lowerTime = 0.3;   // seconds to set it down
    double settleTime = 0.5;  // seconds to bring the hips back to the middle
    double supportRoll = 0;   // degrees of ankle roll on the standing foot, outward
    double gyroRoll = 0;      // degrees of standing ankle roll per deg/s of roll rate
    double gyroPitch = 0;     // degrees of standing ankle pitch per deg/s of pitch rate
    // Degrees the ball leaves to the left of the heading, kicked with the left and with the
    // right foot, as the laboratory measures it: the approach turns by as much the other
    // way.
    double aimLeft = 0, aimRight = 0;
    double readingLag = 1;   // cycles the joint readings lag the commands
    double servoGain = 0.5;  // share of a joint's lag made up in one cycle

    // Every number by name, with the range a file may give it.
    struct Entry {
        const char* name;
        double KickParameters::*member;
        double low, high;
    };
    static const std::vector<Entry>& entries();
    // Throws std::out_of_range for an unknown name.
    void set(const std::string& name, double value);
    double get(const std::string& name) const;
};

// Reads "name value" lines ("#" comments) over the defaults. Throws std::runtime_error
// naming the file, the line and the offending name or value.
KickParameters readKickParameters(const std::string& path);
void writeKickParameters(const KickParameters& p, const std::string& path);

enum class Foot { Left, Right };

// A kick straight ahead with one foot from a standing pose: the hips move over the other
// foot, the kicking foot rises and draws back, swings through the ball, comes back and
// is set down, and the hips return to the middle. The ball should lie ahead of the
// kicking foot (see ballSpot); the direction comes from how the robot faces.
class Kick : public Skill {
public:
    explicit Kick(const KickParameters& p = {}) : mP(p), mServo(p.readingLag, p.servoGain) {}
    // From the start, with this foot; the first step takes the pose the joints are in.
    void start(Foot foot);
    JointSpeeds step(const Readings& now) override;
    bool done() const override { return mDone; }
    // True from the swing's start: the ball has been played.
    bool swung() const;
    double clock() const { return mClock; }  // seconds since the start
    // Where the ball should lie before a kick with `foot`, metres ahead of and to the left
    // of the hips' middle.
    static void ballSpot(const KickParameters& p, Foot foot, double& ahead, double& left);
    const KickParameters& parameters() const { return mP; }

private:
    KickParameters mP;
    JointServo mServo;
    Foot mFoot = Foot::Left;
    double mClock = 0;  // seconds
    bool mDone = true;
    bool mFresh = false;
    std::array<double, kJointCount> mStartPose{};  // degrees
};

}  // namespace skills

#endif
