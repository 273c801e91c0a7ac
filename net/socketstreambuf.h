#ifndef HALYX_NET_SOCKETSTREAMBUF_H
#define HALYX_NET_SOCKETSTREAMBUF_H

#include <memory>
#include <streambuf>

#include "net/addr.h"
#include "net/socket.h"

namespace rcss {
namespace net {

// A character stream buffer over a socket: reads refill the input buffer with one
// receive each, writes collect in the output buffer until it is full or flushed.
// Both buffers are allocated at first use.
class SocketStreamBuf : public std::streambuf {
public:
    enum ConnType {
        ConnectOnRead = 0,  // an unconnected socket connects to the first sender heard
        NoConnect = 1
    };

    SocketStreamBuf(Socket& socket, ConnType conn = ConnectOnRead, int bufsize = 8192);
    ~SocketStreamBuf() override;

    SocketStreamBuf(const SocketStreamBuf&) = delete;
    SocketStreamBuf& operator=(const SocketStreamBuf&) = delete;

    // Destination of writes while the socket is not connected.
    void setEndPoint(const Addr& addr) { mEndPoint = addr; }

protected:
    int sync() override;
    int_type underflow() override;
    int_type overflow(int_type c) override;
    // Sends the pending output; true when the send delivered bytes.
    virtual bool writeData();

private:
    int receive();
    void resetOutput();

    Socket& mSocket;
    Addr mEndPoint;
    int mBufSize;
    std::unique_ptr<char[]> mInBuf;
    std::unique_ptr<char[]> mOutBuf;
    ConnType mConnType;
};

}  // namespace net
}  // namespace rcss

#endif
