// The replay page of a real match opened in headless Chromium: three real agents and a
// scripted right-side robot play, the server records, and the page is read back from its
// own elements and from screenshots; cut or empty recordings say so on the page.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

#include "fake_agent.h"
#include "sparring/match/formation.h"
#include "sparring/match/official.h"
#include "sparring/report/replay_recorder.h"
#include "sparring/world/kinematic/kinematic_world.h"
#include "tests/support/agent_process.h"
#include "tests/support/browser.h"
#include "tests/support/png_image.h"

using halyx_test::AgentProcess;
using halyx_test::Attributes;
using halyx_test::Browser;
using halyx_test::TempDir;

namespace {

constexpr double kMetres = 0.002;  // positions on the page are in millimetre steps
const std::string kTeamDir = std::string(HALYX_SOURCE_DIR) + "/team";
// Left 5 falls at 5 s and stands by 7 s at the latest; left 2 is moved at 6 s; left 1
// is pushed at 7.5 s (which moves nothing in the kinematic world).
const char* const kScenario =
    "3.0 ball 1.5 -2\n"
    "5.0 fall left 5 back 2\n"
    "6.0 place left 2 -1 2 45\n"
    "7.5 push left 1 0.5 0\n";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string waitForPort(const std::string& file, const AgentProcess& server) {
    for (int i = 0; i < 500; ++i) {
        std::ifstream in(file);
        std::string port;
        if (in >> port) return port;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    throw std::runtime_error("sparring did not start: " + server.errors());
}

// Plays a recorded match with `agents` (real agents' numbers) and, when `opponent`, a
// right-side robot 4 that beams to (-2, 1) in its own frame every cycle. Returns the
// server's log; the page is written to `page`.
std::string playRecorded(const TempDir& dir, const std::string& page, std::vector<int> agents,
                         bool opponent, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {
        "--port",      "0",
        "--port-file", dir.path() + "/port",
        "--svg",       "",
        "--formation", kTeamDir + "/formation.conf",
        "--scenario",  dir.write("scenario.txt", kScenario),
        "--replay",    page,
        "--duration",  "10",
        "--agents",    std::to_string(agents.size() + (opponent ? 1 : 0)),
        "--timeout",   "5000",
        // The scripted fall ends by the kinematic world's lying time, at a known moment.
        "--world",     "kinematic"};
    args.insert(args.end(), extra.begin(), extra.end());
    AgentProcess server(SPARRING_BIN, args, dir.path());
    if (agents.empty() && !opponent) {
        server.waitExit(60000);
        return server.errors();
    }
    const unsigned short port =
        static_cast<unsigned short>(std::stoi(waitForPort(dir.path() + "/port", server)));
    std::vector<std::unique_ptr<AgentProcess>> team;
    for (int unum : agents) {
        team.push_back(
            std::make_unique<AgentProcess>(HALYX_BIN,
                                           std::vector<std::string>{"--port", std::to_string(port),
                                                                    "--unum", std::to_string(unum)},
                                           kTeamDir));
    }
    std::thread right;
    if (opponent) {
        // The first team to join plays left: the opponent waits for the real agents.
        auto joined = [&] {
            const std::string log = server.errors();
            std::size_t n = 0;
            for (auto at = log.find(" is QEL "); at != std::string::npos;
                 at = log.find(" is QEL ", at + 1)) {
                ++n;
            }
            return n;
        };
        for (int i = 0; i < 1000 && joined() < agents.size(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        right = std::thread([port] {
            sparring_test::FakeAgent agent(port);
            if (agent.join("OPP", 4)) agent.answerAll("(beam -2 1 0)");
        });
    }
    const auto status = server.waitExit(120000);
    if (right.joinable()) right.join();
    if (status != 0) throw std::runtime_error("the match failed: " + server.errors());
    return server.errors();
}

// Where a robot should stand at a moment: metres, server frame.
struct Expected {
    double x, y;
    bool down;
};

// The match is played and recorded once for every test of the suite.
class ReplayPage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir();
        page_ = dir_->path() + "/replay.html";
        try {
            log_ = playRecorded(*dir_, page_, {1, 2, 5}, true);
        } catch (const std::exception& e) {
            log_ = e.what();
        }
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override {
        if (Browser::find().empty())
            GTEST_SKIP() << "chromium is not installed (./test installs it)";
        ASSERT_TRUE(std::filesystem::exists(page_)) << log_;
    }

    static std::map<std::string, Attributes> robots(const std::string& dom) {
        std::map<std::string, Attributes> out;
        for (const Attributes& r : halyx_test::elementsWithClass(dom, "robot")) {
            out[r.at("data-team") + " " + r.at("data-unum")] = r;
        }
        return out;
    }

    static TempDir* dir_;
    static std::string page_;
    static std::string log_;
    Browser browser_{Browser::find()};
};

TempDir* ReplayPage::dir_ = nullptr;
std::string ReplayPage::page_;
std::string ReplayPage::log_;

// The three moments: before the fall, while left 5 lies, after it stood and left 2 moved.
struct Moment {
    const char* fragment;
    const char* clock;
    std::map<std::string, Expected> robots;
};

std::vector<Moment> moments() {
    const auto spots = sparring::readFormationSpots(kTeamDir + "/formation.conf");
    auto spot = [&](int unum, bool down = false) {
        return Expected{spots.at(unum).x, spots.at(unum).y, down};
    };
    const Expected right4{2, -1, false};
    return {
        {"t=4",
         "4.00 s",
         {{"left 1", spot(1)}, {"left 2", spot(2)}, {"left 5", spot(5)}, {"right 4", right4}}},
        {"t=5.5&unum=5",
         "5.50 s",
         {{"left 1", spot(1)},
          {"left 2", spot(2)},
          {"left 5", spot(5, true)},
          {"right 4", right4}}},
        {"t=9&unum=5",
         "9.00 s",
         {{"left 1", spot(1)},
          {"left 2", {-1, 2, false}},
          {"left 5", spot(5)},
          {"right 4", right4}}},
    };
}

}  // namespace

TEST_F(ReplayPage, EveryRobotTheBallAndTheClockShowTheRecordedMoment) {
    for (const Moment& m : moments()) {
        SCOPED_TRACE(m.fragment);
        const std::string dom = browser_.dumpDom(page_, m.fragment);
        std::string text;
        halyx_test::elementWithId(dom, "message", &text);
        EXPECT_EQ(text, "") << "the page reports a problem";
        halyx_test::elementWithId(dom, "clock", &text);
        EXPECT_EQ(text, m.clock);
        const auto shown = robots(dom);
        ASSERT_EQ(shown.size(), m.robots.size()) << dom.substr(0, 2000);
        for (const auto& [who, want] : m.robots) {
            ASSERT_EQ(shown.count(who), 1u) << who;
            const Attributes& r = shown.at(who);
            EXPECT_NEAR(std::stod(r.at("data-x")), want.x, kMetres) << who;
            EXPECT_NEAR(std::stod(r.at("data-y")), want.y, kMetres) << who;
            EXPECT_EQ(r.at("data-down"), want.down ? "1" : "0") << who;
        }
        const auto ball = halyx_test::elementsWithClass(dom, "ball");
        ASSERT_EQ(ball.size(), 1u);
        EXPECT_NEAR(std::stod(ball[0].at("data-x")), 1.5, kMetres);
        EXPECT_NEAR(std::stod(ball[0].at("data-y")), -2, kMetres);
    }
}

TEST_F(ReplayPage, ChosenRobotIsDrawnInBothBodyViewsWithAllItsPoints) {
    const std::string dom = browser_.dumpDom(page_, "t=5.5&unum=5");
    for (const char* view : {"side-view", "front-view"}) {
        const Attributes a = halyx_test::elementWithId(dom, view, nullptr);
        EXPECT_EQ(a.count("data-unum") ? a.at("data-unum") : "", "5") << view;
        EXPECT_EQ(a.count("data-team") ? a.at("data-team") : "", "left") << view;
    }
    EXPECT_EQ(halyx_test::elementsWithClass(dom, "point").size(), 2u * 23);
    const auto selected = halyx_test::elementsWithClass(dom, "selected");
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0].at("data-unum"), "5");
}

TEST_F(ReplayPage, TimelineMarksFallsGetUpsBeamsAndEveryScriptedEventAsItsOwnKind) {
    const std::string dom = browser_.dumpDom(page_, "t=0");
    std::map<std::string, std::vector<double>> times;  // by kind and robot
    for (const Attributes& m : halyx_test::elementsWithClass(dom, "mark")) {
        const std::string who =
            m.count("data-unum") ? m.at("data-team") + " " + m.at("data-unum") : "";
        times[m.at("data-kind") + " " + who].push_back(std::stod(m.at("data-t")));
    }
    ASSERT_EQ(times["fall left 5"].size(), 1u);
    EXPECT_DOUBLE_EQ(times["fall left 5"][0], 5.0);
    ASSERT_EQ(times["get-up left 5"].size(), 1u);
    EXPECT_GT(times["get-up left 5"][0], 5.0);
    EXPECT_LE(times["get-up left 5"][0], 7.0);
    for (const char* who : {"left 1", "left 2", "left 5", "right 4"}) {
        // Beamed once to its spot; beams that leave a robot where it stands are no marks.
        EXPECT_EQ(times[std::string("beam ") + who].size(), 1u) << who;
    }
    EXPECT_EQ(times.count("fall left 2") + times.count("get-up left 1"), 0u);
    // The scenario's push, placement of a robot and placement of the ball, each once at
    // its time; a placement is no beam.
    const std::map<std::string, double> scripted = {
        {"ball ", 3.0}, {"place left 2", 6.0}, {"push left 1", 7.5}};
    for (const auto& [what, t] : scripted) {
        ASSERT_EQ(times[what].size(), 1u) << what;
        EXPECT_DOUBLE_EQ(times[what][0], t) << what;
    }
    EXPECT_EQ(times.size(), 4u + 2u + scripted.size()) << "beams, fall, get-up, scripted";
}

TEST_F(ReplayPage, ScreenshotOfEachMomentShowsTheFieldBothTeamsAndTheBall) {
    constexpr int kTolerance = 8;  // per colour channel
    for (const Moment& m : moments()) {
        SCOPED_TRACE(m.fragment);
        const std::string png = dir_->path() + "/shot.png";
        std::filesystem::remove(png);
        browser_.screenshot(page_, m.fragment, png, 1000, 620);
        const auto image = halyx_test::PngImage::read(png);
        EXPECT_EQ(image.width, 1000);
        EXPECT_GT(image.colours(), 50u) << "a nearly uniform picture";
        EXPECT_GT(image.shareOf(0x2e7d32, kTolerance), 0.3) << "the field";
        EXPECT_GT(image.shareOf(0x1565c0, kTolerance), 0.001) << "the left team";
        EXPECT_GT(image.shareOf(0xc62828, kTolerance), 0.0003) << "the right team";
    }
}

// A replay page damaged or without a match, and what it must say.
struct BadPage {
    const char* name;
    std::function<std::string(const std::string& page, std::size_t dataStart)> make;
    const char* says;
};

TEST_F(ReplayPage, CutOrEmptyRecordingsOpenWithAMessageThatSaysSo) {
    const std::vector<BadPage> cases = {
        {"cut inside the recording",
         [](const std::string& p, std::size_t at) { return p.substr(0, at + (p.size() - at) / 2); },
         "The recording is cut short: it ends at t = "},
        {"cut before the first frame",
         [](const std::string& p, std::size_t at) { return p.substr(0, at + 12); },
         "The recording is empty or cut short before its first frame"},
        {"cut inside the page's script",
         [](const std::string& p, std::size_t) { return p.substr(0, p.find("function render()")); },
         "the page's script could not run: the file is damaged or cut short"},
        {"a match without agents",
         [](const std::string&, std::size_t) {
             TempDir empty;
             const std::string page = empty.path() + "/replay.html";
             playRecorded(empty, page, {}, false, {"--wait", "0.1"});
             return readFile(page);
         },
         "This recording holds no frame: no agent played in this match."},
    };
    const std::string page = readFile(page_);
    const std::size_t dataStart = page.find("id=\"replay-data\">");
    ASSERT_NE(dataStart, std::string::npos);
    for (const BadPage& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = dir_->write("bad.html", c.make(page, dataStart + 17));
        const std::string dom = browser_.dumpDom(file, "t=9");
        std::string text;
        halyx_test::elementWithId(dom, "message", &text);
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
    }
}

// The referee's decisions on the timeline: a kick of its robot, a set play named by its
// play mode, and the goal, each once at its time. Recorded from a match of the referee
// and a kinematic world, cycle by cycle as the server plays it; the world's ball is moved
// by hand where a physical one would roll.
TEST(ReplayPageMarks, KicksSetPlaysAndGoalsAreMarkedAtTheirTimes) {
    if (Browser::find().empty()) GTEST_SKIP() << "chromium is not installed (./test installs it)";
    using namespace sparring;
    TempDir dir;
    const std::string page = dir.path() + "/replay.html";
    KinematicWorld world;
    MatchTimes times;
    times.beforeKickOff = 0.2;
    times.kickOff = 0.2;
    times.setPlay = 0.4;
    Referee referee(times);
    MatchOfficial official;
    ReplayRecorder recorder(page, ReplayPlan{4, 1, &designFieldSpec()});
    Robot& robot = world.addRobot(Side::Left, 7, "QEL");
    robot.place(-3, 0, 0);
    // What happens at a cycle: the robot on the ball at 1 s, the ball 1.5 m on at 1.2 s
    // (a kick), over the touch line at 1.6 s (the right side's kick-in, since the left
    // touched it last; given up at 2 s), and into the right goal at 2.4 s after another
    // touch too close to the line to be a kick.
    const std::map<long, std::function<void()>> script = {
        {50, [&] { world.placeBall(-3, 0), robot.place(-3, 0, 0); }},
        {51, [&] { robot.place(-4, 0, 0); }},
        {60, [&] { world.placeBall(-1.5, 0); }},
        {80, [&] { world.placeBall(-1.5, 4.1); }},
        {110, [&] { world.placeBall(5.5, 0.2), robot.place(5.5, 0.2, 0); }},
        {111, [&] { robot.place(4.5, 1, 0); }},
        {120, [&] { world.placeBall(6.1, 0.2); }},
    };
    for (long cycle = 0; cycle <= 200; ++cycle) {
        const double now = cycle * kCycleSeconds;
        recorder.record(world, {cycle, playModeName(referee.mode()), referee.score(Side::Left),
                                referee.score(Side::Right)});
        world.step(kCycleSeconds);
        referee.update(now + kCycleSeconds);
        if (script.count(cycle + 1)) script.at(cycle + 1)();
        const OfficialCalls calls = official.watch(world, referee, now + kCycleSeconds);
        if (calls.kick) recorder.kicked(*calls.kick);
        if (calls.out && !calls.out->goal) recorder.setPlay(calls.out->side);
    }
    ASSERT_TRUE(recorder.finish());
    const std::string dom = Browser(Browser::find()).dumpDom(page, "t=0");
    std::map<std::string, std::vector<Attributes>> marks;
    for (const Attributes& m : halyx_test::elementsWithClass(dom, "mark")) {
        if (m.at("data-kind") != "beam") marks[m.at("data-kind")].push_back(m);
    }
    ASSERT_EQ(marks["kick"].size(), 1u);
    EXPECT_EQ(marks["kick"][0].at("data-t"), "1.20");
    EXPECT_EQ(marks["kick"][0].at("data-team"), "left");
    EXPECT_EQ(marks["kick"][0].at("data-unum"), "7");
    ASSERT_EQ(marks["set-play"].size(), 1u);
    EXPECT_EQ(marks["set-play"][0].at("data-t"), "1.60");
    EXPECT_EQ(marks["set-play"][0].at("data-mode"), "KickIn_Right");
    EXPECT_EQ(marks["set-play"][0].at("data-team"), "right");
    ASSERT_EQ(marks["goal"].size(), 1u);
    EXPECT_EQ(marks["goal"][0].at("data-t"), "2.40");
    EXPECT_EQ(marks.size(), 3u) << "kick, set play and goal only";
}
