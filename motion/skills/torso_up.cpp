#include "motion/skills/torso_up.h"

#include <algorithm>
#include <cmath>

namespace skills {

namespace {
constexpr double kGravity = 9.81;     // m/s^2
constexpr double kLongestStep = 0.1;  // seconds: a longer gap between readings counts as this
constexpr double kRad = M_PI / 180;
}  // namespace

void TorsoUp::update(const Readings& now) {
    const salt::Vector3f& a = now.acc;
    const double g = a.Length();
    const bool usable = now.accFresh && g > 0.5 * kGravity && g < 1.5 * kGravity;
    if (!mKnown) {
        if (usable) {
            mUp = a / static_cast<float>(g);
            mKnown = true;
            mReadings = 1;
            mLastTime = now.time;
        }
        return;
    }
    const double dt = std::clamp(now.time - mLastTime, 0.0, kLongestStep);
    mLastTime = now.time;
    // A direction fixed in the world, seen from a torso turning at w, turns by -w x up.
    const salt::Vector3f w = now.gyro * static_cast<float>(kRad * dt);
    if (std::isfinite(w.x()) && std::isfinite(w.y()) && std::isfinite(w.z()))
        mUp = mUp - w.Cross(mUp);
    if (usable) {
        // The first readings are averaged evenly (a robot just set down still rocks), then
        // each counts by the time constant.
        ++mReadings;
        const double share = std::max(dt / mSeconds, 1.0 / mReadings);
        mUp += (a / static_cast<float>(g) - mUp) * static_cast<float>(share);
    }
    const float length = mUp.Length();
    if (length > 0.1f && std::isfinite(length))
        mUp /= length;
    else
        *this = TorsoUp(mSeconds);
}

}  // namespace skills
