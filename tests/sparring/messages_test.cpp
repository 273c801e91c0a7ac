// The two directions of the wire: perception messages the server writes and agent
// replies it reads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <regex>

#include "sparring/protocol/perception.h"
#include "sparring/protocol/reply.h"
#include "sparring/world/kinematic/kinematic_world.h"
#include "text_count.h"

using namespace sparring;

namespace {

// The (pol ...) reading of a named object, or empty.
std::string reading(const std::string& msg, const std::string& name) {
    std::smatch m;
    if (!std::regex_search(msg, m, std::regex("\\(" + name + " \\(pol ([^)]*)\\)\\)"))) return "";
    return m[1];
}

GameView at(double now, long cycle) {
    GameView g;
    g.now = now;
    g.gameTime = 0;
    g.mode = PlayMode::BeforeKickOff;
    g.cycle = cycle;
    return g;
}

}  // namespace

TEST(Perception, MessageCarriesEveryPerceptor) {
    KinematicWorld world;
    Robot& me = world.addRobot(Side::Right, 4, "QEL");
    PerceptionWriter writer{VisionOptions{}};
    const std::string msg = writer.write(world, me, at(1.5, 0), {});
    EXPECT_EQ(
        msg.rfind("(time (now 1.50))(GS (unum 4) (team right) (t 0.00) (pm BeforeKickOff))", 0), 0u)
        << msg;
    EXPECT_EQ(count(msg, "(HJ (n "), 22);
    EXPECT_NE(msg.find("(HJ (n raj4) (ax 0.00))"), std::string::npos);
    EXPECT_NE(msg.find("(GYR (n torso) (rt 0.00 0.00 0.00))"), std::string::npos);
    EXPECT_NE(msg.find("(FRP (n lf) (c 0.00 0.00 -0.01) (f 0.00 0.00 22.60))"), std::string::npos);
    EXPECT_NE(msg.find("(TCH (name rf) (val 1))"), std::string::npos);
    EXPECT_EQ(count(msg, "(See"), 1);
    EXPECT_EQ(writer.first(at(0, 0)), "(time (now 0.00))(GS (t 0.00) (pm BeforeKickOff))");
}

TEST(Perception, LyingRobotsFeetCarryNothing) {
    KinematicWorld world;
    Robot& me = world.addRobot(Side::Left, 4, "QEL");
    me.fall(Posture::OnBack, 0, 5);
    PerceptionWriter writer{VisionOptions{}};
    const std::string msg = writer.write(world, me, at(0, 0), {});
    EXPECT_EQ(count(msg, "(f 0.00 0.00 0.00)"), 2);
    EXPECT_EQ(count(msg, "(val 0)"), 2);
}

TEST(Perception, ViewConeDecidesWhatIsSeen) {
    KinematicWorld world;
    Robot& me = world.addRobot(Side::Left, 2, "QEL");
    Robot& mate = world.addRobot(Side::Left, 3, "QEL");
    Robot& behind = world.addRobot(Side::Right, 5, "OPP");
    me.place(0, 0, 0);
    mate.place(2, 1, 180);
    behind.place(-2, 0, 0);
    world.placeBall(-1, 0);
    PerceptionWriter cone{VisionOptions{}};
    const std::string msg = cone.write(world, me, at(0, 0), {});
    for (const char* seen : {"F1R", "F2R", "G1R", "G2R"}) {
        EXPECT_NE(reading(msg, seen), "") << seen;
    }
    for (const char* unseen : {"F1L", "F2L", "G1L", "G2L", "B"}) {
        EXPECT_EQ(reading(msg, unseen), "") << unseen;
    }
    EXPECT_NE(msg.find("(P (team QEL) (id 3) (pol 2.24 26.57 0.00))"), std::string::npos) << msg;
    EXPECT_EQ(msg.find("(id 5)"), std::string::npos);
    // F1R lies 6 m ahead and 4 m to the left, 0.55 m below the camera.
    EXPECT_EQ(reading(msg, "F1R"), "7.23 33.69 -4.36");

    VisionOptions all;
    all.full = true;
    PerceptionWriter full{all};
    const std::string everything = full.write(world, me, at(0, 0), {});
    EXPECT_EQ(reading(everything, "B"), "1.12 180.00 -26.93");
    EXPECT_EQ(count(everything, "(pol "), 8 + 1 + 2);
}

TEST(Perception, VisionComesEveryPeriodthCycleAndNoiseFollowsTheSeed) {
    KinematicWorld world;
    Robot& me = world.addRobot(Side::Left, 2, "QEL");
    me.place(0, 0, 0);
    VisionOptions o;
    o.period = 3;
    PerceptionWriter writer{o};
    for (long cycle = 0; cycle < 6; ++cycle) {
        const bool vision =
            writer.write(world, me, at(0, cycle), {}).find("(See") != std::string::npos;
        EXPECT_EQ(vision, cycle % 3 == 0) << cycle;
    }
    o.period = 1;
    o.angleNoise = 1;
    o.distanceNoise = 0.01;
    PerceptionWriter a{o}, b{o}, quiet{VisionOptions{}};
    const std::string noisy = a.write(world, me, at(0, 0), {});
    EXPECT_EQ(noisy, b.write(world, me, at(0, 0), {}));
    EXPECT_NE(noisy, quiet.write(world, me, at(0, 0), {}));
}

TEST(Perception, OthersHearASayWithItsDirectionOnePerTeamAndCycle) {
    KinematicWorld world;
    Robot& speaker = world.addRobot(Side::Left, 2, "QEL");
    Robot& listener = world.addRobot(Side::Right, 3, "OPP");
    speaker.place(0, 2, 0);
    listener.place(0, 0, 0);
    PerceptionWriter writer{VisionOptions{}};
    const std::vector<Utterance> said{{&speaker, "hello"}};
    EXPECT_NE(writer.write(world, listener, at(3, 0), said).find("(hear 3.00 90.00 hello)"),
              std::string::npos);
    EXPECT_EQ(writer.write(world, speaker, at(3, 0), said).find("(hear"), std::string::npos);

    // One message of each team per cycle: the first said.
    Robot& mate = world.addRobot(Side::Left, 4, "QEL");
    const std::vector<Utterance> chatter{
        {&speaker, "first"}, {&mate, "second"}, {&listener, "own"}};
    Robot& third = world.addRobot(Side::Right, 6, "OPP");
    const std::string msg = writer.write(world, third, at(3, 0), chatter);
    EXPECT_NE(msg.find(" first)"), std::string::npos);
    EXPECT_EQ(msg.find(" second)"), std::string::npos);
    EXPECT_NE(msg.find(" own)"), std::string::npos);
}

TEST(Perception, NewerFormsCarryTheScoreTheSpeakersTeamAndPlayersByTheirPartsInView) {
    KinematicWorld world;
    Robot& me = world.addRobot(Side::Right, 4, "QEL");
    me.place(0, 0, 0);
    // Through a 60-degree cone: a robot ahead shows all five parts, one at the edge of the
    // cone (its head 31 degrees off) only its left lower arm, one behind nothing.
    world.addRobot(Side::Right, 5, "QEL").place(3, 0, 0);
    world.addRobot(Side::Left, 2, "OPP").place(2, -1.2, 0);
    world.addRobot(Side::Left, 3, "OPP").place(-2, 0, 0);
    VisionOptions narrow;
    narrow.viewAngle = 60;
    PerceptionWriter writer{narrow, MessageForms::New};
    GameView game = at(1.5, 0);
    game.scoreLeft = 2;
    game.scoreRight = 1;
    const std::vector<Utterance> said{{world.find(Side::Right, 5), "hello"}, {&me, "mine"}};
    const std::string first = writer.write(world, me, game, said, true);
    EXPECT_EQ(first.rfind("(time (now 1.50))(GS (unum 4) (team right) (sl 2) (sr 1) (t 0.00) "
                          "(pm BeforeKickOff))",
                          0),
              0u)
        << first;
    const std::string msg = writer.write(world, me, game, said);
    EXPECT_EQ(msg.rfind("(time (now 1.50))(GS (sl 2) (sr 1) (t 0.00) (pm BeforeKickOff))", 0), 0u)
        << msg;
    EXPECT_NE(msg.find("(ACC (n torso) (a 0.00 0.00 9.81))"), std::string::npos);
    EXPECT_EQ(count(msg, "(FRP (n "), 2);
    EXPECT_EQ(msg.find("(TCH"), std::string::npos);
    EXPECT_NE(msg.find("(hear QEL 1.50 0.00 hello)(hear QEL 1.50 self mine)"), std::string::npos);

    std::smatch p;
    ASSERT_TRUE(
        std::regex_search(msg, p, std::regex("\\(P \\(team QEL\\) \\(id 5\\)(.*?\\)\\))\\)")));
    EXPECT_TRUE(std::regex_match(p[1].str(), std::regex(" \\(head \\(pol [^)]*\\)\\) \\(rlowerarm "
                                                        "\\(pol [^)]*\\)\\) \\(llowerarm \\(pol "
                                                        "[^)]*\\)\\) \\(rfoot \\(pol [^)]*\\)\\) "
                                                        "\\(lfoot \\(pol [^)]*\\)\\)")))
        << p[1];
    EXPECT_EQ(reading(msg, "head"), "3.00 0.00 0.00") << msg;
    ASSERT_TRUE(
        std::regex_search(msg, p, std::regex("\\(P \\(team OPP\\) \\(id 2\\)(.*?\\)\\))\\)")));
    EXPECT_TRUE(std::regex_match(p[1].str(), std::regex(" \\(llowerarm \\(pol [^)]*\\)\\)")))
        << p[1];
    EXPECT_EQ(msg.find("(id 3)"), std::string::npos);

    // The older forms of the same scene.
    PerceptionWriter older{narrow};
    const std::string old = older.write(world, me, game, said);
    EXPECT_NE(old.find("(GS (unum 4) (team right) (t 0.00)"), std::string::npos);
    EXPECT_NE(old.find("(P (team QEL) (id 5) (pol 3.00 0.00 0.00))"), std::string::npos) << old;
    EXPECT_EQ(old.find("(id 2)"), std::string::npos);
    EXPECT_NE(old.find("(hear 1.50 0.00 hello)"), std::string::npos);
    EXPECT_EQ(count(old, "(hear"), 1);
    EXPECT_EQ(writer.first(game),
              "(time (now 1.50))(GS (sl 2) (sr 1) (t 0.00) (pm BeforeKickOff))");
}

TEST(Perception, FullFieldWithFullVisionFitsTheAgentsFrameLimit) {
    KinematicWorld world;
    for (int unum = 1; unum <= 11; ++unum) {
        world.addRobot(Side::Left, unum, "LONGTEAMNAME").place(-unum * 0.5, 3, 0);
        world.addRobot(Side::Right, unum, "OTHERTEAMNAM").place(unum * 0.5, -3, 0);
    }
    VisionOptions all;
    all.full = true;
    for (MessageForms forms : {MessageForms::Old, MessageForms::New}) {
        PerceptionWriter writer{all, forms};
        const std::string msg = writer.write(world, *world.robots()[0], at(1234.56, 0), {}, true);
        EXPECT_LE(msg.size(), 6000u);
    }
}

TEST(Perception, NumbersAreWrittenAsPrintfWritesTheirHundredths) {
    const double values[] = {0,       -0.0,     0.004,  -0.004,  0.005,     -0.005, 0.015,
                             1.005,   -1.005,   2.675,  9.81,    -9.81,     22.6,   0.125,
                             -0.125,  123.455,  -90.0,  6.14,    -1e-300,   1e15,   -3.7e14,
                             1e300,   -1e308,   0.994999, 99.999, -99.995,  179.999};
    for (double v : values) {
        char expected[400];
        const double rounded = std::round(v * 100.0) / 100.0;
        std::snprintf(expected, sizeof expected, "%.2f", rounded == 0 ? 0.0 : rounded);
        std::string written;
        appendNumber(written, v);
        EXPECT_EQ(written, expected) << v;
    }
    std::string special;
    appendNumber(special, std::numeric_limits<double>::infinity());
    EXPECT_EQ(special, "inf");
}

TEST(Reply, CommandsAreReadAndBadItemsCounted) {
    struct Case {
        std::string text;
        std::size_t joints;
        bool beam, say, init, scene;
        int bad;
    } cases[] = {
        {"", 0, false, false, false, false, 0},
        {"(he1 0)(he2 -3)(rae4 1.5e-1)", 3, false, false, false, false, 0},
        {"(beam -3 1.5 0)", 0, true, false, false, false, 0},
        {"(say hello)(lle4 2)", 1, false, true, false, false, 0},
        {"(init (unum 7)(teamname QEL))", 0, false, false, true, false, 0},
        {"(scene rsg/agent/nao/nao.rsg)", 0, false, false, false, true, 0},
        {"(he1 nan)(he2 inf)(he3 1)(he1)(he1 1 2)(he1 x)", 0, false, false, false, false, 6},
        {"(beam 1 2)(say two words)(say (x))(init (unum 7))(kick 3)", 0, false, false, false, false,
         5},
        {"garbage", 0, false, false, false, false, 1},
        {"(he1 1))(he2 1)", 0, false, false, false, false, 1},
        {"(he1 1)" + std::string(9, '(') + std::string(9, ')'), 0, false, false, false, false, 1},
        {"(he1 1)(he2", 1, false, false, false, false, 1},
        {std::string("(he1 1)\0(he2 1)", 15), 1, false, false, false, false, 1},
    };
    for (const Case& c : cases) {
        const Reply r = readReply(c.text);
        EXPECT_EQ(r.joints.size(), c.joints) << c.text;
        EXPECT_EQ(r.beam.has_value(), c.beam) << c.text;
        EXPECT_EQ(r.say.has_value(), c.say) << c.text;
        EXPECT_EQ(r.init.has_value(), c.init) << c.text;
        EXPECT_EQ(r.scene.has_value(), c.scene) << c.text;
        EXPECT_EQ(r.bad, c.bad) << c.text << " " << r.firstProblem;
    }
}

TEST(Reply, ValuesAreTakenAsSent) {
    const Reply r = readReply("(he2 -3)(beam -3 1.5 90)(init (teamname QEL)(unum 7))(say hi)");
    ASSERT_EQ(r.joints.size(), 1u);
    EXPECT_EQ(r.joints[0].joint, 1);
    EXPECT_DOUBLE_EQ(r.joints[0].speed, -3);
    EXPECT_DOUBLE_EQ(r.beam->x, -3);
    EXPECT_DOUBLE_EQ(r.beam->y, 1.5);
    EXPECT_DOUBLE_EQ(r.beam->rotDegrees, 90);
    EXPECT_EQ(r.init->unum, 7);
    EXPECT_EQ(r.init->team, "QEL");
    EXPECT_EQ(*r.say, "hi");
}

TEST(Reply, SynEndsAReplyAndFramesOfOneCycleAddUp) {
    const Reply ended = readReply("(he1 0)(syn)");
    EXPECT_TRUE(ended.syn);
    EXPECT_EQ(ended.bad, 0);
    const Reply wrong = readReply("(syn 1)");
    EXPECT_FALSE(wrong.syn);
    EXPECT_EQ(wrong.bad, 1);

    Reply r = readReply("(he1 1)(say a)(kick)");
    appendReply(r, readReply("(he2 2)(beam 1 2 3)(say b)(jump)(syn)"));
    ASSERT_EQ(r.joints.size(), 2u);
    EXPECT_EQ(r.joints[0].joint, 0);
    EXPECT_EQ(r.joints[1].joint, 1);
    EXPECT_DOUBLE_EQ(r.beam->rotDegrees, 3);
    EXPECT_EQ(*r.say, "b");  // the later one
    EXPECT_TRUE(r.syn);
    EXPECT_EQ(r.bad, 2);
    EXPECT_EQ(r.firstProblem, "unknown or malformed command \"kick\"");
    Reply clean;
    appendReply(clean, readReply("(jump)"));
    EXPECT_EQ(clean.firstProblem, "unknown or malformed command \"jump\"");
}
