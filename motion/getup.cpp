// Getting up after a fall: the engine's adapter over the get-up skill.

#include "motion/actions.h"
#include "worldmodel/worldmodel.h"

bool Actions::isGettingUp() const {
    return skills::GetUp::isGettingUp(mCurAct);
}

std::string Actions::getUp() {
    return commands(mGetUp.step(mWM->readings(), mWM->getFeltType(), mCurAct));
}
