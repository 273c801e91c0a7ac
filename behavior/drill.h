#ifndef HALYX_BEHAVIOR_DRILL_H
#define HALYX_BEHAVIOR_DRILL_H

#include <stdexcept>
#include <string>
#include <vector>

// A timed list of commands that replaces the agent's role for trying its skills: one
// command per line, the time first (seconds of server time after the first "PlayOn"),
// "#" starting a comment:
//
//     0.0  walk 0.5 0 0        # forward, sideways (m/s), turning (deg/s)
//     10.0 stop
//     12.0 goto -1.0 2.0 90    # own field frame: metres, metres, degrees
//     20.0 kick 30             # approach the ball and kick it towards 30 degrees
//     40.0 dribble 3.0 -1.0    # walk the ball to that point (metres)
//
// A kick or dribble holds until it is done or fails; then the robot stands until the
// next line's time.
class Drill {
public:
    enum class Kind { Walk, Stop, GoTo, Kick, Dribble };
    // One line: from `time` on, until the next line's time.
    struct Step {
        double time = 0;  // seconds after the first PlayOn
        Kind kind = Kind::Stop;
        // walk: forward, sideways, turn; goto: x, y, heading; kick: direction; dribble: x, y
        double a = 0, b = 0, c = 0;
        int line = 0;  // in the file, for messages
    };

    // A line that cannot be used: the message names the file, the line and the problem.
    class Error : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    // Throws Error for a file that cannot be read or a bad line.
    static Drill read(const std::string& path);
    // `name` stands for the file in messages.
    static Drill parse(const std::string& text, const std::string& name);

    const std::vector<Step>& steps() const { return mSteps; }
    // The step in force `elapsed` seconds after the first PlayOn, or null before the
    // first step's time.
    const Step* at(double elapsed) const;

private:
    std::vector<Step> mSteps;
};

#endif
