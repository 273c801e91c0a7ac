#ifndef SPARRING_TRACE_H
#define SPARRING_TRACE_H

#include <string>

#include "sparring/world/robot.h"

namespace sparring {

// One line of the posture trace (--trace FILE), a tuning aid for motions: how one robot
// stands or lies at simulated time `now`. Columns: time (s), side, uniform number, ground
// position x y (m, server frame), heading (degrees, server frame), camera height (m), the torso's
// tilt from vertical (degrees), and the heights of the tips of its forward and leftward unit axes
// above their root (m; +1 forward: lying on the back, +1 leftward: lying on the right side), then
// the left hip, knee and ankle pitch and shoulder pitch (degrees).
std::string traceLine(double now, const Robot& robot);

// The ball's line of the trace, every cycle: time (s), "ball", 0, and its position x y
// (m, server frame) in the robots' x and y columns.
std::string traceBallLine(double now, const Vec3& ball);

// The header lines naming those columns.
const char* traceHeader();

}  // namespace sparring

#endif
