#ifndef HALYX_MOTION_ACTIONS_H
#define HALYX_MOTION_ACTIONS_H

#include <memory>
#include <string>
#include <vector>

#include "math/vector.h"
#include "motion/skills/activity.h"
#include "motion/skills/getup.h"
#include "motion/skills/readings.h"
#include "motion/skills/walk.h"
#include "worldmodel/ids.h"

class WorldModel;

// The activity's name for people: "none", "getup", "getup-front", "getup-left",
// "getup-2", "getup-right", "getup-roll-back", "guard", "walk", "ball", "head-scan"; "?" for
// any other value.
const char* activityName(Action act);

// The motion engine: holds the keyframe motions read at start-up, plays
// them back as joint-speed commands, scans and points the head, and builds
// every command text the agent sends after the scene command. One per process.
//
// A keyframe table is 24 columns of 24 rows, addressed table[column][row]:
// cell (0,0) holds the number of columns, (1,0) the number of rows (header
// included), (c,0) for c >= 2 the JointID + 1 of the joint driven by column c
// (0: no joint), and each keyframe row r >= 1 its start and end (seconds of
// motion time) followed by one target angle (degrees) per joint column.
class Actions {
public:
    static const int kTableSize = 24;
    // One server cycle: the motion time a call of act() plays, seconds.
    static constexpr double kCycleSeconds = 0.02;
    typedef double Table[kTableSize][kTableSize];

    // The process-wide engine; the first call reads the motion files
    // "./Acts/guard.txt", "./Acts/walk.txt" and "./Acts/getUp.txt", and the
    // get-ups from the front and the sides "./Acts/getUpFront.txt",
    // "./Acts/getUpLeft.txt" and "./Acts/getUpRight.txt" (each optional).
    static Actions* getInstance();

    // Loads "./Acts/" + name + ".txt" into the table; a file that cannot be
    // opened gives an empty table (0 columns, 0 rows) and false.
    bool fill(double (*table)[kTableSize], std::string name);

    // The motion files every team folder needs ("Acts/guard.txt", "Acts/walk.txt",
    // "Acts/getUp.txt") that could not be opened at start-up; their motions are empty.
    // The get-ups of the front and the sides are optional and never listed.
    const std::vector<std::string>& missingFiles() const { return mMissing; }

    Action getCurAct() const { return mCurAct; }
    bool setCurAct(Action act);
    bool isGettingUp() const;

    std::string init();
    // Empty when a component is not a finite number.
    std::string beam(const salt::Vector3f& pos);
    // Empty when the message would break the command stream (see say()).
    std::string say(const std::string& message);

    // One joint-speed command; empty for a joint outside the 22 or a value
    // that is not a finite number.
    std::string moveJoint(JointID joint, double value);
    // Drives the joint towards target (degrees) with at most |speed| per cycle;
    // speed comes back holding the value sent. Nothing is sent (empty result,
    // speed 0) while the joint's angle or the target is not a finite number.
    std::string moveJointTo(JointID joint, double target, double& speed);
    // One cycle of a keyframe table at motion clock t (seconds); advances t.
    std::string act(double (*table)[kTableSize], double& t);
    // Zero speed for all 22 joints, in JointID order.
    std::string stop();
    // A skill's joint speeds as commands, in the order the skill set them.
    std::string commands(const skills::JointSpeeds& speeds);

    std::string doGuard();
    std::string doWalk();
    // The omnidirectional walk, made once its parameters are known; until then
    // stepWalk sends nothing.
    void setWalkParameters(const skills::WalkParameters& parameters);
    // One cycle of the omnidirectional walk following `command`. It starts from
    // standing when it takes the engine from no activity (after a get-up or a beam);
    // while another activity holds the engine the joints get the all-stop.
    std::string stepWalk(const skills::WalkCommand& command);
    // The speed the walk has reached (m/s, m/s, deg/s); zero while it does not hold the
    // engine.
    skills::WalkCommand walkSpeed() const;
    // The get-up of the way the robot lies: the back's takes over from any
    // activity; those of the front and the sides end a guard, walk or head
    // scan they interrupt, when the team folder has them.
    std::string getUp();
    // The head scan; with requireBall it ends only once the ball is in view
    // as well as enough landmarks.
    std::string update(bool requireBall);
    // Brings every joint back to angle 0.
    std::string initState();

    // Turns the head towards a field position.
    std::string lookAt(salt::Vector3f target);
    // Where field point b would appear with the head turned to face field
    // point a, back in field coordinates; cost tells how far the head would
    // turn (degrees), 1000 when it cannot reach that direction.
    salt::Vector3f rotatePosAroundHead(salt::Vector3f a, salt::Vector3f b, double& cost);

private:
    Actions();

    // Starts `activity` from ACT_NONE and plays one cycle of it while it holds
    // the engine (or takeOver says so); another activity gets the all-stop.
    std::string playMotion(Action activity, const skills::KeyframeMotion& motion, double& clock,
                           bool takeOver);
    // One cycle of a keyframe motion at motion clock t (seconds); advances t.
    std::string play(const skills::KeyframeMotion& motion, double& t);
    // moveJointTo, replaced by a zero-speed command when the step sent is
    // smaller than `hold` in magnitude.
    std::string moveOrHold(JointID joint, double target, double speed, double hold);

    // The four get-ups read from the team folder; a missing back get-up is listed.
    skills::GetUp::Motions readGetUps();

    static Actions* ACS;

    WorldModel* mWM;
    std::string mEffectorNames[kJointCount];
    // Read once at start-up: playing them each cycle reads no table.
    skills::KeyframeMotion mGuard;
    skills::KeyframeMotion mWalk;
    skills::GetUp mGetUp;
    std::unique_ptr<skills::Walk> mWalker;
    Action mCurAct;
    std::vector<std::string> mMissing;
};

#endif
