// The agent process: reads the command line, connects to the simulation server,
// and runs the receive-think-send loop, one reply per server message, until the
// server's stream ends.
#include <unistd.h>

#include <boost/scoped_ptr.hpp>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "behavior/drill.h"
#include "behavior/mybehavior.h"
#include "behavior/position.h"
#include "main/cyclelog.h"
#include "main/standardstreams.h"
#include "net/addr.h"
#include "net/connectionmanager.h"
#include "net/exception.h"
#include "worldmodel/field.h"
#include "worldmodel/worldmodel.h"

namespace {

bool gLoop = true;

// Set by "--sync": the server advances a cycle only once every agent has ended its
// reply with this command, so every reply, the init reply included, carries it.
bool gSync = false;
const char kSyncCommand[] = "(syn)";

// Set by "--log FILE": one line per cycle for a person to read, beside the standard
// output that the design fixes.
const char* gLogPath = nullptr;
std::unique_ptr<CycleLog> gLog;

// Set by "--drill FILE": a timed list of commands in place of the role. The drill and
// the walk's parameters are read before the agent connects, so that a bad line stops
// it at once.
const char* gDrillPath = nullptr;
std::unique_ptr<Drill> gDrill;
skills::WalkParameters gWalkParameters;
skills::KickParameters gKickParameters;
// The walk's and the kick's parameters in the team folder; without a kick.conf the
// drill kicks with the built-in parameters.
const char kWalkFile[] = "walk.conf";
const char kKickFile[] = "kick.conf";
// Set by "--soccer": team play in place of the roles (goalkeeper, standing field players).
bool gSoccer = false;
// Set by "--field NAME": the field played on; the design's 12 x 8 unless named.
const FieldGeometry* gField = &designField();
// Set by "--formation FILE": the formation file, relative to the working directory.
std::string gFormationFile = Position::kDefaultFile;
// Set by "--team NAME": the team's name in the init message; empty keeps the designed one.
std::string gTeamName;

// A team name goes into the init message as one word of an S-expression: letters,
// digits, '_' and '-' only, at most 20 of them, so that two teams of this agent can meet
// under names of their own and no name can break the message.
bool validTeamName(const std::string& name) {
    if (name.empty() || name.size() > 20) return false;
    for (const char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') return false;
    return true;
}

// A command-line option that cannot be used as given.
class OptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The word after an option that takes a value. An option given as the last
// word has none: that is reported as an error rather than read past the end.
const char* OptionValue(int argc, char** argv, int& i) {
    if (i + 1 >= argc) {
        throw OptionError(std::string("option ") + argv[i] + " needs a value");
    }
    return argv[++i];
}

// The connection is created during static initialisation, as the socket is
// opened at once: the standard descriptors are made safe first, in the same
// initialiser, so that no order of initialisation can give the socket one of
// them.
ConnectionManager* createConnection() {
    guardStandardStreams();
    return new ConnectionManager();
}

}  // namespace

int uNum = 1;
ConnectionManager* connection = createConnection();

void PrintHelp() {
    std::cout << "\nUsage: halyx [OPTOINS]\nOptions:\n"
                 "\t--help: show this screen\n"
                 "\t--teamname <teamname>: set the team name of the player\n"
                 "\t--host <hostname>: set host name of the server\n"
                 "\t--port <port_no>: set the port number to connect to\n\n";
}

// False when the process is to end at once (after "--help"). Values are not
// validated: a non-numeric number reads as 0, a port is truncated to 16 bits.
bool CheckOptions(int argc, char** argv, unsigned short& port, std::string& host, int& unum) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--help") {
            PrintHelp();
            return false;
        } else if (word == "--host") {
            host = OptionValue(argc, argv, i);
        } else if (word == "--port") {
            port = static_cast<unsigned short>(std::atoi(OptionValue(argc, argv, i)));
        } else if (word == "--unum") {
            unum = std::atoi(OptionValue(argc, argv, i));
        } else if (word == "--sync") {
            gSync = true;
        } else if (word == "--log") {
            gLogPath = OptionValue(argc, argv, i);
        } else if (word == "--drill") {
            gDrillPath = OptionValue(argc, argv, i);
        } else if (word == "--soccer") {
            gSoccer = true;
        } else if (word == "--field") {
            const std::string name = OptionValue(argc, argv, i);
            try {
                gField = &fieldNamed(name);
            } catch (const std::invalid_argument&) {
                throw OptionError("--field: \"" + name + "\" is not 12x8 or 30x20");
            }
        } else if (word == "--formation") {
            gFormationFile = OptionValue(argc, argv, i);
        } else if (word == "--team") {
            gTeamName = OptionValue(argc, argv, i);
            if (!validTeamName(gTeamName))
                throw OptionError("--team: \"" + gTeamName +
                                  "\" is not 1 to 20 letters, digits, '_' or '-'");
        } else {
            std::cout << "What?! \"" << word << "\"?!! ;)" << std::endl;
        }
    }
    return true;
}

// True when the connection was made; errno tells why not.
bool Connect(rcss::net::Addr addr) {
    return connection->Connect(addr);
}

void ConstructAgent() {
    connection->Send("(scene rsg/agent/nao/nao.rsg)");
}

// One line on standard error for each file the agent needs and could not read: it
// plays on without them, but not as designed.
void ReportMissingFiles(const MyBehavior& behavior) {
    char folder[PATH_MAX];
    const char* where = ::getcwd(folder, sizeof folder) != nullptr ? folder : "the working folder";
    for (const std::string& file : behavior.missingFiles()) {
        std::cerr << "halyx: cannot read " << file << " in " << where << ": playing without it"
                  << std::endl;
    }
}

// The walk's and the kick's parameters (the built-in ones, with a line on standard error,
// when the team folder has no walk.conf). Throws std::runtime_error for a bad line.
void ReadSkillParameters() {
    if (std::ifstream(kWalkFile).good()) {
        gWalkParameters = skills::readWalkParameters(kWalkFile);
    } else {
        std::cerr << "halyx: cannot read " << kWalkFile << ": walking with the built-in parameters"
                  << std::endl;
    }
    if (std::ifstream(kKickFile).good()) gKickParameters = skills::readKickParameters(kKickFile);
}

// The drill and the skills' parameters. Throws Drill::Error or std::runtime_error for a
// bad line of any.
void ReadDrill() {
    gDrill = std::make_unique<Drill>(Drill::read(gDrillPath));
    ReadSkillParameters();
}

void Run(MyBehavior* behavior) {
    WorldModel::getInstance()->setField(*gField);
    boost::scoped_ptr<MyBehavior> owner(behavior != nullptr ? behavior
                                                            : new MyBehavior(uNum, gFormationFile));
    if (gDrill) owner->setDrill(*gDrill, gWalkParameters, gKickParameters);
    if (!gTeamName.empty()) WorldModel::getInstance()->setTeamName(gTeamName);
    if (gSoccer)
        owner->setSoccer(gWalkParameters, gKickParameters, *gField,
                         WorldModel::getInstance()->getTeamName());
    ReportMissingFiles(*owner);
    ConstructAgent();
    while (gLoop) {
        const std::string message = connection->Receive();
        std::string reply = owner->Think(message);
        if (gLog) gLog->write(formatCycleReport(owner->report()));
        if (gSync) reply += kSyncCommand;
        connection->Send(std::move(reply));
    }
}

void reConnect(MyBehavior* behavior) {
    connection->Reconnect();
    Run(behavior);
}

void handler(int signal) {
    if (signal == 2) {
        gLoop = false;
    }
}

int main(int argc, char** argv) {
    unsigned short port = 3100;
    std::string host = "127.0.0.1";
    try {
        if (!CheckOptions(argc, argv, port, host, uNum)) {
            return 0;
        }
        if (gSoccer && gDrillPath != nullptr)
            throw OptionError("--soccer and --drill cannot be used together");
        if (gDrillPath != nullptr || gSoccer) {
            try {
                if (gDrillPath != nullptr)
                    ReadDrill();
                else
                    ReadSkillParameters();
            } catch (const std::runtime_error& e) {
                std::cerr << "halyx: " << e.what() << std::endl;
                return 2;
            }
        }
        if (gLogPath != nullptr) gLog = std::make_unique<CycleLog>(gLogPath);
        const rcss::net::Addr address(port, host);
        if (!Connect(address)) {
            const int error = errno;
            std::cerr << "cannot connect to " << host << ':' << port << ": " << std::strerror(error)
                      << std::endl;
            return 1;
        }
        Run(nullptr);
    } catch (const OptionError& e) {
        std::cerr << "halyx: " << e.what() << std::endl;
        return 1;
    } catch (const CycleLogError& e) {
        std::cerr << "halyx: " << e.what() << std::endl;
        return 1;
    } catch (const rcss::net::HostNotFound& e) {
        std::cerr << "cannot resolve host " << host << ": " << e.what() << std::endl;
        return 1;
    } catch (const std::exception&) {
        // The server's stream ended or a read failed: the orderly end of a match.
    }
    return 0;
}
