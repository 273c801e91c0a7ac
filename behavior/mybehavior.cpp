#include "behavior/mybehavior.h"

#include <cmath>
#include <iostream>

#include "behavior/position.h"
#include "behavior/situation.h"
#include "motion/actions.h"
#include "motion/skills/fall.h"
#include "parser/parser.h"
#include "worldmodel/types.h"
#include "worldmodel/worldmodel.h"

namespace {

// The team name is fixed; no option changes it.
const char kTeamName[] = "QEL";

// The decisions of a cycle, as CycleReport names them.
const char kInit[] = "init";

// A beam window lasts this long in server time (seconds): quiet for the first
// half, so the robot has settled, then beaming every cycle.
const double kBeamQuiet = 0.5;
const double kBeamWindow = 1.0;

}  // namespace

MyBehavior::MyBehavior(int unum, const std::string& formationFile)
    : mWM(nullptr), mActions(nullptr), mStarted(false), mDecision(kInit) {
    // The motion files name joints through the protocol tables: fill them first.
    Types::fill();
    mWM = WorldModel::getInstance();
    mActions = Actions::getInstance();
    mParser.reset(new Parser());
    mPosition.reset(new Position(mActions, formationFile));
    mWM->setTeamName(kTeamName);
    mWM->setUnum(unum);
}

MyBehavior::~MyBehavior() = default;

std::string MyBehavior::Think(const std::string& message) {
    if (!mStarted) {
        // The first message only opens the conversation: it is not read.
        mStarted = true;
        mDecision = kInit;
        return mActions->init();
    }
    mParser->doParse(message);
    UpdatePositions();
    if (mDrill || mTeamPlay) mTorsoUp.update(mWM->readings());

    // Server time at which the present beam window opened; it follows the
    // clock until the window sets the beamed flag, which a change of play
    // mode clears again.
    static double fTime = mWM->getServerTime();
    if (!mWM->isBeamed()) fTime = mWM->getServerTime();
    const double dt = mWM->getServerTime() - fTime;

    if (mayBeam() && dt < kBeamWindow) {
        // A beam puts the robot upright where it was told: the walk starts again.
        const bool moving = mActions->getCurAct() == ACT_WALK || mActions->getCurAct() == ACT_BALL;
        leaveDrillMotion();
        mWM->setBeamed();
        mDecision = "beam";
        std::string beam = mPosition->init();
        if (mTeamPlay && !beam.empty()) beam = soccerBeam();
        std::cout << beam << mWM->getUnum() << std::endl;
        // Joints keep the speeds last sent: a robot stopped mid-stride by a goal would
        // drive them on to their limits and fall while it waits; they are held instead.
        const std::string hold =
            moving ? mActions->commands(skills::JointSpeeds::allStop()) : std::string();
        // The beam stands a fallen robot up where it is put, and a get-up played on from
        // where it was would throw it down again: drills and soccer end the get-up and
        // straighten the joints, so that the robot stands as a beamed robot does.
        if ((mDrill || mTeamPlay) && (mActions->isGettingUp() || feltDown())) mStraighten = true;
        if (mStraighten) {
            const std::string straighten = mActions->initState();
            return dt < kBeamQuiet ? straighten : beam + straighten;
        }
        return dt < kBeamQuiet ? hold : beam;
    }
    mStraighten = false;

    const bool down = feltDown();
    const bool gettingUp = mActions->isGettingUp();
    std::cout << down << "  " << gettingUp << std::endl;
    if (down || gettingUp) {
        // The walk yields to getting up, and starts again from standing after it.
        leaveDrillMotion();
        mDownAt = mWM->getServerTime();
        mDecision = "getup";
        return mActions->getUp();
    }
    if (mDrill) return doDrill();
    if (mTeamPlay) return doSoccer();
    if (mWM->getUnum() == 1) {
        mDecision = "guard";
        return doActionGoalie();
    }
    return doActionPlayer();
}

CycleReport MyBehavior::report() const {
    CycleReport r;
    r.time = mWM->getServerTime();
    r.playMode = Types::playModeName(mWM->getGameState());
    r.located = mWM->hasCameraFix();
    const salt::Vector3f camera = mWM->getMyPos();
    r.x = camera.x();
    r.y = camera.y();
    r.heading = mWM->getMyAngle();
    r.ballSeen = mWM->getBallTimeSeen() >= 0;
    const salt::Vector3f ball = mWM->getBallPos();
    r.ballX = ball.x();
    r.ballY = ball.y();
    r.activity = activityName(mActions->getCurAct());
    // Nothing has been read when the first message is answered: no fall test yet.
    r.down = mDecision != kInit && feltDown();
    r.decision = mDecision;
    return r;
}

bool MyBehavior::feltDown() const {
    // A walking robot's strides read as falls to the designed test: drills and soccer
    // confirm a fall by the trunk's tilt.
    if (mDrill || mTeamPlay) return skills::downWhileWalking(mWM->readings(), mWM->bodyFrame());
    return mWM->isFeltDown();
}

std::vector<std::string> MyBehavior::missingFiles() const {
    std::vector<std::string> missing = mActions->missingFiles();
    if (!mPosition->fileFound()) missing.push_back(mPosition->path());
    return missing;
}

void MyBehavior::setDrill(const Drill& drill, const skills::WalkParameters& walk,
                          const skills::KickParameters& kick) {
    mDrill = std::make_unique<Drill>(drill);
    mActions->setWalkParameters(walk);
    mBallPlay = std::make_unique<skills::BallPlay>(walk, kick);
}

void MyBehavior::setSoccer(const skills::WalkParameters& walk, const skills::KickParameters& kick,
                           const FieldGeometry& field, const std::string& team) {
    mActions->setWalkParameters(walk);
    mBallPlay = std::make_unique<skills::BallPlay>(walk, kick);
    const salt::Vector3f home = mPosition->getHomePos();
    mTeamPlay =
        std::make_unique<TeamPlay>(mWM->getUnum(), field, FieldPoint{home.x(), home.y()}, team);
    // The kick-off taker: the field player whose home lies nearest the centre spot.
    int taker = 0;
    double nearest = HUGE_VAL;
    for (int k = 0; k < Position::kMaxEntries; ++k) {
        const Position::BeamInfo& e = mPosition->entry(k);
        const double d = std::hypot(e.homePos.x(), e.homePos.y());
        if (e.hasUnum && e.unum != 1 && d < nearest) nearest = d, taker = e.unum;
    }
    if (taker == mWM->getUnum()) mTeamPlay->takeKickOffs();
}

std::string MyBehavior::soccerBeam() {
    const bool left = mWM->getTeamSide() != SIDE_RIGHT;
    // The kick-off taker kicks with its right foot, the ball at that foot's spot.
    const skills::KickParameters& kick = mBallPlay->kickParameters();
    FieldPoint atFoot;
    skills::Kick::ballSpot(kick, skills::Foot::Right, atFoot.x, atFoot.y);
    const skills::FieldPose pose = mTeamPlay->beamPose(
        ownKickOffNext(mWM->playModeName(), left, mWM->getGameTime()), atFoot, kick.aimRight);
    return mActions->beam(salt::Vector3f(static_cast<float>(pose.x), static_cast<float>(pose.y),
                                         static_cast<float>(pose.heading)));
}

bool MyBehavior::mayBeam() const {
    // The designed reading takes every play mode it does not know for BeforeKickOff; a
    // soccer player must not stand still for a beam in a corner or a kick-in.
    if (mTeamPlay) return beamAllowed(mWM->playModeName());
    return mWM->canBeam();
}

void MyBehavior::leaveDrillMotion() {
    const Action now = mActions->getCurAct();
    if ((mDrill || mTeamPlay) && (now == ACT_WALK || now == ACT_BALL))
        mActions->setCurAct(ACT_NONE);
}

std::string MyBehavior::doDrill() {
    // Until the first PlayOn the robot stands as a field player does (scanning for
    // landmarks, still), so that a placement before kick-off finds no walk under way.
    if (mPlayOnSince < 0 && mWM->getGameState() != PM_PlayOn) return doActionPlayer();
    if (mPlayOnSince < 0) {
        mPlayOnSince = mWM->getServerTime();
        if (mActions->getCurAct() == ACT_HEAD_SCAN) mActions->setCurAct(ACT_NONE);
    }
    trackPose();
    const Drill::Step* step = mDrill->at(mWM->getServerTime() - mPlayOnSince);
    const bool begins = step != mStep;
    if (begins && step != nullptr && step->kind == Drill::Kind::GoTo)
        mGoTo.setTarget({step->a, step->b, step->c});
    mStep = step;
    if (step != nullptr && (step->kind == Drill::Kind::Kick || step->kind == Drill::Kind::Dribble))
        return playBall(*step, begins);
    // The walk takes the joints from standing again after a kick or dribble.
    if (mActions->getCurAct() == ACT_BALL) mActions->setCurAct(ACT_NONE);
    skills::WalkCommand command;  // before the first step: standing still
    if (step != nullptr && step->kind == Drill::Kind::Walk) {
        command.forward = step->a;
        command.sideways = step->b;
        command.turn = step->c;
        mDecision = "walk";
    } else if (step != nullptr && step->kind == Drill::Kind::GoTo) {
        command = mGoTo.step(mOdometry.pose());
        mDecision = "goto";
    } else {
        mDecision = "stop";
    }
    return mActions->stepWalk(command) + mActions->commands(mHeadSweep.step(mWM->readings()));
}

std::string MyBehavior::playBall(const Drill::Step& step, bool begins) {
    const double now = mWM->getServerTime();
    if (begins) {
        mBallOver = false;
        if (step.kind == Drill::Kind::Kick)
            mBallPlay->kick(step.a, now);
        else
            mBallPlay->dribble(step.a, step.b, now);
        if (mActions->getCurAct() == ACT_WALK) mActions->setCurAct(ACT_NONE);
    }
    // From no activity (the start, or after a get-up) the task takes the joints afresh.
    if (mActions->getCurAct() == ACT_NONE) {
        mActions->setCurAct(ACT_BALL);
        if (!mBallOver) mBallPlay->restart();
    }
    skills::JointSpeeds speeds = stepBallTask();
    if (mBallPlay->failed() && mBallPlay->ballLost() && !mBallOver) {
        mBallOver = true;
        // One line for whoever runs the drill; the robot stands until the next line.
        std::cerr << "halyx: drill line " << step.line << ": "
                  << (step.kind == Drill::Kind::Kick ? "kick" : "dribble") << " at " << now
                  << " s given up: " << mBallPlay->failure() << std::endl;
    } else if (mBallPlay->failed() && !mBallPlay->ballLost()) {
        // Down: the get-up takes over, and the task begins again once the robot stands.
        mBallPlay->restart();
    }
    if (mBallPlay->done()) mBallOver = true;
    mBallPlay->aimHead(mWM->readings(), speeds);
    mDecision = mBallPlay->stateName();
    return mActions->commands(speeds);
}

skills::JointSpeeds MyBehavior::stepBallTask() {
    const double now = mWM->getServerTime();
    const skills::Readings& readings = mWM->readings();
    const bool seen = mWM->getBallTimeSeen() >= 0 && mWM->getBallTimeSeen() == now;
    mBallPlay->see(mOdometry.pose(), now, seen,
                   skills::groundFromCamera(mWM->getBallRelPos(), readings, mTorsoUp.up()));
    return mBallPlay->step(readings);
}

void MyBehavior::trackPose() {
    const double kCycle = 0.02;  // seconds
    if (mWM->hasCameraFix() && mWM->getCameraFixTime() > mOdometryFix) {
        mOdometryFix = mWM->getCameraFixTime();
        // The camera's heading less the head's yaw is the body's.
        const double heading = skills::wrapDegrees(mWM->getMyAngle() - mWM->getMyJointAngle(HJ1));
        const salt::Vector3f at = mWM->getMyPos();
        mOdometry.fix({at.x(), at.y(), heading});
        return;
    }
    const skills::WalkCommand speed =
        mActions->getCurAct() == ACT_BALL ? mBallPlay->speed() : mActions->walkSpeed();
    mOdometry.move(speed, mWM->readings().gyro.z(), kCycle);
}

void MyBehavior::UpdatePositions() {
    mWM->globalize();
}

std::string MyBehavior::doActionGoalie() {
    return mActions->doGuard();
}

std::string MyBehavior::doActionPlayer() {
    const Action current = mActions->getCurAct();
    if (current == ACT_HEAD_SCAN || (current == ACT_NONE && !mWM->canSeeFlags())) {
        mDecision = "scan";
        return mActions->update(true);
    }
    if (mWM->getGameState() == PM_BeforeKickOff) {
        mDecision = "stop";
        return mActions->stop();
    }
    mDecision = "idle";
    return std::string();
}
