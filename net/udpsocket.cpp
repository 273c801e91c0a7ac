#include "net/udpsocket.h"

#include <sys/socket.h>

namespace rcss {
namespace net {

UDPSocket::UDPSocket() {
    open();
}

UDPSocket::UDPSocket(int& fd) : Socket(fd) {}

UDPSocket::UDPSocket(const Addr& local) {
    open();
    bind(local);
}

UDPSocket::UDPSocket(const Addr& local, const Addr& remote) {
    open();
    bind(local);
    connect(remote);
}

bool UDPSocket::doOpen(int& fd) {
    close();
    fd = ::socket(AF_INET, SOCK_DGRAM, 17);
    return fd >= 0;
}

}  // namespace net
}  // namespace rcss
