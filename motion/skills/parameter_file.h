#ifndef HALYX_MOTION_SKILLS_PARAMETER_FILE_H
#define HALYX_MOTION_SKILLS_PARAMETER_FILE_H

#include <functional>
#include <optional>
#include <string>

namespace skills {

// The range a parameter may take in a file.
struct ParameterRange {
    double lo = 0, hi = 0;
};

// Reads a skill's parameter file: one "name value" per line, "#" starts a comment,
// blank lines skipped. `rangeOf` gives a name's range, or nothing for a name the skill
// does not have; `set` takes each good line. Throws std::runtime_error with one line,
// "FILE: cannot be read" or "FILE:LINE: ..." naming the parameter and the value (an
// unknown name is an "unknown `kind` parameter").
void readParameterFile(
    const std::string& path, const std::string& kind,
    const std::function<std::optional<ParameterRange>(const std::string&)>& rangeOf,
    const std::function<void(const std::string&, double)>& set);

}  // namespace skills

#endif
