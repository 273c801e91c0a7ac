#ifndef HALYX_BEHAVIOR_MYBEHAVIOR_H
#define HALYX_BEHAVIOR_MYBEHAVIOR_H

#include <string>

// Stand-in for the agent's decision object until the decision cycle lands: it
// announces the player on the first message and answers every later message
// with an empty reply. It is replaced, not kept beside the real one.
class MyBehavior {
public:
    explicit MyBehavior(int unum);

    // The complete reply to send for one server message; may be empty.
    std::string Think(const std::string& message);

private:
    int mUnum;
    bool mStarted;  // false until the first message has been answered
};

#endif
