#ifndef SPARRING_KEEP_AWAY_H
#define SPARRING_KEEP_AWAY_H

#include <vector>

#include "sparring/world/world.h"

namespace sparring {

// The distance the side not taking a set play keeps from the ball, metres.
constexpr double kSetPlayDistance = 1.0;
// How far beyond the kept distance a robot that came too close is put, metres: enough
// that a robot put there does not sway back in at once.
constexpr double kKeepAwayMargin = 0.1;
// How far a robot put out of the circle is kept from every other robot's torso, metres:
// one put straight onto a robot lying there fell over it and kept it down.
constexpr double kKeepAwayClearance = 0.5;

// Keeps the robots of `side` out of the circle of `radius` metres about (cx, cy), server
// frame, as the league's referee does: a robot inside it is put upright on the circle
// grown by the margin, straight out from the centre, facing as it did (one on the centre
// itself goes towards its own goal), or where the circle is nearest that spot with no other
// robot within the clearance (straight out when there is no such place). Returns the
// robots moved.
std::vector<Robot*> keepAway(World& world, Side side, double cx, double cy, double radius);

}  // namespace sparring

#endif
