// Whole messages of the league's 30 x 20 field, in the newer forms with field lines,
// written here from the league's landmark table for known camera poses: read through
// the perception path, parse and localisation, they must put the camera, the players
// of both teams (numbers 10 and 11 too) and the ball where the scene has them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "parser/parser.h"
#include "tests/parser/perceive.h"
#include "tests/worldmodel/scene.h"
#include "worldmodel/types.h"

using salt::Vector3f;

namespace {

// How near the truth things must be placed: metres, degrees.
struct Tolerance {
    float camera, objects;
    bool heightToo;  // false: only where on the ground
};
const double kHeadingTolerance = 0.5;  // degrees
// From readings as exact as floats hold.
const Tolerance kExact{0.01f, 0.02f, true};
// From readings of two decimals, as the server writes them, without an accelerometer.
// The landmarks of one goal line lie almost on one line, at most 0.8 m apart across
// it, so that the rounding tilts the camera about the goal line by up to about 0.2
// degrees: at 30 m that moves the camera's height by decimetres; where it stands on
// the ground stays close.
const Tolerance kWire{0.1f, 0.2f, false};
// The same with the accelerometer's reading of gravity, which gives the vertical.
const Tolerance kWireWithVertical{0.05f, 0.1f, true};
const double kViewHalfAngle = 60.0;  // degrees, half the view cone's opening

// The league's landmarks in the left team's frame (metres), in the order of FlagsID.
struct Mark {
    const char* name;
    Vector3f at;
};
const Mark kMarks[] = {{"F1L", {-15, 10, 0}},        {"F1R", {15, 10, 0}},
                       {"F2L", {-15, -10, 0}},       {"F2R", {15, -10, 0}},
                       {"G1L", {-15, 1.05f, 0.8f}},  {"G1R", {15, 1.05f, 0.8f}},
                       {"G2L", {-15, -1.05f, 0.8f}}, {"G2R", {15, -1.05f, 0.8f}}};

// The team's own frame from the left team's: the right team's is turned half a turn.
Vector3f ownFrame(bool right, const Vector3f& v) {
    return right ? Vector3f(-v.x(), -v.y(), v.z()) : v;
}

// A scene: the camera's pose in its own team's frame, and what stands on the field.
struct Scene {
    bool right;
    scene::Pose camera;
};

bool inView(const scene::Pose& camera, const Vector3f& field) {
    const Vector3f c = camera.toCamera(field);
    return c.x() > 0 && std::acos(c.x() / c.Length()) * 180 / M_PI <= kViewHalfAngle;
}

// Decimals of every reading: the server's 2, or 6 for readings without its rounding.
int gDecimals = 2;
// Whether a message carries the accelerometer's reading: gravity, seen from the torso,
// which (the neck at 0) is turned as the camera is.
bool gAccelerometer = false;

std::string pol(const scene::Pose& camera, const Vector3f& field) {
    const VisionSense s = CartecianToPolar(camera.toCamera(field));
    char text[120];
    std::snprintf(text, sizeof text, "(pol %.*f %.*f %.*f)", gDecimals, s.distance, gDecimals,
                  s.theta, gDecimals, s.phi);
    return text;
}

// Both teams' players, the left team's frame: ours are QEL.
struct Seen {
    const char* team;
    int id;
    Vector3f head;
};
const Seen kPlayers[] = {{"QEL", 10, {-4, 6, 0.55f}},    {"QEL", 11, {-8, -7, 0.55f}},
                         {"QEL", 2, {3, 2, 0.55f}},      {"Rivals", 10, {6, -3, 0.55f}},
                         {"Rivals", 11, {-1, 4, 0.55f}}, {"Rivals", 9, {10, 8, 0.55f}},
                         {"Rivals", 1, {14, 0, 0.55f}},  {"QEL", 1, {-14, 0, 0.55f}}};
const Vector3f kBall(2, -1, 0.04f);

const std::string kLines[] = {"(L (pol 12.31 -20.50 -2.10) (pol 8.02 41.12 -3.50))",
                              "(L (pol nan nan nan) (pol 3.11 10.00 -9.20))",
                              "(L (pol 5.50 -nan 1.00) (pol inf 2.00 -1.00))"};

std::string accelerometer(const scene::Pose& camera) {
    const Vector3f up = camera.toCamera(camera.position + Vector3f(0, 0, 1)) * 9.81f;
    char text[120];
    std::snprintf(text, sizeof text, "(ACC (n torso) (a %.*f %.*f %.*f))", gDecimals, up.x(),
                  gDecimals, up.y(), gDecimals, up.z());
    return text;
}

// What the server sends the camera: landmarks, ball and players in view, field lines
// (some with "nan" ends) between them.
std::string message(const Scene& s) {
    std::string see = "(See";
    for (const Mark& m : kMarks) {
        const Vector3f at = ownFrame(s.right, m.at);
        if (inView(s.camera, at)) see += std::string(" (") + m.name + " " + pol(s.camera, at) + ")";
    }
    see += " " + kLines[0];
    const Vector3f ball = ownFrame(s.right, kBall);
    if (inView(s.camera, ball)) see += " (B " + pol(s.camera, ball) + ")";
    for (const Seen& p : kPlayers) {
        const Vector3f head = ownFrame(s.right, p.head);
        if (!inView(s.camera, head)) continue;
        see += std::string(" (P (team ") + p.team + ") (id " + std::to_string(p.id) + ") (head " +
               pol(s.camera, head) + ") (rfoot " + pol(s.camera, head - Vector3f(0, 0, 0.5f)) +
               "))";
        see += " " + kLines[1];
    }
    see += " " + kLines[2] + ")";
    return std::string("(time (now 5.00))(GS (unum 5) (team ") + (s.right ? "right" : "left") +
           ") (sl 0) (sr 0) (t 2.00) (pm PlayOn))(GYR (n torso) (rt 0.00 0.00 0.00))" +
           (gAccelerometer ? accelerometer(s.camera) : "") + see;
}

// A dozen poses over the whole field, both sides, level and tilted: position in the
// team's own frame (metres), heading, pitch and roll (degrees).
std::vector<Scene> scenes() {
    return {
        {false, scene::Pose::at(0, 0, 0.55f, 180)},
        {false, scene::Pose::at(-10, 5, 0.5f, -170, 10)},
        {false, scene::Pose::at(-12, -8, 0.45f, 160, 20, 5)},
        {false, scene::Pose::at(5, 2, 0.55f, 10)},
        {false, scene::Pose::at(12, -6, 0.5f, 25, 15)},
        {false, scene::Pose::at(-3, 9, 0.4f, 0, 30, -10)},
        {true, scene::Pose::at(0, 0, 0.55f, 0)},
        {true, scene::Pose::at(-14, 1, 0.55f, 5, 5)},
        {true, scene::Pose::at(8, -9, 0.5f, 40, 10)},
        {true, scene::Pose::at(-6, 4, 0.5f, 175, 10, 8)},
        {true, scene::Pose::at(13, 7, 0.45f, -150, 15)},
        {true, scene::Pose::at(2, -3, 0.55f, -160, 0, -12)},
    };
}

// The camera's heading on the field from its pose: its x axis projected on the ground.
double heading(const scene::Pose& camera) {
    const Vector3f f = camera.rotation.Rotate(Vector3f(1, 0, 0));
    return std::atan2(f.y(), f.x()) * 180 / M_PI;
}

double angleApart(double a, double b) {
    return std::fabs(std::remainder(a - b, 360.0));
}

// Whether a goal line shows three of its landmarks, flags and posts mixed: what a fix
// needs.
bool seesAGoalLine(const Scene& s) {
    for (int line = 0; line < 2; ++line) {
        int flags = 0, posts = 0;
        for (int k = line; k < 8; k += 2)
            if (inView(s.camera, ownFrame(s.right, kMarks[k].at))) ++(k < 4 ? flags : posts);
        if (flags + posts >= 3 && flags > 0 && posts > 0) return true;
    }
    return false;
}

// The largest errors over the scenes: metres, degrees.
struct Errors {
    double ground = 0, height = 0, heading = 0, objectsGround = 0, objectsHeight = 0;
};

void expectPlaced(const Vector3f& seen, const Vector3f& truth, float tolerance, bool heightToo) {
    EXPECT_NEAR(seen.x(), truth.x(), tolerance);
    EXPECT_NEAR(seen.y(), truth.y(), tolerance);
    if (heightToo) {
        EXPECT_NEAR(seen.z(), truth.z(), tolerance);
    }
}

double groundApart(const Vector3f& a, const Vector3f& b) {
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

void track(double& worst, double error) {
    worst = std::max(worst, error);
}

// Places every scene's camera, players and ball.
Errors placeEveryScene(int decimals, bool accelerometer, const Tolerance& t) {
    gDecimals = decimals;
    gAccelerometer = accelerometer;
    Errors e;
    for (const Scene& s : scenes()) {
        const std::string text = message(s);
        SCOPED_TRACE(text);
        EXPECT_TRUE(seesAGoalLine(s));
        const auto wm = perceive(text, leagueField());
        EXPECT_TRUE(wm->hasCameraFix());
        expectPlaced(wm->getMyPos(), s.camera.position, t.camera, t.heightToo);
        EXPECT_LE(angleApart(wm->getMyAngle(), heading(s.camera)), kHeadingTolerance);
        track(e.ground, groundApart(wm->getMyPos(), s.camera.position));
        track(e.height, std::fabs(wm->getMyPos().z() - s.camera.position.z()));
        track(e.heading, angleApart(wm->getMyAngle(), heading(s.camera)));

        // Every player seen is recorded where it stands, under its number; the ball too.
        std::vector<std::pair<Vector3f, Vector3f>> placed;  // where seen, where it is
        int ours = 0, theirs = 0;
        for (const Seen& p : kPlayers) {
            if (!inView(s.camera, ownFrame(s.right, p.head))) continue;
            const bool mate = std::string(p.team) == "QEL";
            const Player record = mate ? wm->getOurPlayer(ours++) : wm->getOppPlayer(theirs++);
            EXPECT_EQ(record.getID(), p.id);
            placed.push_back({record.getPos(HEAD), ownFrame(s.right, p.head)});
        }
        EXPECT_EQ(wm->getOurCount(), ours);
        EXPECT_EQ(wm->getOppCount(), theirs);
        if (inView(s.camera, ownFrame(s.right, kBall)))
            placed.push_back({wm->getBallPos(), ownFrame(s.right, kBall)});
        for (const auto& [seen, truth] : placed) {
            expectPlaced(seen, truth, t.objects, t.heightToo);
            track(e.objectsGround, groundApart(seen, truth));
            track(e.objectsHeight, std::fabs(seen.z() - truth.z()));
        }
    }
    gDecimals = 2;
    gAccelerometer = false;
    return e;
}

}  // namespace

TEST(LeagueField, ADozenPosesArePlacedWithin1CmAndHalfADegree) {
    const std::pair<const char*, Errors> runs[] = {
        {"exact readings", placeEveryScene(6, false, kExact)},
        {"exact readings, accelerometer", placeEveryScene(6, true, kExact)},
        {"two decimals", placeEveryScene(2, false, kWire)},
        {"two decimals, accelerometer", placeEveryScene(2, true, kWireWithVertical)}};
    for (const auto& [name, e] : runs) {
        std::cout << "league field, 12 poses, " << name << ": camera off by at most "
                  << e.ground * 100 << " cm on the ground, " << e.height * 100 << " cm in height, "
                  << e.heading << " degrees; players and ball by " << e.objectsGround * 100
                  << " cm on the ground, " << e.objectsHeight * 100 << " cm in height\n";
    }
}

// The design's rounding of the landmark directions to 1/160 would miss by decimetres
// on the large field: the reason the league's field reads them as they come.
TEST(LeagueField, RoundedDirectionsWouldMissByDecimetres) {
    FieldGeometry rounded = leagueField();
    rounded.directionQuantum = designField().directionQuantum;
    double worst = 0;
    for (const Scene& s : scenes()) {
        const auto wm = perceive(message(s), rounded);
        worst = std::max(worst, double((wm->getMyPos() - s.camera.position).Length()));
    }
    std::cout << "with directions rounded to 1/160: off by up to " << worst * 100 << " cm\n";
    EXPECT_GT(worst, 0.05);
}

// Field lines, "nan" ends among them, change nothing that the message's other
// readings leave: the message read with and without them gives the same world model.
TEST(LeagueField, FieldLinesAreSkipped) {
    for (const Scene& s : scenes()) {
        std::string plain = message(s);
        for (const std::string& line : kLines) {
            for (auto at = plain.find(" " + line); at != std::string::npos;
                 at = plain.find(" " + line)) {
                plain.erase(at, line.size() + 1);
            }
        }
        ASSERT_EQ(plain.find("(L "), std::string::npos);
        const auto with = perceive(message(s), leagueField());
        const auto without = perceive(plain, leagueField());
        scene::expectNear(with->getMyPos(), without->getMyPos(), 0.0f);
        EXPECT_EQ(with->getMyAngle(), without->getMyAngle());
        scene::expectNear(with->getBallPos(), without->getBallPos(), 0.0f);
        EXPECT_EQ(with->getBallTimeSeen(), without->getBallTimeSeen());
        ASSERT_EQ(with->getOurCount(), without->getOurCount());
        ASSERT_EQ(with->getOppCount(), without->getOppCount());
        for (int k = 0; k < with->getOurCount(); ++k)
            scene::expectNear(with->getOurPlayer(k).getPos(HEAD),
                              without->getOurPlayer(k).getPos(HEAD), 0.0f);
        for (int k = 0; k < with->getOppCount(); ++k)
            scene::expectNear(with->getOppPlayer(k).getPos(HEAD),
                              without->getOppPlayer(k).getPos(HEAD), 0.0f);
        EXPECT_EQ(with->getTimeLastSeen(), without->getTimeLastSeen());
    }
}
