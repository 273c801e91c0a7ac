#include "net/connectionmanager.h"

#include <arpa/inet.h>

#include <cstdint>
#include <cstring>

ConnectionManager::ConnectionManager()
    : mSocket(),
      mIn(mSocket, rcss::net::SocketStreamBuf::NoConnect, kBufferSize),
      mOut(mSocket, kBufferSize) {
    mIn.exceptions(std::ios_base::eofbit | std::ios_base::failbit | std::ios_base::badbit);
}

ConnectionManager::~ConnectionManager() {
    Disconnect();
}

// Nagle's algorithm off: a frame over one buffer (8192 bytes with its length)
// leaves in two sends, and the short second one would otherwise wait for the
// server's delayed acknowledgement of the first (about 40 ms) in a lock-step
// exchange where the server sends nothing until the reply is complete.
bool ConnectionManager::Connect(rcss::net::Addr addr) {
    mSocket.setNoDelay();
    return mSocket.connect(addr);
}

void ConnectionManager::Disconnect() {
    mSocket.close();
}

void ConnectionManager::Reconnect() {
    const rcss::net::Addr peer = mSocket.getPeer();
    Disconnect();
    mSocket.open();
    Connect(peer);
}

void ConnectionManager::Send(std::string message) {
    const uint32_t length = htonl(static_cast<uint32_t>(message.size()));
    char header[sizeof(length)];
    std::memcpy(header, &length, sizeof(length));
    mOut.write(header, sizeof(header));
    mOut.write(message.data(), static_cast<std::streamsize>(message.size()));
    mOut.flush();
}

// Consumes count bytes through a small fixed buffer, never storing the body, so
// the next frame starts on a boundary whatever length the peer claimed. (The
// stream's ignore() would peek one byte past the body and so block until the
// next frame arrives.)
void ConnectionManager::Discard(uint32_t count) {
    char chunk[1024];
    while (count > 0) {
        const uint32_t step = count < sizeof(chunk) ? count : static_cast<uint32_t>(sizeof(chunk));
        mIn.read(chunk, step);
        count -= step;
    }
}

std::string ConnectionManager::Receive() {
    uint32_t length = 0;
    char header[sizeof(length)];
    mIn.read(header, sizeof(header));
    std::memcpy(&length, header, sizeof(length));
    length = ntohl(length);

    if (length > kMaxReceived) {
        Discard(length);
        return std::string();
    }
    // Read straight into the string that is returned: one buffer per message, no copy.
    std::string body(length, '\0');
    mIn.read(&body[0], static_cast<std::streamsize>(length));
    // The text ends at the first zero byte, if the body holds one.
    const void* zero = std::memchr(body.data(), '\0', length);
    if (zero != nullptr)
        body.resize(static_cast<size_t>(static_cast<const char*>(zero) - body.data()));
    return body;
}
