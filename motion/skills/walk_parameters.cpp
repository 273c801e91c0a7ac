#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "motion/skills/parameter_file.h"
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
    WalkParameters p;
    readParameterFile(
        path, "walk",
        [](const std::string& name) -> std::optional<ParameterRange> {
            const int i = indexOf(name);
            if (i < 0) return std::nullopt;
            return ParameterRange{entries()[i].lo, entries()[i].hi};
        },
        [&p](const std::string& name, double value) { p.set(name, value); });
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
