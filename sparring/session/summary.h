#ifndef SPARRING_SUMMARY_H
#define SPARRING_SUMMARY_H

#include <map>
#include <string>
#include <vector>

#include "sparring/match/formation.h"
#include "sparring/session/agent_record.h"

namespace sparring {

// The match as a whole, for the heading of the summary.
struct MatchResult {
    double seconds = 0;  // simulated time played
    long cycles = 0;
    int scoreLeft = 0, scoreRight = 0;
    std::string picture;    // path of the SVG picture, empty when none was written
    bool sync = false;      // played in sync mode: the lines count the replies with (syn)
    std::string world;      // "physics" or "kinematic"; empty leaves it out
    double cpuSeconds = 0;  // the server's CPU seconds for the match
};

// The end-of-match report: a heading line, one line per agent of key=value fields
// (team, number, init, beam against the formation spot, cycles answered, malformed
// replies, falls, get-up replies, head and body motion, median and 99th-percentile reply
// latency, how the connection ended), and the picture's path.
std::string formatSummary(const MatchResult& match, const std::vector<AgentRecord>& agents,
                          const std::map<int, Spot>& formation);

}  // namespace sparring

#endif
