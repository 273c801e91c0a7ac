// Hostile and degenerate landmark readings against self-localisation: a bad
// reading gives no fix from that landmark, and the next good cycle localises
// as if it had never come.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "math/geometry.h"
#include "parser/parser.h"
#include "worldmodel/types.h"
#include "worldmodel/worldmodel.h"

namespace {

const float kTolerance = 0.02f;  // metres; the reader quantises directions to 1/160

// Camera at (-3, 1, 0.5) facing +x, the left goal line's landmarks behind it.
const salt::Vector3f kCamera(-3, 1, 0.5f);

struct Landmark {
    const char* name;
    salt::Vector3f field;
};
const Landmark kLeftLine[] = {{"F1L", salt::Vector3f(-6, 4, 0)},
                              {"F2L", salt::Vector3f(-6, -4, 0)},
                              {"G1L", salt::Vector3f(-6, 0.7f, 0.8f)},
                              {"G2L", salt::Vector3f(-6, -0.7f, 0.8f)}};

std::string pol(const salt::Vector3f& field) {
    const VisionSense s = CartecianToPolar(field - kCamera);
    char text[96];
    std::snprintf(text, sizeof text, "(pol %.4f %.4f %.4f)", s.distance, s.theta, s.phi);
    return text;
}

// One message at server time t seeing the left goal line; replace swaps the
// reading of the named landmark for the given text.
std::string message(double t, const std::string& name = "", const std::string& replace = "") {
    char time[64];
    std::snprintf(time, sizeof time, "(time (now %.2f))(GS (t 0) (pm PlayOn))(See", t);
    std::string text = time;
    for (const Landmark& l : kLeftLine) {
        text += std::string(" (") + l.name + " " + (name == l.name ? replace : pol(l.field)) + ")";
    }
    return text + ")";
}

bool finite(const salt::Vector3f& v) {
    return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z());
}

class Localisation : public ::testing::Test {
protected:
    Localisation() : parser(wm) {
        Types::fill();
        wm.setTeamName("QEL");
    }

    void cycle(const std::string& text) {
        parser.doParse(text);
        wm.globalize();
    }

    void expectAtCamera() {
        const salt::Vector3f pos = wm.getMyPos();
        EXPECT_NEAR(pos.x(), kCamera.x(), kTolerance);
        EXPECT_NEAR(pos.y(), kCamera.y(), kTolerance);
        EXPECT_NEAR(pos.z(), kCamera.z(), kTolerance);
    }

    WorldModel wm;
    Parser parser;
};

}  // namespace

TEST_F(Localisation, LandmarksNeverSeenGiveNoFixAtServerTimeZero) {
    cycle("(time (now 0.00))(GS (t 0) (pm BeforeKickOff))");
    EXPECT_TRUE(finite(wm.getMyPos()));
    EXPECT_TRUE(std::isfinite(wm.getMyAngle()));
    EXPECT_FALSE(wm.canSeeFlags());

    cycle(message(0.02));
    expectAtCamera();
}

TEST_F(Localisation, NonFiniteOrMissingReadingGivesNoFixAndTheNextGoodCycleLocalises) {
    // Each bad reading leaves the good triple without its landmark.
    const std::vector<std::pair<std::string, std::string>> badReadings = {
        {"F1L", "(pol nan 10 10)"}, {"F2L", "(pol 5 inf 0)"}, {"G1L", "(pol 1e999 0 0)"},
        {"G2L", "(pol 5 0 -inf)"},  {"F1L", "(pol)"},         {"G1L", "(pol 1 2)"},
    };
    double t = 1.0;
    for (const auto& bad : badReadings) {
        SCOPED_TRACE(bad.first + " " + bad.second);
        cycle(message(t += 0.02));
        expectAtCamera();
        cycle(message(t += 0.02, bad.first, bad.second));
        expectAtCamera();
        cycle(message(t += 0.02));
        expectAtCamera();
    }
}

// Readings at distance 0 are finite but name no direction: the pose may be
// off for that cycle, never non-finite, and the next good cycle repairs it.
TEST_F(Localisation, LandmarksReadAtTheCameraLeaveAFinitePose) {
    const std::vector<std::string> views = {
        message(1.02, "F1L", "(pol 0 0 0)"),
        message(1.04, "F2L", "(pol -0 -0 -0)"),
        "(time (now 1.06))(See (F1L (pol 2 30 0)) (F2L (pol 2 30 0)) (G1L (pol 2 30 0)))",
        "(time (now 1.08))(See (F1L (pol 0 0 0)) (F2L (pol 0 0 0)) (G1L (pol 0 0 0)))",
    };
    cycle(message(1.0));
    for (const std::string& view : views) {
        SCOPED_TRACE(view);
        cycle(view);
        EXPECT_TRUE(finite(wm.getMyPos()));
        EXPECT_TRUE(std::isfinite(wm.getMyAngle()));
    }
    cycle(message(1.10));
    expectAtCamera();
}
