#include "sparring/session/frame_link.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace sparring {

namespace {

// The length field of the frame that starts at offset.
uint32_t lengthAt(const std::string& buffer, std::size_t offset) {
    uint32_t n = 0;
    std::memcpy(&n, buffer.data() + offset, 4);
    return ntohl(n);
}

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

}  // namespace

FrameLink::FrameLink(std::unique_ptr<rcss::net::TCPSocket> socket) : socket_(std::move(socket)) {
    socket_->setNonBlocking(true);
    // Lock-step frames are small; sending each at once keeps the latency down.
    const int one = 1;
    setsockopt(fd(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

bool FrameLink::send(const std::string& text) {
    if (!open()) return false;
    const uint32_t n = htonl(static_cast<uint32_t>(text.size()));
    std::string bytes(reinterpret_cast<const char*>(&n), 4);
    bytes += text;
    std::size_t sent = 0;
    int stalls = 0;  // an agent that stops reading for a second is given up
    while (sent < bytes.size()) {
        const int r = socket_->send(bytes.data() + sent, bytes.size() - sent, 0,
                                    rcss::net::Socket::SingleCall);
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
        const int r = socket_->recv(chunk, sizeof chunk, 0, rcss::net::Socket::SingleCall);
        if (r > 0) {
            buffer_.append(chunk, static_cast<std::size_t>(r));
            if (oversized()) return Status::TooLong;
            continue;
        }
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return Status::Ok;
        return Status::Closed;  // end of stream or a receive error
    }
}

bool FrameLink::oversized() const {
    // Frames sent unprompted pile up too; a few replies' worth is the most kept.
    if (buffer_.size() > 4 * (kMaxReplyBytes + 4)) return true;
    std::size_t offset = 0;
    while (offset + 4 <= buffer_.size()) {
        const uint32_t n = lengthAt(buffer_, offset);
        if (n > kMaxReplyBytes) return true;
        offset += 4 + n;
    }
    return false;
}

bool FrameLink::nextFrame(std::string& text) {
    if (buffer_.size() < 4) return false;
    const uint32_t n = lengthAt(buffer_, 0);
    if (buffer_.size() < 4 + static_cast<std::size_t>(n)) return false;
    text.assign(buffer_, 4, n);
    buffer_.erase(0, 4 + static_cast<std::size_t>(n));
    return true;
}

Listener::Listener(unsigned short port) : port_(port) {
    const int one = 1;
    setsockopt(fd(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (!socket_.bind(rcss::net::Addr(port, INADDR_LOOPBACK)) || !socket_.listen(64)) {
        throw std::runtime_error(systemError("cannot listen on 127.0.0.1:" + std::to_string(port)));
    }
    port_ = socket_.getName().getPort();
    socket_.setNonBlocking(true);
}

std::unique_ptr<rcss::net::TCPSocket> Listener::accept() {
    rcss::net::Addr peer;
    for (;;) {
        std::unique_ptr<rcss::net::TCPSocket> s(socket_.accept(peer));
        if (s || errno != EINTR) return s;
    }
}

}  // namespace sparring
