// A laboratory for the get-up motions: plays a keyframe file on one robot of the
// physical world, without agent or network, and tunes it by CMA-ES.
//
//   getup_lab run FILE --from SIDE [--torque F] [--friction F] [--softness F]
//                 [--head YAW PITCH] [--delay S] [--heading D] [--every N] [--seconds S]
//                 [--pose FILE] [--roll D] [--once] [--beside M]
//                                                       trace of one get-up, then its outcome
//   getup_lab score FILE --from SIDE [--conditions N] [--pose FILE] [--roll D] [--beside M]
//                                                       outcome under every condition
//   getup_lab agent DIR --from SIDE [--conditions N] [--pose FILE] [--roll D] [--beside M]
//                   [--front-tries N]                    the agent's rules with DIR's get-ups
//   getup_lab cma FILE --from SIDE --out FILE [--conditions N] [--rows FIRST-LAST]
//                 [--mirror] [--fixed-times] [--goal front] [--sigma S] [--iterations N]
//                 [--seed N] [--beside-each LIST] [--worst-weight W]
//       tunes the targets (and spans) of the rows asked for; writes the best to --out
//       whenever it improves. --mirror keeps the motion symmetric (the right side follows
//       the left); --goal front tunes towards lying flat on the front.
//   getup_lab join FILE --with NEXT --out FILE          NEXT played after FILE
//   getup_lab mirror FILE --out FILE                    the motion for the other side
//
// SIDE: back, front, left, right or upright. The conditions are the world's default
// constants and each of torque, friction and contact softness at half and double, with
// head angles and headings varied; beyond seven, drawn at random. --beside-each plays them
// once with each robot it names lying beside (a get-up tuned against a body in its way).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>

#include "bench/lab/cma.h"
#include "bench/lab/getup_run.h"
#include "motion/skills/keyframes.h"

using namespace lab;
using skills::KeyframeMotion;
using skills::mirrored;
using skills::mirrorJoint;
using skills::writeKeyframeFile;
using sparring::Posture;

namespace {

// A motion file as the agent reads it; a file that cannot be opened or holds no
// keyframe is worth no trial.
KeyframeMotion readMotion(const std::string& path) {
    KeyframeMotion m;
    if (!skills::readKeyframeFile(path, m))
        throw std::runtime_error("cannot open motion file " + path);
    if (m.keyframes.empty()) throw std::runtime_error(path + ": no keyframes");
    return m;
}

struct Options {
    std::string mode, file, out, with, pose;
    Posture from = Posture::OnBack;
    Condition one;
    double seconds = 10;
    long iterations = 500;
    unsigned seed = 1;
    bool mirror = false, fixedTimes = false;
    bool rollToFront = false;  // --goal front: the motion is to end lying on the front
    int conditionCount = 7;
    int every = 5;  // cycles between trace lines    // conditions scored: 1 (defaults), 4 or 7
    double sigma = 1;
    // The share of the worst condition in a search's score, the rest the mean: a motion
    // tuned alone is to stand everywhere, one tuned among bodies beside as often as it can.
    double worstWeight = 0.5;
    int firstRow = 0, lastRow = 1000;
    // --beside-each: every condition is played once with each of these robots beside
    // (distance in metres as --beside, 0 for nobody; and how that robot lies).
    std::vector<std::pair<double, Posture>> besideEach;
};

Posture postureNamed(const std::string& s) {
    if (s == "back") return Posture::OnBack;
    if (s == "front") return Posture::OnFront;
    if (s == "left") return Posture::OnLeft;
    if (s == "right") return Posture::OnRight;
    if (s == "upright") return Posture::Upright;
    throw std::runtime_error("--from takes back, front, left or right, not '" + s + "'");
}

// "0,0.2,-0.25:front": robots beside as --beside takes them, each lying on its back
// unless a side follows the colon.
std::vector<std::pair<double, Posture>> besideList(const std::string& text) {
    std::vector<std::pair<double, Posture>> out;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string item = text.substr(at, comma - at);
        const std::size_t colon = item.find(':');
        const std::string distance = item.substr(0, colon);
        char* end = nullptr;
        const double m = std::strtod(distance.c_str(), &end);
        if (distance.empty() || *end != '\0')
            throw std::runtime_error("--beside-each: '" + item + "' is not a distance in metres");
        Posture lying = Posture::OnBack;
        if (colon != std::string::npos) {
            try {
                lying = postureNamed(item.substr(colon + 1));
            } catch (const std::exception&) {
                throw std::runtime_error("--beside-each: '" + item +
                                         "' lies back, front, left or right after the colon");
            }
        }
        out.emplace_back(m, lying);
        at = comma + 1;
    }
    return out;
}

// The physical world's solver for every condition of a run (the world's default unless
// --physics-solver says otherwise).
sparring::physics::Solver gSolver = sparring::physics::Approximate{}.solver;

sparring::physics::Solver solverNamed(const std::string& s) {
    if (s == "exact") return sparring::physics::Solver::Exact;
    if (s == "iterative") return sparring::physics::Solver::Iterative;
    throw std::runtime_error("--physics-solver takes exact or iterative, not '" + s + "'");
}

// The --help text: the commands, and the columns of what they print.
const char kHelp[] =
    "usage: getup_lab run|score|agent|cma|join|mirror FILE [options]    (getup_lab --help: this)\n"
    "Plays a keyframe file on one robot of the physical world, without agent or network.\n"
    "\n"
    "  run FILE --from SIDE [--torque F] [--friction F] [--softness F] [--head YAW PITCH]\n"
    "           [--delay S] [--heading D] [--every N] [--seconds S] [--pose FILE] [--roll D]\n"
    "           [--once] [--beside M]\n"
    "      one get-up, traced every N cycles (5), then its outcome\n"
    "  score FILE --from SIDE [--conditions N] [--pose FILE] [--roll D] [--beside M]\n"
    "      the outcome under each of N conditions (7)\n"
    "  --pose FILE  the robot lies with its joints at FILE's last keyframe (as a motion cut\n"
    "               short left them) instead of every joint at 0\n"
    "  --roll D     it lies rolled D degrees about its long axis, towards its right side\n"
    "               when positive (as off a side or out of a roll that fell short)\n"
    "  --once       the motion is played once, not again while the robot is down\n"
    "  --beside M   another robot lies on its back beside it, torsos M metres apart, on\n"
    "               its right when positive, on its left when negative\n"
    "  --beside-from SIDE  that robot lies this way instead of on its back\n"
    "  --beside-agent      (agent) that robot gets up by the agent's rules too; the\n"
    "               outcome is the later of the two standing\n"
    "  --beside-each LIST  (score, agent, cma) every condition once with each robot of\n"
    "               LIST beside: distances as --beside, 0 for nobody, each lying on its\n"
    "               back or as SIDE after a colon (\"0,0.2,-0.25:front\")\n"
    "  cma FILE --from SIDE --out FILE [--conditions N] [--rows FIRST-LAST] [--mirror]\n"
    "           [--fixed-times] [--goal front] [--sigma S] [--iterations N] [--seed N]\n"
    "           [--worst-weight W]\n"
    "      tunes the rows' targets (and spans); writes the best motion to --out; the score\n"
    "      weighs the worst condition by W (0.5), the mean by the rest\n"
    "  agent DIR --from SIDE [--conditions N] [--pose FILE] [--roll D] [--beside M]\n"
    "      the agent's get-up rules with DIR's getUp*.txt under each of N conditions (7),\n"
    "      within --seconds (10); --front-tries N: front get-ups that may leave the robot\n"
    "      down before it rolls back onto its back and on over the other side (0: never)\n"
    "  join FILE --with NEXT --out FILE           NEXT played after FILE\n"
    "  mirror FILE --out FILE                     the motion for the other side\n"
    "SIDE: back, front, left, right or upright. F: a factor of the world's default.\n"
    "Every command takes --physics-solver exact|iterative (the world's default: exact).\n"
    "\n"
    "A trace line of run (one line; this one 4.8 s into the back get-up):\n"
    "   4.80 cam 19.9 tilt  105 fwd -0.97 left  0.03 | sh    5, 22 hand    6, 12 hip   23, 28\n"
    "   knee   24, 17 foot   25,  2 com   16, 18 | F  30  15 | j   95   -2    2    3\n"
    "  4.80         seconds since the fall\n"
    "  cam          the camera's height, cm\n"
    "  tilt         the torso's tilt from vertical, degrees (0 upright, 90 lying)\n"
    "  fwd, left    heights of the tips of the torso's forward and leftward unit axes\n"
    "               (-1..1: fwd -1 lies on the front, +1 on the back)\n"
    "  sh hand hip knee foot\n"
    "               the left shoulder, hand, hip, knee and foot: x (along the world's x)\n"
    "               and height, cm\n"
    "  com          the centre of mass: x and height, cm\n"
    "  F            the contact forces of the left and the right foot along the sole's\n"
    "               normal, N (0: no contact)\n"
    "  j            left hip pitch, knee, ankle pitch and shoulder pitch (llj3, llj4,\n"
    "               llj5, laj1), degrees\n"
    "  (still)      the motion is not playing (before its start, or after its end)\n"
    "\n"
    "The outcome (run, and score after each condition's settings):\n"
    "  (ends with forward axis F, leftward L[, read on its back on the way]) then\n"
    "  \"stood after S s\" (upright by the server's rule and not down again for 3 s),\n"
    "  \"stood after S s, fell again\" or \"did not stand (progress P)\" (0..1, how far up\n"
    "  it came and stayed for 0.3 s). F and L are fwd and left averaged over the last\n"
    "  0.3 s; \"read on its back\": the agent would have played its back get-up instead.\n"
    "cma prints \"start: V\", then at each better motion \"generation G, evaluation E: V\n"
    "(mean M, worst W, stood K/N) sigma S\": V the score (half the mean, half the worst\n"
    "of the conditions unless --worst-weight says otherwise; 100 less the seconds to stand\n"
    "for a success, below 60 otherwise).\n";

Options parse(int argc, char** argv) {
    if (argc < 3)
        throw std::runtime_error(
            "usage: getup_lab run|score|agent|cma|join|mirror FILE ... (--help tells more)");
    Options o;
    o.mode = argv[1];
    o.file = argv[2];
    for (int i = 3; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::runtime_error(a + " needs a value");
            return argv[++i];
        };
        if (a == "--from")
            o.from = postureNamed(value());
        else if (a == "--physics-solver")
            o.one.solver = solverNamed(value());
        else if (a == "--torque")
            o.one.torque = std::stod(value());
        else if (a == "--friction")
            o.one.friction = std::stod(value());
        else if (a == "--softness")
            o.one.softness = std::stod(value());
        else if (a == "--head") {
            o.one.headYaw = std::stod(value());
            o.one.headPitch = std::stod(value());
        } else if (a == "--seconds")
            o.seconds = std::stod(value());
        else if (a == "--every")
            o.every = std::stoi(value());
        else if (a == "--delay")
            o.one.delay = std::stod(value());
        else if (a == "--heading")
            o.one.heading = std::stod(value());
        else if (a == "--once")
            o.one.once = true;
        else if (a == "--pose")
            o.pose = value();
        else if (a == "--roll")
            o.one.roll = std::stod(value());
        else if (a == "--beside")
            o.one.beside = std::stod(value());
        else if (a == "--beside-from")
            o.one.besideFrom = postureNamed(value());
        else if (a == "--beside-each")
            o.besideEach = besideList(value());
        else if (a == "--beside-agent")
            o.one.besideAgent = true;
        else if (a == "--front-tries")
            o.one.frontTries = std::stoi(value());
        else if (a == "--out")
            o.out = value();
        else if (a == "--with")
            o.with = value();
        else if (a == "--iterations")
            o.iterations = std::stol(value());
        else if (a == "--seed")
            o.seed = static_cast<unsigned>(std::stoul(value()));
        else if (a == "--mirror")
            o.mirror = true;
        else if (a == "--goal")
            o.rollToFront = value() == "front";
        else if (a == "--conditions")
            o.conditionCount = std::stoi(value());
        else if (a == "--worst-weight")
            o.worstWeight = std::stod(value());
        else if (a == "--sigma")
            o.sigma = std::stod(value());
        else if (a == "--fixed-times")
            o.fixedTimes = true;
        else if (a == "--rows") {
            const std::string r = value();
            const auto dash = r.find('-');
            o.firstRow = std::stoi(r.substr(0, dash));
            o.lastRow = dash == std::string::npos ? o.firstRow : std::stoi(r.substr(dash + 1));
        } else
            throw std::runtime_error("unknown option " + a);
    }
    o.one.from = o.from;
    gSolver = o.one.solver;
    return o;
}

// The conditions a motion is scored under.
std::vector<Condition> conditions(const Condition& lying, int count, bool once) {
    std::vector<Condition> all;
    auto add = [&](double torque, double friction, double softness, double yaw, double pitch) {
        Condition c;
        c.from = lying.from;
        c.roll = lying.roll;
        c.beside = lying.beside;
        c.besideFrom = lying.besideFrom;
        c.besideAgent = lying.besideAgent;
        c.agent = lying.agent;
        c.frontTries = lying.frontTries;
        c.pose = lying.pose;
        c.torque = torque;
        c.friction = friction;
        c.softness = softness;
        c.headYaw = yaw;
        c.headPitch = pitch;
        c.heading = 37.0 * static_cast<double>(all.size());
        // The agent starts its get-up one to four cycles after the fall.
        c.delay = 0.02 + 0.02 * static_cast<double>(all.size() % 4);
        c.once = once;
        c.solver = gSolver;
        all.push_back(c);
    };
    add(1, 1, 1, 30, -20);
    if (count == 1) return all;
    add(0.5, 1, 1, -60, 10);
    add(1, 0.5, 1, 90, 40);
    add(1, 1, 2, -110, -40);
    if (count <= 4) return all;
    add(2, 1, 1, 0, 0);
    add(1, 2, 1, 45, 30);
    add(1, 1, 0.5, -20, -10);
    // Beyond the seven: drawn at random (the same every run), every approximate
    // constant between half and double its default, head angles anywhere in their
    // ranges, the motion starting one to four cycles after the fall, and a push of up
    // to 0.3 N s in any direction as the robot comes to lie.
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> unit(0, 1);
    while (static_cast<int>(all.size()) < count) {
        auto factor = [&] { return std::pow(2.0, 2 * unit(rng) - 1); };
        const double torque = factor(), friction = factor(), softness = factor();
        add(torque, friction, softness, 240 * unit(rng) - 120, 90 * unit(rng) - 45);
        all.back().delay = 0.02 + 0.02 * std::floor(4 * unit(rng));
        all.back().heading = 360 * unit(rng) - 180;
        const double nudge = 0.3 * unit(rng), direction = 2 * M_PI * unit(rng);  // N s, rad
        all.back().nudgeX = nudge * std::cos(direction);
        all.back().nudgeY = nudge * std::sin(direction);
    }
    return all;
}

// The conditions of a run: the N conditions, or with --beside-each, the N conditions once
// with each robot beside in turn.
std::vector<Condition> conditions(const Options& o, bool once) {
    if (o.besideEach.empty()) return conditions(o.one, o.conditionCount, once);
    std::vector<Condition> all;
    for (const auto& [distance, lying] : o.besideEach) {
        Condition c = o.one;
        c.beside = distance;
        c.besideFrom = lying;
        for (const Condition& each : conditions(c, o.conditionCount, once)) all.push_back(each);
    }
    return all;
}

// What a line of score or agent starts with: the condition's settings.
void printCondition(const Condition& c) {
    std::printf("torque %.1f friction %.1f softness %.1f head %4.0f %4.0f", c.torque, c.friction,
                c.softness, c.headYaw, c.headPitch);
    if (c.beside != 0)
        std::printf(" beside %.2f %s", c.beside, sparring::postureName(c.besideFrom));
    std::printf(": ");
}

struct Score {
    double mean = 0, worst = 0, total = 0;
    int stood = 0;
};

Score score(const KeyframeMotion& m, const std::vector<Condition>& cs, double seconds,
            bool rollToFront, double worstWeight) {
    Score s;
    s.worst = 1e9;
    for (const Condition& c : cs) {
        const Outcome o = runGetUp(m, c, seconds);
        double value = rollToFront ? 50 * (1 - o.forwardEnd) - 20 * std::fabs(o.leftEnd) : o.score;
        // Only the back get-up may pass through lying on the back: any other is cut
        // short there by the back get-up.
        if (c.from != Posture::OnBack && o.readOnBack) value -= 30;
        s.mean += value / static_cast<double>(cs.size());
        s.worst = std::min(s.worst, value);
        s.stood += o.stood && !o.fellAgain;
    }
    s.total = (1 - worstWeight) * s.mean + worstWeight * s.worst;
    return s;
}

void report(const Outcome& o) {
    std::printf("(ends with forward axis %.2f, leftward %.2f%s) ", o.forwardEnd, o.leftEnd,
                o.readOnBack ? ", read on its back on the way" : "");
    if (o.stood && !o.fellAgain)
        std::printf("stood after %.2f s\n", o.stoodAt);
    else if (o.stood)
        std::printf("stood after %.2f s, fell again\n", o.stoodAt);
    else
        std::printf("did not stand (progress %.2f)\n", o.progress);
}

// Keeps every target within its joint's range and every span at least two cycles.
void clampMotion(KeyframeMotion& m) {
    double at = m.keyframes.front().start;
    for (auto& k : m.keyframes) {
        const double span = std::max(0.04, k.end - k.start);
        k.start = at;
        k.end = at + span;
        at = k.end;
        for (std::size_t c = 0; c < m.joints.size(); ++c) {
            const int j = m.joints[c];
            if (j < 0) continue;
            k.targets[c] = std::clamp(k.targets[c], sparring::kJoints[j].minDegrees,
                                      sparring::kJoints[j].maxDegrees);
        }
    }
}

// The joints a search varies: with --mirror the left ones (the right follow), the
// sideways rolls of hips and ankles and the arm yaws staying as the file has them.
std::vector<int> freeJoints(const KeyframeMotion& m, const Options& o) {
    using namespace sparring;
    std::vector<int> out;
    for (int j : m.joints) {
        if (j < 0) continue;
        if (o.mirror) {
            const bool left = j == ::LLJ1 || j == ::LLJ3 || j == ::LLJ4 || j == ::LLJ5 ||
                              j == ::LAJ1 || j == ::LAJ2 || j == ::LAJ4;
            if (!left) continue;
        }
        out.push_back(j);
    }
    return out;
}

constexpr double kAngleUnit = 12;   // degrees per unit of the search's space
constexpr double kSpanUnit = 0.25;  // log of a span per unit

std::vector<double> encode(const KeyframeMotion& m, const Options& o) {
    std::vector<double> x;
    const int last = std::min(o.lastRow, static_cast<int>(m.keyframes.size()) - 1);
    for (int r = o.firstRow; r <= last; ++r) {
        const auto& k = m.keyframes[r];
        for (int j : freeJoints(m, o)) x.push_back(m.target(r, j) / kAngleUnit);
        if (!o.fixedTimes) x.push_back(std::log(k.end - k.start) / kSpanUnit);
    }
    return x;
}

KeyframeMotion decode(const KeyframeMotion& base, const std::vector<double>& x, const Options& o) {
    KeyframeMotion m = base;
    std::size_t at = 0;
    const int last = std::min(o.lastRow, static_cast<int>(m.keyframes.size()) - 1);
    for (int r = o.firstRow; r <= last; ++r) {
        auto& k = m.keyframes[r];
        for (int j : freeJoints(m, o)) {
            const double target = x[at++] * kAngleUnit;
            m.setTarget(r, j, target);
            double sign = 1;
            const int twin = mirrorJoint(j, sign);
            if (o.mirror && twin != j) m.setTarget(r, twin, sign * target);
        }
        if (!o.fixedTimes) k.end = k.start + std::clamp(std::exp(x[at++] * kSpanUnit), 0.04, 2.0);
    }
    clampMotion(m);
    return m;
}

void cmaSearch(const Options& o) {
    const KeyframeMotion base = readMotion(o.file);
    const auto cs = conditions(o, true);
    Cma cma(encode(base, o), o.sigma, o.seed);
    // The start itself first: CMA samples around it and may never try it.
    double best = score(base, cs, o.seconds, o.rollToFront, o.worstWeight).total;
    writeKeyframeFile(base, o.out);
    std::printf("start: %.2f\n", best);
    std::fflush(stdout);  // a log read during a long search shows where it began
    long evaluations = 0;
    for (long g = 1; evaluations < o.iterations; ++g) {
        const auto xs = cma.ask();
        std::vector<double> values;
        for (const auto& x : xs) {
            const KeyframeMotion m = decode(base, x, o);
            const Score s = score(m, cs, o.seconds, o.rollToFront, o.worstWeight);
            ++evaluations;
            values.push_back(s.total);
            if (s.total > best) {
                best = s.total;
                writeKeyframeFile(m, o.out);
                std::printf(
                    "generation %ld, evaluation %ld: %.2f (mean %.2f, worst %.2f, stood %d/%zu) "
                    "sigma %.3f\n",
                    g, evaluations, s.total, s.mean, s.worst, s.stood, cs.size(), cma.sigma());
                std::fflush(stdout);
            }
        }
        cma.tell(xs, values);
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        }
    }
    try {
        Options o = parse(argc, argv);
        KeyframeMotion pose;
        if (!o.pose.empty()) {
            pose = readMotion(o.pose);
            o.one.pose = &pose;
        }
        if (o.mode == "run") {
            const KeyframeMotion m = readMotion(o.file);
            report(runGetUp(m, o.one, o.seconds, stdout, o.every));
        } else if (o.mode == "score") {
            const KeyframeMotion m = readMotion(o.file);
            for (const Condition& c : conditions(o, false)) {
                printCondition(c);
                report(runGetUp(m, c, o.seconds));
            }
        } else if (o.mode == "agent") {
            // FILE is a folder holding the four get-ups, as the agent's Acts/ does.
            skills::GetUp::Motions motions;
            motions.back = readMotion(o.file + "/getUp.txt");
            skills::readKeyframeFile(o.file + "/getUpFront.txt", motions.front);
            skills::readKeyframeFile(o.file + "/getUpLeft.txt", motions.left);
            skills::readKeyframeFile(o.file + "/getUpRight.txt", motions.right);
            o.one.agent = &motions;
            int stood = 0, count = 0;
            for (const Condition& c : conditions(o, false)) {
                printCondition(c);
                const Outcome out = runGetUp(motions.back, c, o.seconds);
                report(out);
                stood += out.stood && !out.fellAgain ? 1 : 0;
                ++count;
            }
            std::printf("stood %d/%d\n", stood, count);
        } else if (o.mode == "join") {
            // FILE then --out: the motions named by --with follow FILE's last keyframe.
            KeyframeMotion m = readMotion(o.file);
            const KeyframeMotion next = readMotion(o.with);
            if (next.joints != m.joints)
                throw std::runtime_error("the two files drive other joints");
            const double shift = m.end() - next.keyframes.front().start;
            for (std::size_t i = 0; i < next.keyframes.size(); ++i) {
                auto k = next.keyframes[i];
                k.start += shift;
                k.end += shift;
                m.keyframes.push_back(k);
                m.comments.push_back(next.comments[i]);
            }
            writeKeyframeFile(m, o.out);
        } else if (o.mode == "mirror") {
            writeKeyframeFile(mirrored(readMotion(o.file)), o.out);
        } else if (o.mode == "cma") {
            if (o.out.empty()) throw std::runtime_error("cma needs --out FILE");
            cmaSearch(o);
        } else {
            throw std::runtime_error("unknown mode '" + o.mode +
                                     "' (run, score, cma, join or mirror)");
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "getup_lab: %s\n", e.what());
        return 2;
    }
    return 0;
}
