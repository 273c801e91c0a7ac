#ifndef HALYX_BEHAVIOR_TEAM_MESSAGE_H
#define HALYX_BEHAVIOR_TEAM_MESSAGE_H

#include <optional>
#include <string>

// What one player tells its team when it speaks: who it is, how soon it can reach the
// ball, where it sees the ball and where it stands. The text keeps to what a server
// passes on (at most 20 printable characters, no blank, no parentheses) and ends in a
// check salted with the team's name, so that a message of the other team, or one
// garbled on the way, does not read as ours.
struct TeamMessage {
    int unum = 0;                 // 1 to 11
    bool down = false;            // lying or getting up
    bool ballSeen = false;        // the ball fields below are worth reading
    double ballTime = 0;          // seconds to reach the ball, 0 to 15.75 in steps of 0.25
    double ballX = 0, ballY = 0;  // metres, the team's own field frame
    double x = 0, y = 0;          // metres, the speaker on the field
};

// The message as said: 14 characters. Positions are kept within 25.6 m of the centre, to
// 1.25 cm; the time to the ball to 0.25 s.
std::string encodeTeamMessage(const TeamMessage& message, const std::string& team);
// A time to the ball as a message carries it: to the nearest 0.25 s within 0 to 15.75 s
// (longer and unknown times at 15.75).
double sayableBallTime(double seconds);
// Nothing when the text is not a message of `team` in this form, or fails its check.
std::optional<TeamMessage> decodeTeamMessage(const std::string& text, const std::string& team);

#endif
