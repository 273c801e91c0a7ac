// Reply latency of the agent's own connection by reply size. A thread plays the agent
// through ConnectionManager, the class the agent sends every reply with: it answers each
// frame with a reply of the size the frame names. The main thread plays the server over a
// plain socket, in lock-step, and times each exchange from the moment its frame is handed
// to the socket to the moment the whole reply has arrived. A reply of more than 8188
// bytes of text (8192 with its length) leaves the connection's buffer in two sends; this
// shows whether the second one waits for the server's acknowledgement of the first.
//
//   reply_size_latency [--cycles N] [SIZE...]
//
// SIZE: bytes of reply text (default 8188 8189 9000 16000); N: measured cycles per size
// (default 200, after 20 that are not counted).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/frame_channel.h"
#include "net/addr.h"
#include "net/connectionmanager.h"

namespace {

const long kWarmUp = 20;  // cycles per size before the measured ones

struct Options {
    long cycles = 200;
    std::vector<long> sizes;
};

Options readOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--cycles" && i + 1 < argc) {
            options.cycles = std::atol(argv[++i]);
        } else if (!word.empty() && word.find_first_not_of("0123456789") == std::string::npos) {
            options.sizes.push_back(std::atol(word.c_str()));
        } else {
            throw std::runtime_error("usage: reply_size_latency [--cycles N] [SIZE...]");
        }
    }
    if (options.cycles <= 0) throw std::runtime_error("--cycles needs a positive number");
    if (options.sizes.empty()) options.sizes = {8188, 8189, 9000, 16000};
    return options;
}

// The agent's side: every frame names the size of the reply to send. Ends when the
// server closes the connection (Receive throws).
void answer(unsigned short port) {
    ConnectionManager connection;
    if (!connection.Connect(rcss::net::Addr(port, "127.0.0.1"))) return;
    try {
        for (;;) {
            const std::string request = connection.Receive();
            connection.Send(std::string(std::strtoul(request.c_str(), nullptr, 10), 'x'));
        }
    } catch (const std::exception&) {
        // the server has closed the connection: done
    }
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

// One lock-step exchange, in microseconds.
double exchange(FrameChannel& server, long size) {
    std::string reply;
    const auto sent = std::chrono::steady_clock::now();
    if (!server.send(std::to_string(size)) || !server.receive(reply)) {
        throw std::runtime_error("the agent's side went away");
    }
    const auto received = std::chrono::steady_clock::now();
    if (reply.size() != static_cast<std::size_t>(size)) throw std::runtime_error("short reply");
    return std::chrono::duration<double, std::micro>(received - sent).count();
}

int run(const Options& options) {
    unsigned short port = 0;
    const int listener = listenOnLoopback(port);
    std::thread agent(answer, port);
    pollfd waiting{listener, POLLIN, 0};
    if (poll(&waiting, 1, 10000) != 1) throw std::runtime_error("the agent's side did not connect");
    auto server = std::make_unique<FrameChannel>(accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
    close(listener);

    std::printf("reply latency of ConnectionManager over loopback, %ld cycles per size\n",
                options.cycles);
    for (long size : options.sizes) {
        for (long i = 0; i < kWarmUp; ++i) exchange(*server, size);
        std::vector<double> latencies;
        for (long i = 0; i < options.cycles; ++i) latencies.push_back(exchange(*server, size));
        std::printf("%6ld bytes of text   median %9.1f us   p99 %9.1f us\n", size,
                    percentile(latencies, 0.5), percentile(latencies, 0.99));
    }
    server.reset();
    agent.join();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(readOptions(argc, argv));
    } catch (const std::exception& e) {
        std::cerr << "reply_size_latency: " << e.what() << '\n';
        return 1;
    }
}
