#ifndef SPARRING_TESTS_FAKE_AGENT_H
#define SPARRING_TESTS_FAKE_AGENT_H

#include <optional>
#include <string>

namespace sparring_test {

// A scripted agent for driving the sparring server: a plain TCP client speaking the
// length-prefixed frames. Every wait is bounded.
class FakeAgent {
public:
    explicit FakeAgent(unsigned short port);
    ~FakeAgent();
    FakeAgent(const FakeAgent&) = delete;
    FakeAgent& operator=(const FakeAgent&) = delete;

    void send(const std::string& text);
    // The next frame, or nothing when the server closed the connection or the time ran
    // out.
    std::optional<std::string> receive(int timeoutMs = 5000);
    // Scene command, first message, init command followed by `after` in its frame;
    // false when the server closed.
    bool join(const std::string& team, int unum, const std::string& after = "");
    // Answers every message with `reply` until the server closes; returns the count.
    int answerAll(const std::string& reply);
    void close();

private:
    int fd_;
    std::string buffer_;
};

}  // namespace sparring_test

#endif
