#include "net/tcpsocket.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>

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

int TCPSocket::setNoDelay(bool on) {
    if (!isOpen()) {
        errno = EPERM;
        return -1;
    }
    const int value = on ? 1 : 0;
    return setsockopt(getFD(), IPPROTO_TCP, TCP_NODELAY, &value, sizeof(value));
}

bool TCPSocket::doOpen(int& fd) {
    close();
    fd = ::socket(AF_INET, SOCK_STREAM, 6);
    return fd >= 0;
}

}  // namespace net
}  // namespace rcss
