// Feeds an arbitrary byte stream, as the server would send it, to the agent's
// framed connection over a real loopback TCP connection, and checks every
// frame it reads against an independent reading of the same bytes: framing
// must never lose its place, whatever lengths the stream announces.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ios>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fuzz/command_check.h"
#include "net/addr.h"
#include "net/connectionmanager.h"

namespace {

using halyx_fuzz::require;

const uint32_t kMaxText = ConnectionManager::kMaxReceived;  // bytes; longer frames read as ""

// The frames a correct reader returns for the stream, in order: each length
// above the limit gives "" with its body skipped, each text ends at its first
// zero byte, and a frame cut short by the end of the stream gives nothing.
std::vector<std::string> expectedFrames(const uint8_t* data, size_t size) {
    std::vector<std::string> frames;
    size_t pos = 0;
    while (size - pos >= 4) {
        uint32_t length;
        std::memcpy(&length, data + pos, 4);
        length = ntohl(length);
        pos += 4;
        if (length > size - pos) break;
        if (length > kMaxText) {
            frames.emplace_back();
        } else {
            const char* text = reinterpret_cast<const char*>(data + pos);
            frames.emplace_back(text, strnlen(text, length));
        }
        pos += length;
    }
    return frames;
}

// A listening socket on 127.0.0.1 that lives as long as the fuzzer.
int listener(unsigned short& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof(addr);
    require(fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
                ::listen(fd, 16) == 0 &&
                ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0,
            "cannot listen on loopback");
    port = ntohs(addr.sin_port);
    return fd;
}

// The agent's connection to the listener. libFuzzer's timer signal must not
// interrupt the connect: the agent does not retry it, and the interrupted
// attempt would still arrive at the listener. Signals wait until it is made.
std::unique_ptr<ConnectionManager> connect(unsigned short port) {
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previous);
    std::unique_ptr<ConnectionManager> connection(new ConnectionManager());
    const bool connected = connection->Connect(rcss::net::Addr(port, "127.0.0.1"));
    const int error = errno;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    require(connected, std::string("cannot connect: ") + std::strerror(error));
    return connection;
}

void sendAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // the reader has gone; nothing more to check
        data += n;
        size -= static_cast<size_t>(n);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static unsigned short port = 0;
    static const int listenFd = listener(port);

    std::unique_ptr<ConnectionManager> connection = connect(port);
    int server;
    do {
        server = ::accept(listenFd, nullptr, nullptr);
    } while (server < 0 && errno == EINTR);
    require(server >= 0, std::string("accept failed: ") + std::strerror(errno));

    // The writer closes its side when done, so the reader meets the end of
    // the stream instead of waiting for bytes a length announced.
    std::thread writer([&] {
        sendAll(server, data, size);
        ::shutdown(server, SHUT_WR);
    });
    std::vector<std::string> frames;
    try {
        for (;;) frames.push_back(connection->Receive());
    } catch (const std::ios_base::failure&) {
        // the end of the stream
    }
    writer.join();
    // The reader has met the end of the stream. The server's end is reset
    // before the reader closes, so that no side is left waiting out its
    // time: hundreds of thousands of runs would otherwise exhaust the
    // loopback ports.
    const linger reset{1, 0};
    ::setsockopt(server, SOL_SOCKET, SO_LINGER, &reset, sizeof(reset));
    ::close(server);
    connection.reset();

    const std::vector<std::string> expected = expectedFrames(data, size);
    require(frames.size() == expected.size(), "read " + std::to_string(frames.size()) +
                                                  " frames of " + std::to_string(expected.size()));
    for (size_t i = 0; i < frames.size(); ++i) {
        require(frames[i] == expected[i], "frame " + std::to_string(i) + " misread");
    }
    return 0;
}
