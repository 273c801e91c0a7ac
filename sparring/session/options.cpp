#include "sparring/session/options.h"

#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <stdexcept>

namespace sparring {

namespace {

double number(const std::string& option, const std::string& text, double min, double max) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(v) || v < min || v > max) {
        throw OptionError(option + ": \"" + text + "\" is not a number from " +
                          std::to_string(min) + " to " + std::to_string(max));
    }
    return v;
}

int whole(const std::string& option, const std::string& text, double min, double max) {
    const double v = number(option, text, min, max);
    if (v != std::floor(v)) throw OptionError(option + ": \"" + text + "\" is not a whole number");
    return static_cast<int>(v);
}

using Setter = std::function<void(CommandLine&, const std::string&, const std::string&)>;

const std::map<std::string, Setter>& valueOptions() {
    static const std::map<std::string, Setter> options = {
        {"--port",
         [](CommandLine& c, const std::string& o, const std::string& v) {
             c.server.port = static_cast<unsigned short>(whole(o, v, 0, 65535));
         }},
        {"--agents", [](CommandLine& c, const std::string& o,
                        const std::string& v) { c.server.agents = whole(o, v, 0, 22); }},
        {"--wait", [](CommandLine& c, const std::string& o,
                      const std::string& v) { c.server.waitSeconds = number(o, v, 0, 3600); }},
        {"--timeout",
         [](CommandLine& c, const std::string& o, const std::string& v) {
             c.server.replyTimeoutMs = whole(o, v, 1, 600000);
         }},
        {"--duration",
         [](CommandLine& c, const std::string& o, const std::string& v) {
             c.server.times.duration = number(o, v, 0.02, 1e6);
         }},
        {"--before-kickoff",
         [](CommandLine& c, const std::string& o, const std::string& v) {
             c.server.times.beforeKickOff = number(o, v, 0, 1e6);
         }},
        {"--kickoff", [](CommandLine& c, const std::string& o,
                         const std::string& v) { c.server.times.kickOff = number(o, v, 0, 1e6); }},
        {"--goal-pause",
         [](CommandLine& c, const std::string& o, const std::string& v) {
             c.server.times.goalPause = number(o, v, 0, 1e6);
         }},
        {"--set-play", [](CommandLine& c, const std::string& o,
                          const std::string& v) { c.server.times.setPlay = number(o, v, 0, 1e6); }},
        {"--lie-time", [](CommandLine& c, const std::string& o,
                          const std::string& v) { c.server.lieSeconds = number(o, v, 0.02, 1e6); }},
        {"--view-angle",
         [](CommandLine& c, const std::string& o, const std::string& v) {
             c.server.vision.viewAngle = number(o, v, 1, 360);
         }},
        {"--vision-period",
         [](CommandLine& c, const std::string& o, const std::string& v) {
             c.server.vision.period = whole(o, v, 1, 1000);
         }},
        {"--noise-angle",
         [](CommandLine& c, const std::string& o, const std::string& v) {
             c.server.vision.angleNoise = number(o, v, 0, 90);
         }},
        {"--noise-distance",
         [](CommandLine& c, const std::string& o, const std::string& v) {
             c.server.vision.distanceNoise = number(o, v, 0, 1);
         }},
        {"--seed",
         [](CommandLine& c, const std::string& o, const std::string& v) {
             c.server.vision.seed = static_cast<unsigned>(whole(o, v, 0, 4294967295.0));
         }},
        {"--forms",
         [](CommandLine& c, const std::string& o, const std::string& v) {
             if (v != "new" && v != "old")
                 throw OptionError(o + ": \"" + v + "\" is not new or old");
             c.server.forms = v == "new" ? MessageForms::New : MessageForms::Old;
         }},
        {"--scenario",
         [](CommandLine& c, const std::string&, const std::string& v) { c.scenarioPath = v; }},
        {"--formation",
         [](CommandLine& c, const std::string&, const std::string& v) { c.formationPath = v; }},
        {"--svg",
         [](CommandLine& c, const std::string&, const std::string& v) { c.server.svgPath = v; }},
        {"--replay",
         [](CommandLine& c, const std::string&, const std::string& v) { c.server.replayPath = v; }},
        {"--motor-torque",
         [](CommandLine& c, const std::string& o, const std::string& v) {
             c.server.physics.motorTorque = number(o, v, 0.01, 1000);
         }},
        {"--friction",
         [](CommandLine& c, const std::string& o, const std::string& v) {
             c.server.physics.friction = number(o, v, 0, 100);
         }},
        {"--contact-softness",
         [](CommandLine& c, const std::string& o, const std::string& v) {
             c.server.physics.softness = number(o, v, 0.01, 100);
         }},
        {"--physics-solver",
         [](CommandLine& c, const std::string&, const std::string& v) {
             if (v != "exact" && v != "iterative") {
                 throw OptionError("--physics-solver: \"" + v + "\" is not exact or iterative");
             }
             c.server.physics.solver =
                 v == "exact" ? physics::Solver::Exact : physics::Solver::Iterative;
         }},
        {"--trace",
         [](CommandLine& c, const std::string&, const std::string& v) { c.server.tracePath = v; }},
        {"--summary",
         [](CommandLine& c, const std::string&, const std::string& v) { c.summaryPath = v; }},
        {"--port-file",
         [](CommandLine& c, const std::string&, const std::string& v) { c.portFile = v; }},
    };
    return options;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine c;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            c.help = true;
            continue;
        }
        if (a == "--world") {
            if (i + 1 == args.size()) throw OptionError(a + " needs a value");
            const std::string& w = args[++i];
            if (w != "physics" && w != "kinematic") {
                throw OptionError("--world: \"" + w + "\" is not physics or kinematic");
            }
            c.server.world = w == "physics" ? WorldKind::Physics : WorldKind::Kinematic;
            continue;
        }
        if (a == "--field") {
            if (i + 1 == args.size()) throw OptionError(a + " needs a value");
            const std::string& f = args[++i];
            try {
                c.server.field = &fieldSpecNamed(f);
            } catch (const std::invalid_argument&) {
                throw OptionError("--field: \"" + f + "\" is not 12x8 or 30x20");
            }
            continue;
        }
        if (a == "--full-vision") {
            c.server.vision.full = true;
            continue;
        }
        if (a == "--sync") {
            c.server.sync = true;
            continue;
        }
        const auto option = valueOptions().find(a);
        if (option == valueOptions().end()) throw OptionError("unknown option \"" + a + "\"");
        if (i + 1 == args.size()) throw OptionError(a + " needs a value");
        option->second(c, a, args[++i]);
    }
    return c;
}

const char* usageText() {
    return "usage: sparring [options]\n"
           "A stand-in simulation server: runs a match in lock-step with the agents that\n"
           "connect to 127.0.0.1 and prints a summary at the end.\n"
           "  --world W           physics (rigid bodies, the default) or kinematic\n"
           "  --field F           the field: 12x8 (the default) or 30x20, the league's\n"
           "  --port N            listening port (default 3100; 0 picks a free one)\n"
           "  --port-file FILE    write the port listened on to FILE\n"
           "  --agents N          start once N agents have sent init (default 0)\n"
           "  --wait S            wait at most S real seconds for them (default 10)\n"
           "  --timeout MS        drop an agent silent for MS milliseconds (default 2000)\n"
           "  --sync              advance a cycle only once every agent has sent (syn)\n"
           "  --duration S        simulated seconds until GameOver (default 30)\n"
           "  --before-kickoff S  BeforeKickOff lasts S seconds (default 3)\n"
           "  --kickoff S         a kick-off lasts S seconds (default 0.5)\n"
           "  --goal-pause S      a goal play mode lasts S seconds (default 2)\n"
           "  --set-play S        a kick-in, corner or goal kick not taken within S seconds\n"
           "                      is given up (default 15)\n"
           "  --lie-time S        a fallen robot stands again after S seconds (default 5)\n"
           "  --forms new|old     the server's newer or older message forms (default: the\n"
           "                      world's, new for physics and old for kinematic)\n"
           "  --full-vision       see everything, whatever the camera's direction\n"
           "  --view-angle DEG    opening of the view cone (default 120)\n"
           "  --vision-period N   vision every N-th cycle (default 1)\n"
           "  --noise-angle DEG   Gaussian noise on seen angles (default 0)\n"
           "  --noise-distance F  Gaussian noise on seen distances, fraction (default 0)\n"
           "  --seed N            seed of the noise (default 1)\n"
           "  --scenario FILE     scripted events\n"
           "  --formation FILE    formation to hold beams against\n"
           "  --svg FILE          picture of the field at the end (default sparring-field.svg)\n"
           "  --summary FILE      also write the summary to FILE\n"
           "  --replay FILE       write the replay page of the match to FILE\n"
           "  --motor-torque NM   physical world: a motor's torque limit (default 10)\n"
           "  --friction MU       physical world: contact friction coefficient (default 1)\n"
           "  --contact-softness F  physical world: contacts F times as soft (default 1)\n"
           "  --physics-solver S  physical world: exact (the default) or iterative (faster;\n"
           "                      the get-ups are tuned for the exact one)\n"
           "  --trace FILE        write every robot's posture every cycle to FILE\n";
}

}  // namespace sparring
