#ifndef SPARRING_SCENARIO_H
#define SPARRING_SCENARIO_H

#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sparring/world/field.h"
#include "sparring/world/robot.h"

namespace sparring {

// One scripted event of a scenario file.
struct Event {
    enum class Kind { Fall, Goal, Ball, Place, Push };
    double time = 0;  // simulated seconds
    Kind kind = Kind::Goal;
    Side side = Side::Left;  // the robot's team, or the scoring side
    int unum = 0;
    Posture posture = Posture::OnBack;
    double lieSeconds = -1;  // -1: the server's default
    // metres: ball in the server frame, a robot in its team's frame; for a push the
    // impulse, newton-seconds, server frame
    double x = 0, y = 0;
    double heading = 0;  // degrees, team frame
};

// A scenario line that cannot be read: names the line and what is wrong with it.
class ScenarioError : public std::runtime_error {
public:
    ScenarioError(int line, const std::string& what);
    int line() const { return line_; }

private:
    int line_;
};

// Reads a scenario: one event per line, "#" starts a comment. Events come back in time
// order (equal times keep the file's order). Throws ScenarioError.
std::vector<Event> readScenario(std::istream& in);
std::vector<Event> readScenarioFile(const std::string& path);

}  // namespace sparring

#endif
