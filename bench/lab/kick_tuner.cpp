#include "bench/lab/kick_tuner.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "bench/lab/cma.h"
#include "motion/skills/goto.h"

namespace lab {

namespace {

struct Range {
    std::string name;
    double low = 0, high = 1;
};

std::vector<Range> readKickRanges(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error(path + ": cannot read the ranges");
    std::vector<Range> ranges;
    std::string line;
    skills::KickParameters probe;
    for (int n = 1; std::getline(in, line); ++n) {
        std::istringstream words(line.substr(0, line.find('#')));
        Range r;
        if (!(words >> r.name)) continue;
        const std::string where = path + ":" + std::to_string(n) + ": ";
        if (!(words >> r.low >> r.high) || !(r.low < r.high))
            throw std::runtime_error(where + "expected 'name low high' with low < high");
        try {
            probe.get(r.name);
        } catch (const std::out_of_range& e) {
            throw std::runtime_error(where + e.what());
        }
        ranges.push_back(r);
    }
    if (ranges.empty()) throw std::runtime_error(path + ": no ranges");
    return ranges;
}

skills::KickParameters candidate(skills::KickParameters base, const std::vector<Range>& ranges,
                                 const std::vector<double>& x) {
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const double u = std::clamp(x[i], 0.0, 1.0);
        base.set(ranges[i].name, ranges[i].low + u * (ranges[i].high - ranges[i].low));
    }
    return base;
}

}  // namespace

double playedKickScore(const skills::KickParameters& kick, const skills::WalkParameters& walk,
                       const Evaluation& e) {
    std::mt19937 rng(e.seed * 7919u + 3u);
    auto uniform = [&rng](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(rng);
    };
    const double heading = uniform(-30, 30), range = uniform(1, 2);
    const double bearing = (uniform(-180, 180) + heading) * M_PI / 180;
    PlaySettings s;
    s.direction = heading + uniform(-60, 60);
    s.seconds = 20;
    const PlayOutcome o = runPlay(kick, walk, e, {-3, 0, heading}, -3 + range * std::cos(bearing),
                                  range * std::sin(bearing), s);
    if (o.swingTime < 0 || o.travel < 0.3) return 0;
    const double off = std::fabs(skills::wrapDegrees(o.direction - s.direction));
    return o.travel * std::cos(off * M_PI / 180) - 0.05 * off - 5.0 * o.falls -
           0.5 * std::max(0.0, o.swingTime - 8);
}

double tuneKick(const KickTuneOptions& o) {
    const std::vector<Range> ranges = readKickRanges(o.ranges);
    const skills::KickParameters base =
        o.start.empty() ? skills::KickParameters() : skills::readKickParameters(o.start);
    std::vector<double> start;
    for (const Range& r : ranges)
        start.push_back(std::clamp((base.get(r.name) - r.low) / (r.high - r.low), 0.0, 1.0));
    Cma cma(start, o.sigma, o.seed);
    std::ofstream log(o.log);
    double best = -1e300;
    for (int g = 0; g < o.generations; ++g) {
        const auto xs = cma.ask();
        std::vector<double> values;
        for (const auto& x : xs) {
            const skills::KickParameters p = candidate(base, ranges, x);
            double sum = 0;
            for (int r = 0; r < o.repeats; ++r) {
                Evaluation e;
                e.seed = o.seed * 1000u + static_cast<unsigned>(g * o.repeats + r);
                e.pushEvery = 0;
                const auto foot = r % 2 == 0 ? skills::Foot::Left : skills::Foot::Right;
                sum += o.played ? playedKickScore(p, o.walk, e)
                                : runKick(p, o.walk, e, foot, o.jitter).score;
            }
            values.push_back(sum / o.repeats);
            if (values.back() > best) {
                best = values.back();
                skills::writeKickParameters(p, o.out);
            }
        }
        cma.tell(xs, values);
        const double top = *std::max_element(values.begin(), values.end());
        char text[160];
        std::snprintf(text, sizeof text,
                      "generation %d best %.3f generation-best %.3f sigma %.3f\n", g, best, top,
                      cma.sigma());
        log << text << std::flush;
        std::fputs(text, stdout);
        std::fflush(stdout);
    }
    return best;
}

}  // namespace lab
