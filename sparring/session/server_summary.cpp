// The server's account of a match: the summary and the agents' records, with the
// figures the match official kept.
#include "sparring/session/server.h"
#include "sparring/session/summary.h"

namespace sparring {

std::string Server::summary() const {
    MatchResult match;
    match.seconds = now_;
    match.cycles = cycle_;
    match.scoreLeft = referee_.score(Side::Left);
    match.scoreRight = referee_.score(Side::Right);
    match.sync = options_.sync;
    match.world = world_->name();
    match.cpuSeconds = cpuSeconds_;
    if (pictureWritten_) match.picture = options_.svgPath;
    const MatchStats& stats = official_.stats();
    if (!teams_.empty()) match.left = {teams_[0], stats.possession(Side::Left)};
    if (teams_.size() > 1) match.right = {teams_[1], stats.possession(Side::Right)};
    match.untouchedLongest = stats.untouchedLongest();
    return formatSummary(match, records(), options_.formation);
}

std::vector<AgentRecord> Server::records() const {
    std::vector<AgentRecord> out;
    for (const auto& a : agents_) {
        out.push_back(a->record);
        if (!a->record.initialised) continue;
        const PlayerStats p = official_.stats().player(a->record.side, a->record.unum);
        out.back().walked = p.walked;
        out.back().kicks = p.kicks;
        out.back().goals = p.goals;
    }
    return out;
}

}  // namespace sparring
