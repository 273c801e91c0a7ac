#ifndef HALYX_NET_TCPSOCKET_H
#define HALYX_NET_TCPSOCKET_H

#include "net/socket.h"

namespace rcss {
namespace net {

// A TCP stream socket. The results of open, bind and connect in the
// constructors are not examined: callers check isOpen() or isConnected().
class TCPSocket : public Socket {
public:
    TCPSocket();  // opened, unbound
    explicit TCPSocket(int& fd);
    explicit TCPSocket(const Addr& local);
    TCPSocket(const Addr& local, const Addr& remote);

    // Turns Nagle's algorithm off (on = true) or on: with it on, a write that
    // does not fill a segment waits until everything sent before is
    // acknowledged. Closed: errno EPERM, -1; else the result of setsockopt.
    int setNoDelay(bool on = true);

protected:
    bool doOpen(int& fd) override;
};

}  // namespace net
}  // namespace rcss

#endif
