#ifndef HALYX_NET_CONNECTIONMANAGER_H
#define HALYX_NET_CONNECTIONMANAGER_H

#include <cstdint>
#include <string>

#include "net/addr.h"
#include "net/isocketstream.h"
#include "net/osocketstream.h"
#include "net/tcpsocket.h"

// The agent's one connection to the simulation server. Every message in both
// directions is one frame: a 4-byte big-endian length, then that many bytes of
// text.
class ConnectionManager {
public:
    static const int kBufferSize = 8192;  // bytes, each of the two stream buffers
    // Bytes; longer received frames read as "". The design's 6000 lost whole
    // cycles on the league's field, where a crowded message with field lines
    // reaches about 6400 bytes and every number at its widest about 7500.
    static const unsigned kMaxReceived = 16384;

    ConnectionManager();  // opens the TCP socket, unconnected
    virtual ~ConnectionManager();

    ConnectionManager(const ConnectionManager&) = delete;
    ConnectionManager& operator=(const ConnectionManager&) = delete;

    // Connects with Nagle's algorithm off, so that every frame leaves at once.
    // True when the connection was made; errno tells why not.
    bool Connect(rcss::net::Addr addr);
    void Disconnect();
    void Reconnect();

    // Never reports failure: after a failed send the output stream stays in its
    // error state and later frames are silently dropped.
    void Send(std::string message);
    // Blocks until one whole frame has arrived. Throws std::ios_base::failure
    // when the stream ends or a read fails.
    std::string Receive();

private:
    void Discard(uint32_t count);

    rcss::net::TCPSocket mSocket;
    rcss::net::ISocketStream mIn;
    rcss::net::OSocketStream mOut;
};

#endif
