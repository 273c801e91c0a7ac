#ifndef SPARRING_SUMMARY_H
#define SPARRING_SUMMARY_H

#include <map>
#include <string>
#include <vector>

#include "sparring/match/formation.h"
#include "sparring/session/agent_record.h"

namespace sparring {

// One side of the match, for its line of the summary.
struct TeamResult {
    std::string name;       // empty: the side had no team
    double possession = 0;  // share (0..1) of "PlayOn" time it was nearest the ball
};

// The match as a whole, for the heading of the summary and the teams' lines.
struct MatchResult {
    double seconds = 0;  // simulated time played
    long cycles = 0;
    int scoreLeft = 0, scoreRight = 0;
    std::string picture;    // path of the SVG picture, empty when none was written
    bool sync = false;      // played in sync mode: the lines count the replies with (syn)
    std::string world;      // "physics" or "kinematic"; empty leaves it out
    double cpuSeconds = 0;  // the server's CPU seconds for the match
    TeamResult left, right;
    double untouchedLongest = 0;  // the longest "PlayOn" time nobody touched the ball, seconds
};

// The end-of-match report: a heading line, one line per agent of key=value fields
// (team, number, init, beam against the formation spot, cycles answered, malformed
// replies, falls, get-up replies, head and body motion, distance walked, kicks and goals,
// median and 99th-percentile reply latency, how the connection ended), one line per team
// (goals, possession), a line of the match's own figures (the longest play without a
// touch) and the picture's path.
std::string formatSummary(const MatchResult& match, const std::vector<AgentRecord>& agents,
                          const std::map<int, Spot>& formation);

}  // namespace sparring

#endif
