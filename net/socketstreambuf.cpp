#include "net/socketstreambuf.h"

namespace rcss {
namespace net {

SocketStreamBuf::SocketStreamBuf(Socket& socket, ConnType conn, int bufsize)
    : mSocket(socket), mEndPoint(0, 0u), mBufSize(bufsize), mConnType(conn) {}

SocketStreamBuf::~SocketStreamBuf() {
    // Pending output goes out before the buffers are freed; a failure cannot be
    // reported from here.
    if (mOutBuf) {
        writeData();
    }
}

void SocketStreamBuf::resetOutput() {
    setp(mOutBuf.get(), mOutBuf.get() + mBufSize);
}

int SocketStreamBuf::sync() {
    if (mOutBuf) {
        if (!writeData()) {
            return -1;
        }
        resetOutput();
    }
    return 0;
}

SocketStreamBuf::int_type SocketStreamBuf::overflow(int_type c) {
    if (!mOutBuf) {
        mOutBuf.reset(new char[mBufSize]);
    } else if (!writeData()) {
        return traits_type::eof();
    }
    resetOutput();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return 0;
}

bool SocketStreamBuf::writeData() {
    const size_t pending = static_cast<size_t>(pptr() - pbase());
    if (pending == 0) {
        return true;
    }
    const int sent = mSocket.isConnected()
                         ? mSocket.send(pbase(), pending, 0, Socket::RetryOnInterrupt)
                         : mSocket.send(pbase(), pending, mEndPoint, 0, Socket::RetryOnInterrupt);
    return sent > 0;
}

// One receive into the input buffer; on an unconnected socket the sender is
// noted and, when asked for, becomes the peer.
int SocketStreamBuf::receive() {
    if (mSocket.isConnected()) {
        return mSocket.recv(mInBuf.get(), static_cast<size_t>(mBufSize), 0,
                            Socket::RetryOnInterrupt);
    }
    Addr from;
    const int count = mSocket.recv(mInBuf.get(), static_cast<size_t>(mBufSize), from, 0,
                                   Socket::RetryOnInterrupt);
    if (count > 0 && mConnType == ConnectOnRead) {
        mSocket.connect(from);
    }
    return count;
}

SocketStreamBuf::int_type SocketStreamBuf::underflow() {
    if (!mInBuf) {
        mInBuf.reset(new char[mBufSize]);
    }
    const int count = receive();
    // A receive of zero bytes means the peer has closed the connection: the
    // input ends there, as after a receive error. A receive that happens to
    // yield one byte of value 0xFF is data like any other (a length byte or a
    // byte of text split off by TCP), not an end of stream.
    if (count <= 0) {
        mInBuf[0] = static_cast<char>(0xFF);
        setg(mInBuf.get(), mInBuf.get(), mInBuf.get());
        return traits_type::eof();
    }
    setg(mInBuf.get(), mInBuf.get(), mInBuf.get() + count);
    return traits_type::to_int_type(mInBuf[0]);
}

}  // namespace net
}  // namespace rcss
