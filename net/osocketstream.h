#ifndef HALYX_NET_OSOCKETSTREAM_H
#define HALYX_NET_OSOCKETSTREAM_H

#include <ostream>

#include "net/socketstreambuf.h"

namespace rcss {
namespace net {

// An output stream writing to a socket through its own buffer; flush sends.
class OSocketStream : public SocketStreamBuf, public std::ostream {
public:
    explicit OSocketStream(Socket& socket, int bufsize = 8192)
        : SocketStreamBuf(socket, NoConnect, bufsize), std::ostream(this) {}
    ~OSocketStream() override {}
};

}  // namespace net
}  // namespace rcss

#endif
