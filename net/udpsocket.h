#ifndef HALYX_NET_UDPSOCKET_H
#define HALYX_NET_UDPSOCKET_H

#include "net/socket.h"

namespace rcss {
namespace net {

// A UDP datagram socket. The results of open, bind and connect in the
// constructors are not examined: callers check isOpen() or isConnected().
class UDPSocket : public Socket {
public:
    UDPSocket();  // opened, unbound
    explicit UDPSocket(int& fd);
    explicit UDPSocket(const Addr& local);
    UDPSocket(const Addr& local, const Addr& remote);

protected:
    bool doOpen(int& fd) override;
};

}  // namespace net
}  // namespace rcss

#endif
