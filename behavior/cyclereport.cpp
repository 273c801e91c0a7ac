#include "behavior/cyclereport.h"

#include <cmath>
#include <cstdio>

namespace {

// Room for the longest line: five numbers of up to 20 characters and the names.
const int kLineBytes = 320;

// The value as printed with `decimals` decimals, except that a value that rounds to
// zero prints as 0 and not as "-0.00": a person reads the sign as a direction.
double tidy(double value, int decimals) {
    const double scale = decimals == 1 ? 10.0 : 100.0;
    return std::round(value * scale) == 0.0 ? 0.0 : value;
}

}  // namespace

std::string formatCycleReport(const CycleReport& r) {
    char pose[96] = "x=- y=- heading=-";
    if (r.located) {
        std::snprintf(pose, sizeof pose, "x=%.2f y=%.2f heading=%.1f", tidy(r.x, 2), tidy(r.y, 2),
                      tidy(r.heading, 1));
    }
    char ball[64] = "-";
    if (r.ballSeen) {
        std::snprintf(ball, sizeof ball, "%.2f,%.2f", tidy(r.ballX, 2), tidy(r.ballY, 2));
    }
    char line[kLineBytes];
    const int n =
        std::snprintf(line, sizeof line, "t=%.2f pm=%s %s ball=%s act=%s down=%d do=%s", r.time,
                      r.playMode, pose, ball, r.activity, r.down ? 1 : 0, r.decision);
    if (n < 0) return std::string();
    const std::size_t length = static_cast<std::size_t>(n);
    return std::string(line, length < sizeof line ? length : sizeof line - 1);
}
