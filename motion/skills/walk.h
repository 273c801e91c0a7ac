#ifndef HALYX_MOTION_SKILLS_WALK_H
#define HALYX_MOTION_SKILLS_WALK_H

#include <string>
#include <vector>

#include "motion/skills/skill.h"

namespace skills {

// A walking command, changed at any cycle: forward speed (m/s), sideways speed (m/s,
// positive to the robot's left) and turning rate (deg/s, positive counter-clockwise).
struct WalkCommand {
    double forward = 0;
    double sideways = 0;
    double turn = 0;
};

// The walk's tunable numbers, each with a name, as the team folder's walk parameter
// file writes them ("name value" per line, "#" comments).
class WalkParameters {
public:
    WalkParameters();  // the built-in defaults
    // The names, in file order; every name is one number.
    static const std::vector<std::string>& names();
    // Throws std::out_of_range for an unknown name.
    double get(const std::string& name) const;
    void set(const std::string& name, double value);

private:
    std::vector<double> mValues;
};

// Reads a parameter file over the defaults. Throws std::runtime_error with one line
// "FILE:LINE: ..." naming the offending name or value.
WalkParameters readWalkParameters(const std::string& path);
void writeWalkParameters(const WalkParameters& p, const std::string& path);

// The omnidirectional walk: made from its parameters, stepped once per cycle.
class Walk : public Skill {
public:
    explicit Walk(const WalkParameters& p);
    // Beyond what the walk can do the command is limited to its best, never refused.
    void setCommand(const WalkCommand& c);
    JointSpeeds step(const Readings& now) override;
    // Back to standing still, as after a get-up: the next step starts from the
    // pose the joints are in.
    void reset();
    // Standing with both feet down and no step under way.
    bool still() const;
};

}  // namespace skills

#endif
