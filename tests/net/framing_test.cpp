#include <gtest/gtest.h>

#include <chrono>
#include <ios>
#include <string>
#include <thread>

#include "net/connectionmanager.h"
#include "tests/support/loopback_server.h"

using halyx_test::frame;

namespace {

// A connection manager connected to a loopback server that has accepted it.
class Framing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(connection.Connect(rcss::net::Addr(server.port(), 0x7F000001u)));
        ASSERT_TRUE(server.accept());
    }

    halyx_test::LoopbackServer server;
    ConnectionManager connection;
};

std::string lengthBytes(unsigned char a, unsigned char b, unsigned char c, unsigned char d) {
    return std::string{static_cast<char>(a), static_cast<char>(b), static_cast<char>(c),
                       static_cast<char>(d)};
}

}  // namespace

TEST_F(Framing, FrameSplitAcrossReceivesIsReassembled) {
    const std::string bytes = frame("(time (now 12.3))");
    // Pieces cut inside the length and inside the text, each sent after the
    // agent has had time to consume the one before.
    std::thread writer([&] {
        for (const std::string& piece :
             {bytes.substr(0, 2), bytes.substr(2, 1), bytes.substr(3, 6), bytes.substr(9)}) {
            server.sendRaw(piece);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    const std::string received = connection.Receive();
    writer.join();
    EXPECT_EQ(received, "(time (now 12.3))");
}

TEST_F(Framing, LoneByteFFArrivingByItselfIsDataNotEndOfStream) {
    const std::string text = std::string("(say ") + '\xFF' + ")";
    const std::string bytes = frame(text);
    const size_t ff = bytes.find('\xFF');
    // The 0xFF byte of the text travels in a receive of its own.
    std::thread writer([&] {
        for (const std::string& piece :
             {bytes.substr(0, ff), bytes.substr(ff, 1), bytes.substr(ff + 1)}) {
            server.sendRaw(piece);
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        server.sendRaw(frame("(next)"));
    });
    std::string first;
    std::string second;
    EXPECT_NO_THROW(first = connection.Receive());
    EXPECT_NO_THROW(second = connection.Receive());
    writer.join();
    EXPECT_EQ(first, text);
    EXPECT_EQ(second, "(next)");
}

TEST_F(Framing, FramesArrivingTogetherComeOutOfSeparateReceives) {
    server.sendRaw(frame("(first)") + frame("") + frame("(third)"));
    // Closing right away shows the later frames come from the buffer, not the socket.
    server.closeClient();
    EXPECT_EQ(connection.Receive(), "(first)");
    EXPECT_EQ(connection.Receive(), "");
    EXPECT_EQ(connection.Receive(), "(third)");
    EXPECT_THROW(connection.Receive(), std::ios_base::failure);
}

TEST_F(Framing, LengthLimitDecidesWhatIsDelivered) {
    struct Case {
        size_t length;
        bool delivered;
    };
    // Oversize bodies, including ones larger than the stream buffer, are
    // skipped so the frame after each one is read intact. Frames beyond the
    // design's 6000 bytes and the stream buffer are read whole up to the limit.
    const size_t limit = ConnectionManager::kMaxReceived;
    const Case cases[] = {{0, true},     {1, true},          {6000, true},
                          {6001, true},  {8192, true},       {limit - 1, true},
                          {limit, true}, {limit + 1, false}, {100000, false}};
    for (const Case& c : cases) {
        const std::string text(c.length, 'a');
        server.sendRaw(frame(text) + frame("(next)"));
        EXPECT_EQ(connection.Receive(), c.delivered ? text : std::string()) << c.length;
        EXPECT_EQ(connection.Receive(), "(next)") << c.length;
    }
}

TEST_F(Framing, OversizeFrameIsDeliveredWithoutWaitingForMore) {
    server.sendFrame(std::string(ConnectionManager::kMaxReceived + 1, 'e'));
    server.closeClient();
    EXPECT_EQ(connection.Receive(), "");
    EXPECT_THROW(connection.Receive(), std::ios_base::failure);
}

TEST_F(Framing, TextEndsAtFirstZeroByte) {
    server.sendFrame(std::string("(a)\0(b)", 7));
    server.sendFrame("(c)");
    EXPECT_EQ(connection.Receive(), "(a)");
    EXPECT_EQ(connection.Receive(), "(c)");
}

TEST_F(Framing, EmptySendEmitsFourZeroBytes) {
    connection.Send("");
    connection.Send("(x)");
    EXPECT_EQ(server.receiveRaw(4), lengthBytes(0, 0, 0, 0));
    EXPECT_EQ(server.receiveFrame(), "(x)");
}

TEST_F(Framing, SendLongerThanBufferArrivesWhole) {
    std::string text(9000, 'b');
    text.back() = 'z';
    connection.Send(text);
    EXPECT_EQ(server.receiveRaw(4), lengthBytes(0x00, 0x00, 0x23, 0x28));
    EXPECT_EQ(server.receiveRaw(9000), text);
}

TEST_F(Framing, StreamEndingMidFrameThrows) {
    server.sendRaw(frame("(complete)") + lengthBytes(0, 0, 0, 10) + "(cut");
    server.closeClient();
    EXPECT_EQ(connection.Receive(), "(complete)");
    EXPECT_THROW(connection.Receive(), std::ios_base::failure);
}

TEST_F(Framing, StreamEndingInsideOversizeBodyThrows) {
    // A length far beyond anything sent must neither be allocated nor block.
    server.sendRaw(lengthBytes(0xFF, 0xFF, 0xFF, 0xF0) + std::string(100, 'c'));
    server.closeClient();
    EXPECT_THROW(connection.Receive(), std::ios_base::failure);
}

TEST_F(Framing, SendToClosedServerIsSilent) {
    server.closeClient();
    const std::string text(60000, 'd');
    for (int i = 0; i < 50; ++i) {
        connection.Send(text);
    }
    SUCCEED() << "no SIGPIPE, no exception";
}
