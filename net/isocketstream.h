#ifndef HALYX_NET_ISOCKETSTREAM_H
#define HALYX_NET_ISOCKETSTREAM_H

#include <istream>

#include "net/socketstreambuf.h"

namespace rcss {
namespace net {

// An input stream reading from a socket through its own buffer.
class ISocketStream : public SocketStreamBuf, public std::istream {
public:
    explicit ISocketStream(Socket& socket, ConnType conn = ConnectOnRead, int bufsize = 8192)
        : SocketStreamBuf(socket, conn, bufsize), std::istream(this) {}
    ~ISocketStream() override {}
};

}  // namespace net
}  // namespace rcss

#endif
