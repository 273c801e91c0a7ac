#ifndef HALYX_NET_ADDR_H
#define HALYX_NET_ADDR_H

#include <netinet/in.h>

#include <boost/shared_ptr.hpp>
#include <ostream>
#include <string>

namespace rcss {
namespace net {

class AddrImpl;

// An IPv4 address and port. Copies share one record, so a setter called
// through one copy is seen through all of them.
class Addr {
public:
    static const unsigned int ANY;        // 0.0.0.0, host byte order
    static const unsigned int BROADCAST;  // 255.255.255.255, host byte order

    // Port and host in host byte order.
    Addr(unsigned short port = 0, unsigned int host = ANY);
    explicit Addr(const sockaddr_in& addr);
    // Resolves the name (or dotted address) at once; throws HostNotFound.
    Addr(unsigned short port, const std::string& host);

    const sockaddr_in& getAddr() const;
    unsigned short getPort() const;
    unsigned int getHost() const;
    std::string getHostStr() const;
    // Empty proto means any protocol; "" when the port has no service name.
    std::string getPortStr(const std::string& proto = "") const;

    bool setPort(unsigned short port);
    bool setHost(unsigned int host);
    bool setPort(const std::string& port, const std::string& proto = "");
    bool setHost(const std::string& host);

    bool operator==(const Addr& other) const;
    bool operator!=(const Addr& other) const { return !(*this == other); }
    bool operator<(const Addr& other) const;

private:
    boost::shared_ptr<AddrImpl> mImpl;
};

// Writes "(port:host)", for example (3100:127.0.0.1).
std::ostream& operator<<(std::ostream& out, const Addr& addr);

}  // namespace net
}  // namespace rcss

#endif
