#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "motion/skills/walk.h"
#include "motion/skills/walk_settings.h"

namespace skills {

namespace {

struct Entry {
    const char* name;
    double value;
    double lo, hi;
    const char* text;
};

const std::vector<Entry>& entries() {
    static const std::vector<Entry> list = {
#define HALYX_WALK_ENTRY(name, value, lo, hi, text) {#name, value, lo, hi, text},
        HALYX_WALK_PARAMETERS(HALYX_WALK_ENTRY)
#undef HALYX_WALK_ENTRY
    };
    return list;
}

int indexOf(const std::string& name) {
    const auto& list = entries();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (name == list[i].name) return static_cast<int>(i);
    return -1;
}

[[noreturn]] void fail(const std::string& path, int line, const std::string& what) {
    throw std::runtime_error(path + ":" + std::to_string(line) + ": " + what);
}

// The value of one "name value" line; throws naming the line's problem.
double parseValue(const std::string& path, int line, const std::string& name,
                  std::istringstream& rest) {
    std::string text, extra;
    if (!(rest >> text)) fail(path, line, "'" + name + "' has no value");
    if (rest >> extra) fail(path, line, "'" + name + "' has more than one value: '" + extra + "'");
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0')
        fail(path, line, "'" + name + "' value '" + text + "' is not a number");
    if (!std::isfinite(v)) fail(path, line, "'" + name + "' value '" + text + "' is not finite");
    const Entry& e = entries()[indexOf(name)];
    if (v < e.lo || v > e.hi) {
        std::ostringstream range;
        range << "'" << name << "' value " << text << " is outside " << e.lo << " to " << e.hi;
        fail(path, line, range.str());
    }
    return v;
}

// The fewest digits that read back as the same number.
std::string shortest(double v) {
    for (int digits = 6; digits < 17; ++digits) {
        std::ostringstream s;
        s.precision(digits);
        s << v;
        if (std::strtod(s.str().c_str(), nullptr) == v) return s.str();
    }
    std::ostringstream s;
    s.precision(17);
    s << v;
    return s.str();
}

}  // namespace

WalkParameters::WalkParameters() {
    for (const Entry& e : entries()) mValues.push_back(e.value);
}

const std::vector<std::string>& WalkParameters::names() {
    static const std::vector<std::string> list = [] {
        std::vector<std::string> n;
        for (const Entry& e : entries()) n.emplace_back(e.name);
        return n;
    }();
    return list;
}

double WalkParameters::get(const std::string& name) const {
    const int i = indexOf(name);
    if (i < 0) throw std::out_of_range("unknown walk parameter '" + name + "'");
    return mValues[i];
}

void WalkParameters::set(const std::string& name, double value) {
    const int i = indexOf(name);
    if (i < 0) throw std::out_of_range("unknown walk parameter '" + name + "'");
    mValues[i] = value;
}

WalkParameters readWalkParameters(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error(path + ": cannot be read");
    WalkParameters p;
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        const std::size_t hash = text.find('#');
        if (hash != std::string::npos) text.erase(hash);
        std::istringstream words(text);
        std::string name;
        if (!(words >> name)) continue;
        if (indexOf(name) < 0) fail(path, line, "unknown walk parameter '" + name + "'");
        p.set(name, parseValue(path, line, name, words));
    }
    return p;
}

void writeWalkParameters(const WalkParameters& p, const std::string& path) {
    std::ofstream out(path);
    if (!out) throw std::runtime_error(path + ": cannot be written");
    out << "# The walk's parameters: one \"name value\" per line, \"#\" starts a comment.\n";
    for (const Entry& e : entries()) {
        out << "\n# " << e.text << " (" << e.lo << " to " << e.hi << ")\n";
        out << e.name << " " << shortest(p.get(e.name)) << "\n";
    }
    if (!out) throw std::runtime_error(path + ": cannot be written");
}

WalkSettings WalkSettings::from(const WalkParameters& p) {
    WalkSettings s;
#define HALYX_WALK_READ(name, value, lo, hi, text) s.name = p.get(#name);
    HALYX_WALK_PARAMETERS(HALYX_WALK_READ)
#undef HALYX_WALK_READ
    return s;
}

}  // namespace skills
