#include "motion/skills/steer_clear.h"

#include <algorithm>
#include <cmath>

namespace skills {

WalkCommand steerClear(const WalkCommand& c, const FieldPose& self,
                       const std::vector<FieldPoint>& others, const SteerClearParameters& p) {
    const double speed = std::hypot(c.forward, c.sideways);
    if (speed < 1e-6) return c;
    const double kRad = M_PI / 180;
    // The way walked, degrees in the body's frame.
    const double way = std::atan2(c.sideways, c.forward) / kRad;
    double keep = 1;   // share of the speed left
    double aside = 0;  // m/s, body frame, to the left
    for (const FieldPoint& o : others) {
        const double dx = o.x - self.x, dy = o.y - self.y;
        const double d = std::hypot(dx, dy);
        if (d >= p.reach || d < 1e-6) continue;
        const double bearing = wrapDegrees(std::atan2(dy, dx) / kRad - self.heading);
        const double off = wrapDegrees(bearing - way);
        if (std::fabs(off) >= p.cone) continue;
        keep = std::min(keep, std::clamp((d - p.touch) / (p.reach - p.touch), 0.0, 1.0));
        // Away from the side the robot lies on; straight ahead, to the left.
        aside += off > 0 ? -p.sideStep : p.sideStep;
    }
    WalkCommand out = c;
    out.forward = c.forward * keep;
    out.sideways = c.sideways * keep + std::clamp(aside, -p.sideStep, p.sideStep);
    return out;
}

}  // namespace skills
