#include "sparring/frame_link.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace sparring {

namespace {

void setNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags >= 0) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

}  // namespace

FrameLink::FrameLink(int fd) : fd_(fd) {
    setNonBlocking(fd_);
    // Lock-step frames are small; sending each at once keeps the latency down.
    const int one = 1;
    setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

FrameLink::~FrameLink() {
    close();
}

void FrameLink::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool FrameLink::send(const std::string& text) {
    if (fd_ < 0) return false;
    const uint32_t n = htonl(static_cast<uint32_t>(text.size()));
    std::string bytes(reinterpret_cast<const char*>(&n), 4);
    bytes += text;
    std::size_t sent = 0;
    int stalls = 0;  // an agent that stops reading for a second is given up
    while (sent < bytes.size()) {
        const ssize_t r = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (r > 0) {
            sent += static_cast<std::size_t>(r);
        } else if (r < 0 && errno == EINTR) {
            continue;
        } else if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The agent is not reading; wait briefly rather than lose half a frame.
            if (++stalls > 5000) return false;
            usleep(200);
        } else {
            return false;
        }
    }
    return true;
}

FrameLink::Status FrameLink::receive() {
    char chunk[8192];
    for (;;) {
        const ssize_t r = ::recv(fd_, chunk, sizeof chunk, 0);
        if (r > 0) {
            buffer_.append(chunk, static_cast<std::size_t>(r));
            if (buffer_.size() > kMaxReplyBytes + 4) return Status::TooLong;
            continue;
        }
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return Status::Ok;
        return Status::Closed;  // end of stream or a receive error
    }
}

bool FrameLink::nextFrame(std::string& text) {
    if (buffer_.size() < 4) return false;
    uint32_t n = 0;
    std::memcpy(&n, buffer_.data(), 4);
    n = ntohl(n);
    if (buffer_.size() < 4 + static_cast<std::size_t>(n)) return false;
    text.assign(buffer_, 4, n);
    buffer_.erase(0, 4 + static_cast<std::size_t>(n));
    return true;
}

Listener::Listener(unsigned short port) : fd_(socket(AF_INET, SOCK_STREAM, 0)), port_(port) {
    if (fd_ < 0) throw std::runtime_error(systemError("socket"));
    const int one = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 || listen(fd_, 64) < 0) {
        const std::string error = systemError("cannot listen on 127.0.0.1:" + std::to_string(port));
        ::close(fd_);
        throw std::runtime_error(error);
    }
    socklen_t len = sizeof addr;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    setNonBlocking(fd_);
}

Listener::~Listener() {
    ::close(fd_);
}

int Listener::accept() {
    for (;;) {
        const int fd = ::accept(fd_, nullptr, nullptr);
        if (fd >= 0 || errno != EINTR) return fd;
    }
}

}  // namespace sparring
