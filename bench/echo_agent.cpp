// The floor of the reply latency: an agent of our own that does nothing. It connects,
// announces the robot model like the real agent, and answers every frame at once with an
// empty frame, until the server closes the connection.
//
// Given a number of microseconds, it first spins that long on every frame: an agent that
// works as long as the real one but does nothing else, to tell the cost of the work
// itself from what the machine adds to any reply that is not immediate.
//
//   echo_agent <port> [work microseconds]     (server on 127.0.0.1)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>

#include "bench/frame_channel.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: echo_agent <port> [work microseconds]\n";
        return 2;
    }
    const std::chrono::microseconds work(argc == 3 ? std::atol(argv[2]) : 0);
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<uint16_t>(std::atoi(argv[1])));
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
        std::cerr << "echo_agent: cannot connect to port " << argv[1] << '\n';
        return 1;
    }
    FrameChannel channel(fd);
    if (!channel.send("(scene rsg/agent/nao/nao.rsg)")) return 1;
    const std::string empty;
    std::string message;
    while (channel.receive(message)) {
        const auto until = std::chrono::steady_clock::now() + work;
        while (work.count() > 0 && std::chrono::steady_clock::now() < until) {
        }
        if (!channel.send(empty)) break;
    }
    return 0;
}
