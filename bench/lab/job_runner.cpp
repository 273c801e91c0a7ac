#include "bench/lab/job_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace lab {

namespace {

// A file of its own in the temporary folder, removed with the object.
class TempFile {
public:
    TempFile() {
        const char* dir = std::getenv("TMPDIR");
        path_ = std::string(dir != nullptr && *dir != 0 ? dir : "/tmp") + "/skills_lab.XXXXXX";
        fd_ = ::mkstemp(path_.data());
        if (fd_ < 0) throw std::runtime_error("cannot make a temporary file like " + path_);
    }
    ~TempFile() {
        ::close(fd_);
        ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    std::string read() const {
        std::ifstream in(path_);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::string path_;
    int fd_ = -1;
};

// Starts `command` with its standard output into `out`; the child's id.
pid_t start(const Command& command, int out, int in = -1) {
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("cannot start " + shellLine(command));
    if (pid == 0) {
        ::dup2(out, STDOUT_FILENO);
        if (in >= 0) ::dup2(in, STDIN_FILENO);
        std::vector<char*> argv;
        for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        std::fprintf(stderr, "cannot run %s\n", command[0].c_str());
        std::_Exit(127);
    }
    return pid;
}

bool succeeded(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> runHere(const std::vector<Command>& commands, int jobs) {
    std::vector<std::string> outputs(commands.size());
    std::vector<std::unique_ptr<TempFile>> files;
    std::map<pid_t, std::size_t> running;
    std::size_t next = 0;
    std::string failed;
    while (next < commands.size() || !running.empty()) {
        if (failed.empty() && next < commands.size() && static_cast<int>(running.size()) < jobs) {
            files.push_back(std::make_unique<TempFile>());
            running[start(commands[next], files.back()->fd())] = next;
            ++next;
            continue;
        }
        if (running.empty()) break;
        int status = 0;
        const pid_t done = ::waitpid(-1, &status, 0);
        const auto it = running.find(done);
        if (it == running.end()) continue;
        if (!succeeded(status) && failed.empty()) failed = shellLine(commands[it->second]);
        outputs[it->second] = files[it->second]->read();
        running.erase(it);
    }
    if (!failed.empty()) throw std::runtime_error("failed: " + failed);
    return outputs;
}

// GNU parallel with one command per input line; each job's output is tagged with its
// sequence number so that the outputs are put back in order whatever machine ran them.
std::vector<std::string> runThroughParallel(const std::vector<Command>& commands,
                                            const JobRunner& runner) {
    TempFile lines, out;
    {
        std::ofstream list(lines.path());
        for (const Command& c : commands) list << shellLine(c) << "\n";
    }
    Command p = {"parallel", "--will-cite", "--tagstring", "{#}"};
    if (runner.sshLoginFile.empty())
        p.insert(p.end(), {"-j", std::to_string(runner.jobs)});
    else
        p.insert(p.end(), {"--sshloginfile", runner.sshLoginFile});
    const int in = ::open(lines.path().c_str(), O_RDONLY);
    if (in < 0) throw std::runtime_error("cannot read back " + lines.path());
    const pid_t pid = start(p, out.fd(), in);
    ::close(in);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!succeeded(status))
        throw std::runtime_error("GNU parallel failed (exit status " +
                                 std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) +
                                 ") running " + lines.path() +
                                 ", first: " + shellLine(commands.front()));
    std::vector<std::string> outputs(commands.size());
    std::istringstream text(out.read());
    for (std::string line; std::getline(text, line);) {
        const std::size_t tab = line.find('\t');
        const std::size_t n = tab == std::string::npos ? 0 : std::stoul(line.substr(0, tab));
        if (n < 1 || n > commands.size())
            throw std::runtime_error("GNU parallel gave an untagged line: " + line);
        outputs[n - 1] += line.substr(tab + 1) + "\n";
    }
    return outputs;
}

}  // namespace

std::string shellLine(const Command& command) {
    std::string line;
    for (const std::string& a : command) {
        if (!line.empty()) line += ' ';
        const bool plain = !a.empty() && a.find_first_not_of(
                                             "abcdefghijklmnopqrstuvwxyz"
                                             "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                             "0123456789_-+=./,:@%") == std::string::npos;
        if (plain) {
            line += a;
            continue;
        }
        line += '\'';
        for (char c : a) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
        line += '\'';
    }
    return line;
}

std::vector<std::string> runAll(const std::vector<Command>& commands, const JobRunner& runner) {
    if (commands.empty()) return {};
    if (runner.parallel) return runThroughParallel(commands, runner);
    return runHere(commands, runner.jobs < 1 ? 1 : runner.jobs);
}

}  // namespace lab
