// The sparring server's entry point: reads the command line and the files it names,
// plays one match and prints the summary.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "sparring/session/options.h"
#include "sparring/session/server.h"

namespace {

int play(sparring::CommandLine& c) {
    if (!c.scenarioPath.empty()) c.server.events = sparring::readScenarioFile(c.scenarioPath);
    if (!c.formationPath.empty()) {
        if (!std::ifstream(c.formationPath)) {
            throw std::runtime_error("cannot read formation file " + c.formationPath);
        }
        c.server.formation = sparring::readFormationSpots(c.formationPath);
    }
    if (!c.server.svgPath.empty()) {
        c.server.svgPath = std::filesystem::absolute(c.server.svgPath).string();
    }
    sparring::Server server(c.server, std::cerr);
    std::cerr << "sparring: listening on 127.0.0.1:" << server.port() << std::endl;
    if (!c.portFile.empty()) {
        std::ofstream(c.portFile) << server.port() << "\n";
    }
    const bool played = server.run();
    const std::string summary = server.summary();
    std::cout << summary << std::flush;
    if (!c.summaryPath.empty()) std::ofstream(c.summaryPath) << summary;
    return played ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        sparring::CommandLine c =
            sparring::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        if (c.help) {
            std::cout << sparring::usageText();
            return 0;
        }
        return play(c);
    } catch (const sparring::OptionError& e) {
        std::cerr << "sparring: " << e.what() << "\n" << sparring::usageText();
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "sparring: " << e.what() << "\n";
        return 1;
    }
}
