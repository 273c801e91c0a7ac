#ifndef HALYX_BENCH_FRAME_CHANNEL_H
#define HALYX_BENCH_FRAME_CHANNEL_H

#include <cstddef>
#include <string>
#include <vector>

// A blocking, length-prefixed frame connection over a connected TCP descriptor, as plain
// as the machine allows: a frame goes out in one send, and reads take whatever the socket
// holds (up to 64 KB) so that a frame costs one receive when it arrived whole. The latency
// driver and the echo agent both talk through it, so neither side adds work of its own.
class FrameChannel {
public:
    explicit FrameChannel(int fd);  // takes ownership of the descriptor
    ~FrameChannel();
    FrameChannel(const FrameChannel&) = delete;
    FrameChannel& operator=(const FrameChannel&) = delete;

    // False when the connection failed.
    bool send(const std::string& text);
    // The next frame's text; false at end of stream or on an error.
    bool receive(std::string& text);
    int fd() const { return mFd; }

private:
    bool fill(std::size_t wanted);

    int mFd;
    std::vector<char> mBuffer;  // bytes received; [mBegin, mEnd) not yet handed out
    std::size_t mBegin;
    std::size_t mEnd;
    std::string mOut;  // the frame being sent, kept to reuse its storage
};

// A TCP socket listening on 127.0.0.1 at a port the system chooses, written into port.
// Throws std::runtime_error when it cannot listen.
int listenOnLoopback(unsigned short& port);

#endif
