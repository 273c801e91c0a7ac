#include "sparring/session/summary.h"

#include <cmath>
#include <cstdio>

namespace sparring {

namespace {

std::string fixed(double v, int decimals) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

std::string beamFields(const AgentRecord& a, const std::map<int, Spot>& formation) {
    std::string s = " beam=";
    s += a.lastBeam ? fixed(a.lastBeam->x, 3) + "," + fixed(a.lastBeam->y, 3) + "," +
                          fixed(a.lastBeam->rotDegrees, 1)
                    : "-";
    const auto spot = formation.find(a.unum);
    if (spot == formation.end()) return s + " spot=- off=-";
    s += " spot=" + fixed(spot->second.x, 3) + "," + fixed(spot->second.y, 3) + " off=";
    if (!a.lastBeam) return s + "-";
    const double off = std::hypot(a.lastBeam->x - spot->second.x, a.lastBeam->y - spot->second.y);
    return s + fixed(off, 4);
}

std::string agentLine(const AgentRecord& a, const std::map<int, Spot>& formation, bool sync) {
    std::string s = "agent " + std::to_string(a.id) + ":";
    s += " team=" + (a.team.empty() ? std::string("-") : a.team);
    s += std::string(" side=") + (a.initialised ? sideName(a.side) : "-");
    s += " unum=" + std::to_string(a.unum);
    s += std::string(" init=") + (a.initialised ? "yes" : "no");
    s += beamFields(a, formation);
    s += " beams=" + std::to_string(a.beams) + " beams_refused=" + std::to_string(a.beamsRefused);
    s += " answered=" + std::to_string(a.cyclesAnswered) + "/" + std::to_string(a.cyclesSent);
    if (sync) s += " syn=" + std::to_string(a.cyclesSynced);
    s += " malformed=" + std::to_string(a.repliesMalformed);
    s += " falls=" + std::to_string(a.falls);
    if (a.down) {
        s += " stood=" + std::to_string(a.down->stood);
        s += " down_s=" + fixed(a.down->downSeconds, 2);
        s += " longest_down_s=" + fixed(a.down->longestDown, 2);
    }
    s += " getup=" + std::to_string(a.getUpCycles);
    s += " first_getup=" + (a.firstGetUpDelay < 0 ? std::string("-") : fixed(a.firstGetUpDelay, 2));
    s += " head=" + std::to_string(a.headCycles);
    s += " body=" + std::to_string(a.bodyCycles);
    s += " walked_m=" + fixed(a.walked, 2);
    s += " kicks=" + std::to_string(a.kicks) + " goals=" + std::to_string(a.goals);
    s += " latency_p50_ms=" + fixed(quantile(a.latencies, 0.5) * 1e3, 3);
    s += " latency_p99_ms=" + fixed(quantile(a.latencies, 0.99) * 1e3, 3);
    s += " end=\"" + a.end + "\"";
    if (!a.firstProblem.empty()) s += " problem=\"" + a.firstProblem + "\"";
    return s + "\n";
}

std::string teamLine(Side side, const TeamResult& team, int goals) {
    if (team.name.empty()) return "";
    return std::string("team ") + sideName(side) + ": name=" + team.name +
           " goals=" + std::to_string(goals) + " possession=" + fixed(team.possession, 3) + "\n";
}

}  // namespace

std::string formatSummary(const MatchResult& match, const std::vector<AgentRecord>& agents,
                          const std::map<int, Spot>& formation) {
    std::string s = "sparring summary: " + fixed(match.seconds, 2) + " s simulated, " +
                    std::to_string(match.cycles) + " cycles, score left " +
                    std::to_string(match.scoreLeft) + " : " + std::to_string(match.scoreRight) +
                    " right, " + std::to_string(agents.size()) + " connections";
    if (!match.world.empty()) {
        s += ", world=" + match.world + " cpu_s=" + fixed(match.cpuSeconds, 2);
    }
    s += "\n";
    for (const AgentRecord& a : agents) s += agentLine(a, formation, match.sync);
    s += teamLine(Side::Left, match.left, match.scoreLeft);
    s += teamLine(Side::Right, match.right, match.scoreRight);
    s += "match: untouched_longest_s=" + fixed(match.untouchedLongest, 2) + "\n";
    if (!match.picture.empty()) s += "picture: " + match.picture + "\n";
    return s;
}

}  // namespace sparring
