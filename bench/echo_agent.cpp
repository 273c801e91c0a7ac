// The floor of the reply latency: an agent of our own that does nothing. It connects,
// announces the robot model like the real agent, and answers every frame at once with an
// empty frame, until the server closes the connection.
//
//   echo_agent <port>          (server on 127.0.0.1)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "bench/frame_channel.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: echo_agent <port>\n";
        return 2;
    }
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
        if (!channel.send(empty)) break;
    }
    return 0;
}
