#ifndef SPARRING_FRAME_LINK_H
#define SPARRING_FRAME_LINK_H

#include <cstddef>
#include <memory>
#include <string>

#include "net/tcpsocket.h"

namespace sparring {

// A reply announcing more text than this is refused and its connection closed (bytes);
// an agent's reply is a few hundred bytes.
constexpr std::size_t kMaxReplyBytes = 1 << 16;

// One agent's TCP connection: frames of a 4-byte big-endian length and that many bytes
// of text in both directions. Reading never blocks: the server polls the descriptor and
// hands over whatever has arrived, and whole frames come out one at a time.
class FrameLink {
public:
    explicit FrameLink(std::unique_ptr<rcss::net::TCPSocket> socket);
    FrameLink(const FrameLink&) = delete;
    FrameLink& operator=(const FrameLink&) = delete;

    int fd() const { return socket_->getFD(); }
    bool open() const { return socket_->isOpen(); }
    void close() { socket_->close(); }

    // Writes one frame whole; false when the connection is gone.
    bool send(const std::string& text);

    enum class Status { Ok, Closed, TooLong };
    // Reads what the socket holds without waiting. TooLong as soon as a frame announces
    // more than kMaxReplyBytes, before its text is read.
    Status receive();
    // Takes the next complete frame out of what has been read.
    bool nextFrame(std::string& text);

private:
    bool oversized() const;

    std::unique_ptr<rcss::net::TCPSocket> socket_;
    std::string buffer_;  // bytes read and not yet handed out
};

// A listening TCP socket on 127.0.0.1; port 0 picks a free one. Throws
// std::runtime_error when the port cannot be had.
class Listener {
public:
    explicit Listener(unsigned short port);

    int fd() const { return socket_.getFD(); }
    unsigned short port() const { return port_; }
    // A waiting connection, or null when none waits.
    std::unique_ptr<rcss::net::TCPSocket> accept();

private:
    rcss::net::TCPSocket socket_;
    unsigned short port_;
};

}  // namespace sparring

#endif
