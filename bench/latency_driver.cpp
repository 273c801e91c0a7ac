// Reply latency of the agent against the floor the machine sets. The driver plays the
// server: it starts the real agent and the echo agent, greets both, and then, for every
// cycle, sends each of them the same perception message of the sparring world in
// lock-step and times, per agent, from the moment the message (one send call) is handed
// to the socket to the moment the reply is fully received. The two agents take
// turns within each cycle, so both are measured under the same load. At the end it prints
// median and 99th percentile of both, their ratio, and the agent's resident memory.
//
// Two options tell the agent's own cost from what this machine adds to every reply:
// "--spinners N" runs N busy loops at the lowest priority (nice 19), so that cores do
// not halt between messages, as the server and nine agents keep the cores of a match from
// halting; "--worker US" measures, in place of the agent, the echo agent spinning US
// microseconds on every frame before it answers: the floor for an agent that works
// that long and does nothing else.
//
//   latency_driver --agent <halyx> --echo <echo_agent> --team <team folder> [--cycles N]
//                  [--spinners N] [--worker US]
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/frame_channel.h"
#include "bench/match_scene.h"

namespace {

const int kAcceptSeconds = 10;    // an agent that has not connected by then failed
const long kBeforeKickOff = 150;  // cycles of "BeforeKickOff" (3 s) before "PlayOn"
const int kOurNumber = 5;         // the robot the messages are written for

struct Options {
    std::string agent, echo, team;
    long cycles = 10000;
    long spinners = 0;
    long workerMicroseconds = -1;  // no worker subject
};

Options readOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        if (key == "--agent") {
            options.agent = argv[i + 1];
        } else if (key == "--echo") {
            options.echo = argv[i + 1];
        } else if (key == "--team") {
            options.team = argv[i + 1];
        } else if (key == "--cycles") {
            options.cycles = std::atol(argv[i + 1]);
        } else if (key == "--spinners") {
            options.spinners = std::atol(argv[i + 1]);
        } else if (key == "--worker") {
            options.workerMicroseconds = std::atol(argv[i + 1]);
        } else {
            throw std::runtime_error("unknown option " + key);
        }
    }
    if (argc % 2 != 1 || options.agent.empty() || options.echo.empty() || options.team.empty() ||
        options.cycles <= 0 || options.spinners < 0 || options.spinners > 64) {
        throw std::runtime_error(
            "usage: latency_driver --agent <halyx> --echo <echo_agent> --team <team folder> "
            "[--cycles N] [--spinners N] [--worker US]");
    }
    return options;
}

// Starts a program in `folder` with its standard output thrown away (the agent's status
// lines would otherwise flood the terminal).
pid_t start(const std::vector<std::string>& words, const std::string& folder) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    if (chdir(folder.c_str()) != 0) _exit(127);
    std::vector<char*> argv;
    for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

std::unique_ptr<FrameChannel> acceptAgent(int listener, const std::string& name) {
    pollfd waiting{listener, POLLIN, 0};
    if (poll(&waiting, 1, kAcceptSeconds * 1000) != 1) {
        throw std::runtime_error(name + " did not connect");
    }
    const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    auto channel = std::make_unique<FrameChannel>(fd);
    std::string scene;
    if (!channel->receive(scene)) throw std::runtime_error(name + " sent nothing");
    return channel;
}

// One agent under measurement.
struct Subject {
    std::string name;
    pid_t pid = 0;
    std::unique_ptr<FrameChannel> channel;
    std::vector<double> latencies;  // microseconds, one per cycle
};

// The clock starts as the frame is handed to the kernel: on loopback the one send call
// that carries it also delivers it, and an agent on the other core may have answered
// before the call returns, so a clock started after it would miss part of the reply.
void exchange(Subject& subject, const std::string& message, std::string& reply) {
    const auto sent = std::chrono::steady_clock::now();
    if (!subject.channel->send(message)) throw std::runtime_error(subject.name + " went away");
    if (!subject.channel->receive(reply)) throw std::runtime_error(subject.name + " went away");
    const auto received = std::chrono::steady_clock::now();
    subject.latencies.push_back(std::chrono::duration<double, std::micro>(received - sent).count());
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[at];
}

// A "Vm...:" line of /proc/<pid>/status, in kilobytes; -1 when absent.
long memoryKb(pid_t pid, const std::string& key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string word;
    while (status >> word) {
        if (word == key + ":") {
            long kb = -1;
            status >> kb;
            return kb;
        }
    }
    return -1;
}

// CPU time the process has run so far, in microseconds (first field of schedstat,
// nanoseconds); -1 when it cannot be read.
double cpuMicroseconds(pid_t pid) {
    std::ifstream schedstat("/proc/" + std::to_string(pid) + "/schedstat");
    double nanoseconds = -1;
    if (!(schedstat >> nanoseconds)) return -1;
    return nanoseconds / 1000.0;
}

void report(const Subject& echo, const Subject& agent) {
    for (const Subject* s : {&echo, &agent}) {
        std::printf("%-10s median %8.1f us   p99 %8.1f us\n", s->name.c_str(),
                    percentile(s->latencies, 0.5), percentile(s->latencies, 0.99));
    }
    std::printf("ratio      median %8.2f      p99 %8.2f\n",
                percentile(agent.latencies, 0.5) / percentile(echo.latencies, 0.5),
                percentile(agent.latencies, 0.99) / percentile(echo.latencies, 0.99));
}

// Busy loops at the lowest priority, stopped when this goes out of scope or the
// driver dies.
class Spinners {
public:
    explicit Spinners(long count) {
        for (long i = 0; i < count; ++i) {
            const pid_t pid = fork();
            if (pid < 0) throw std::runtime_error("cannot start a spinner");
            if (pid == 0) spin();
            mPids.push_back(pid);
        }
    }
    ~Spinners() { stop(); }
    void stop() {
        for (pid_t pid : mPids) kill(pid, SIGKILL);
        for (pid_t pid : mPids) waitpid(pid, nullptr, 0);
        mPids.clear();
    }

private:
    [[noreturn]] static void spin() {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (setpriority(PRIO_PROCESS, 0, 19) != 0) _exit(1);
        for (volatile unsigned long n = 0;; n = n + 1) {
        }
    }
    std::vector<pid_t> mPids;
};

int run(const Options& options) {
    Spinners spinners(options.spinners);
    unsigned short port = 0;
    const int listener = listenOnLoopback(port);
    // The echo agent first and the measured agent second: report() reads them in this
    // order. With a worker, the measured agent is the echo agent spinning on every frame.
    Subject echo, agent;
    echo.name = "echo";
    std::vector<Subject*> subjects = {&echo, &agent};
    echo.pid = start({options.echo, std::to_string(port)}, options.team);
    echo.channel = acceptAgent(listener, "the echo agent");
    if (options.workerMicroseconds >= 0) {
        agent.name = "echo+" + std::to_string(options.workerMicroseconds) + "us";
        agent.pid =
            start({options.echo, std::to_string(port), std::to_string(options.workerMicroseconds)},
                  options.team);
    } else {
        agent.name = "halyx";
        agent.pid = start(
            {options.agent, "--port", std::to_string(port), "--unum", std::to_string(kOurNumber)},
            options.team);
    }
    agent.channel = acceptAgent(listener, "the agent");
    close(listener);

    MatchScene::Options sceneOptions;
    sceneOptions.vision.full = true;
    MatchScene scene(options.team + "/formation.conf", sceneOptions);
    std::string reply;
    for (Subject* s : subjects) {
        if (!s->channel->send(scene.greeting()) || !s->channel->receive(reply)) {
            throw std::runtime_error(s->name + " did not answer the first message");
        }
    }
    const double echoCpuBefore = cpuMicroseconds(echo.pid);
    const double agentCpuBefore = cpuMicroseconds(agent.pid);
    std::size_t shortest = std::string::npos, longest = 0;
    for (long cycle = 1; cycle <= options.cycles; ++cycle) {
        const std::string message =
            scene.message(cycle, cycle < kBeforeKickOff ? sparring::PlayMode::BeforeKickOff
                                                        : sparring::PlayMode::PlayOn);
        shortest = std::min(shortest, message.size());
        longest = std::max(longest, message.size());
        // Alternate who goes first, so neither always meets a cache warmed by the other.
        exchange(*subjects[cycle % 2], message, reply);
        exchange(*subjects[1 - cycle % 2], message, reply);
    }
    const double echoCpu = (cpuMicroseconds(echo.pid) - echoCpuBefore) / options.cycles;
    const double agentCpu = (cpuMicroseconds(agent.pid) - agentCpuBefore) / options.cycles;
    const long rss = memoryKb(agent.pid, "VmRSS");
    const long peak = memoryKb(agent.pid, "VmHWM");
    spinners.stop();

    std::printf("%ld lock-step cycles over loopback, messages of %zu to %zu bytes, %ld spinners\n",
                options.cycles, shortest, longest, options.spinners);
    report(echo, agent);
    std::printf("CPU time per cycle (user and system): echo %.1f us, %s %.1f us\n", echoCpu,
                agent.name.c_str(), agentCpu);
    std::printf("%s resident memory after the run: %.1f MB (peak %.1f MB)\n", agent.name.c_str(),
                rss / 1024.0, peak / 1024.0);

    // Every connection is closed before any agent is waited for.
    for (Subject* s : subjects) s->channel.reset();
    for (Subject* s : subjects) waitpid(s->pid, nullptr, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(readOptions(argc, argv));
    } catch (const std::exception& e) {
        std::cerr << "latency_driver: " << e.what() << '\n';
        return 1;
    }
}
