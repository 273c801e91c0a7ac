#include "behavior/mybehavior.h"

#include <iostream>

#include "behavior/position.h"
#include "motion/actions.h"
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

    // Server time at which the present beam window opened; it follows the
    // clock until the window sets the beamed flag, which a change of play
    // mode clears again.
    static double fTime = mWM->getServerTime();
    if (!mWM->isBeamed()) fTime = mWM->getServerTime();
    const double dt = mWM->getServerTime() - fTime;

    if (mWM->canBeam() && dt < kBeamWindow) {
        mWM->setBeamed();
        mDecision = "beam";
        const std::string beam = mPosition->init();
        std::cout << beam << mWM->getUnum() << std::endl;
        return dt < kBeamQuiet ? std::string() : beam;
    }

    const bool down = mWM->isFeltDown();
    const bool gettingUp = mActions->isGettingUp();
    std::cout << down << "  " << gettingUp << std::endl;
    if (down || gettingUp) {
        mDecision = "getup";
        return mActions->getUp();
    }
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
    r.down = mDecision != kInit && mWM->isFeltDown();
    r.decision = mDecision;
    return r;
}

std::vector<std::string> MyBehavior::missingFiles() const {
    std::vector<std::string> missing = mActions->missingFiles();
    if (!mPosition->fileFound()) missing.push_back(mPosition->path());
    return missing;
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
