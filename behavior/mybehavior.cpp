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

// A beam window lasts this long in server time (seconds): quiet for the first
// half, so the robot has settled, then beaming every cycle.
const double kBeamQuiet = 0.5;
const double kBeamWindow = 1.0;

}  // namespace

MyBehavior::MyBehavior(int unum) : mWM(nullptr), mActions(nullptr), mStarted(false) {
    // The motion files name joints through the protocol tables: fill them first.
    Types::fill();
    mWM = WorldModel::getInstance();
    mActions = Actions::getInstance();
    mParser.reset(new Parser());
    mPosition.reset(new Position(mActions));
    mWM->setTeamName(kTeamName);
    mWM->setUnum(unum);
}

MyBehavior::~MyBehavior() = default;

std::string MyBehavior::Think(const std::string& message) {
    if (!mStarted) {
        // The first message only opens the conversation: it is not read.
        mStarted = true;
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
        const std::string beam = mPosition->init();
        std::cout << beam << mWM->getUnum() << std::endl;
        return dt < kBeamQuiet ? std::string() : beam;
    }

    const bool down = mWM->isFeltDown();
    const bool gettingUp = mActions->isGettingUp();
    std::cout << down << "  " << gettingUp << std::endl;
    if (down || gettingUp) return mActions->getUp();
    if (mWM->getUnum() == 1) return doActionGoalie();
    return doActionPlayer();
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
        return mActions->update(true);
    }
    if (mWM->getGameState() == PM_BeforeKickOff) return mActions->stop();
    return std::string();
}
