#include "motion/skills/parameter_file.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace skills {

namespace {

[[noreturn]] void fail(const std::string& path, int line, const std::string& what) {
    throw std::runtime_error(path + ":" + std::to_string(line) + ": " + what);
}

// The value of one "name value" line; throws naming the line's problem.
double parseValue(const std::string& path, int line, const std::string& name,
                  const ParameterRange& range, std::istringstream& rest) {
    std::string text, extra;
    if (!(rest >> text)) fail(path, line, "'" + name + "' has no value");
    if (rest >> extra) fail(path, line, "'" + name + "' has more than one value: '" + extra + "'");
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0')
        fail(path, line, "'" + name + "' value '" + text + "' is not a number");
    if (!std::isfinite(v)) fail(path, line, "'" + name + "' value '" + text + "' is not finite");
    if (v < range.lo || v > range.hi) {
        std::ostringstream message;
        message << "'" << name << "' value " << text << " is outside " << range.lo << " to "
                << range.hi;
        fail(path, line, message.str());
    }
    return v;
}

}  // namespace

void readParameterFile(
    const std::string& path, const std::string& kind,
    const std::function<std::optional<ParameterRange>(const std::string&)>& rangeOf,
    const std::function<void(const std::string&, double)>& set) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error(path + ": cannot be read");
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        const std::size_t hash = text.find('#');
        if (hash != std::string::npos) text.erase(hash);
        std::istringstream words(text);
        std::string name;
        if (!(words >> name)) continue;
        const std::optional<ParameterRange> range = rangeOf(name);
        if (!range) fail(path, line, "unknown " + kind + " parameter '" + name + "'");
        set(name, parseValue(path, line, name, *range, words));
    }
}

}  // namespace skills
