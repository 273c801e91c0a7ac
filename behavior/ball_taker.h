#ifndef HALYX_BEHAVIOR_BALL_TAKER_H
#define HALYX_BEHAVIOR_BALL_TAKER_H

#include <array>

#include "behavior/team_message.h"

// How the players of a team agree, without a leader, on which of them goes for the
// ball: each estimates how soon it can reach the ball and says so; the one with the
// shortest time takes it, the lower number on a tie. What a teammate said counts for a
// second: a player that has fallen silent (down, out of hearing) drops out, and the
// rest agree again. Every player runs the same rule on nearly the same facts, so at
// most a cycle or two passes with two takers or none when the times are close.
class BallTaker {
public:
    // How long a heard time to the ball counts, seconds.
    static constexpr double kFresh = 1.0;

    // What a teammate said at server time `now` (seconds). Messages of number 1 to 11
    // only; the speaker's own are for it alone to act on.
    void heard(const TeamMessage& message, double now);
    // Whether `unum`, which can reach the ball in `ownTime` seconds (or cannot now, when
    // `down`), takes it at `now`. Its own time is compared as it would say it (to 0.25
    // s), so that two players weigh the same two numbers.
    bool takes(int unum, double ownTime, bool down, double now) const;

private:
    struct Said {
        double time = 0;  // seconds to the ball
        double at = -1;   // server time heard, seconds; -1: never
        bool down = false;
    };
    std::array<Said, 12> said_{};  // by number; 0 unused
};

// Seconds a player needs to reach a ball `distance` metres away whose direction lies
// `turn` degrees off its heading: walking at 0.6 m/s, turning at 60 deg/s, and 4 s more
// for a player on the ground.
double timeToBall(double distance, double turn, bool down);

#endif
