#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "motion/skills/walk.h"

namespace {

// A fresh temporary folder, removed afterwards, for real parameter files.
class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/halyx_walk_XXXXXX";
        if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
        mPath = pattern;
    }
    ~TempFolder() { std::filesystem::remove_all(mPath); }
    std::string write(const std::string& name, const std::string& text) const {
        const std::string path = mPath + "/" + name;
        std::ofstream(path) << text;
        return path;
    }
    std::string path(const std::string& name) const { return mPath + "/" + name; }

private:
    std::string mPath;
};

// The one-line error of reading `text`, or "" when it reads.
std::string errorOf(const TempFolder& dir, const std::string& text, std::string& path) {
    path = dir.write("walk.conf", text);
    try {
        skills::readWalkParameters(path);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

TEST(WalkParameters, BadLinesNameFileLineAndTheOffendingText) {
    struct Case {
        const char* text;
        const char* where;  // ":LINE: " after the path
        const char* says;   // a part of the message
    };
    const Case cases[] = {
        {"stepHeight 0.02\nstepHieght 0.03\n", ":2: ", "unknown walk parameter 'stepHieght'"},
        {"# comment\n\nhipHeight\n", ":3: ", "'hipHeight' has no value"},
        {"hipHeight   # no value, only a comment\n", ":1: ", "'hipHeight' has no value"},
        {"maxTurn fast\n", ":1: ", "'maxTurn' value 'fast' is not a number"},
        {"maxTurn 80deg\n", ":1: ", "'maxTurn' value '80deg' is not a number"},
        {"torsoLean 5 6\n", ":1: ", "'torsoLean' has more than one value: '6'"},
        {"servoGain nan\n", ":1: ", "'servoGain' value 'nan' is not finite"},
        {"stepHeight -inf\n", ":1: ", "'stepHeight' value '-inf' is not finite"},
        {"stepDuration 0\n", ":1: ", "'stepDuration' value 0 is outside 0.1 to 1"},
        {"hipHeight 0.2\n\n\nfootSpread 9\n", ":4: ", "'footSpread' value 9 is outside"},
    };
    TempFolder dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string path;
        const std::string message = errorOf(dir, c.text, path);
        EXPECT_EQ(message.rfind(path + c.where, 0), 0u) << message;
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
}

TEST(WalkParameters, MissingFileIsNamed) {
    TempFolder dir;
    try {
        skills::readWalkParameters(dir.path("none.conf"));
        FAIL() << "read a file that is not there";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), dir.path("none.conf") + ": cannot be read");
    }
}

TEST(WalkParameters, FileSetsOnlyItsNamesOverTheDefaults) {
    TempFolder dir;
    const std::string path =
        dir.write("walk.conf", "# tuned\n  stepHeight 0.04   # metres\n\nmaxTurn 75\n");
    const skills::WalkParameters p = skills::readWalkParameters(path);
    const skills::WalkParameters defaults;
    for (const std::string& name : skills::WalkParameters::names()) {
        const double expected = name == "stepHeight" ? 0.04
                                : name == "maxTurn"  ? 75
                                                     : defaults.get(name);
        EXPECT_EQ(p.get(name), expected) << name;
    }
}

TEST(WalkParameters, WrittenFileReadsBackTheSameValues) {
    TempFolder dir;
    skills::WalkParameters p;
    p.set("torsoLean", 12.345678901);
    p.set("gyroAnklePitch", -0.0125);
    skills::writeWalkParameters(p, dir.path("out.conf"));
    const skills::WalkParameters back = skills::readWalkParameters(dir.path("out.conf"));
    for (const std::string& name : skills::WalkParameters::names())
        EXPECT_DOUBLE_EQ(back.get(name), p.get(name)) << name;
}

// The team's file holds the tuned walk: it reads without error (every value within its
// range) and names every parameter, so that none silently falls back to its default.
TEST(WalkParameters, TeamFileNamesEveryParameter) {
    const std::string path = std::string(HALYX_SOURCE_DIR) + "/team/walk.conf";
    EXPECT_NO_THROW(skills::readWalkParameters(path));
    std::ifstream in(path);
    std::string text = "\n", line;
    while (std::getline(in, line)) text += line.substr(0, line.find('#')) + "\n";
    for (const std::string& name : skills::WalkParameters::names())
        EXPECT_NE(text.find("\n" + name + " "), std::string::npos) << name;
}

TEST(WalkParameters, UnknownNameThrowsOutOfRange) {
    skills::WalkParameters p;
    EXPECT_THROW(p.get("stepLength"), std::out_of_range);
    EXPECT_THROW(p.set("stepLength", 1), std::out_of_range);
}

}  // namespace
