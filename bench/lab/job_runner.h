#ifndef BENCH_LAB_JOB_RUNNER_H
#define BENCH_LAB_JOB_RUNNER_H

#include <string>
#include <vector>

namespace lab {

// A command to run: the program (a path) and its arguments.
using Command = std::vector<std::string>;

// Where a batch of independent commands runs: `jobs` at a time on this machine, or
// through GNU parallel, which with an ssh login file spreads them over the machines it
// names (each must have the program at the same path; the login ":" is this machine).
struct JobRunner {
    int jobs = 2;
    bool parallel = false;
    std::string sshLoginFile;  // with parallel only; empty: this machine
};

// Runs every command and gives each one's standard output, in the order given. Throws
// std::runtime_error naming the command when one cannot start or ends unsuccessfully.
std::vector<std::string> runAll(const std::vector<Command>& commands, const JobRunner& runner);

// A command as one line for a POSIX shell, every argument quoted where it needs it.
std::string shellLine(const Command& command);

}  // namespace lab

#endif
