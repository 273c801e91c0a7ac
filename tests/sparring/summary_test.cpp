// The end of a match: the summary, the field picture, the formation spots they are
// held against, and the command line that sets it all up.
#include "sparring/session/summary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "sparring/match/formation.h"
#include "sparring/report/svg.h"
#include "sparring/session/options.h"
#include "sparring/world/physics/physics_world.h"
#include "sparring/world/kinematic/kinematic_world.h"

using namespace sparring;

namespace {

// An agent of team QEL that joined with number `unum` on connection 1.
AgentRecord joined(int unum) {
    AgentRecord a;
    a.id = 1;
    a.team = "QEL";
    a.unum = unum;
    a.initialised = true;
    return a;
}

}  // namespace

TEST(Summary, QuantileTakesTheNearestRank) {
    const std::vector<double> v{5, 1, 4, 2, 3, 6, 7, 8, 9, 10};
    EXPECT_DOUBLE_EQ(quantile(v, 0.5), 5);
    EXPECT_DOUBLE_EQ(quantile(v, 0.99), 10);
    EXPECT_DOUBLE_EQ(quantile(v, 0), 1);
    EXPECT_DOUBLE_EQ(quantile({}, 0.5), 0);
}

TEST(Summary, EachAgentLineHoldsItsBeamAgainstItsSpot) {
    AgentRecord keeper = joined(1);
    keeper.lastBeam = Beam{-5.5, 0.001, 0};
    keeper.cyclesSent = keeper.cyclesAnswered = 100;
    keeper.latencies = {0.001, 0.002};
    keeper.end = "game over";
    AgentRecord silent;
    silent.id = 2;
    silent.end = "dropped: no scene command within 100 ms at t=0.00";
    MatchResult match;
    match.seconds = 2;
    match.cycles = 100;
    match.picture = "/tmp/field.svg";
    const std::string s = formatSummary(match, {keeper, silent}, {{1, Spot{-5.5, 0}}});
    EXPECT_NE(s.find("agent 1: team=QEL side=left unum=1 init=yes beam=-5.500,0.001,0.0 "
                     "spot=-5.500,0.000 off=0.0010 beams=0 beams_refused=0 answered=100/100"),
              std::string::npos)
        << s;
    EXPECT_NE(s.find("latency_p50_ms=1.000 latency_p99_ms=2.000"), std::string::npos);
    EXPECT_NE(s.find("agent 2: team=- side=- unum=0 init=no beam=- spot=- off=-"),
              std::string::npos);
    EXPECT_NE(s.find("end=\"dropped: no scene command"), std::string::npos);
    EXPECT_NE(s.find("picture: /tmp/field.svg\n"), std::string::npos);
}

// Each agent's walk, kicks and goals, a line per team that came with its goals and share
// of possession, then the match's own line.
TEST(Summary, AgentsWalkKicksAndGoalsAndEachTeamsGoalsAndPossession) {
    AgentRecord striker = joined(9);
    striker.walked = 12.345;
    striker.kicks = 3;
    striker.goals = 2;
    MatchResult match;
    match.scoreLeft = 2;
    match.scoreRight = 1;
    match.left = {"QEL", 0.625};
    match.right = {"OPP", 0.375};
    match.untouchedLongest = 12.345;
    match.picture = "f.svg";
    const std::string s = formatSummary(match, {striker}, {});
    EXPECT_NE(s.find(" body=0 walked_m=12.35 kicks=3 goals=2 latency_p50_ms="), std::string::npos)
        << s;
    EXPECT_NE(s.find("team left: name=QEL goals=2 possession=0.625\n"
                     "team right: name=OPP goals=1 possession=0.375\n"
                     "match: untouched_longest_s=12.35\n"
                     "picture: f.svg\n"),
              std::string::npos)
        << s;
    match.right = {};
    EXPECT_EQ(formatSummary(match, {striker}, {}).find("team right"), std::string::npos);
}

TEST(Summary, FormationSpotsComeFromTheTeamsFile) {
    const std::string path = testing::TempDir() + "/sparring_formation.conf";
    std::ofstream(path) << "# spots\nid 0\nunums 1 2 3\nhomePosX -5.5 -3 -1\n"
                           "homePosY 0 1.5\nhomePosX -5 -3.5\nunums 1 2 1\n";
    const auto spots = readFormationSpots(path);
    std::remove(path.c_str());
    ASSERT_EQ(spots.size(), 2u);  // number 1 twice: the first entry wins
    EXPECT_DOUBLE_EQ(spots.at(1).x, -5);
    EXPECT_DOUBLE_EQ(spots.at(2).x, -3.5);
    EXPECT_DOUBLE_EQ(spots.at(2).y, 1.5);
    EXPECT_TRUE(readFormationSpots("/nonexistent/formation.conf").empty());
}

TEST(Picture, ShowsEveryRobotTheBallAndTheLandmarks) {
    KinematicWorld world;
    world.addRobot(Side::Left, 1, "QEL").place(-5, 0, 0);
    world.addRobot(Side::Right, 9, "A&B").fall(Posture::OnBack, 0, 1);
    const std::string svg = renderField(world, "t=1 <end>");
    EXPECT_EQ(svg.rfind("<svg", 0), 0u);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
    EXPECT_NE(svg.find("data-team=\"QEL\" data-unum=\"1\""), std::string::npos);
    EXPECT_NE(svg.find("data-team=\"A&amp;B\" data-unum=\"9\""), std::string::npos);
    EXPECT_NE(svg.find("class=\"ball\""), std::string::npos);
    EXPECT_NE(svg.find(">G2R<"), std::string::npos);
    EXPECT_NE(svg.find("t=1 &lt;end&gt;"), std::string::npos);
}

TEST(CommandLine, OptionsSetTheServerAndBadOnesAreRefused) {
    const CommandLine c = parseCommandLine(
        {"--port", "0", "--agents", "9", "--full-vision", "--vision-period", "3", "--duration",
         "12.5", "--timeout", "300", "--scenario", "s.txt", "--sync", "--forms", "new"});
    EXPECT_EQ(c.server.port, 0);
    EXPECT_EQ(c.server.agents, 9);
    EXPECT_TRUE(c.server.vision.full);
    EXPECT_EQ(c.server.vision.period, 3);
    EXPECT_DOUBLE_EQ(c.server.times.duration, 12.5);
    EXPECT_EQ(c.server.replyTimeoutMs, 300);
    EXPECT_EQ(c.scenarioPath, "s.txt");
    EXPECT_TRUE(c.server.sync);
    EXPECT_EQ(c.server.forms, MessageForms::New);
    EXPECT_EQ(parseCommandLine({"--forms", "old"}).server.forms, MessageForms::Old);
    EXPECT_FALSE(parseCommandLine({}).server.forms);  // the world's own default
    EXPECT_FALSE(parseCommandLine({}).server.sync);
    const CommandLine p = parseCommandLine(
        {"--motor-torque", "5", "--friction", "2", "--contact-softness", "0.5", "--trace", "t"});
    EXPECT_DOUBLE_EQ(p.server.physics.motorTorque, 5);
    EXPECT_DOUBLE_EQ(p.server.physics.friction, 2);
    EXPECT_DOUBLE_EQ(p.server.physics.softness, 0.5);
    EXPECT_EQ(p.server.tracePath, "t");
    const std::vector<std::vector<std::string>> bad = {
        {"--port", "70000"},  {"--agents", "23"},          {"--vision-period", "0"}, {"--duration"},
        {"--frobnicate"},     {"--timeout", "1.5"},        {"--forms", "newer"},     {"--forms"},
        {"--friction", "-1"}, {"--contact-softness", "0"}, {"--motor-torque", "x"},
    };
    for (const auto& args : bad) EXPECT_THROW(parseCommandLine(args), OptionError) << args[0];
}

// The usage names the message forms that each world speaks when no --forms is given.
TEST(CommandLine, UsageNamesEachWorldsOwnMessageForms) {
    std::ostringstream log;
    PhysicsWorld physics(log);
    KinematicWorld kinematic;
    const std::string usage = usageText();
    for (const World* world : std::vector<const World*>{&physics, &kinematic}) {
        const char* forms = world->defaultForms() == MessageForms::New ? "new" : "old";
        EXPECT_NE(usage.find(std::string(forms) + " for " + world->name()), std::string::npos)
            << usage;
    }
}
