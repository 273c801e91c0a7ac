#ifndef HALYX_TESTS_SUPPORT_LOOPBACK_SERVER_H
#define HALYX_TESTS_SUPPORT_LOOPBACK_SERVER_H

#include <string>

namespace halyx_test {

// A stand-in for the simulation server in tests: listens on an ephemeral
// 127.0.0.1 port, accepts one client and exchanges 4-byte big-endian
// length-prefixed frames with it. Every wait has a time-out and throws
// std::runtime_error when it runs out, so a silent agent fails the test instead
// of hanging it. Written on plain POSIX calls, independent of the agent's own
// socket layer.
class LoopbackServer {
public:
    LoopbackServer();  // listening at once
    ~LoopbackServer();

    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    unsigned short port() const { return mPort; }

    // Waits for the client; false when none came within timeoutMs.
    bool accept(int timeoutMs = 5000);

    // Writes a frame: the length bytes, then the text.
    void sendFrame(const std::string& text);
    // Writes bytes as they are, for tests that shape the stream by hand.
    void sendRaw(const std::string& bytes);
    // Reads one whole frame. Throws on time-out or when the client closes.
    std::string receiveFrame(int timeoutMs = 5000);
    // Reads exactly count bytes. Throws on time-out or when the client closes.
    std::string receiveRaw(size_t count, int timeoutMs = 5000);
    // True when the client closed its end within timeoutMs with no further
    // bytes; false if bytes arrived or the time ran out.
    bool clientClosed(int timeoutMs = 5000);

    // Closes the client connection (the listening socket stays open).
    void closeClient();

private:
    bool waitReadable(int fd, int timeoutMs);

    int mListenFd = -1;
    int mClientFd = -1;
    unsigned short mPort = 0;
};

// The frame that carries text: 4 length bytes (big-endian), then the text.
std::string frame(const std::string& text);

}  // namespace halyx_test

#endif
