#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace halyx_test {

namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error("loopback server: " + what + ": " + std::strerror(errno));
}

}  // namespace

std::string frame(const std::string& text) {
    const uint32_t length = htonl(static_cast<uint32_t>(text.size()));
    std::string bytes(reinterpret_cast<const char*>(&length), sizeof(length));
    return bytes + text;
}

LoopbackServer::LoopbackServer() {
    mListenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (mListenFd < 0) {
        fail("socket");
    }
    sockaddr_in addr;
    std::memset(&addr, 0, sizeof(addr));
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof(addr);
    if (::bind(mListenFd, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
        ::listen(mListenFd, 4) != 0 ||
        ::getsockname(mListenFd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        const int err = errno;
        ::close(mListenFd);
        errno = err;
        fail("listen");
    }
    mPort = ntohs(addr.sin_port);
}

LoopbackServer::~LoopbackServer() {
    closeClient();
    ::close(mListenFd);
}

bool LoopbackServer::waitReadable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

bool LoopbackServer::accept(int timeoutMs) {
    if (!waitReadable(mListenFd, timeoutMs)) {
        return false;
    }
    closeClient();
    mClientFd = ::accept4(mListenFd, nullptr, nullptr, SOCK_CLOEXEC);
    return mClientFd >= 0;
}

void LoopbackServer::sendRaw(const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(mClientFd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR) {
            fail("send");
        }
        if (n > 0) {
            sent += static_cast<size_t>(n);
        }
    }
}

void LoopbackServer::sendFrame(const std::string& text) {
    sendRaw(frame(text));
}

std::string LoopbackServer::receiveRaw(size_t count, int timeoutMs) {
    std::string bytes;
    char buf[4096];
    while (bytes.size() < count) {
        if (!waitReadable(mClientFd, timeoutMs)) {
            throw std::runtime_error("loopback server: no data within the time-out");
        }
        const size_t want = std::min(sizeof(buf), count - bytes.size());
        const ssize_t n = ::recv(mClientFd, buf, want, 0);
        if (n == 0) {
            throw std::runtime_error("loopback server: client closed the connection");
        }
        if (n < 0 && errno != EINTR) {
            fail("recv");
        }
        if (n > 0) {
            bytes.append(buf, static_cast<size_t>(n));
        }
    }
    return bytes;
}

std::string LoopbackServer::receiveFrame(int timeoutMs) {
    const std::string header = receiveRaw(4, timeoutMs);
    uint32_t length;
    std::memcpy(&length, header.data(), sizeof(length));
    return receiveRaw(ntohl(length), timeoutMs);
}

bool LoopbackServer::clientClosed(int timeoutMs) {
    if (!waitReadable(mClientFd, timeoutMs)) {
        return false;
    }
    char byte;
    return ::recv(mClientFd, &byte, 1, 0) == 0;
}

void LoopbackServer::closeClient() {
    if (mClientFd >= 0) {
        ::close(mClientFd);
        mClientFd = -1;
    }
}

}  // namespace halyx_test
