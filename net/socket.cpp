#include "net/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "net/handler.h"
#include "net/tcpsocket.h"

namespace rcss {
namespace net {

const int Socket::INVALIDSOCKET = -1;

namespace {

const socklen_t kAddrLen = sizeof(sockaddr_in);

const sockaddr* asSockaddr(const Addr& addr) {
    return reinterpret_cast<const sockaddr*>(&addr.getAddr());
}

bool interrupted(int result) {
    return result == -1 && errno == EINTR;
}

}  // namespace

Socket::Socket() : mHandler(Handler::instance()) {}

Socket::Socket(int fd) : mHandler(Handler::instance()) {
    hold(fd);
}

Socket::Socket(const Socket& other) : mHandler(other.mHandler), mSocket(other.mSocket) {}

Socket& Socket::operator=(const Socket& other) {
    mSocket = other.mSocket;
    return *this;
}

Socket::~Socket() {
    close();
}

void Socket::closeFD(int* fd) {
    ::close(*fd);
    delete fd;
}

void Socket::hold(int fd) {
    mSocket.reset(new int(fd), &Socket::closeFD);
}

bool Socket::open() {
    int fd = INVALIDSOCKET;
    if (!doOpen(fd)) {
        return false;
    }
    hold(fd);
    if (setCloseOnExec(true) < 0) {
        close();
        return false;
    }
    return true;
}

void Socket::close() {
    mSocket.reset();
}

bool Socket::bind(const Addr& addr) {
    return isOpen() && ::bind(getFD(), asSockaddr(addr), kAddrLen) >= 0;
}

bool Socket::connect(const Addr& addr) {
    return isOpen() && ::connect(getFD(), asSockaddr(addr), kAddrLen) >= 0;
}

// The address that getsockname or getpeername reports; Addr(0, 0) when the
// socket is closed or the call fails.
Addr Socket::queryName(int (*query)(int, sockaddr*, socklen_t*)) const {
    sockaddr_in addr;
    socklen_t len = kAddrLen;
    if (!isOpen() || query(getFD(), reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        return Addr(0, 0u);
    }
    return Addr(addr);
}

Addr Socket::getName() const {
    return queryName(&::getsockname);
}

Addr Socket::getPeer() const {
    return queryName(&::getpeername);
}

bool Socket::isConnected() const {
    return getPeer() != Addr(0, 0u);
}

int Socket::setCloseOnExec(bool on) {
    if (!isOpen()) {
        errno = EPERM;
        return -1;
    }
    return fcntl(getFD(), F_SETFD, on ? FD_CLOEXEC : 0);
}

int Socket::setStatusFlag(int flag, bool on) {
    if (!isOpen()) {
        errno = EPERM;
        return -1;
    }
    const int flags = fcntl(getFD(), F_GETFL, 0);
    if (flags == -1) {
        return -1;
    }
    return fcntl(getFD(), F_SETFL, on ? (flags | flag) : (flags & ~flag));
}

int Socket::setNonBlocking(bool on) {
    return setStatusFlag(O_NONBLOCK, on);
}

int Socket::setAsync(bool on) {
    return setStatusFlag(O_ASYNC, on);
}

int Socket::setBroadcast(bool on) {
    if (!isOpen()) {
        errno = EPERM;
        return -1;
    }
    const int value = on ? 1 : 0;
    return setsockopt(getFD(), SOL_SOCKET, SO_BROADCAST, &value, sizeof(value));
}

int Socket::send(const char* msg, size_t len, int flags, CheckingType check) {
    flags |= MSG_NOSIGNAL;
    if (check == SingleCall) {
        return static_cast<int>(::send(getFD(), msg, len, flags));
    }
    size_t sent = 0;
    while (sent < len) {
        const ssize_t result = ::send(getFD(), msg + sent, len - sent, flags);
        if (result == -1 && errno != EINTR && errno != EAGAIN) {
            return -1;
        }
        if (result > 0) {
            sent += static_cast<size_t>(result);
        }
    }
    return static_cast<int>(len);
}

int Socket::send(const char* msg, size_t len, const Addr& dest, int flags, CheckingType check) {
    flags |= MSG_NOSIGNAL;
    ssize_t result;
    do {
        result = ::sendto(getFD(), msg, len, flags, asSockaddr(dest), kAddrLen);
    } while (check == RetryOnInterrupt && result == -1 && (errno == EINTR || errno == EAGAIN));
    return static_cast<int>(result);
}

int Socket::recv(char* buf, size_t len, int flags, CheckingType check) {
    ssize_t result;
    do {
        result = ::recv(getFD(), buf, len, flags);
    } while (check == RetryOnInterrupt && interrupted(static_cast<int>(result)));
    return static_cast<int>(result);
}

int Socket::recv(char* buf, size_t len, Addr& from, int flags, CheckingType check) {
    ssize_t result;
    do {
        sockaddr_in addr;
        std::memset(&addr, 0, sizeof(addr));
        socklen_t addrLen = kAddrLen;
        result = ::recvfrom(getFD(), buf, len, flags, reinterpret_cast<sockaddr*>(&addr), &addrLen);
        from = Addr(addr);
    } while (check == RetryOnInterrupt && interrupted(static_cast<int>(result)));
    return static_cast<int>(result);
}

// 1 when input is ready; -1 with EAGAIN when the time ran out; else poll's result.
int Socket::waitForInput(int timeout) {
    pollfd entry;
    entry.fd = getFD();
    entry.events = POLLIN | POLLPRI;
    entry.revents = 0;
    const int ready = poll(&entry, 1, timeout);
    if (ready == 0) {
        errno = EAGAIN;
        return -1;
    }
    return ready;
}

int Socket::recv(int timeout, char* buf, size_t len, int flags) {
    const int ready = waitForInput(timeout);
    return ready == 1 ? recv(buf, len, flags, RetryOnInterrupt) : ready;
}

int Socket::recv(int timeout, char* buf, size_t len, Addr& from, int flags) {
    const int ready = waitForInput(timeout);
    return ready == 1 ? recv(buf, len, from, flags, RetryOnInterrupt) : ready;
}

bool Socket::listen(int backlog) {
    return ::listen(getFD(), backlog) == 0;
}

bool Socket::accept(Socket& sock) {
    const int fd = ::accept(getFD(), nullptr, nullptr);
    if (fd == -1) {
        return false;
    }
    sock.hold(fd);
    return true;
}

TCPSocket* Socket::accept(Addr& addr) {
    sockaddr_in peer;
    std::memset(&peer, 0, sizeof(peer));
    socklen_t len = kAddrLen;
    int fd = ::accept(getFD(), reinterpret_cast<sockaddr*>(&peer), &len);
    if (fd == -1) {
        return nullptr;
    }
    // Written into the caller's record, so every copy of addr sees the peer.
    addr.setHost(ntohl(peer.sin_addr.s_addr));
    addr.setPort(ntohs(peer.sin_port));
    return new TCPSocket(fd);
}

}  // namespace net
}  // namespace rcss
