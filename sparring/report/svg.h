#ifndef SPARRING_SVG_H
#define SPARRING_SVG_H

#include <string>

#include "sparring/world/world.h"

namespace sparring {

// An SVG picture of the field seen from above: lines, goals, landmarks, every robot with
// its number, team colour (left blue, right red) and heading, and the ball. A robot
// that lies is drawn hollow. The caption goes above the field.
std::string renderField(const World& world, const std::string& caption);

}  // namespace sparring

#endif
