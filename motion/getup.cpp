// Getting up after a fall: the one starter that can take over a running motion.

#include "motion/actions.h"
#include "worldmodel/worldmodel.h"

std::string Actions::getUp() {
    static double time = 0;  // motion clock, seconds
    // Lying on the back takes over from any other activity.
    return playMotion(ACT_GETUP, mGetUp, time, mWM->getFeltType() == 1);
}
