#include <gtest/gtest.h>

#include <string>

#include "net/isocketstream.h"
#include "net/osocketstream.h"
#include "net/udpsocket.h"

using rcss::net::Addr;
using rcss::net::ISocketStream;
using rcss::net::OSocketStream;
using rcss::net::SocketStreamBuf;
using rcss::net::UDPSocket;

namespace {
const unsigned int kLoopback = 0x7F000001u;
}

TEST(SocketStream, ReadOnUnconnectedSocketConnectsToSenderWhenAsked) {
    struct Case {
        SocketStreamBuf::ConnType mode;
        bool connects;
    };
    for (const Case& c :
         {Case{SocketStreamBuf::ConnectOnRead, true}, Case{SocketStreamBuf::NoConnect, false}}) {
        UDPSocket receiver(Addr(0, kLoopback));
        UDPSocket sender(Addr(0, kLoopback));
        ISocketStream in(receiver, c.mode, 64);
        ASSERT_EQ(sender.send("abc", 3, receiver.getName()), 3);

        char word[3];
        in.read(word, sizeof(word));
        EXPECT_EQ(std::string(word, sizeof(word)), "abc");
        EXPECT_EQ(receiver.isConnected(), c.connects) << c.mode;
        if (c.connects) {
            EXPECT_EQ(receiver.getPeer(), sender.getName());
        }
    }
}

TEST(SocketStream, FlushOnUnconnectedSocketSendsToEndPoint) {
    UDPSocket receiver(Addr(0, kLoopback));
    UDPSocket sender(Addr(0, kLoopback));
    OSocketStream out(sender, 64);
    out.setEndPoint(receiver.getName());
    out << "datagram" << std::flush;
    EXPECT_TRUE(out.good());

    char buf[16];
    ASSERT_EQ(receiver.recv(1000, buf, sizeof(buf)), 8);
    EXPECT_EQ(std::string(buf, 8), "datagram");
}

TEST(SocketStream, PendingOutputIsWrittenWhenStreamGoes) {
    UDPSocket receiver(Addr(0, kLoopback));
    UDPSocket sender(Addr(0, kLoopback), receiver.getName());
    {
        OSocketStream out(sender, 64);
        out << "last words";
    }
    char buf[16];
    ASSERT_EQ(receiver.recv(1000, buf, sizeof(buf)), 10);
    EXPECT_EQ(std::string(buf, 10), "last words");
}
