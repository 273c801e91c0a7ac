// walk_try: plays the walk on one robot of the physical world in-process and prints how
// far and how fast it went and whether it fell.
//
//   walk_try [--forward M/S] [--sideways M/S] [--turn DEG/S] [--in-place] [--seconds S]
//            [--measure-from S] [--torque K] [--friction K] [--softness K] [--delay CYCLES]
//            [--params FILE] [--set NAME=VALUE]... [--random SEED] [--trace]
//   walk_try [--params FILE] [--set NAME=VALUE]... --write FILE
//
// --random replaces the command by a new random one every 1 to 3 seconds; --write
// writes the parameters (defaults, file and --set) to a parameter file and runs nothing;
// --delay 1 makes each cycle's joint speeds act one cycle later, as through a server.

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "bench/lab/walk_run.h"

namespace {

struct Options {
    skills::WalkCommand command;
    double seconds = 10, measureFrom = 3;
    lab::WalkWorld world;
    skills::WalkParameters params;
    unsigned random = 0;
    bool trace = false;
    std::string write;
};

double number(const std::string& option, const char* text) {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0')
        throw std::runtime_error(option + ": '" + text + "' is not a number");
    return v;
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) throw std::runtime_error(a + " needs a value");
            return argv[++i];
        };
        if (a == "--forward")
            o.command.forward = number(a, value());
        else if (a == "--sideways")
            o.command.sideways = number(a, value());
        else if (a == "--turn")
            o.command.turn = number(a, value());
        else if (a == "--in-place")
            o.command.inPlace = true;
        else if (a == "--seconds")
            o.seconds = number(a, value());
        else if (a == "--measure-from")
            o.measureFrom = number(a, value());
        else if (a == "--torque")
            o.world.torque = number(a, value());
        else if (a == "--friction")
            o.world.friction = number(a, value());
        else if (a == "--delay")
            o.world.delay = static_cast<int>(number(a, value()));
        else if (a == "--softness")
            o.world.softness = number(a, value());
        else if (a == "--params")
            o.params = skills::readWalkParameters(value());
        else if (a == "--random")
            o.random = static_cast<unsigned>(number(a, value()));
        else if (a == "--trace")
            o.trace = true;
        else if (a == "--write")
            o.write = value();
        else if (a == "--set") {
            const std::string s = value();
            const std::size_t eq = s.find('=');
            if (eq == std::string::npos) throw std::runtime_error("--set '" + s + "': no '='");
            o.params.set(s.substr(0, eq), number("--set " + s, s.substr(eq + 1).c_str()));
        } else {
            throw std::runtime_error("unknown option '" + a + "'");
        }
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Options o = parse(argc, argv);
        if (!o.write.empty()) {
            skills::writeWalkParameters(o.params, o.write);
            return 0;
        }
        std::vector<lab::TimedCommand> commands;
        if (o.random != 0)
            commands = lab::randomCommands(o.random, o.seconds);
        else
            commands.push_back({0, o.command});
        const lab::WalkOutcome r = lab::runWalk(o.params, o.world, commands, o.seconds,
                                                o.measureFrom, o.trace ? stdout : nullptr);
        std::printf(
            "moved %.3f m forward %.3f m left turned %.1f deg in %.2f s | from %.1f s: "
            "%.3f m/s forward %.3f m/s left %.1f deg/s | %s",
            r.forward, r.sideways, r.turned, r.seconds, o.measureFrom, r.forwardSpeed,
            r.sidewaysSpeed, r.turnRate, r.fell ? "FELL" : "stood");
        if (r.fell) std::printf(" at %.2f s", r.fellAt);
        std::printf("\n");
        return r.fell ? 1 : 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "walk_try: %s\n", e.what());
        return 2;
    }
}
