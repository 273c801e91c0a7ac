#include "motion/skill_readings.h"

#include "worldmodel/worldmodel.h"

skills::Readings readingsOf(const WorldModel& wm) {
    return wm.readings();
}
