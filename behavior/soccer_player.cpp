// The decision object's soccer: what the world model knows handed to TeamPlay, and its
// intent carried out by the walk, GoTo, the ball skills or the designed guard.
#include <algorithm>
#include <cmath>

#include "behavior/mybehavior.h"
#include "behavior/situation.h"
#include "motion/actions.h"
#include "motion/skills/ball_track.h"
#include "worldmodel/player.h"
#include "worldmodel/worldmodel.h"

namespace {

// Seconds a sighting of the ball counts as seeing it.
const double kSeenLately = 1.0;
// A new target for GoTo only when it moved this far (metres, degrees): a target that
// follows the ball by centimetres would keep the walk from ever arriving.
const double kRetarget = 0.25, kRetargetAngle = 20;
// A player that has not known its pose for this long (seconds) turns on the spot at this
// rate (deg/s) while it looks: the landmarks it needs lie outside the head's sweep.
const double kTurnToLocate = 3.0, kLocateTurn = 30;
// How a player walking to a spot steers round other robots: further out and wider than
// the walk's default. The two sides' formations mirror each other, so a player and an
// opponent share a lane and walk towards and beside each other as the ball moves: over
// half the falls of players off the ball came with another robot within half a metre,
// most often an opponent off the ball too.
const skills::SteerClearParameters kOffTheBall = [] {
    skills::SteerClearParameters p;
    p.reach = 1.0;
    p.touch = 0.45;
    p.cone = 75;
    return p;
}();

}  // namespace

std::string MyBehavior::doSoccer() {
    trackPose();
    const double now = mWM->getServerTime();
    for (const WorldModel::Heard& h : mWM->heard()) mTeamPlay->hear(h.text, now);
    mView = soccerView();
    const TeamView& view = mView;
    // A player that has got up facing its own goal sees too few landmarks for the
    // design's fix, and waits for one. Standing and looking, its accelerometer reads
    // the vertical well (walking, the steps' sway tilts it by degrees): until the pose
    // is known again, two landmarks and the vertical fix it.
    mWM->setVerticalFallback(!view.located);
    const Intent intent = mTeamPlay->decide(view);
    std::string reply = actOut(intent);
    const std::string said = mTeamPlay->say(view);
    if (!said.empty()) reply += mActions->say(said);
    return reply;
}

TeamView MyBehavior::soccerView() {
    TeamView v;
    const double now = mWM->getServerTime();
    v.now = now;
    v.situation = readSituation(mWM->playModeName(), mWM->getTeamSide() != SIDE_RIGHT);
    // A fall turns the robot in ways the odometry does not follow (it is not stepped
    // while the robot lies or gets up): the pose is known again from the first fix after.
    v.located = mWM->hasCameraFix() && mWM->getCameraFixTime() > mDownAt;
    v.self = mOdometry.pose();
    // Think plays the get-up first: the team play decides for an upright robot only.
    v.down = false;
    if (v.located && mWM->getBallTimeSeen() >= 0 && mWM->getBallTimeSeen() == now) {
        // Placed from the body through the neck, as the ball skills place it: steadier
        // than the camera's own fix.
        mBallAt = skills::onField(
            skills::groundFromCamera(mWM->getBallRelPos(), mWM->readings(), mTorsoUp.up()), v.self);
        mBallSeenAt = now;
    }
    v.ballSeen = mBallSeenAt >= 0 && now - mBallSeenAt < kSeenLately;
    if (mBallSeenAt >= 0) v.ballAge = now - mBallSeenAt;
    v.ball = mBallAt;
    for (int slot = 0; slot < 11; ++slot) {
        for (const bool ours : {true, false}) {
            const Player p = ours ? mWM->getOurPlayer(slot) : mWM->getOppPlayer(slot);
            if (p.getTimeSeen() != now) continue;
            mSeenRobots.see(ours, slot, p.getRelPos(HEAD), p.getRelPos(RFOOT), p.getRelPos(LFOOT),
                            mWM->readings(), mTorsoUp.up(), v.self, now);
        }
    }
    v.teammates = mSeenRobots.teammates(now);
    v.opponents = mSeenRobots.opponents(now);
    mLyingBodies = mSeenRobots.lyingBodies(now);
    return v;
}

std::string MyBehavior::actOut(const Intent& intent) {
    const Action current = mActions->getCurAct();
    // A kick under way is played to its end whatever was decided meanwhile: a robot
    // stopped on one leg falls.
    if (current == ACT_BALL && mBallPlay->state() == skills::BallPlay::State::Kicking) {
        skills::JointSpeeds speeds = stepBallTask();
        mBallPlay->aimHead(mWM->readings(), speeds);
        return mActions->commands(speeds);
    }
    mDecision = intent.why;
    switch (intent.kind) {
        case Intent::Kind::Kick:
        case Intent::Kind::Dribble: {
            startBallTask(intent);
            mBallPlay->avoid(otherRobots());
            skills::JointSpeeds speeds = stepBallTask();
            mBallPlay->aimHead(mWM->readings(), speeds);
            return mActions->commands(speeds);
        }
        case Intent::Kind::Guard:
            if (current == ACT_WALK || current == ACT_BALL) mActions->setCurAct(ACT_NONE);
            mIntent = intent;
            return mActions->doGuard();
        case Intent::Kind::GoTo:
            return walkTo(intent.target);
        case Intent::Kind::Look:
        case Intent::Kind::Stand:
            break;
    }
    if (current == ACT_BALL || current == ACT_GUARD) mActions->setCurAct(ACT_NONE);
    mIntent = intent;
    // Standing, the head sweeps level for landmarks, or pitched down for a ball nearby.
    skills::JointSpeeds head;
    if (intent.kind == Intent::Kind::Look)
        skills::searchHead(mWM->getServerTime(), mWM->readings(), head);
    else
        head = mHeadSweep.step(mWM->readings());
    skills::WalkCommand turn;
    const double lostSince = std::max(mDownAt, mWM->getCameraFixTime());
    if (!mView.located && mView.situation != Situation::Stopped &&
        mWM->getServerTime() - lostSince > kTurnToLocate)
        turn.turn = kLocateTurn;
    return mActions->stepWalk(turn) + mActions->commands(head);
}

std::string MyBehavior::walkTo(const skills::FieldPose& target) {
    const Action current = mActions->getCurAct();
    if (current == ACT_BALL || current == ACT_GUARD) mActions->setCurAct(ACT_NONE);
    const skills::FieldPose& now = mGoTo.target();
    if (mIntent.kind != Intent::Kind::GoTo ||
        std::hypot(target.x - now.x, target.y - now.y) > kRetarget ||
        std::fabs(skills::wrapDegrees(target.heading - now.heading)) > kRetargetAngle) {
        mGoTo.setTarget(target);
        mIntent.kind = Intent::Kind::GoTo;
        mIntent.target = target;
    }
    // Round the bodies of robots lying too; the ball task keeps to the heads, so that a
    // ball beside a lying robot can still be reached. And round the ball: a goalkeeper
    // walking home past a ball by its goal line pushed it in.
    std::vector<FieldPoint> others = otherRobots();
    others.insert(others.end(), mLyingBodies.begin(), mLyingBodies.end());
    if (mView.ballSeen) others.push_back(mView.ball);
    const skills::WalkCommand command =
        skills::steerClear(mGoTo.step(mOdometry.pose()), mOdometry.pose(), others, kOffTheBall);
    return mActions->stepWalk(command) + mActions->commands(mHeadSweep.step(mWM->readings()));
}

std::vector<FieldPoint> MyBehavior::otherRobots() const {
    std::vector<FieldPoint> others = mView.teammates;
    others.insert(others.end(), mView.opponents.begin(), mView.opponents.end());
    return others;
}

void MyBehavior::startBallTask(const Intent& intent) {
    const double now = mWM->getServerTime();
    const bool under = mActions->getCurAct() == ACT_BALL && mIntent.kind == intent.kind &&
                       !mBallPlay->done() && !mBallPlay->failed();
    if (under) {
        // The task under way takes the new aim or point without starting again.
        if (intent.kind == Intent::Kind::Kick)
            mBallPlay->aim(intent.direction);
        else
            mBallPlay->retarget(intent.point.x, intent.point.y);
        mIntent = intent;
        return;
    }
    if (intent.kind == Intent::Kind::Kick)
        mBallPlay->kick(intent.direction, now);
    else
        mBallPlay->dribble(intent.point.x, intent.point.y, now);
    // The ball task's walk takes the joints from whatever held them.
    if (mActions->getCurAct() != ACT_BALL) {
        mActions->setCurAct(ACT_BALL);
        mBallPlay->restart();
    }
    mIntent = intent;
}
