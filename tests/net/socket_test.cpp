#include "net/socket.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <boost/scoped_ptr.hpp>
#include <cerrno>
#include <string>

#include "net/tcpsocket.h"
#include "net/udpsocket.h"
#include "tests/support/loopback_server.h"

using rcss::net::Addr;
using rcss::net::Socket;
using rcss::net::TCPSocket;
using rcss::net::UDPSocket;

namespace {

const unsigned int kLoopback = 0x7F000001u;

bool descriptorIsOpen(int fd) {
    return fcntl(fd, F_GETFD) != -1;
}

}  // namespace

TEST(Socket, FreshTcpSocketIsOpenCloseOnExecAndUnconnected) {
    TCPSocket socket;
    ASSERT_TRUE(socket.isOpen());
    EXPECT_EQ(fcntl(socket.getFD(), F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
    EXPECT_FALSE(socket.isConnected());
    EXPECT_EQ(socket.getPeer(), Addr(0, 0u));
}

TEST(Socket, ConnectToListeningServerMakesItConnected) {
    halyx_test::LoopbackServer server;
    TCPSocket socket;
    ASSERT_TRUE(socket.connect(Addr(server.port(), kLoopback)));
    EXPECT_TRUE(socket.isConnected());
    EXPECT_EQ(socket.getPeer(), Addr(server.port(), kLoopback));
    EXPECT_EQ(socket.getName().getHost(), kLoopback);
}

TEST(Socket, CopyKeepsDescriptorOpenUntilLastHolderLetsGo) {
    TCPSocket first;
    const int fd = first.getFD();
    {
        TCPSocket copy(first);
        first.close();
        EXPECT_EQ(first.getFD(), Socket::INVALIDSOCKET);
        EXPECT_EQ(copy.getFD(), fd);
        EXPECT_TRUE(descriptorIsOpen(fd));
    }
    EXPECT_FALSE(descriptorIsOpen(fd));
}

TEST(Socket, AssignmentSharesTheDescriptor) {
    TCPSocket first;
    TCPSocket second;
    const int secondFd = second.getFD();
    second = first;
    EXPECT_EQ(second.getFD(), first.getFD());
    EXPECT_FALSE(descriptorIsOpen(secondFd));
}

TEST(Socket, OperationsOnClosedSocketFail) {
    TCPSocket socket;
    socket.close();
    EXPECT_FALSE(socket.isOpen());
    EXPECT_EQ(socket.getFD(), -1);
    EXPECT_FALSE(socket.connect(Addr(3100, kLoopback)));
    EXPECT_FALSE(socket.bind(Addr(0, kLoopback)));
    EXPECT_EQ(socket.getName(), Addr(0, 0u));
    EXPECT_FALSE(socket.isConnected());
    for (int (Socket::*setter)(bool) : {&Socket::setCloseOnExec, &Socket::setNonBlocking,
                                        &Socket::setAsync, &Socket::setBroadcast}) {
        errno = 0;
        EXPECT_EQ((socket.*setter)(true), -1);
        EXPECT_EQ(errno, EPERM);
    }
}

TEST(Socket, ReopeningGivesAFreshDescriptor) {
    TCPSocket socket;
    TCPSocket copy(socket);
    ASSERT_TRUE(socket.open());
    EXPECT_NE(socket.getFD(), copy.getFD());
    EXPECT_TRUE(descriptorIsOpen(copy.getFD()));
}

TEST(Socket, AcceptWritesPeerIntoCallersRecord) {
    TCPSocket listener(Addr(0, kLoopback));
    ASSERT_TRUE(listener.listen(1));
    const Addr where = listener.getName();
    TCPSocket client(Addr(0, kLoopback), where);
    ASSERT_TRUE(client.isConnected());

    Addr peer;
    const Addr alias(peer);
    boost::scoped_ptr<TCPSocket> accepted(listener.accept(peer));
    ASSERT_TRUE(accepted);
    EXPECT_EQ(alias, client.getName());

    ASSERT_EQ(client.send("ping", 4), 4);
    char buf[8];
    EXPECT_EQ(accepted->recv(buf, sizeof(buf)), 4);
    EXPECT_EQ(std::string(buf, 4), "ping");
}

TEST(Socket, UdpDatagramCarriesSenderAddress) {
    UDPSocket receiver(Addr(0, kLoopback));
    UDPSocket sender(Addr(0, kLoopback));
    ASSERT_EQ(sender.send("hello", 5, receiver.getName()), 5);

    char buf[16];
    Addr from;
    ASSERT_EQ(receiver.recv(1000, buf, sizeof(buf), from), 5);
    EXPECT_EQ(std::string(buf, 5), "hello");
    EXPECT_EQ(from, sender.getName());
}

TEST(Socket, TimedReceiveWithoutDataFailsWithEagain) {
    UDPSocket socket(Addr(0, kLoopback));
    char buf[4];
    errno = 0;
    EXPECT_EQ(socket.recv(10, buf, sizeof(buf)), -1);
    EXPECT_EQ(errno, EAGAIN);
}

TEST(Socket, SendToClosedPeerFailsWithoutSignal) {
    halyx_test::LoopbackServer server;
    TCPSocket socket;
    ASSERT_TRUE(socket.connect(Addr(server.port(), kLoopback)));
    ASSERT_TRUE(server.accept());
    server.closeClient();
    const std::string chunk(65536, 'x');
    int result = 0;
    for (int i = 0; i < 100 && result != -1; ++i) {
        result = socket.send(chunk.data(), chunk.size());
    }
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(errno == EPIPE || errno == ECONNRESET) << errno;
}
