#include "bench/lab/walk_tuner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "bench/lab/cma.h"
#include "motion/skills/walk.h"

namespace lab {

namespace {

// A number of an evaluation's line: the one after `key`.
double field(const std::string& line, const std::string& key) {
    std::istringstream in(line);
    for (std::string word; in >> word;) {
        double value = 0;
        if (word == key && in >> value) return value;
    }
    throw std::runtime_error("an evaluation gave no '" + key + "': '" + line + "'");
}

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

skills::WalkParameters startingPoint(const TuneOptions& o) {
    return o.start.empty() ? skills::WalkParameters() : skills::readWalkParameters(o.start);
}

double value(const TunedParameter& r, double unit) {
    return r.low + std::clamp(unit, 0.0, 1.0) * (r.high - r.low);
}

Command evaluation(const TuneOptions& o, const std::vector<double>& x, unsigned seed) {
    Command c = {o.lab,          "evaluate",           "--task",       o.task,
                 "--seed",       std::to_string(seed), "--time-scale", number(o.timeScale),
                 "--push-every", number(o.pushEvery),  "--delay",      std::to_string(o.delay)};
    if (!o.start.empty()) c.insert(c.end(), {"--params", o.start});
    for (std::size_t i = 0; i < x.size(); ++i)
        c.insert(c.end(), {"--set", o.ranges[i].name + "=" + number(value(o.ranges[i], x[i]))});
    return c;
}

void write(const TuneOptions& o, const std::vector<double>& x, const std::string& path) {
    skills::WalkParameters p = startingPoint(o);
    for (std::size_t i = 0; i < x.size(); ++i) p.set(o.ranges[i].name, value(o.ranges[i], x[i]));
    skills::writeWalkParameters(p, path);
}

}  // namespace

std::vector<TunedParameter> readRanges(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error(path + ": cannot be read");
    const skills::WalkParameters defaults;
    std::vector<TunedParameter> ranges;
    int n = 0;
    for (std::string line; std::getline(in, line);) {
        ++n;
        const std::string where = path + ":" + std::to_string(n) + ": ";
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        TunedParameter r;
        if (!(words >> r.name)) continue;
        try {
            defaults.get(r.name);
        } catch (const std::out_of_range&) {
            throw std::runtime_error(where + "no walk parameter is named '" + r.name + "'");
        }
        std::string extra;
        if (!(words >> r.low >> r.high) || words >> extra)
            throw std::runtime_error(where + "expected 'name low high', got '" + line + "'");
        if (!(r.low < r.high))
            throw std::runtime_error(where + "empty range " + number(r.low) + ".." +
                                     number(r.high) + " for " + r.name);
        ranges.push_back(r);
    }
    if (ranges.empty()) throw std::runtime_error(path + ": names no parameter to tune");
    return ranges;
}

TuneSummary tune(const TuneOptions& o) {
    if (o.repeats < 1 || o.generations < 1 || o.population == 1)
        throw std::invalid_argument("a tuning needs a generation, a repeat and two candidates");
    const skills::WalkParameters start = startingPoint(o);
    std::vector<double> x0;
    for (const TunedParameter& r : o.ranges)
        x0.push_back(std::clamp((start.get(r.name) - r.low) / (r.high - r.low), 0.0, 1.0));
    Cma cma(x0, o.sigma, o.seed, o.population);
    std::ofstream log(o.log);
    if (!log) throw std::runtime_error(o.log + ": cannot be written");
    log << "# tuning " << o.task << ", " << cma.lambda() << " candidates x " << o.repeats
        << " evaluations per generation, time scale " << o.timeScale << "; tuned:";
    for (const TunedParameter& r : o.ranges) log << " " << r.name << " " << r.low << ".." << r.high;
    log << "\n# generation evaluations best mean sigma sim_s cpu_s wall_s\n" << std::flush;
    TuneSummary s;
    const auto began = std::chrono::steady_clock::now();
    for (int g = 0; g < o.generations; ++g) {
        std::vector<std::vector<double>> xs = cma.ask();
        for (auto& x : xs)
            for (double& v : x) v = std::clamp(v, 0.0, 1.0);
        std::vector<Command> commands;
        for (const auto& x : xs)
            for (int r = 0; r < o.repeats; ++r)
                commands.push_back(evaluation(o, x, o.seed * 100000u + g * o.repeats + r));
        const std::vector<std::string> lines = runAll(commands, o.runner);
        std::vector<double> scores(xs.size(), 0);
        for (std::size_t k = 0; k < lines.size(); ++k) {
            scores[k / o.repeats] += field(lines[k], "score") / o.repeats;
            s.simSeconds += field(lines[k], "sim_s");
            s.cpuSeconds += field(lines[k], "cpu_s");
        }
        s.evaluations += static_cast<long>(lines.size());
        cma.tell(xs, scores);
        const auto best = std::max_element(scores.begin(), scores.end());
        double mean = 0;
        for (double v : scores) mean += v / static_cast<double>(scores.size());
        if (*best > s.bestScore) {
            s.bestScore = *best;
            write(o, xs[best - scores.begin()], o.out);
        }
        write(o, cma.mean(), o.out + ".mean");
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - began;
        log << g + 1 << " " << s.evaluations << " " << number(*best) << " " << number(mean) << " "
            << number(cma.sigma()) << " " << number(s.simSeconds) << " " << number(s.cpuSeconds)
            << " " << number(wall.count()) << "\n"
            << std::flush;
    }
    return s;
}

}  // namespace lab
