#ifndef SPARRING_REPLY_H
#define SPARRING_REPLY_H

#include <optional>
#include <string>
#include <vector>

namespace sparring {

// One (he1 v) ... (rae4 v): a joint's new speed.
struct JointCommand {
    int joint;     // index into kJoints
    double speed;  // rad/s, as sent
};

// One (beam x y rot).
struct Beam {
    double x, y;        // metres, team frame
    double rotDegrees;  // heading, team frame
};

// One (init (unum N)(teamname T)).
struct Init {
    int unum;
    std::string team;
};

// The commands of one agent reply. Items that are unknown or malformed are counted
// and described, never acted on.
struct Reply {
    std::optional<std::string> scene;  // the scene file of (scene ...)
    std::optional<Init> init;
    std::optional<Beam> beam;
    std::optional<std::string> say;
    std::vector<JointCommand> joints;
    bool syn = false;          // (syn): in sync mode, the reply of this cycle is complete
    int bad = 0;               // unknown or malformed items
    std::string firstProblem;  // what was wrong with the first of them
};

// Reads the text of a reply: commands concatenated, each a list headed by its name.
Reply readReply(const std::string& text);

// Adds the commands of a later frame of the same cycle to a reply, as if they had come
// in one frame: joint commands in order, a later beam, say, scene or init in place of
// an earlier one, the problems counted together.
void appendReply(Reply& reply, Reply&& later);

// Longest message a (say ...) may carry, bytes.
constexpr std::size_t kMaxSayLength = 64;

}  // namespace sparring

#endif
