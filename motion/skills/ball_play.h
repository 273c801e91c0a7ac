#ifndef HALYX_MOTION_SKILLS_BALL_PLAY_H
#define HALYX_MOTION_SKILLS_BALL_PLAY_H

#include <string>
#include <utility>
#include <vector>

#include "motion/skills/approach.h"
#include "motion/skills/ball_track.h"
#include "motion/skills/dribble.h"
#include "motion/skills/kick.h"
#include "motion/skills/steer_clear.h"
#include "motion/skills/walk.h"

namespace skills {

// Playing the ball: kicking it towards a direction (approach, stand, kick) or walking it
// to a point (dribble), stepped like the walk. Each cycle the owner tells it where the
// body is on the field and, when the camera saw the ball, where the ball lay relative to
// the body; it keeps the ball's place between sightings. It knows when it is done and
// when it has failed (ball not seen for 5 s, robot down), so that a behaviour can choose
// what comes next.
class BallPlay : public Skill {
public:
    enum class State { Idle, Approaching, Settling, Kicking, Dribbling, Stopping, Done, Failed };

    BallPlay(const WalkParameters& walk, const KickParameters& kick);
    const KickParameters& kickParameters() const { return mKick.parameters(); }
    // Towards `direction`, degrees in the own field frame.
    void kick(double direction, double now);
    // The ball to (x, y), metres in the own field frame.
    void dribble(double x, double y, double now);
    // A new direction for the kick while the robot approaches the ball; ignored later.
    void aim(double direction);
    // A new point for the dribble under way; ignored otherwise.
    void retarget(double x, double y);
    // This cycle's view: the body's pose; `seen` when the camera saw the ball, at `ball`
    // relative to the body.
    void see(const FieldPose& self, double now, bool seen, const Ground& ball);
    // The other robots seen this cycle (own field frame): on its way to the ball the walk
    // steers clear of those not standing at the ball. None by default.
    void avoid(std::vector<FieldPoint> others) { mOthers = std::move(others); }
    JointSpeeds step(const Readings& now) override;
    // The head's part, which step leaves alone: on the ball while it was seen lately,
    // searching for it otherwise.
    void aimHead(const Readings& now, JointSpeeds& speeds) const;
    // Back to standing after the joints were moved by something else (a get-up): the
    // task goes on from its start.
    void restart();

    bool done() const override { return mState == State::Done; }
    bool failed() const { return mState == State::Failed; }
    // It failed because the ball was not seen for kLostAfter seconds.
    bool ballLost() const { return mState == State::Failed && mLost; }
    // Why it failed, one line for people.
    const std::string& failure() const { return mFailure; }
    State state() const { return mState; }
    const char* stateName() const;
    // The walk's speed (m/s, m/s, deg/s); zero while kicking.
    WalkCommand speed() const;
    Foot foot() const { return mFoot; }
    // Server time at which the swing began, -1 before.
    double swingTime() const { return mSwingTime; }
    const BallTrack& ball() const { return mTrack; }

    // Seconds without a sighting after which the task fails.
    static constexpr double kLostAfter = 5;
    // Metres from its target at which a dribbled ball has arrived.
    static constexpr double kDribbleArrive = 0.3;

private:
    void fail(const std::string& why);
    bool walkGoesOn() const;
    JointSpeeds walkStep(const WalkCommand& c, const Readings& now);
    WalkCommand steered(const WalkCommand& c, const Ground& ball) const;
    WalkCommand searchTurn() const;
    void chooseFoot(const Ground& ball, double direction);

    Walk mWalk;
    Kick mKick;
    Approach mApproach;
    Dribble mDribble;
    BallTrack mTrack;
    State mState = State::Idle;
    bool mDribbling = false;
    double mDirection = 0;              // degrees, field frame
    double mTargetX = 0, mTargetY = 0;  // metres, field frame
    FieldPose mSelf;
    std::vector<FieldPoint> mOthers;
    double mNow = 0, mStarted = 0;  // seconds of server time
    double mSwingTime = -1;         // seconds
    double mStopSince = -1;         // seconds
    Foot mFoot = Foot::Left;
    bool mWalking = false;  // the walk holds the joints (reset before it takes them again)
    std::string mFailure;
    bool mLost = false;
};

}  // namespace skills

#endif
