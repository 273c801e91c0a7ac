// walk_tune: tunes the walk's parameters by CMA-ES over tasks that mimic a match, each
// in a world whose approximate constants are drawn between half and double.
//
//   walk_tune --out FILE [--params FILE] [--generations N] [--seed N] [--repeats N]
//   walk_tune --score [--params FILE] [--seed N] [--repeats N]
//
// Prints one line per generation: its best candidate's score, that candidate's score
// again in worlds fixed for the whole search, and the best of those, whose parameters
// are written to FILE; --score prints each task's figures for one parameter set.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/lab/cma.h"
#include "bench/lab/walk_run.h"

namespace {

// A tuned parameter and the span the search moves it in.
struct Tuned {
    const char* name;
    double lo, hi;
};

const std::vector<Tuned> kTuned = {
    {"stepDuration", 0.12, 0.3},
    {"stepHeight", 0.01, 0.05},
    {"hipHeight", 0.19, 0.25},
    {"pendulumHeight", 0.15, 0.35},
    {"footSpread", 0.09, 0.14},
    {"footForward", -0.03, 0.03},
    {"torsoTwist", 0, 12},
    {"torsoLean", -15, 20},
    {"leanPerSpeed", -10, 20},
    {"zmpForward", -0.03, 0.03},
    {"zmpOutward", -0.03, 0.02},
    {"swayGain", 0, 2.5},
    {"maxForward", 0.3, 1.2},
    {"maxBackward", 0.2, 0.6},
    {"maxSideways", 0.15, 0.45},
    {"maxTurn", 40, 150},
    {"accForward", 0.3, 3},
    {"servoGain", 0.2, 1},
    {"gyroAnklePitch", -0.1, 0.1},
    {"gyroAnkleRoll", -0.1, 0.1},
    {"gyroHipRoll", -0.1, 0.1},
    {"tiltHipPitch", -1, 1},
    {"tiltStepForward", -0.01, 0.01},
    {"tiltStepSideways", -0.01, 0.01},
    {"armSwing", -100, 300},
    {"headingGain", 0, 3},
};

skills::WalkParameters decode(const std::vector<double>& x, skills::WalkParameters p) {
    for (std::size_t i = 0; i < kTuned.size(); ++i) {
        const double s = std::min(1.0, std::max(0.0, x[i]));
        p.set(kTuned[i].name, kTuned[i].lo + s * (kTuned[i].hi - kTuned[i].lo));
    }
    return p;
}

std::vector<double> encode(const skills::WalkParameters& p) {
    std::vector<double> x;
    for (const Tuned& t : kTuned) x.push_back((p.get(t.name) - t.lo) / (t.hi - t.lo));
    return x;
}

// One task: a command held from the start, how long, and how its speed counts.
struct Task {
    const char* name;
    skills::WalkCommand command;
    double seconds;
    double target;  // the speed (m/s or deg/s) that earns one point; more counts up to 1.5
    double weight;  // of its points (not of its falls)
};

const Task kTasks[] = {
    {"forward", {2, 0, 0, false}, 8, 0.6, 2}, {"backward", {-2, 0, 0, false}, 6, 0.3, 1},
    {"left", {0, 2, 0, false}, 6, 0.25, 1},   {"right", {0, -2, 0, false}, 6, 0.25, 1},
    {"ccw", {0, 0, 300, false}, 6, 60, 1},    {"cw", {0, 0, -300, false}, 6, 60, 1},
};

lab::WalkWorld drawWorld(std::mt19937& rng) {
    std::uniform_real_distribution<double> factor(std::log(0.5), std::log(2.0)), heading(-180, 180);
    lab::WalkWorld w;
    w.torque = std::exp(factor(rng));
    w.friction = std::exp(factor(rng));
    w.softness = std::exp(factor(rng));
    w.heading = heading(rng);
    return w;
}

double taskSpeed(const Task& t, const lab::WalkOutcome& r) {
    if (t.command.turn != 0) return t.command.turn > 0 ? r.turnRate : -r.turnRate;
    if (t.command.sideways != 0) return t.command.sideways > 0 ? r.sidewaysSpeed : -r.sidewaysSpeed;
    return t.command.forward > 0 ? r.forwardSpeed : -r.forwardSpeed;
}

// Higher is better: each task's speed as a share of its target (up to 1.5, sprinting
// counting twice), less its drift (turning, and moving across the commanded direction),
// and three points off for every fall.
double score(const skills::WalkParameters& p, unsigned seed, int repeats, bool print) {
    std::mt19937 rng(seed);
    double total = 0;
    for (int rep = 0; rep < repeats; ++rep) {
        for (const Task& t : kTasks) {
            const lab::WalkWorld w = drawWorld(rng);
            const lab::WalkOutcome r = lab::runWalk(p, w, {{0, t.command}}, t.seconds, 2.5);
            const double v = r.fell ? 0 : taskSpeed(t, r);
            double s = t.weight * std::min(1.5, v / t.target);
            if (t.command.turn == 0) s -= std::fabs(r.turnRate) / 60;
            // Drift across the commanded direction counts against it.
            if (t.command.forward != 0) s -= std::fabs(r.sidewaysSpeed) / 0.25;
            if (t.command.sideways != 0) s -= std::fabs(r.forwardSpeed) / 0.25;
            if (r.fell) s -= 3;
            total += s;
            if (print)
                std::printf("%-9s %7.3f %s (torque %.2f friction %.2f softness %.2f)\n", t.name, v,
                            r.fell ? "FELL" : "    ", w.torque, w.friction, w.softness);
        }
        for (int run = 0; run < 2; ++run) {
            const lab::WalkWorld w = drawWorld(rng);
            const lab::WalkOutcome r =
                lab::runWalk(p, w, lab::randomCommands(static_cast<unsigned>(rng()), 20), 20, 20);
            if (r.fell) total -= 3;
            if (print) std::printf("random    %s\n", r.fell ? "FELL" : "stood");
        }
    }
    return total / repeats;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        skills::WalkParameters base;
        std::string out;
        int generations = 30, repeats = 1;
        unsigned seed = 1;
        bool scoreOnly = false;
        for (int i = 1; i < argc; ++i) {
            const std::string a = argv[i];
            auto value = [&]() -> std::string {
                if (i + 1 >= argc) throw std::runtime_error(a + " needs a value");
                return argv[++i];
            };
            if (a == "--out")
                out = value();
            else if (a == "--params")
                base = skills::readWalkParameters(value());
            else if (a == "--generations")
                generations = std::stoi(value());
            else if (a == "--seed")
                seed = static_cast<unsigned>(std::stoul(value()));
            else if (a == "--repeats")
                repeats = std::stoi(value());
            else if (a == "--score")
                scoreOnly = true;
            else
                throw std::runtime_error("unknown option '" + a + "'");
        }
        if (scoreOnly) {
            std::printf("score %.3f\n", score(base, seed, repeats, true));
            return 0;
        }
        if (out.empty()) throw std::runtime_error("--out FILE is needed");
        // Each generation's best candidate is scored again in worlds that stay the same
        // for the whole search; the best of those scores is kept, not a lucky draw.
        const unsigned checkSeed = seed + 7777u;
        lab::Cma cma(encode(base), 0.12, seed);
        double best = score(base, checkSeed, 2, false);
        std::printf("start: %.3f\n", best);
        for (int g = 1; g <= generations; ++g) {
            const auto xs = cma.ask();
            std::vector<double> values;
            for (const auto& x : xs) {
                // Every candidate of a generation meets the same worlds.
                values.push_back(score(decode(x, base), seed + 1000u * static_cast<unsigned>(g),
                                       repeats, false));
            }
            cma.tell(xs, values);
            const std::size_t top = static_cast<std::size_t>(
                std::max_element(values.begin(), values.end()) - values.begin());
            const skills::WalkParameters p = decode(xs[top], base);
            const double checked = score(p, checkSeed, 2, false);
            if (checked > best) {
                best = checked;
                skills::writeWalkParameters(p, out);
            }
            std::printf("generation %d: top %.3f checked %.3f best %.3f sigma %.3f\n", g,
                        values[top], checked, best, cma.sigma());
            std::fflush(stdout);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "walk_tune: %s\n", e.what());
        return 2;
    }
}
