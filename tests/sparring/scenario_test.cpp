// Scenario files: scripted falls, pushes, goals, ball and robot placements.
#include "sparring/match/scenario.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace sparring;

TEST(Scenario, EventsAreReadAndOrderedByTime) {
    std::istringstream in(
        "# warm-up\n"
        "\n"
        "12.5 goal right   # a goal\n"
        "4 fall left 3 back 2.5\n"
        "4 fall right 7 front\n"
        "1 ball 1.5 -2\n"
        "2 place left 4 0 3.5 90\n"
        "13 push right 2 -3 0.5\n"
        "14 fall left 6 left\n"
        "14 fall left 8 right\n");
    const std::vector<Event> e = readScenario(in);
    ASSERT_EQ(e.size(), 8u);
    EXPECT_EQ(e[0].kind, Event::Kind::Ball);
    EXPECT_DOUBLE_EQ(e[0].y, -2);
    EXPECT_EQ(e[1].kind, Event::Kind::Place);
    EXPECT_DOUBLE_EQ(e[1].heading, 90);
    EXPECT_EQ(e[2].posture, Posture::OnBack);
    EXPECT_EQ(e[2].unum, 3);
    EXPECT_DOUBLE_EQ(e[2].lieSeconds, 2.5);
    EXPECT_EQ(e[3].side, Side::Right);  // equal times keep the file's order
    EXPECT_EQ(e[3].posture, Posture::OnFront);
    EXPECT_DOUBLE_EQ(e[3].lieSeconds, -1);
    EXPECT_EQ(e[4].kind, Event::Kind::Goal);
    EXPECT_EQ(e[4].side, Side::Right);
    EXPECT_EQ(e[5].kind, Event::Kind::Push);
    EXPECT_EQ(e[5].unum, 2);
    EXPECT_DOUBLE_EQ(e[5].x, -3);  // newton-seconds
    EXPECT_DOUBLE_EQ(e[5].y, 0.5);
    EXPECT_EQ(e[6].posture, Posture::OnLeft);
    EXPECT_EQ(e[7].posture, Posture::OnRight);
}

TEST(Scenario, BadLinesAreRefusedWithTheirLineNumber) {
    const char* bad[] = {
        "1 jump left 3",      "x goal left",         "-1 goal left",         "1 goal middle",
        "1 fall left 3 side", "1 fall left 12 back", "1 fall left 3 back 0", "1 ball 1",
        "1 ball 1 2 3",       "1 place left 2 0 0",  "1 fall left 2.5 back", "1 ball nan 0",
        "1 push left 2 1",    "1 push left 2 inf 0", "1 push left 2 1 0 0",
    };
    for (const char* line : bad) {
        std::istringstream in(std::string("# first\n") + line + "\n");
        try {
            readScenario(in);
            ADD_FAILURE() << "accepted: " << line;
        } catch (const ScenarioError& e) {
            EXPECT_EQ(e.line(), 2) << line;
        }
    }
    EXPECT_THROW(readScenarioFile("/nonexistent/scenario"), ScenarioError);
}
