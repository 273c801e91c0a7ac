#include "fuzz/command_check.h"

#include <cstdio>
#include <cstdlib>

namespace halyx_fuzz {

std::string commandProblem(const std::string& command) {
    int depth = 0;
    for (char c : command) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F) return "unprintable byte";
        if (c == '(') ++depth;
        if (c == ')' && --depth < 0) return "')' closes no list";
    }
    if (depth != 0) return "unclosed list";
    if (command.find("nan") != std::string::npos || command.find("inf") != std::string::npos)
        return "non-finite number";
    return "";
}

void require(bool condition, const std::string& message) {
    if (condition) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", message.c_str());
    std::abort();
}

void checkCommand(const std::string& where, const std::string& command) {
    const std::string problem = commandProblem(command);
    if (!problem.empty()) require(false, where + ": " + problem + " in command: " + command);
}

}  // namespace halyx_fuzz
