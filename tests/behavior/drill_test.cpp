#include "behavior/drill.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Drill, LinesGiveTimedStepsAndCommentsAndBlankLinesAreSkipped) {
    const Drill d = Drill::parse(
        "# a drill\n"
        "0.0  walk 0.5 0 0   # forward\n"
        "\n"
        "10 stop\n"
        "12.5 goto -1.0 2.0 90\n"
        "20 kick -45\n"
        "30 dribble 3 -1.5\n",
        "d.txt");
    ASSERT_EQ(d.steps().size(), 5u);
    EXPECT_EQ(d.steps()[0].kind, Drill::Kind::Walk);
    EXPECT_DOUBLE_EQ(d.steps()[0].a, 0.5);
    EXPECT_EQ(d.steps()[1].kind, Drill::Kind::Stop);
    EXPECT_EQ(d.steps()[1].line, 4);
    EXPECT_EQ(d.steps()[2].kind, Drill::Kind::GoTo);
    EXPECT_DOUBLE_EQ(d.steps()[2].b, 2.0);
    EXPECT_DOUBLE_EQ(d.steps()[2].c, 90);
    EXPECT_EQ(d.steps()[3].kind, Drill::Kind::Kick);
    EXPECT_DOUBLE_EQ(d.steps()[3].a, -45);
    EXPECT_EQ(d.steps()[4].kind, Drill::Kind::Dribble);
    EXPECT_DOUBLE_EQ(d.steps()[4].a, 3);
    EXPECT_DOUBLE_EQ(d.steps()[4].b, -1.5);
}

TEST(Drill, TheStepInForceIsTheLastOneWhoseTimeHasCome) {
    const Drill d = Drill::parse("1 walk 0.1 0 0\n5 stop\n5 walk 0 0 30\n9 stop\n", "d");
    struct Case {
        double elapsed;  // seconds after the first PlayOn
        int line;        // 0: no step yet
    } const cases[] = {{0, 0}, {0.99, 0}, {1, 1}, {4.98, 1}, {5, 3}, {8.5, 3}, {100, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elapsed);
        const Drill::Step* s = d.at(c.elapsed);
        EXPECT_EQ(s == nullptr ? 0 : s->line, c.line);
    }
}

TEST(Drill, ABadLineIsNamedWithItsNumberAndItsProblem) {
    struct Case {
        const char* text;
        const char* message;
    } const cases[] = {
        {"0 walk 1 0 0\nx stop\n", "d:2: the time 'x' is not a number of seconds >= 0"},
        {"-1 stop\n", "d:1: the time '-1' is not a number of seconds >= 0"},
        {"nan stop\n", "d:1: the time 'nan' is not a number of seconds >= 0"},
        {"5 stop\n4 stop\n", "d:2: the time 4 is before the line above's"},
        {"3\n", "d:1: a time without a command"},
        {"0 jump\n", "d:1: unknown command 'jump' (walk, stop, goto, kick or dribble)"},
        {"0 walk 1 0\n", "d:1: expected 'walk FORWARD SIDEWAYS TURN'"},
        {"0 stop now\n", "d:1: expected 'stop'"},
        {"0 goto 1 2 3 4\n", "d:1: expected 'goto X Y HEADING'"},
        {"0 walk 1 0 fast\n", "d:1: 'fast' is not a number"},
        {"0 goto 1e999 0 0\n", "d:1: '1e999' is not a number"},
        {"0 walk 0.5x 0 0\n", "d:1: '0.5x' is not a number"},
        {"0 kick\n", "d:1: expected 'kick DIRECTION'"},
        {"0 kick 10 20\n", "d:1: expected 'kick DIRECTION'"},
        {"0 kick left\n", "d:1: 'left' is not a number"},
        {"0 dribble 3\n", "d:1: expected 'dribble X Y'"},
        {"0 dribble 3 inf\n", "d:1: 'inf' is not a number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            Drill::parse(c.text, "d");
            ADD_FAILURE() << "no error";
        } catch (const Drill::Error& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

}  // namespace
