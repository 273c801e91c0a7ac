#ifndef HALYX_NET_SOCKET_H
#define HALYX_NET_SOCKET_H

#include <sys/socket.h>

#include <boost/shared_ptr.hpp>
#include <cstddef>

#include "net/addr.h"

namespace rcss {
namespace net {

class Handler;
class TCPSocket;

// A POSIX IPv4 socket. Copies share the descriptor, which is closed when its
// last holder lets go. Failures come back as false or -1 with errno set, in the
// manner of the system calls beneath; nothing here throws or prints.
class Socket {
public:
    enum CheckingType {
        RetryOnInterrupt = 0,  // repeat a call that was interrupted
        SingleCall = 1         // one plain system call
    };

    static const int INVALIDSOCKET;

    Socket();
    explicit Socket(int fd);
    Socket(const Socket& other);
    Socket& operator=(const Socket& other);
    virtual ~Socket();

    bool open();
    void close();
    bool isOpen() const { return mSocket.get() != nullptr; }
    int getFD() const { return isOpen() ? *mSocket : INVALIDSOCKET; }

    bool bind(const Addr& addr);
    bool connect(const Addr& addr);
    Addr getName() const;
    Addr getPeer() const;
    Addr getDest() const { return getPeer(); }
    bool isConnected() const;

    int setCloseOnExec(bool on = true);
    int setNonBlocking(bool on = true);
    int setAsync(bool on = true);
    int setBroadcast(bool on = true);

    // Sends never raise SIGPIPE: a peer that has gone away gives -1 with EPIPE.
    int send(const char* msg, size_t len, int flags = 0, CheckingType check = RetryOnInterrupt);
    int send(const char* msg, size_t len, const Addr& dest, int flags = 0,
             CheckingType check = RetryOnInterrupt);
    int recv(char* buf, size_t len, int flags = 0, CheckingType check = RetryOnInterrupt);
    int recv(char* buf, size_t len, Addr& from, int flags = 0,
             CheckingType check = RetryOnInterrupt);
    // Waits at most timeout milliseconds for data; -1 with EAGAIN when none came.
    int recv(int timeout, char* buf, size_t len, int flags = 0);
    int recv(int timeout, char* buf, size_t len, Addr& from, int flags = 0);

    bool listen(int backlog);
    bool accept(Socket& sock);
    // The new socket is owned by the caller; null on failure.
    TCPSocket* accept(Addr& addr);

protected:
    // Opens a fresh descriptor of the concrete kind into fd.
    virtual bool doOpen(int& fd) = 0;

private:
    static void closeFD(int* fd);
    Addr queryName(int (*query)(int, sockaddr*, socklen_t*)) const;
    void hold(int fd);
    int setStatusFlag(int flag, bool on);
    int waitForInput(int timeout);

    Handler& mHandler;
    boost::shared_ptr<int> mSocket;
};

}  // namespace net
}  // namespace rcss

#endif
