#include "bench/frame_channel.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace {
const std::size_t kBufferSize = 65536;  // bytes; grows for a longer frame
}

FrameChannel::FrameChannel(int fd) : mFd(fd), mBuffer(kBufferSize), mBegin(0), mEnd(0) {}

FrameChannel::~FrameChannel() {
    if (mFd >= 0) close(mFd);
}

bool FrameChannel::send(const std::string& text) {
    const uint32_t length = htonl(static_cast<uint32_t>(text.size()));
    mOut.assign(reinterpret_cast<const char*>(&length), sizeof length);
    mOut += text;
    std::size_t sent = 0;
    while (sent < mOut.size()) {
        const ssize_t n = ::send(mFd, mOut.data() + sent, mOut.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads once more, after moving the unread bytes to the front of the buffer.
bool FrameChannel::fill(std::size_t wanted) {
    std::memmove(mBuffer.data(), mBuffer.data() + mBegin, mEnd - mBegin);
    mEnd -= mBegin;
    mBegin = 0;
    if (mBuffer.size() < wanted) mBuffer.resize(wanted);
    ssize_t n;
    do {
        n = ::recv(mFd, mBuffer.data() + mEnd, mBuffer.size() - mEnd, 0);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return false;
    mEnd += static_cast<std::size_t>(n);
    return true;
}

bool FrameChannel::receive(std::string& text) {
    while (mEnd - mBegin < 4) {
        if (!fill(4)) return false;
    }
    uint32_t length = 0;
    std::memcpy(&length, mBuffer.data() + mBegin, sizeof length);
    const std::size_t frame = 4 + static_cast<std::size_t>(ntohl(length));
    while (mEnd - mBegin < frame) {
        if (!fill(frame)) return false;
    }
    text.assign(mBuffer.data() + mBegin + 4, frame - 4);
    mBegin += frame;
    return true;
}

int listenOnLoopback(unsigned short& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
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
