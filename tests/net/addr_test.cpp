#include "net/addr.h"

#include <gtest/gtest.h>
#include <netdb.h>

#include <sstream>

#include "net/exception.h"

using rcss::net::Addr;

TEST(Addr, DottedHostResolvesToHostOrderValue) {
    const Addr addr(3100, std::string("127.0.0.1"));
    EXPECT_EQ(addr.getPort(), 3100);
    EXPECT_EQ(addr.getHost(), 0x7F000001u);
    EXPECT_EQ(addr.getHostStr(), "127.0.0.1");
    std::ostringstream text;
    text << addr;
    EXPECT_EQ(text.str(), "(3100:127.0.0.1)");
}

TEST(Addr, NumericAddressNamesItselfInDottedForm) {
    const Addr addr(80, 0x7F000102u);
    EXPECT_EQ(addr.getHostStr(), "127.0.1.2");
    EXPECT_EQ(addr.getAddr().sin_family, AF_INET);
    EXPECT_EQ(addr.getAddr().sin_port, htons(80));
}

TEST(Addr, UnresolvableHostThrowsWithResolverErrorNumber) {
    try {
        Addr addr(3100, std::string("no-such-host.invalid"));
        FAIL() << "resolved " << addr;
    } catch (const rcss::net::HostNotFound& e) {
        EXPECT_TRUE(e.err() == HOST_NOT_FOUND || e.err() == TRY_AGAIN || e.err() == NO_RECOVERY ||
                    e.err() == NO_DATA)
            << e.err();
        EXPECT_STREQ(e.what(), hstrerror(e.err()));
    }
}

TEST(Addr, CopiesShareOneRecord) {
    Addr first(3100, 0x7F000001u);
    const Addr copy(first);
    Addr assigned;
    assigned = first;
    first.setPort(4000);
    first.setHost(0x7F000002u);
    EXPECT_EQ(copy.getPort(), 4000);
    EXPECT_EQ(assigned.getPort(), 4000);
    EXPECT_EQ(assigned.getHostStr(), "127.0.0.2");
}

TEST(Addr, SettingAValueClearsTheStoredName) {
    Addr addr(3100, std::string("127.0.0.1"));
    addr.setHost(0x7F000002u);
    EXPECT_EQ(addr.getHostStr(), "127.0.0.2");
}

TEST(Addr, EmptyNamesAreRefusedWithEperm) {
    Addr addr(3100, 0x7F000001u);
    errno = 0;
    EXPECT_FALSE(addr.setHost(std::string()));
    EXPECT_EQ(errno, EPERM);
    errno = 0;
    EXPECT_FALSE(addr.setPort(std::string(), std::string()));
    EXPECT_EQ(errno, EPERM);
    EXPECT_EQ(addr, Addr(3100, 0x7F000001u));
}

TEST(Addr, UnresolvableHostInSetterFailsWithoutThrowing) {
    Addr addr(3100, 0x7F000001u);
    EXPECT_FALSE(addr.setHost(std::string("no-such-host.invalid")));
    EXPECT_EQ(addr.getHost(), 0x7F000001u);
}

TEST(Addr, EqualityAndOrderUseHostThenPort) {
    const Addr a(10, 0x01000000u);
    const Addr b(5, 0x02000000u);
    const Addr c(20, 0x02000000u);
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(b < c);
    EXPECT_FALSE(c < b);
    EXPECT_EQ(Addr(5, 0x02000000u), b);
    EXPECT_NE(b, c);
}
