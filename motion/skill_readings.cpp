#include "motion/skill_readings.h"

#include "worldmodel/worldmodel.h"

skills::Readings readingsOf(const WorldModel& wm) {
    skills::Readings r;
    r.time = wm.getServerTime();
    for (int j = 0; j < kJointCount; ++j) r.angles[j] = wm.getMyJointAngle(static_cast<JointID>(j));
    r.gyro = wm.getGyro();
    r.accFresh = wm.accIsCurrent();
    if (r.accFresh) r.acc = wm.getAcc();
    // A foot that touches nothing has no reading in the message: the store's older
    // one must not count as load.
    const bool current[2] = {wm.leftFootIsCurrent(), wm.rightFootIsCurrent()};
    const FootRes res[2] = {wm.getLeftFootForce(), wm.getRightFootForce()};
    for (int f = 0; f < 2; ++f) {
        if (!current[f]) continue;
        r.feet[f].touching = true;
        r.feet[f].centre = res[f].contact;
        r.feet[f].force = res[f].force;
    }
    return r;
}
