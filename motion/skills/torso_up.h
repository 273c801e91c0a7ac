#ifndef HALYX_MOTION_SKILLS_TORSO_UP_H
#define HALYX_MOTION_SKILLS_TORSO_UP_H

#include "math/vector.h"
#include "motion/skills/readings.h"

namespace skills {

// Which way is up in the torso's frame, for levelling what the camera sees. The
// accelerometer alone reads the torso's sway as well as gravity: a robot stepping in place
// accelerates its torso sideways by a couple of m/s^2, which tilts the reading by ten
// degrees and more, and a camera half a metre up then puts a ball at its feet 0.1 m off.
// So the gyroscope turns the estimate each cycle and the accelerometer only pulls it
// slowly (over `seconds` of its time constant), which averages the sway of the steps out.
class TorsoUp {
public:
    explicit TorsoUp(double seconds = 1.0) : mSeconds(seconds) {}
    // One cycle's readings (their time, the gyroscope, a fresh accelerometer reading).
    void update(const Readings& now);
    // Starts again from the next accelerometer reading alone (after a fall, say).
    void reset() { mKnown = false; }
    bool known() const { return mKnown; }
    // A unit vector in the torso frame (x forward, y left, z up); straight up before the
    // first reading.
    const salt::Vector3f& up() const { return mUp; }

private:
    double mSeconds;       // time constant of the accelerometer's pull, seconds
    bool mKnown = false;   // an accelerometer reading has set it
    double mLastTime = 0;  // server time of the last update, seconds
    long mReadings = 0;    // accelerometer readings taken since it became known
    salt::Vector3f mUp{0, 0, 1};
};

}  // namespace skills

#endif
