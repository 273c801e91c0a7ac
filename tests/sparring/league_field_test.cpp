// The league's 30 x 20 field in the sparring server: its landmarks and lines in vision,
// the longest message a crowded match of eleven a side can give, and the command line.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "sparring/protocol/perception.h"
#include "sparring/report/replay_recorder.h"
#include "sparring/report/svg.h"
#include "sparring/session/options.h"
#include "sparring/world/kinematic/kinematic_world.h"
#include "text_count.h"

using namespace sparring;

namespace {

GameView at(double now) {
    GameView g;
    g.now = now;
    g.gameTime = now;
    g.mode = PlayMode::PlayOn;
    return g;
}

// Every number of a message written as wide as the message's numbers can be: "-123.45"
// (angles reach -180, joint angles -120, times stay below 1000 s).
std::size_t widestLength(const std::string& msg) {
    static const std::regex kNumber("-?[0-9]+\\.[0-9]+|nan");
    return std::regex_replace(msg, kNumber, "-123.45").size();
}

// Eleven robots a side spread over the 30 x 20 field, and a twelfth watching from behind
// the corner of the left team's goal line, where the whole field fills its view.
struct Crowd {
    KinematicWorld world;
    Robot* watcher = nullptr;

    explicit Crowd(const std::string& otherTeam) {
        world.setField(leagueFieldSpec());
        for (int unum = 1; unum <= 11; ++unum) {
            const double x = -13 + 2.4 * (unum - 1), y = (unum % 2 == 0 ? 1 : -1) * 0.8 * unum;
            world.addRobot(Side::Left, unum, "QEL").place(x, y, 0);
            if (unum > 1) world.addRobot(Side::Right, unum, otherTeam).place(-x, -y, 180);
        }
        watcher = &world.addRobot(Side::Right, 1, otherTeam);
        watcher->place(-17, -12, 34);
    }
};

}  // namespace

TEST(LeagueField, LandmarksStandWhereTheLeaguesTableHasThem) {
    const auto marks = leagueFieldSpec().landmarks();
    struct Expected {
        const char* name;
        double x, y, z;
    };
    const Expected expected[] = {{"F1L", -15, 10, 0},      {"F1R", 15, 10, 0},
                                 {"F2L", -15, -10, 0},     {"F2R", 15, -10, 0},
                                 {"G1L", -15, 1.05, 0.8},  {"G1R", 15, 1.05, 0.8},
                                 {"G2L", -15, -1.05, 0.8}, {"G2R", 15, -1.05, 0.8}};
    for (std::size_t k = 0; k < marks.size(); ++k) {
        EXPECT_STREQ(marks[k].name, expected[k].name);
        EXPECT_DOUBLE_EQ(marks[k].position.x, expected[k].x) << expected[k].name;
        EXPECT_DOUBLE_EQ(marks[k].position.y, expected[k].y) << expected[k].name;
        EXPECT_DOUBLE_EQ(marks[k].position.z, expected[k].z) << expected[k].name;
    }
    EXPECT_EQ(&fieldSpecNamed("30x20"), &leagueFieldSpec());
    EXPECT_EQ(&fieldSpecNamed("12x8"), &designFieldSpec());
    EXPECT_THROW(fieldSpecNamed("30X20"), std::invalid_argument);
}

// The watcher sees all of the field: every line whole, every landmark, every part of
// every other robot. The longest such message must stay within the agent's limit.
TEST(LeagueField, CrowdedMessageHoldsEveryLineAndPartAndFitsTheAgentsLimit) {
    const std::size_t kAgentLimit = 16384;  // bytes, the agent's longest frame read
    for (const std::string team : {"QEL2", "A_TWENTY_CHAR_NAME__"}) {
        Crowd crowd(team);
        PerceptionWriter writer{VisionOptions{}, MessageForms::New};
        const std::string twenty(20, 'w');
        const std::vector<Utterance> said{{crowd.world.find(Side::Left, 5), twenty},
                                          {crowd.world.find(Side::Right, 5), twenty},
                                          {crowd.watcher, twenty}};
        const std::string msg = writer.write(crowd.world, *crowd.watcher, at(599.98), said);
        EXPECT_EQ(count(msg, " (L (pol "), static_cast<int>(fieldLines(leagueFieldSpec()).size()));
        EXPECT_EQ(count(msg, " (P (team "), 21);
        for (const char* part : {"(head ", "(rlowerarm ", "(llowerarm ", "(rfoot ", "(lfoot "})
            EXPECT_EQ(count(msg, part), 21) << part;
        EXPECT_EQ(count(msg, " (F"), 4);
        EXPECT_EQ(count(msg, " (G"), 4);
        EXPECT_EQ(count(msg, "(hear "), 3);
        std::cout << "crowded 11 v 11 message on 30x20, other team \"" << team
                  << "\": " << msg.size()
                  << " bytes; every number at its widest: " << widestLength(msg) << " bytes\n";
        EXPECT_GT(msg.size(), 6000u);
        EXPECT_LE(widestLength(msg), kAgentLimit);
    }
}

// Each end of a line that leaves the view cone is cut where it leaves; a line behind
// the camera is not reported, and one seen whole ends at its own ends.
TEST(LeagueField, LinesAreClippedToTheViewCone) {
    KinematicWorld world;
    world.setField(leagueFieldSpec());
    Robot& me = world.addRobot(Side::Left, 2, "QEL");
    me.place(0, -5, 90);  // on the halfway line, facing along it towards +y
    VisionOptions vision;
    PerceptionWriter writer{vision, MessageForms::New};
    const FieldLine halfway{{0, -10, 0}, {0, 10, 0}};
    const auto parts = writer.visibleParts(me, halfway);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_TRUE(writer.inView(me, parts[0].b));
    EXPECT_NEAR(parts[0].b.y, 10, 1e-9);  // the far end is in view
    EXPECT_GT(parts[0].a.y, -5);          // the part behind the camera is not
    // The cut end lies on the cone's boundary: just beyond it is out of view.
    EXPECT_FALSE(writer.inView(me, {0, parts[0].a.y - 0.01, 0}));
    EXPECT_TRUE(writer.inView(me, {0, parts[0].a.y + 0.01, 0}));
    const FieldLine behind{{-3, -8, 0}, {3, -8, 0}};
    EXPECT_TRUE(writer.visibleParts(me, behind).empty());
    const FieldLine across{{-1, 5, 0}, {1, 5, 0}};
    const auto whole = writer.visibleParts(me, across);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_DOUBLE_EQ(whole[0].a.x, -1);
    EXPECT_DOUBLE_EQ(whole[0].b.x, 1);
    // The design's field keeps the messages of the design's server: no lines.
    KinematicWorld design;
    Robot& other = design.addRobot(Side::Left, 2, "QEL");
    other.place(0, 0, 0);
    EXPECT_EQ(writer.write(design, other, at(1), {}).find("(L "), std::string::npos);
    EXPECT_NE(writer.write(world, me, at(1), {}).find("(L (pol "), std::string::npos);
}

TEST(LeagueField, CommandLinePictureAndReplayPageTakeTheField) {
    EXPECT_EQ(parseCommandLine({}).server.field, &designFieldSpec());
    EXPECT_EQ(parseCommandLine({"--field", "30x20"}).server.field, &leagueFieldSpec());
    EXPECT_THROW(parseCommandLine({"--field", "20x30"}), OptionError);
    EXPECT_THROW(parseCommandLine({"--field"}), OptionError);

    KinematicWorld world;
    world.setField(leagueFieldSpec());
    const std::string svg = renderField(world, "league");
    EXPECT_NE(svg.find("width=\"1920\""), std::string::npos);  // (30 + 2) m at 60 px/m
    EXPECT_NE(svg.find(">G2R</text>"), std::string::npos);
    // The replay page draws the chosen field; the design's is the page as written.
    const std::string page = replayPageHead(leagueFieldSpec());
    EXPECT_NE(page.find("viewBox=\"-15.8 -10.8 31.6 21.6\""), std::string::npos);
    EXPECT_NE(page.find("<rect x=\"-15.4\" y=\"-1.05\" width=\"0.4\" height=\"2.1\""),
              std::string::npos);
    EXPECT_NE(
        replayPageHead(designFieldSpec())
            .find(
                "<svg id=\"field\" viewBox=\"-6.8 -4.8 13.6 9.6\" "
                "preserveAspectRatio=\"xMidYMid meet\">\n"
                "    <rect x=\"-6\" y=\"-4\" width=\"12\" height=\"8\" fill=\"#2e7d32\"></rect>\n"
                "    <rect class=\"line\" x=\"-6\" y=\"-4\" width=\"12\" height=\"8\"></rect>\n"
                "    <line class=\"line\" x1=\"0\" y1=\"-4\" x2=\"0\" y2=\"4\"></line>\n"
                "    <circle class=\"line\" cx=\"0\" cy=\"0\" r=\"1\"></circle>\n"
                "    <rect x=\"-6.4\" y=\"-0.7\" width=\"0.4\" height=\"1.4\" "
                "fill=\"#ddd\"></rect>\n"
                "    <rect x=\"6\" y=\"-0.7\" width=\"0.4\" height=\"1.4\" fill=\"#ddd\"></rect>\n"
                "    <g id=\"robots\">"),
        std::string::npos);
}

// A line's ends are readings like any other: noise moves them as it moves a landmark.
TEST(LeagueField, LineEndsCarryTheNoiseOfEveryReading) {
    KinematicWorld world;
    world.setField(leagueFieldSpec());
    Robot& me = world.addRobot(Side::Left, 2, "QEL");
    me.place(-5, 0, 0);
    const std::regex line("\\(L \\(pol [^)]*\\) \\(pol [^)]*\\)\\)");
    const auto lines = [&](const VisionOptions& vision) {
        PerceptionWriter writer{vision, MessageForms::New};
        const std::string msg = writer.write(world, me, at(1), {});
        std::string all;
        for (auto it = std::sregex_iterator(msg.begin(), msg.end(), line);
             it != std::sregex_iterator(); ++it)
            all += it->str();
        return all;
    };
    VisionOptions noisy;
    noisy.angleNoise = 1;
    noisy.distanceNoise = 0.01;
    const std::string exact = lines(VisionOptions{}), first = lines(noisy);
    ASSERT_FALSE(exact.empty());
    EXPECT_EQ(count(first, "(L "), count(exact, "(L "));
    EXPECT_NE(first, exact);
    EXPECT_EQ(lines(noisy), first);  // one seed, one noise
}
