#include "behavior/drill.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

// A number of the drill, read whole: "1.5x", "nan" and "inf" are no numbers.
bool number(const std::string& word, double& value) {
    if (word.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(word.c_str(), &end);
    return *end == '\0' && errno == 0 && std::isfinite(value);
}

struct Command {
    const char* name;
    Drill::Kind kind;
    int arguments;
    const char* usage;
};
const Command kCommands[] = {
    {"walk", Drill::Kind::Walk, 3, "walk FORWARD SIDEWAYS TURN"},
    {"stop", Drill::Kind::Stop, 0, "stop"},
    {"goto", Drill::Kind::GoTo, 3, "goto X Y HEADING"},
    {"kick", Drill::Kind::Kick, 1, "kick DIRECTION"},
    {"dribble", Drill::Kind::Dribble, 2, "dribble X Y"},
};

}  // namespace

Drill Drill::read(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw Error(path + ": cannot read the drill: " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str(), path);
}

Drill Drill::parse(const std::string& text, const std::string& name) {
    Drill drill;
    std::istringstream lines(text);
    std::string line;
    for (int n = 1; std::getline(lines, line); ++n) {
        const std::string where = name + ":" + std::to_string(n) + ": ";
        std::istringstream words(line.substr(0, line.find('#')));
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty()) continue;
        Step step;
        step.line = n;
        if (!number(w[0], step.time) || step.time < 0)
            throw Error(where + "the time '" + w[0] + "' is not a number of seconds >= 0");
        if (!drill.mSteps.empty() && step.time < drill.mSteps.back().time)
            throw Error(where + "the time " + w[0] + " is before the line above's");
        if (w.size() < 2) throw Error(where + "a time without a command");
        const Command* command = nullptr;
        for (const Command& c : kCommands)
            if (w[1] == c.name) command = &c;
        if (command == nullptr)
            throw Error(where + "unknown command '" + w[1] +
                        "' (walk, stop, goto, kick or dribble)");
        if (static_cast<int>(w.size()) - 2 != command->arguments)
            throw Error(where + "expected '" + command->usage + "'");
        step.kind = command->kind;
        double* values[3] = {&step.a, &step.b, &step.c};
        for (int i = 0; i < command->arguments; ++i) {
            if (!number(w[2 + i], *values[i]))
                throw Error(where + "'" + w[2 + i] + "' is not a number");
        }
        drill.mSteps.push_back(step);
    }
    return drill;
}

const Drill::Step* Drill::at(double elapsed) const {
    // Server times come as single-precision numbers: a step is due up to a millisecond
    // early, well within a 20 ms cycle.
    const double kSlack = 1e-3;  // seconds
    const Step* current = nullptr;
    for (const Step& s : mSteps) {
        if (s.time > elapsed + kSlack) break;
        current = &s;
    }
    return current;
}
