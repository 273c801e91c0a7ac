#include "behavior/team_message.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const char kTeam[] = "QEL";

// What the league's servers pass on: at most 20 printable characters, none of them a
// blank or a parenthesis.
bool sayable(const std::string& text) {
    if (text.empty() || text.size() > 20) return false;
    for (const char c : text)
        if (c <= ' ' || c > '~' || c == '(' || c == ')') return false;
    return true;
}

}  // namespace

// Every field comes back as said, to its resolution (positions 1.25 cm, time 0.25 s),
// and values beyond the form's reach come back at its edge.
TEST(TeamMessage, ReadsBackWhatWasSaid) {
    const double kNan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        TeamMessage said;
        TeamMessage heard;
    } const cases[] = {
        {"a forward near the ball",
         {9, false, true, 1.3, 2.37, -1.02, 1.9, -0.6},
         {9, false, true, 1.25, 2.375, -1.025, 1.9, -0.6}},
        {"the goalkeeper, down, ball unseen",
         {1, true, false, 0, 0, 0, -14.2, 0},
         {1, true, false, 0, 0, 0, -14.2, 0}},
        {"the league field's far corner",
         {11, false, true, 15.75, 15, -10, -15, 10},
         {11, false, true, 15.75, 15, -10, -15, 10}},
        {"beyond the reach",
         {5, false, true, 99, 40, -40, kNan, 1e9},
         {5, false, true, 15.75, 25.5875, -25.6, 0, 25.5875}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string text = encodeTeamMessage(c.said, kTeam);
        EXPECT_TRUE(sayable(text)) << text;
        const std::optional<TeamMessage> m = decodeTeamMessage(text, kTeam);
        ASSERT_TRUE(m.has_value()) << text;
        EXPECT_EQ(m->unum, c.heard.unum);
        EXPECT_EQ(m->down, c.heard.down);
        EXPECT_EQ(m->ballSeen, c.heard.ballSeen);
        const double tolerance = 0.0063;  // half a step, metres
        EXPECT_DOUBLE_EQ(m->ballTime, c.heard.ballTime);
        EXPECT_NEAR(m->ballX, c.heard.ballX, tolerance);
        EXPECT_NEAR(m->ballY, c.heard.ballY, tolerance);
        EXPECT_NEAR(m->x, c.heard.x, tolerance);
        EXPECT_NEAR(m->y, c.heard.y, tolerance);
    }
}

// The other team's message, a garbled one or anything else heard is never read as ours.
TEST(TeamMessage, OtherTeamsAndGarbledTextAreNotRead) {
    const std::string text = encodeTeamMessage({7, false, true, 2, 1, 1, 0, 0}, kTeam);
    EXPECT_FALSE(decodeTeamMessage(text, "OPP").has_value());
    for (std::size_t i = 0; i < text.size(); ++i) {
        for (const char c : {'A', 'z', '9', '-', '(', ' ', '\0', '\xff'}) {
            std::string garbled = text;
            if (garbled[i] == c) continue;
            garbled[i] = c;
            EXPECT_FALSE(decodeTeamMessage(garbled, kTeam).has_value()) << i << " " << garbled;
        }
    }
    for (const std::string& other :
         {std::string(), text.substr(1), text + "A", std::string("hello"), std::string(14, '*'),
          std::string("*") + std::string(13, 'A')})
        EXPECT_FALSE(decodeTeamMessage(other, kTeam).has_value()) << other;
}
