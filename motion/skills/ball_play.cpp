#include "motion/skills/ball_play.h"

#include <algorithm>
#include <cmath>

#include "motion/skills/fall.h"

namespace skills {

namespace {
// The trunk tilted this far (degrees, by the accelerometer's steady mean) is down.
constexpr double kDownTilt = 50;
// The foot is chosen again while the ball is further than this, metres; nearer it stays.
constexpr double kFootChoice = 0.6;
// Seconds the head looks where the ball was last seen before it searches.
constexpr double kLookFor = 1.5;
// Seconds without the ball known after which the body turns to find it, at deg/s.
constexpr double kSearchTurnAfter = 0.5;
constexpr double kSearchTurn = 70;
// Seconds the walk may take to stand still before a kick or at the dribble's end.
constexpr double kStopWait = 1.5;
// Metres: further from the ball the walk steers clear of other robots; a robot this
// near the ball is contesting it and is not steered round.
constexpr double kSteerFromBall = 0.5;
}  // namespace

BallPlay::BallPlay(const WalkParameters& walk, const KickParameters& kick)
    : mWalk(walk), mKick(kick) {}

void BallPlay::kick(double direction, double now) {
    const bool walking = walkGoesOn();
    mDribbling = false;
    mDirection = direction;
    mNow = now;
    restart();
    mWalking = walking;
}

void BallPlay::dribble(double x, double y, double now) {
    const bool walking = walkGoesOn();
    mDribbling = true;
    mTargetX = x;
    mTargetY = y;
    mNow = now;
    restart();
    mWalking = walking;
}

void BallPlay::aim(double direction) {
    if (mState == State::Approaching) mDirection = direction;
}

void BallPlay::retarget(double x, double y) {
    if (mState != State::Dribbling) return;
    mTargetX = x;
    mTargetY = y;
}

bool BallPlay::walkGoesOn() const {
    // A task that walks hands its walk on, mid-stride, to the next; a kick or a standing
    // robot starts the walk afresh.
    return mWalking && (mState == State::Approaching || mState == State::Dribbling);
}

void BallPlay::restart() {
    // The ball has five seconds again to be seen, as at a fresh start.
    mStarted = mNow;
    mState = mDribbling ? State::Dribbling : State::Approaching;
    mApproach.reset();
    mDribble.reset();
    mWalking = false;
    mSwingTime = -1;
    mStopSince = -1;
    mFailure.clear();
    mLost = false;
}

void BallPlay::see(const FieldPose& self, double now, bool seen, const Ground& ball) {
    mSelf = self;
    mNow = now;
    if (seen) mTrack.see(self, ball, now);
}

const char* BallPlay::stateName() const {
    static const char* const kNames[] = {"idle",    "approach", "settle", "kick",
                                         "dribble", "stop",     "done",   "failed"};
    return kNames[static_cast<int>(mState)];
}

WalkCommand BallPlay::speed() const {
    return mWalking ? mWalk.speed() : WalkCommand{};
}

void BallPlay::fail(const std::string& why) {
    mState = State::Failed;
    mFailure = why;
}

JointSpeeds BallPlay::walkStep(const WalkCommand& c, const Readings& now) {
    if (!mWalking) {
        mWalk.reset();
        mWalking = true;
    }
    mWalk.setCommand(c);
    return mWalk.step(now);
}

void BallPlay::aimHead(const Readings& now, JointSpeeds& speeds) const {
    if (mTrack.fresh(mNow, kLookFor))
        lookAtGround(mTrack.relativeTo(mSelf), now, speeds);
    else
        searchHead(mNow, now, speeds);
}

WalkCommand BallPlay::steered(const WalkCommand& c, const Ground& ball) const {
    if (mOthers.empty() || std::hypot(ball.ahead, ball.left) < kSteerFromBall) return c;
    std::vector<FieldPoint> away;
    for (const FieldPoint& o : mOthers)
        if (std::hypot(o.x - mTrack.x(), o.y - mTrack.y()) >= kSteerFromBall) away.push_back(o);
    return steerClear(c, mSelf, away);
}

WalkCommand BallPlay::searchTurn() const {
    // The head's sweep looks all round but behind: after one sweep the body turns too.
    WalkCommand c;
    if (mNow - mStarted > kSearchTurnAfter) {
        c.turn = kSearchTurn;
        c.inPlace = true;
    }
    return c;
}

void BallPlay::chooseFoot(const Ground& ball, double direction) {
    if (std::hypot(ball.ahead, ball.left) < kFootChoice) return;
    // The foot on the side the ball lies of the body's line to the target.
    const double c = std::cos(direction * M_PI / 180), s = std::sin(direction * M_PI / 180);
    mFoot = -s * ball.ahead + c * ball.left >= 0 ? Foot::Left : Foot::Right;
}

JointSpeeds BallPlay::step(const Readings& now) {
    if (mState == State::Idle || mState == State::Done || mState == State::Failed)
        return mWalking ? walkStep({}, now) : JointSpeeds::allStop();
    const std::optional<double> tilt = trunkTilt(now);
    if (tilt && *tilt > kDownTilt) {
        fail("robot down");
        return JointSpeeds::allStop();
    }
    const double lastSeen = mTrack.known() ? mTrack.lastSeen() : mStarted;
    if (mState != State::Kicking && mNow - std::max(lastSeen, mStarted) > kLostAfter) {
        fail("ball not seen for 5 s");
        mLost = true;
        return mWalking ? walkStep({}, now) : JointSpeeds::allStop();
    }
    const Ground ball = mTrack.relativeTo(mSelf);
    switch (mState) {
        case State::Approaching: {
            if (!mTrack.known()) return walkStep(searchTurn(), now);
            const KickParameters& k = mKick.parameters();
            chooseFoot(ball, wrapDegrees(mDirection - mSelf.heading));
            const double aim = mFoot == Foot::Left ? k.aimLeft : k.aimRight;
            double ahead = 0, left = 0;
            Kick::ballSpot(k, mFoot, ahead, left);
            const WalkCommand c =
                mApproach.step(ball, wrapDegrees(mDirection - aim - mSelf.heading), ahead, left);
            if (mApproach.placed()) {
                mState = State::Settling;
                mStopSince = mNow;
            }
            return walkStep(steered(c, ball), now);
        }
        case State::Settling:
            if (mWalk.still() || mNow - mStopSince > kStopWait) {
                mState = State::Kicking;
                mWalking = false;
                mKick.start(mFoot);
                return mKick.step(now);
            }
            return walkStep({}, now);
        case State::Kicking: {
            const JointSpeeds s = mKick.step(now);
            if (mSwingTime < 0 && mKick.swung()) mSwingTime = mNow;
            if (mKick.done()) mState = State::Done;
            return s;
        }
        case State::Dribbling: {
            if (!mTrack.known()) return walkStep(searchTurn(), now);
            const double dx = mTargetX - mTrack.x(), dy = mTargetY - mTrack.y();
            if (std::hypot(dx, dy) <= kDribbleArrive) {
                mState = State::Stopping;
                mStopSince = mNow;
                return walkStep({}, now);
            }
            const double h = mSelf.heading * M_PI / 180;
            const double tx = mTargetX - mSelf.x, ty = mTargetY - mSelf.y;
            const Ground target{std::cos(h) * tx + std::sin(h) * ty,
                                -std::sin(h) * tx + std::cos(h) * ty};
            return walkStep(steered(mDribble.step(ball, target), ball), now);
        }
        case State::Stopping:
            if (mWalk.still() || mNow - mStopSince > kStopWait) mState = State::Done;
            return walkStep({}, now);
        default:
            return JointSpeeds::allStop();
    }
}

}  // namespace skills
