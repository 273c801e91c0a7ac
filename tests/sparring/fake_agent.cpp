#include "fake_agent.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace sparring_test {

FakeAgent::FakeAgent(unsigned short port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ < 0 || connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        throw std::runtime_error("cannot connect to the sparring server");
    }
}

FakeAgent::~FakeAgent() {
    close();
}

void FakeAgent::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void FakeAgent::send(const std::string& text) {
    const uint32_t n = htonl(static_cast<uint32_t>(text.size()));
    std::string bytes(reinterpret_cast<const char*>(&n), 4);
    bytes += text;
    ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

std::optional<std::string> FakeAgent::receive(int timeoutMs) {
    for (;;) {
        if (buffer_.size() >= 4) {
            uint32_t n = 0;
            std::memcpy(&n, buffer_.data(), 4);
            n = ntohl(n);
            if (buffer_.size() >= 4 + n) {
                std::string text = buffer_.substr(4, n);
                buffer_.erase(0, 4 + n);
                return text;
            }
        }
        pollfd p{fd_, POLLIN, 0};
        if (fd_ < 0 || poll(&p, 1, timeoutMs) <= 0) return std::nullopt;
        char chunk[8192];
        const ssize_t r = recv(fd_, chunk, sizeof chunk, 0);
        if (r <= 0) return std::nullopt;
        buffer_.append(chunk, static_cast<std::size_t>(r));
    }
}

bool FakeAgent::join(const std::string& team, int unum, const std::string& after) {
    send("(scene rsg/agent/nao/nao.rsg)");
    if (!receive()) return false;
    send("(init (unum " + std::to_string(unum) + ")(teamname " + team + "))" + after);
    return true;
}

int FakeAgent::answerAll(const std::string& reply) {
    int n = 0;
    while (receive()) {
        send(reply);
        ++n;
    }
    return n;
}

}  // namespace sparring_test
