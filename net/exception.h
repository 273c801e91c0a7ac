#ifndef HALYX_NET_EXCEPTION_H
#define HALYX_NET_EXCEPTION_H

#include <exception>

namespace rcss {
namespace net {

// Base of the socket layer's exceptions: carries the error number of the failed
// call; what() describes it with strerror.
class NetError : public std::exception {
public:
    explicit NetError(int err) : mErr(err) {}

    int err() const { return mErr; }
    const char* what() const noexcept override;

private:
    int mErr;
};

// A host name that the resolver cannot turn into an address. err() is the
// resolver's error number (h_errno), so what() uses the resolver's own texts:
// strerror would describe an unrelated system error.
class HostNotFound : public NetError {
public:
    explicit HostNotFound(int err) : NetError(err) {}
    const char* what() const noexcept override;
};

// A socket could not be opened.
class OpenErr : public NetError {
public:
    using NetError::NetError;
};

// A socket could not be bound to its local address.
class BindErr : public NetError {
public:
    using NetError::NetError;
};

// A socket could not be made to listen.
class ListenErr : public NetError {
public:
    using NetError::NetError;
};

// An incoming connection could not be accepted.
class AcceptErr : public NetError {
public:
    using NetError::NetError;
};

// The local or peer name of a socket could not be read.
class GetNameErr : public NetError {
public:
    using NetError::NetError;
};

// A socket could not be connected.
class ConnectErr : public NetError {
public:
    using NetError::NetError;
};

}  // namespace net
}  // namespace rcss

#endif
