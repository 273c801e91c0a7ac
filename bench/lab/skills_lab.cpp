// The skills laboratory: plays the walk on one robot of the physical world, read the way
// the agent reads it (see SkillRun), scores it on match-like tasks and tunes it. kHelp
// below lists the commands.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/lab/hold_pose.h"
#include "bench/lab/kick_tuner.h"
#include "bench/lab/skill_run.h"
#include "bench/lab/walk_tasks.h"
#include "bench/lab/walk_tuner.h"
#include "motion/skills/goto.h"
#include "motion/skills/walk.h"

using namespace lab;

namespace {

const char kHelp[] =
    "usage:\n"
    "  skills_lab walk [COMMON] [--at T FORWARD SIDEWAYS TURN]... [--seconds S] [--every N]\n"
    "      the walk from standing, its command changed at each --at time (seconds; m/s, m/s,\n"
    "      deg/s); a line of truth and belief every N cycles, then the distance and falls\n"
    "  skills_lab goto X Y HEADING [COMMON] [--from X Y HEADING] [--seconds S] [--truth]\n"
    "      walks to the pose with GoTo, steering by the belief (by the truth with --truth)\n"
    "  skills_lab evaluate --task T [COMMON] [--time-scale F] [--push-every S]\n"
    "      one evaluation; prints one line: \"score S\", the task's parts, falls, sim_s, cpu_s\n"
    "  skills_lab tune --ranges FILE --out FILE --log FILE [--start FILE] [--task T]\n"
    "                  [--generations G] [--population L] [--repeats R] [--sigma S]\n"
    "                  [--time-scale F] [--push-every S] [--seed N] [--jobs N]\n"
    "                  [--parallel [--sshloginfile FILE]]\n"
    "      CMA-ES over the ranges' parameters; each generation's evaluations are processes,\n"
    "      one per core by default (--jobs N), or through GNU parallel: on this machine, or\n"
    "      with --sshloginfile on the machines it names, each with this program at the same\n"
    "      path\n"
    "  skills_lab hold [--seconds S]     the robot stands still; the runner's speed at rest\n"
    "  skills_lab kick [COMMON] [--kick FILE] [--kick-set NAME=VALUE]... [--foot left|right]\n"
    "                  [--jitter M] [--trace]\n"
    "      one kick from standing, the ball at the kick's spot moved up to M metres (0);\n"
    "      prints the ball's travel, its direction off the heading, top speed (and the\n"
    "      foot's as it left) and height, how low its centre went, and the falls; --trace:\n"
    "      a line per cycle around the swing (foot and ball relative to the ball's spot)\n"
    "  skills_lab play kick DIRECTION | dribble X Y [COMMON] [--kick FILE] [--from X Y H]\n"
    "                  [--ball X Y] [--seconds S] [--every N] [--ball-view 1|2]\n"
    "      the ball task as the agent plays it (pose by camera and walk, ball by camera)\n"
    "  skills_lab roll SPEED [COMMON]    a ball set rolling at SPEED m/s: how far, how long\n"
    "  skills_lab kick-tune --ranges FILE --out FILE --log FILE [--kick FILE]\n"
    "                  [--generations G] [--repeats R] [--sigma S] [--jitter M] [--seed N]\n"
    "                  [--played]\n"
    "      a short CMA-ES of the kick in this process, each candidate kicked R times with\n"
    "      the constants drawn and the feet alternating; --played: each kick played as the\n"
    "      agent plays it (approach, settle, kick) from a start drawn as bench/trials kick\n"
    "      draws it\n"
    "\n"
    "COMMON: --params FILE (walk parameters; the defaults otherwise), --set NAME=VALUE\n"
    "(repeatable), --seed N, --constants drawn|default (drawn: each of torque, friction and\n"
    "softness between half and double from the seed; the default for evaluate), --torque F\n"
    "--friction F --softness F (factors, with --constants default), --high-noise,\n"
    "--head-still (the head held looking ahead; by default it is swept as the agent\n"
    "sweeps it while walking),\n"
    "--push T X Y (an impulse in N·s at T seconds, server frame; repeatable), --delay N\n"
    "(cycles before the joint speeds act: 0 as the sparring server, the default).\n";

// A mistake on the command line: the tool names it and exits with status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Timed {
    double at;
    skills::WalkCommand command;
};

struct Options {
    std::string mode, params;
    std::vector<std::pair<std::string, double>> sets;
    Evaluation eval;
    bool constantsGiven = false;
    std::vector<Push> pushes;
    std::vector<Timed> commands;
    std::string task;
    double seconds = 10;
    int every = 25;
    Pose from{0, 0, 0};
    skills::FieldPose target;
    bool truth = false;
    bool trace = false;   // kick: a line per cycle around the swing
    bool played = false;  // kick-tune: each kick played from a drawn start
    TuneOptions tune;
    std::string ranges;
    std::string kickFile;
    std::vector<std::pair<std::string, double>> kickSets;
    skills::Foot foot = skills::Foot::Left;
    double jitter = 0;
    double rollSpeed = 0;
    PlaySettings play;
    double ballX = 1, ballY = 0;
};

double number(const std::string& option, const std::string& text) {
    try {
        std::size_t used = 0;
        const double v = std::stod(text, &used);
        if (used == text.size() && std::isfinite(v)) return v;
    } catch (const std::exception&) {
    }
    throw UsageError(option + " takes a number, not '" + text + "'");
}

Options parse(int argc, char** argv) {
    Options o;
    for (int k = 1; k < argc; ++k) {
        const std::string a = argv[k];
        if (a == "--help" || a == "-h") {
            o.mode = "help";
            return o;
        }
    }
    o.tune.runner.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (argc < 2)
        throw UsageError("usage: skills_lab walk|goto|evaluate|tune|hold ... (--help tells more)");
    o.mode = argv[1];
    std::vector<std::string> a(argv + 2, argv + argc);
    std::size_t i = 0;
    if (o.mode == "goto") {
        if (a.size() < 3) throw UsageError("goto takes X Y HEADING");
        o.target = {number("goto", a[0]), number("goto", a[1]), number("goto", a[2])};
        i = 3;
    }
    if (o.mode == "play") {
        if (a.size() >= 2 && a[0] == "kick") {
            o.play.direction = number("play kick", a[1]);
            i = 2;
        } else if (a.size() >= 3 && a[0] == "dribble") {
            o.play.kick = false;
            o.play.targetX = number("play dribble", a[1]);
            o.play.targetY = number("play dribble", a[2]);
            i = 3;
        } else {
            throw UsageError("play takes kick DIRECTION or dribble X Y");
        }
    }
    if (o.mode == "roll") {
        if (a.empty()) throw UsageError("roll takes SPEED");
        o.rollSpeed = number("roll", a[0]);
        i = 1;
    }
    auto next = [&](const std::string& opt) -> std::string {
        if (i + 1 >= a.size()) throw UsageError(opt + " needs a value");
        return a[++i];
    };
    auto num = [&](const std::string& opt) { return number(opt, next(opt)); };
    std::map<std::string, std::function<void(const std::string&)>> handlers = {
        {"--params", [&](auto& s) { o.params = next(s); }},
        {"--set",
         [&](auto& s) {
             const std::string v = next(s);
             const auto eq = v.find('=');
             if (eq == std::string::npos) throw UsageError("--set takes NAME=VALUE, not " + v);
             o.sets.emplace_back(v.substr(0, eq), number(v.substr(0, eq), v.substr(eq + 1)));
         }},
        {"--seed", [&](auto& s) { o.eval.seed = static_cast<unsigned>(num(s)); }},
        {"--constants",
         [&](auto& s) {
             const std::string v = next(s);
             if (v != "drawn" && v != "default") throw UsageError("--constants: drawn or default");
             o.eval.drawConstants = v == "drawn";
             o.constantsGiven = true;
         }},
        {"--torque", [&](auto& s) { o.eval.torque = num(s); }},
        {"--friction", [&](auto& s) { o.eval.friction = num(s); }},
        {"--softness", [&](auto& s) { o.eval.softness = num(s); }},
        {"--high-noise", [&](auto&) { o.eval.highNoise = true; }},
        {"--head-still", [&](auto&) { o.eval.headStill = true; }},
        {"--delay", [&](auto& s) { o.eval.delay = o.tune.delay = static_cast<int>(num(s)); }},
        {"--push",
         [&](auto& s) {
             o.pushes.push_back({num(s), num(s), num(s)});
         }},
        {"--at",
         [&](auto& s) {
             const double t = num(s), f = num(s), side = num(s), turn = num(s);
             o.commands.push_back({t, {f, side, turn}});
         }},
        {"--seconds", [&](auto& s) { o.seconds = num(s); }},
        {"--every", [&](auto& s) { o.every = std::max(1, static_cast<int>(num(s))); }},
        {"--from",
         [&](auto& s) {
             o.from = {num(s), num(s), num(s)};
         }},
        {"--truth", [&](auto&) { o.truth = o.eval.steerByTruth = true; }},
        {"--trace", [&](auto&) { o.trace = true; }},
        {"--played", [&](auto&) { o.played = true; }},
        {"--ball-view", [&](auto& s) { o.play.ballView = static_cast<int>(num(s)); }},
        {"--task", [&](auto& s) { o.task = o.tune.task = next(s); }},
        {"--time-scale", [&](auto& s) { o.eval.timeScale = o.tune.timeScale = num(s); }},
        {"--push-every", [&](auto& s) { o.eval.pushEvery = o.tune.pushEvery = num(s); }},
        {"--ranges", [&](auto& s) { o.ranges = next(s); }},
        {"--out", [&](auto& s) { o.tune.out = next(s); }},
        {"--log", [&](auto& s) { o.tune.log = next(s); }},
        {"--start", [&](auto& s) { o.tune.start = next(s); }},
        {"--generations", [&](auto& s) { o.tune.generations = static_cast<int>(num(s)); }},
        {"--population", [&](auto& s) { o.tune.population = static_cast<int>(num(s)); }},
        {"--repeats", [&](auto& s) { o.tune.repeats = static_cast<int>(num(s)); }},
        {"--sigma", [&](auto& s) { o.tune.sigma = num(s); }},
        {"--jobs", [&](auto& s) { o.tune.runner.jobs = static_cast<int>(num(s)); }},
        {"--parallel", [&](auto&) { o.tune.runner.parallel = true; }},
        {"--sshloginfile", [&](auto& s) { o.tune.runner.sshLoginFile = next(s); }},
        {"--id", [&](auto& s) { next(s); }},
        {"--kick", [&](auto& s) { o.kickFile = next(s); }},
        {"--kick-set",
         [&](auto& s) {
             const std::string v = next(s);
             const auto eq = v.find('=');
             if (eq == std::string::npos) throw UsageError("--kick-set takes NAME=VALUE, not " + v);
             o.kickSets.emplace_back(v.substr(0, eq), number(v.substr(0, eq), v.substr(eq + 1)));
         }},
        {"--foot",
         [&](auto& s) {
             const std::string v = next(s);
             if (v != "left" && v != "right") throw UsageError("--foot: left or right");
             o.foot = v == "left" ? skills::Foot::Left : skills::Foot::Right;
         }},
        {"--jitter", [&](auto& s) { o.jitter = num(s); }},
        {"--ball",
         [&](auto& s) {
             o.ballX = num(s);
             o.ballY = num(s);
         }},
    };
    for (; i < a.size(); ++i) {
        const auto h = handlers.find(a[i]);
        if (h == handlers.end()) throw UsageError("unknown option '" + a[i] + "'");
        h->second(a[i]);
    }
    if (!o.constantsGiven) o.eval.drawConstants = o.mode == "evaluate";
    if (o.mode == "kick" || o.mode == "roll" || o.mode == "play") o.eval.pushEvery = 0;
    o.play.seconds = o.seconds;
    o.play.every = o.every;
    o.tune.seed = o.eval.seed;
    return o;
}

// Parameters with the command line's NAME=VALUE settings over them.
template <class Parameters>
Parameters withSets(Parameters p, const std::vector<std::pair<std::string, double>>& sets,
                    const std::string& option, const std::string& what) {
    for (const auto& [name, value] : sets) {
        try {
            p.set(name, value);
        } catch (const std::out_of_range&) {
            throw UsageError(option + ": no " + what + " parameter is named '" + name + "'");
        }
    }
    return p;
}

skills::WalkParameters walkParameters(const Options& o) {
    return withSets(
        o.params.empty() ? skills::WalkParameters() : skills::readWalkParameters(o.params), o.sets,
        "--set", "walk");
}

double cpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void printPoses(SkillRun& run) {
    const Pose t = run.truth(), b = run.belief();
    std::printf("%6.2f truth %6.2f %6.2f %7.1f belief %6.2f %6.2f %7.1f%s%s%s\n", run.time(), t.x,
                t.y, t.heading, b.x, b.y, b.heading, run.located() ? "" : " (not located)",
                run.down() ? " down" : "", run.readDown() ? " (read down)" : "");
}

int walk(const Options& o) {
    SkillRun run(settingsFor(o.eval, o.from));
    for (const Push& p : o.pushes) run.schedule(p);
    skills::Walk w(walkParameters(o));
    const double cpu = cpuSeconds();
    std::size_t k = 0;
    for (long c = 0; run.time() < o.seconds - 1e-9; ++c) {
        while (k < o.commands.size() && o.commands[k].at <= run.time() + 1e-9)
            w.setCommand(o.commands[k++].command);
        if (c % o.every == 0) printPoses(run);
        run.cycle(w);
    }
    printPoses(run);
    const Pose t = run.truth();
    std::printf(
        "moved %.3f m (x %.3f, y %.3f), heading %.1f deg, falls %d, misread falls %d, sim_s "
        "%.2f cpu_s %.2f reading_s %.3f\n",
        std::hypot(t.x - o.from.x, t.y - o.from.y), t.x - o.from.x, t.y - o.from.y, t.heading,
        run.falls(), run.misreadFalls(), run.time(), cpuSeconds() - cpu, run.readingSeconds());
    return 0;
}

int goTo(const Options& o) {
    SkillRun run(settingsFor(o.eval, o.from));
    for (const Push& p : o.pushes) run.schedule(p);
    skills::Walk w(walkParameters(o));
    skills::GoTo go;
    go.setTarget(o.target);
    const double cpu = cpuSeconds();
    for (long c = 0;
         run.time() < o.seconds - 1e-9 && !go.arrived() && !run.down() && !run.readDown(); ++c) {
        const Pose self = o.truth ? run.truth() : run.belief();
        w.setCommand(go.step({self.x, self.y, self.heading}));
        if (c % o.every == 0) printPoses(run);
        run.cycle(w);
    }
    printPoses(run);
    const Pose t = run.truth();
    std::printf("%s after %.2f s: error %.3f m %.1f deg, falls %d, cpu_s %.2f\n",
                go.arrived() ? "arrived" : "not arrived", run.time(),
                std::hypot(t.x - o.target.x, t.y - o.target.y),
                skills::wrapDegrees(t.heading - o.target.heading), run.falls(), cpuSeconds() - cpu);
    return go.arrived() ? 0 : 1;
}

int evaluate(const Options& o) {
    if (o.task.empty())
        throw UsageError("evaluate needs --task (sprint, turn, legs, course, random, all)");
    const double cpu = cpuSeconds();
    const TaskResult r = runTask(o.task, walkParameters(o), o.eval);
    const RunSettings s = settingsFor(o.eval, {});
    std::printf("score %.4f", r.score);
    for (const auto& [name, value] : r.parts) std::printf(" %s %.4g", name.c_str(), value);
    std::printf(" falls %d seed %u torque %.3f friction %.3f softness %.3f sim_s %.2f cpu_s %.3f\n",
                r.falls, o.eval.seed, s.torque, s.friction, s.softness, r.simSeconds,
                cpuSeconds() - cpu);
    return 0;
}

std::string ownPath() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) throw std::runtime_error("cannot find the laboratory's own program");
    return std::string(buf, static_cast<std::size_t>(n));
}

int tune(Options o) {
    if (o.ranges.empty() || o.tune.out.empty() || o.tune.log.empty())
        throw UsageError("tune needs --ranges FILE --out FILE --log FILE");
    o.tune.ranges = readRanges(o.ranges);
    o.tune.lab = ownPath();
    const TuneSummary s = lab::tune(o.tune);
    std::printf("best %.4f evaluations %ld sim_s %.1f cpu_s %.1f; best in %s, log in %s\n",
                s.bestScore, s.evaluations, s.simSeconds, s.cpuSeconds, o.tune.out.c_str(),
                o.tune.log.c_str());
    return 0;
}

int hold(const Options& o) {
    SkillRun run(RunSettings{});
    HoldPose still;
    const double cpu = cpuSeconds();
    run.runFor(still, o.seconds);
    printPoses(run);
    std::printf("sim_s %.2f cpu_s %.3f\n", run.time(), cpuSeconds() - cpu);
    return 0;
}

skills::KickParameters kickParameters(const Options& o) {
    return withSets(
        o.kickFile.empty() ? skills::KickParameters() : skills::readKickParameters(o.kickFile),
        o.kickSets, "--kick-set", "kick");
}

void printOutcome(const KickOutcome& k) {
    std::printf(
        "ball %.3f m at %.1f deg off the heading, top %.2f m/s (foot %.2f m/s), %.3f m high, "
        "centre down to %.4f m, at rest after %.2f s; falls %d score %.3f\n",
        k.distance, k.direction, k.topSpeed, k.footSpeed, k.topHeight, k.lowest, k.seconds, k.falls,
        k.score);
}

int kick(const Options& o) {
    const double cpu = cpuSeconds();
    const KickOutcome k =
        runKick(kickParameters(o), walkParameters(o), o.eval, o.foot, o.jitter, o.trace);
    printOutcome(k);
    std::printf("cpu_s %.2f\n", cpuSeconds() - cpu);
    return 0;
}

int play(const Options& o) {
    const PlayOutcome r =
        runPlay(kickParameters(o), walkParameters(o), o.eval, o.from, o.ballX, o.ballY, o.play);
    std::printf(
        "%s after %.2f s: ball at %.2f %.2f, swing at %.2f s, travel %.2f m towards %.1f "
        "deg, falls %d\n",
        r.end.c_str(), r.seconds, r.ballX, r.ballY, r.swingTime, r.travel, r.direction, r.falls);
    std::printf("%s", r.ballView.c_str());
    return 0;
}

int roll(const Options& o) {
    printOutcome(rollBall(o.eval, o.rollSpeed));
    return 0;
}

int kickTune(const Options& o) {
    if (o.ranges.empty() || o.tune.out.empty() || o.tune.log.empty())
        throw UsageError("kick-tune needs --ranges FILE --out FILE --log FILE");
    KickTuneOptions t;
    t.ranges = o.ranges;
    t.start = o.kickFile;
    t.out = o.tune.out;
    t.log = o.tune.log;
    t.generations = o.tune.generations;
    t.repeats = o.tune.repeats;
    t.sigma = o.tune.sigma;
    t.jitter = o.jitter;
    t.played = o.played;
    t.seed = o.eval.seed;
    t.walk = walkParameters(o);
    std::printf("best %.3f in %s\n", tuneKick(t), t.out.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Options o = parse(argc, argv);
        if (o.mode == "help") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (o.mode == "walk") return walk(o);
        if (o.mode == "goto") return goTo(o);
        if (o.mode == "evaluate") return evaluate(o);
        if (o.mode == "tune") return tune(o);
        if (o.mode == "hold") return hold(o);
        if (o.mode == "kick") return kick(o);
        if (o.mode == "roll") return roll(o);
        if (o.mode == "play") return play(o);
        if (o.mode == "kick-tune") return kickTune(o);
        throw UsageError("unknown command '" + o.mode +
                         "' (walk, goto, evaluate, tune, hold, kick, roll, kick-tune, play)");
    } catch (const UsageError& e) {
        std::fprintf(stderr, "skills_lab: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skills_lab: %s\n", e.what());
        return 1;
    }
}
