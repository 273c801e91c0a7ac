#include "behavior/ball_taker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TeamMessage said(int unum, double ballTime, bool ballSeen = true, bool down = false) {
    TeamMessage m;
    m.unum = unum;
    m.ballTime = ballTime;
    m.ballSeen = ballSeen;
    m.down = down;
    return m;
}

}  // namespace

// Player 5, 2.0 s from the ball, at server time 10 s, after hearing its teammates.
TEST(BallTaker, TheQuickestFreshUprightPlayerWithTheBallInViewTakesIt) {
    struct Case {
        const char* what;
        std::vector<std::pair<TeamMessage, double>> heard;  // message, heard at
        bool takes;
    } const cases[] = {
        {"nobody else spoke", {}, true},
        {"a slower teammate", {{said(7, 3.0), 9.8}}, true},
        {"a quicker teammate", {{said(7, 1.5), 9.8}}, false},
        {"a tie: the lower number takes it", {{said(3, 2.0), 9.8}}, false},
        {"a tie with a higher number", {{said(9, 2.0), 9.8}}, true},
        {"the quicker one spoke over a second ago", {{said(7, 1.0), 8.9}}, true},
        {"the quicker one is down", {{said(7, 1.0, true, true), 9.9}}, true},
        {"the quicker one does not see the ball", {{said(7, 1.0, false), 9.9}}, true},
        {"its own number heard back", {{said(5, 0.5), 9.9}}, true},
        {"the quicker one spoke again, slower now",
         {{said(7, 1.0), 9.5}, {said(7, 4.0), 9.9}},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BallTaker taker;
        for (const auto& [message, at] : c.heard) taker.heard(message, at);
        EXPECT_EQ(taker.takes(5, 2.0, false, 10.0), c.takes);
    }
}

// Every player runs the same rule on what the others said: exactly one takes the ball,
// even when their own times differ by less than what a message can tell apart.
TEST(BallTaker, PlayersWhoHeardEachOtherAgreeOnOneTaker) {
    const std::vector<double> times = {3.1, 2.02, 2.09, 5.0, 2.11};  // numbers 2 to 6
    std::vector<BallTaker> players(times.size());
    for (std::size_t i = 0; i < times.size(); ++i)
        for (std::size_t j = 0; j < times.size(); ++j)
            if (i != j)
                players[i].heard(said(static_cast<int>(j) + 2, sayableBallTime(times[j])), 9.9);
    int takers = 0, taker = 0;
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (players[i].takes(static_cast<int>(i) + 2, times[i], false, 10.0)) {
            ++takers;
            taker = static_cast<int>(i) + 2;
        }
    }
    EXPECT_EQ(takers, 1);
    EXPECT_EQ(taker, 3);  // 2.02 s and 2.09 s both say 2.0 s: the lower number
}

TEST(BallTaker, ADownPlayerOrAnUnknownTimeNeverTakesIt) {
    BallTaker taker;
    EXPECT_FALSE(taker.takes(4, 1.0, true, 0));
    EXPECT_FALSE(taker.takes(4, std::nan(""), false, 0));
    EXPECT_GT(timeToBall(1.2, 90, true), timeToBall(1.2, 90, false));
    EXPECT_DOUBLE_EQ(timeToBall(1.2, -90, false), 1.2 / 0.6 + 1.5);
    EXPECT_TRUE(std::isinf(timeToBall(std::nan(""), 0, false)));
}
