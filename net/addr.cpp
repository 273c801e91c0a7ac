#include "net/addr.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <cerrno>
#include <cstring>

#include "net/exception.h"
#include "net/handler.h"

namespace rcss {
namespace net {

const unsigned int Addr::ANY = INADDR_ANY;
const unsigned int Addr::BROADCAST = INADDR_BROADCAST;

namespace {

sockaddr_in makeSockaddr(unsigned short port, unsigned int host) {
    sockaddr_in addr;
    std::memset(&addr, 0, sizeof(addr));
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(host);
    return addr;
}

// The first IPv4 address of a resolved name, or false when it cannot be resolved.
bool resolve(const std::string& host, in_addr& out) {
    const hostent* entry = gethostbyname(host.c_str());
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_addr_list[0] == nullptr) {
        return false;
    }
    std::memcpy(&out, entry->h_addr_list[0], sizeof(out));
    return true;
}

const char* protoOrNull(const std::string& proto) {
    return proto.empty() ? nullptr : proto.c_str();
}

}  // namespace

// The shared record behind every copy of one Addr.
class AddrImpl {
public:
    explicit AddrImpl(const sockaddr_in& addr) : handler(Handler::instance()), address(addr) {}

    Handler& handler;
    sockaddr_in address;
    std::string hostName;  // as supplied, or the dotted form once asked for
    std::string portName;  // service name, once supplied or looked up
};

Addr::Addr(unsigned short port, unsigned int host)
    : mImpl(new AddrImpl(makeSockaddr(port, host))) {}

Addr::Addr(const sockaddr_in& addr) : mImpl(new AddrImpl(addr)) {}

Addr::Addr(unsigned short port, const std::string& host)
    : mImpl(new AddrImpl(makeSockaddr(port, ANY))) {
    mImpl->hostName = host;
    if (!resolve(host, mImpl->address.sin_addr)) {
        // A failed lookup can leave h_errno at 0 (for instance a name that
        // resolves to no IPv4 address); report that as "host not found".
        throw HostNotFound(h_errno != 0 ? h_errno : HOST_NOT_FOUND);
    }
}

const sockaddr_in& Addr::getAddr() const {
    return mImpl->address;
}

unsigned short Addr::getPort() const {
    return ntohs(mImpl->address.sin_port);
}

unsigned int Addr::getHost() const {
    return ntohl(mImpl->address.sin_addr.s_addr);
}

std::string Addr::getHostStr() const {
    if (mImpl->hostName.empty()) {
        mImpl->hostName = inet_ntoa(mImpl->address.sin_addr);
    }
    return mImpl->hostName;
}

std::string Addr::getPortStr(const std::string& proto) const {
    if (mImpl->portName.empty()) {
        const servent* service = getservbyport(mImpl->address.sin_port, protoOrNull(proto));
        if (service != nullptr) {
            mImpl->portName = service->s_name;
        }
    }
    return mImpl->portName;
}

bool Addr::setPort(unsigned short port) {
    mImpl->address.sin_port = htons(port);
    mImpl->portName.clear();
    return true;
}

bool Addr::setHost(unsigned int host) {
    mImpl->address.sin_addr.s_addr = htonl(host);
    mImpl->hostName.clear();
    return true;
}

bool Addr::setPort(const std::string& port, const std::string& proto) {
    if (port.empty()) {
        errno = EPERM;
        return false;
    }
    const servent* service = getservbyname(port.c_str(), protoOrNull(proto));
    if (service == nullptr) {
        return false;
    }
    mImpl->address.sin_port = static_cast<in_port_t>(service->s_port);
    mImpl->portName = port;
    return true;
}

bool Addr::setHost(const std::string& host) {
    if (host.empty()) {
        errno = EPERM;
        return false;
    }
    if (!resolve(host, mImpl->address.sin_addr)) {
        return false;
    }
    mImpl->hostName = host;
    return true;
}

bool Addr::operator==(const Addr& other) const {
    return getPort() == other.getPort() && getHost() == other.getHost();
}

bool Addr::operator<(const Addr& other) const {
    if (getHost() != other.getHost()) {
        return getHost() < other.getHost();
    }
    return getPort() < other.getPort();
}

std::ostream& operator<<(std::ostream& out, const Addr& addr) {
    return out << '(' << addr.getPort() << ':' << addr.getHostStr() << ')';
}

}  // namespace net
}  // namespace rcss
