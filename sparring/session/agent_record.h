#ifndef SPARRING_AGENT_RECORD_H
#define SPARRING_AGENT_RECORD_H

#include <optional>
#include <string>
#include <vector>

#include "sparring/protocol/reply.h"
#include "sparring/world/field.h"
#include "sparring/world/robot.h"

namespace sparring {

// What the server saw of one connected agent over the match, for the summary.
struct AgentRecord {
    int id = 0;        // connection number, from 1
    std::string team;  // empty until init
    Side side = Side::Left;
    int unum = 0;  // 0 until init
    bool initialised = false;
    std::optional<Beam> lastBeam;  // team frame
    long cyclesSent = 0;
    long cyclesAnswered = 0;
    long cyclesSynced = 0;  // replies that carried (syn)
    long repliesMalformed = 0;
    std::string firstProblem;        // the first malformed item seen
    int falls = 0;                   // scripted falls, or in the physical world the falls it saw
    std::optional<DownRecord> down;  // the physical world's account of the falls
    long getUpCycles = 0;            // replies moving a limb while the robot lay
    double firstGetUpDelay = -1;     // seconds from a fall to the first such reply, or -1
    long headCycles = 0;             // upright replies with a non-zero head speed
    long bodyCycles = 0;             // upright replies with a non-zero speed for a leg or arm joint
    long beams = 0;                  // beams obeyed
    long beamsRefused = 0;           // beams outside the play modes that allow them
    double walked = 0;               // metres walked over the ground
    int kicks = 0;                   // touches that sent the ball over a metre
    int goals = 0;                   // goals scored for its side, own goals left out
    std::vector<double> latencies;   // seconds from message sent to reply received
    std::string end = "connected";   // how the connection ended
};

// The q-quantile (0..1) of the values, nearest rank; 0 for none.
double quantile(std::vector<double> values, double q);

}  // namespace sparring

#endif
