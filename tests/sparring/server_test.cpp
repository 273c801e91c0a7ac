// The lock-step loop against scripted agents on loopback: the connection protocol, bad
// agents, and commands and events reaching the perception.
#include "sparring/session/server.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>

#include "fake_agent.h"

using namespace sparring;
using sparring_test::FakeAgent;

namespace {

// A server playing its match on a thread of its own.
class RunningServer {
public:
    explicit RunningServer(ServerOptions options) {
        options.svgPath.clear();
        server_ = std::make_unique<Server>(options, log_);
        thread_ = std::thread([this] { played_ = server_->run(); });
    }
    ~RunningServer() {
        if (thread_.joinable()) thread_.join();
    }
    unsigned short port() const { return server_->port(); }
    // Waits for the match to end.
    void join() { thread_.join(); }
    std::string log() const { return log_.str(); }
    std::vector<AgentRecord> records() const { return server_->records(); }
    std::string summary() const { return server_->summary(); }
    bool played() const { return played_; }

private:
    std::ostringstream log_;
    std::unique_ptr<Server> server_;
    std::thread thread_;
    bool played_ = false;
};

ServerOptions shortMatch(int agents, double seconds) {
    ServerOptions o;
    o.port = 0;
    o.agents = agents;
    o.waitSeconds = 10;
    o.replyTimeoutMs = 300;
    o.times.beforeKickOff = 0.1;
    o.times.kickOff = 0.1;
    o.times.goalPause = 0.2;
    o.times.duration = seconds;
    o.world = WorldKind::Kinematic;  // the scripted world these checks are written for
    return o;
}

std::string playMode(const std::string& msg) {
    std::smatch m;
    return std::regex_search(msg, m, std::regex("\\(pm ([A-Za-z_]+)\\)")) ? m[1].str() : "";
}

double jointAngle(const std::string& msg, const std::string& name) {
    std::smatch m;
    std::regex_search(msg, m, std::regex("\\(HJ \\(n " + name + "\\) \\(ax ([-0-9.]+)\\)\\)"));
    return std::stod(m[1]);
}

}  // namespace

TEST(LockStep, HandshakeRefusesAWrongSceneAClashAndAThirdTeam) {
    RunningServer server(shortMatch(2, 0.1));
    FakeAgent left(server.port());
    ASSERT_TRUE(left.join("QEL", 1));
    FakeAgent wrongScene(server.port());
    wrongScene.send("(scene other.rsg)");
    EXPECT_FALSE(wrongScene.receive());
    FakeAgent clash(server.port());
    ASSERT_TRUE(clash.join("QEL", 1));
    EXPECT_FALSE(clash.receive());
    FakeAgent noInit(server.port());
    noInit.send("(scene rsg/agent/nao/nao.rsg)");
    ASSERT_TRUE(noInit.receive());
    noInit.send("(he1 0)");
    EXPECT_FALSE(noInit.receive());
    FakeAgent right(server.port());
    ASSERT_TRUE(right.join("OPP", 1));
    FakeAgent third(server.port());
    ASSERT_TRUE(third.join("THIRD", 2));
    EXPECT_FALSE(third.receive());

    // Lock-step: each message is answered before the next one comes.
    int cycles = 0;
    for (;;) {
        const auto a = left.receive(), b = right.receive();
        if (!a || !b) break;
        EXPECT_NE(a->find("(team left)"), std::string::npos);
        EXPECT_NE(b->find("(team right)"), std::string::npos);
        left.send("");
        right.send("");
        ++cycles;
    }
    server.join();
    EXPECT_TRUE(server.played());
    EXPECT_EQ(cycles, 5 + 3);  // 0.1 s of cycles, then the GameOver messages
    const std::string log = server.log();
    EXPECT_NE(log.find("refused: first frame was not (scene rsg/agent/nao/nao.rsg)"),
              std::string::npos);
    EXPECT_NE(log.find("agent 3 refused: uniform number 1 of team QEL is taken"), std::string::npos)
        << log;
    EXPECT_NE(log.find("refused: the reply to the first message was not an init command"),
              std::string::npos);
    EXPECT_NE(log.find("refused: team THIRD is a third team"), std::string::npos);
}

TEST(LockStep, BadAgentsAreReportedAndTheMatchGoesOn) {
    RunningServer server(shortMatch(4, 1.0));
    FakeAgent good(server.port()), garbage(server.port()), silent(server.port()),
        quitter(server.port());
    ASSERT_TRUE(good.join("QEL", 2));
    ASSERT_TRUE(garbage.join("QEL", 3));
    ASSERT_TRUE(silent.join("QEL", 4));
    ASSERT_TRUE(quitter.join("QEL", 5));
    int goodCycles = 0, garbageCycles = 0;
    std::thread goodThread([&] { goodCycles = good.answerAll("(he1 0)"); });
    std::thread garbageThread([&] { garbageCycles = garbage.answerAll("((he1 (x)) nonsense"); });
    std::thread quitterThread([&] {
        for (int i = 0; i < 10 && quitter.receive(); ++i) quitter.send("");
        quitter.close();
    });
    goodThread.join();
    garbageThread.join();
    quitterThread.join();
    server.join();

    const auto records = server.records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].end, "game over");
    EXPECT_EQ(records[0].cyclesAnswered, goodCycles);
    EXPECT_EQ(goodCycles, 50 + 3);
    EXPECT_EQ(records[0].repliesMalformed, 0);
    EXPECT_EQ(records[1].repliesMalformed, garbageCycles);
    EXPECT_EQ(records[1].end, "game over");
    EXPECT_EQ(records[2].end.rfind("dropped: no reply within 300 ms at t=0.00", 0), 0u)
        << records[2].end;
    EXPECT_EQ(records[3].cyclesAnswered, 10);
    // The close comes with the tenth reply or just after it.
    EXPECT_TRUE(std::regex_match(records[3].end, std::regex("disconnected at t=0\\.(18|20)")))
        << records[3].end;
    const std::string summary = server.summary();
    EXPECT_NE(summary.find("agent 2: team=QEL side=left unum=3 init=yes"), std::string::npos);
    EXPECT_NE(summary.find("end=\"dropped: no reply within 300 ms"), std::string::npos) << summary;
    EXPECT_NE(summary.find("end=\"disconnected at t="), std::string::npos);
    EXPECT_NE(summary.find("problem=\"unfinished command\""), std::string::npos) << summary;
    EXPECT_NE(server.log().find("agent 3 (QEL 4) dropped"), std::string::npos);
    EXPECT_NE(server.log().find("agent 2 (QEL 3) sent a malformed reply at t=0.00"),
              std::string::npos)
        << server.log();
}

TEST(LockStep, CommandsAndScriptedEventsReachThePerception) {
    ServerOptions o = shortMatch(1, 1.0);
    o.events = {Event{0.3, Event::Kind::Fall, Side::Left, 2, Posture::OnBack, 0.2},
                Event{0.6, Event::Kind::Goal, Side::Left}};
    RunningServer server(o);
    FakeAgent agent(server.port());
    ASSERT_TRUE(agent.join("QEL", 2));
    std::vector<std::string> msgs;
    for (auto m = agent.receive(); m; m = agent.receive()) {
        msgs.push_back(*m);
        // Turn the head at 1 rad/s throughout; beam whenever allowed or not.
        agent.send(msgs.size() == 1 ? "(he1 1)(beam -1 2 0)" : "(beam -1 2 0)");
    }
    server.join();
    ASSERT_EQ(msgs.size(), 53u);
    // One cycle at 1 rad/s moves the joint by 1.15 degrees.
    EXPECT_NEAR(jointAngle(msgs[1], "hj1"), 1.15, 0.01);
    EXPECT_NEAR(jointAngle(msgs[11], "hj1"), 12.61, 0.01);
    EXPECT_EQ(playMode(msgs[0]), "BeforeKickOff");
    EXPECT_EQ(playMode(msgs[5]), "KickOff_Left");
    EXPECT_EQ(playMode(msgs[10]), "PlayOn");
    EXPECT_NE(msgs[14].find("(f 0.00 0.00 22.60)"), std::string::npos);
    EXPECT_NE(msgs[15].find("(f 0.00 0.00 0.00)"), std::string::npos);   // fell at 0.3 s
    EXPECT_NE(msgs[26].find("(f 0.00 0.00 22.60)"), std::string::npos);  // up after 0.2 s
    EXPECT_EQ(playMode(msgs[30]), "Goal_Left");
    EXPECT_EQ(playMode(msgs[40]), "KickOff_Right");
    EXPECT_EQ(playMode(msgs[50]), "GameOver");
    const AgentRecord r = server.records()[0];
    EXPECT_EQ(r.falls, 1);
    EXPECT_EQ(r.beams, 5 + 10);  // BeforeKickOff and Goal_Left cycles
    EXPECT_EQ(r.beamsRefused, 53 - 15);
    EXPECT_DOUBLE_EQ(r.lastBeam->x, -1);
}

TEST(LockStep, AgentAnnouncingAHugeReplyIsDroppedBeforeItFillsTheMemory) {
    RunningServer server(shortMatch(2, 0.2));
    FakeAgent good(server.port()), flooder(server.port());
    ASSERT_TRUE(good.join("QEL", 2));
    ASSERT_TRUE(flooder.join("QEL", 3));
    std::thread goodThread([&] { good.answerAll(""); });
    ASSERT_TRUE(flooder.receive());
    // The length alone gives it away: the text need not arrive.
    flooder.send(std::string(kMaxReplyBytes + 1, '('));
    goodThread.join();
    server.join();
    EXPECT_EQ(server.records()[1].end, "reply longer than 65536 bytes");
    EXPECT_EQ(server.records()[0].end, "game over") << server.log();
}

TEST(SyncMode, TheNextMessageWaitsForTheSynOfAReplyThatMayComeInSeveralFrames) {
    ServerOptions o = shortMatch(2, 0.2);
    o.sync = true;
    o.replyTimeoutMs = 2000;
    RunningServer server(o);
    FakeAgent split(server.port()), prompt(server.port());
    ASSERT_TRUE(split.join("QEL", 2, "(syn)"));
    // An init and its (syn) in two frames.
    ASSERT_TRUE(prompt.join("QEL", 3));
    prompt.send("(syn)");
    std::thread promptThread([&] { prompt.answerAll("(he1 0)(syn)"); });
    std::vector<std::string> msgs;
    for (auto m = split.receive(); m; m = split.receive()) {
        msgs.push_back(*m);
        split.send("(he1 1)");
        // Nothing comes before the (syn), however long it takes.
        if (msgs.size() == 1) {
            EXPECT_FALSE(split.receive(300));
        }
        split.send("(beam -1 2 0)(syn)");
    }
    promptThread.join();
    server.join();
    ASSERT_EQ(msgs.size(), 10u + 3);
    EXPECT_NEAR(jointAngle(msgs[1], "hj1"), 1.15, 0.01);  // the first frame's command
    const auto records = server.records();
    for (const AgentRecord& r : records) {
        EXPECT_EQ(r.end, "game over");
        EXPECT_EQ(r.cyclesAnswered, 13);
        EXPECT_EQ(r.cyclesSynced, 13);
        EXPECT_EQ(r.repliesMalformed, 0) << r.firstProblem;
    }
    EXPECT_EQ(records[0].beams, 5);  // the BeforeKickOff cycles
    // The 0.3 s wait above; a poll may return a millisecond or two early.
    EXPECT_GE(quantile(records[0].latencies, 1.0), 0.29);
    EXPECT_NE(server.summary().find("answered=13/13 syn=13"), std::string::npos);
}

TEST(SyncMode, AgentsThatNeverSendSynAreDroppedByTheTimeOut) {
    ServerOptions o = shortMatch(2, 0.2);
    o.sync = true;
    RunningServer server(o);
    FakeAgent good(server.port()), plain(server.port()), plainInit(server.port());
    ASSERT_TRUE(good.join("QEL", 2, "(syn)"));
    ASSERT_TRUE(plain.join("QEL", 3, "(syn)"));
    ASSERT_TRUE(plainInit.join("QEL", 4));
    std::thread goodThread([&] { good.answerAll("(syn)"); });
    const int plainCycles = plain.answerAll("(he1 0)");
    EXPECT_FALSE(plainInit.receive());
    goodThread.join();
    server.join();
    const auto records = server.records();
    EXPECT_EQ(records[0].end, "game over");
    EXPECT_EQ(plainCycles, 1);
    EXPECT_EQ(records[1].end, "dropped: no (syn) within 300 ms at t=0.00");
    EXPECT_EQ(records[1].cyclesAnswered, 0);
    EXPECT_EQ(records[2].end, "dropped: no (syn) within 300 ms at t=0.00");
    EXPECT_FALSE(records[2].initialised);
}

TEST(LockStep, PushKnocksAStandingRobotOverInThePhysicalWorldAndTheSummaryCountsTheFall) {
    ServerOptions o = shortMatch(2, 4.0);
    o.world = WorldKind::Physics;
    std::istringstream scenario(
        "1.0 push left 2 1.0 0   # too weak to topple it\n"
        "1.0 push left 3 -4.0 0  # knocks it on its back\n");
    o.events = readScenario(scenario);
    RunningServer server(o);
    FakeAgent steady(server.port()), toppled(server.port());
    ASSERT_TRUE(steady.join("QEL", 2));
    ASSERT_TRUE(toppled.join("QEL", 3));
    std::thread steadyThread([&] { steady.answerAll(""); });
    toppled.answerAll("");
    steadyThread.join();
    server.join();
    const std::vector<AgentRecord> records = server.records();
    ASSERT_EQ(records.size(), 2u);
    ASSERT_TRUE(records[0].down && records[1].down);
    EXPECT_EQ(records[0].falls, 0);
    EXPECT_EQ(records[1].falls, 1) << server.log();
    EXPECT_EQ(records[1].down->stood, 0);
    // Down within a second of the push, and down to the end.
    EXPECT_GT(records[1].down->downSeconds, 2.0);
    EXPECT_NE(server.log().find("agent 2 (QEL 3) is pushed with (-4.00, 0.00) N s at t=1.00"),
              std::string::npos)
        << server.log();
    const std::string summary = server.summary();
    EXPECT_NE(summary.find("world=physics cpu_s="), std::string::npos) << summary;
    EXPECT_NE(summary.find("unum=3 init=yes"), std::string::npos);
    EXPECT_NE(summary.find("falls=1 stood=0 down_s="), std::string::npos) << summary;
}

// The referee's decisions reach the wire, the log and the summary: the ball put over the
// touch line after the left robot's touch is the right side's kick-in, and put into the
// right goal during it the left robot's goal.
TEST(LockStep, BallOutOfPlayGivesTheSetPlayOnTheWireAndAGoalToTheLastToucher) {
    ServerOptions o = shortMatch(1, 1.2);
    auto event = [](double t, Event::Kind kind, double x, double y) {
        Event e{t, kind, Side::Left, 7};
        e.x = x;
        e.y = y;
        return e;
    };
    o.events = {event(0.4, Event::Kind::Ball, 2, 1), event(0.4, Event::Kind::Place, 2, 1),
                event(0.5, Event::Kind::Place, 0, -2), event(0.6, Event::Kind::Ball, 2, 4.1),
                event(0.8, Event::Kind::Ball, 6.1, 0.3)};
    RunningServer server(o);
    FakeAgent agent(server.port());
    ASSERT_TRUE(agent.join("QEL", 7));
    std::vector<std::string> modes;
    for (auto m = agent.receive(); m; m = agent.receive()) {
        modes.push_back(playMode(*m));
        agent.send("(beam -3 0 0)");
    }
    server.join();
    ASSERT_GE(modes.size(), 45u);
    EXPECT_EQ(modes[29], "PlayOn");
    EXPECT_EQ(modes[30], "KickIn_Right");  // the message of 0.6 s
    EXPECT_EQ(modes[39], "KickIn_Right");
    EXPECT_EQ(modes[40], "Goal_Left");
    EXPECT_NE(server.log().find("sparring: KickIn_Right at t=0.60, the ball at (2.00, 4.00)"),
              std::string::npos)
        << server.log();
    EXPECT_NE(server.log().find("sparring: goal for left by left 7 at t=0.80"), std::string::npos);
    const std::string summary = server.summary();
    EXPECT_NE(summary.find(" kicks=0 goals=1 "), std::string::npos) << summary;
    EXPECT_NE(summary.find("team left: name=QEL goals=1 possession=1.000\n"), std::string::npos)
        << summary;
    EXPECT_EQ(summary.find("team right"), std::string::npos) << "no right team came";
}
