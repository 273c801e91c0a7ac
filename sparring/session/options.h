#ifndef SPARRING_OPTIONS_H
#define SPARRING_OPTIONS_H

#include <stdexcept>
#include <string>
#include <vector>

#include "sparring/session/server.h"

namespace sparring {

// The command line of the sparring executable.
struct CommandLine {
    ServerOptions server;
    std::string scenarioPath;   // read into server.events by the caller
    std::string formationPath;  // read into server.formation by the caller
    std::string portFile;       // where to write the port actually listened on
    std::string summaryPath;    // a copy of the summary
    bool help = false;
};

// A command line that cannot be used; the text says why.
class OptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws OptionError.
CommandLine parseCommandLine(const std::vector<std::string>& args);
const char* usageText();

}  // namespace sparring

#endif
