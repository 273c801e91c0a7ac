#include "net/tcpsocket.h"

#include <sys/socket.h>

namespace rcss {
namespace net {

TCPSocket::TCPSocket() {
    open();
}

TCPSocket::TCPSocket(int& fd) : Socket(fd) {}

TCPSocket::TCPSocket(const Addr& local) {
    open();
    bind(local);
}

TCPSocket::TCPSocket(const Addr& local, const Addr& remote) {
    open();
    bind(local);
    connect(remote);
}

bool TCPSocket::doOpen(int& fd) {
    close();
    fd = ::socket(AF_INET, SOCK_STREAM, 6);
    return fd >= 0;
}

}  // namespace net
}  // namespace rcss
