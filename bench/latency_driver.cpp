// Reply latency of the agent against the floor the machine sets. The driver plays the
// server: it starts the real agent and the echo agent, greets both, and then, for every
// cycle, sends each of them the same perception message of the sparring world in
// lock-step and times, per agent, from the moment the message (one send call) is handed
// to the socket to the moment the reply is fully received. The two agents take
// turns within each cycle, so both are measured under the same load. At the end it prints
// median and 99th percentile of both, their ratio, and the agent's resident memory.
//
// With "--cores busy" every core also runs a spinner at the lowest scheduling class
// (SCHED_IDLE: it gets a core only when nothing else wants it, and gives it up at once),
// as the server and nine agents keep the cores of a match from idling. On a virtual
// machine an idle core halts, and waking it goes through the host; "--cores idle" (the
// default) measures that case.
//
//   latency_driver --agent <halyx> --echo <echo_agent> --team <team folder> [--cycles N]
//                  [--cores idle|busy]
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
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
    bool busyCores = false;
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
        } else if (key == "--cores" &&
                   (argv[i + 1] == std::string("busy") || argv[i + 1] == std::string("idle"))) {
            options.busyCores = argv[i + 1] == std::string("busy");
        } else {
            throw std::runtime_error("unknown option " + key);
        }
    }
    if (argc % 2 != 1 || options.agent.empty() || options.echo.empty() || options.team.empty() ||
        options.cycles <= 0) {
        throw std::runtime_error(
            "usage: latency_driver --agent <halyx> --echo <echo_agent> --team <team folder> "
            "[--cycles N] [--cores idle|busy]");
    }
    return options;
}

int listenOnLoopback(unsigned short& port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(fd, 4) != 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    return fd;
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
    const int fd = accept(listener, nullptr, nullptr);
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
    const double echoMedian = percentile(echo.latencies, 0.5);
    const double echoP99 = percentile(echo.latencies, 0.99);
    const double agentMedian = percentile(agent.latencies, 0.5);
    const double agentP99 = percentile(agent.latencies, 0.99);
    std::printf("%-10s median %8.1f us   p99 %8.1f us\n", echo.name.c_str(), echoMedian, echoP99);
    std::printf("%-10s median %8.1f us   p99 %8.1f us\n", agent.name.c_str(), agentMedian,
                agentP99);
    std::printf("ratio      median %8.2f      p99 %8.2f\n", agentMedian / echoMedian,
                agentP99 / echoP99);
}

// One spinner per core at the lowest scheduling class, stopped when this goes out of
// scope or the driver dies.
class Spinners {
public:
    explicit Spinners(bool start) {
        const long cores = start ? sysconf(_SC_NPROCESSORS_ONLN) : 0;
        for (long i = 0; i < cores; ++i) {
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
        sched_param none{};
        if (sched_setscheduler(0, SCHED_IDLE, &none) != 0) _exit(1);
        for (volatile unsigned long n = 0;; n = n + 1) {
        }
    }
    std::vector<pid_t> mPids;
};

int run(const Options& options) {
    Spinners spinners(options.busyCores);
    unsigned short port = 0;
    const int listener = listenOnLoopback(port);
    Subject echo, agent;
    echo.name = "echo";
    agent.name = "halyx";
    echo.pid = start({options.echo, std::to_string(port)}, options.team);
    echo.channel = acceptAgent(listener, "the echo agent");
    agent.pid =
        start({options.agent, "--port", std::to_string(port), "--unum", std::to_string(kOurNumber)},
              options.team);
    agent.channel = acceptAgent(listener, "the agent");
    close(listener);

    MatchScene::Options sceneOptions;
    sceneOptions.vision.full = true;
    MatchScene scene(options.team + "/formation.conf", sceneOptions);
    std::string reply;
    for (Subject* s : {&echo, &agent}) {
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
        Subject& first = cycle % 2 != 0 ? echo : agent;
        Subject& second = cycle % 2 != 0 ? agent : echo;
        exchange(first, message, reply);
        exchange(second, message, reply);
    }
    const double echoCpu = (cpuMicroseconds(echo.pid) - echoCpuBefore) / options.cycles;
    const double agentCpu = (cpuMicroseconds(agent.pid) - agentCpuBefore) / options.cycles;
    const long rss = memoryKb(agent.pid, "VmRSS");
    const long peak = memoryKb(agent.pid, "VmHWM");

    spinners.stop();

    std::printf("%ld lock-step cycles over loopback, messages of %zu to %zu bytes, cores %s\n",
                options.cycles, shortest, longest,
                options.busyCores ? "kept busy by lowest-priority spinners" : "left idle");
    report(echo, agent);
    std::printf("CPU time per cycle (user and system): echo %.1f us, halyx %.1f us\n", echoCpu,
                agentCpu);
    std::printf("halyx resident memory after the run: %.1f MB (peak %.1f MB)\n", rss / 1024.0,
                peak / 1024.0);

    echo.channel.reset();
    agent.channel.reset();
    int status = 0;
    waitpid(echo.pid, &status, 0);
    waitpid(agent.pid, &status, 0);
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
