// The real agent binary fed malformed frames and hostile messages over
// loopback. Whatever arrives, it answers every frame with exactly one
// well-formed reply free of non-finite numbers, keeps its place in the
// stream, and ends quietly with status 0 when the server closes.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "fuzz/command_check.h"
#include "net/connectionmanager.h"
#include "tests/reliability/agent_session.h"

using halyx_test::AgentSession;
using halyx_test::frame;

namespace {

const int kGoodFramesAfter = 3;  // well-formed frames sent after each hostile input
const int kQuietMs = 100;        // how long to wait to be sure no extra reply comes
// The agent's peak resident memory, kB: about 4.3 MB in plain play, and no
// frame of at most the longest read may cost it more than a few megabytes.
const long kPeakLimitKb = 12 * 1024;
const size_t kLongest = ConnectionManager::kMaxReceived;  // bytes, the longest frame read

std::string lengthBytes(uint32_t length) {
    const uint32_t network = htonl(length);
    return std::string(reinterpret_cast<const char*>(&network), sizeof(network));
}

std::string repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

// Every perceptor with every number written as token.
std::string allNumbersAs(const std::string& n) {
    const std::string v3 = n + " " + n + " " + n;
    std::string text = "(time (now " + n + "))(GS (unum " + n + ") (team left) (t " + n +
                       ") (pm PlayOn))(GYR (n torso) (rt " + v3 + "))(FRP (n lf) (c " + v3 +
                       ") (f " + v3 + "))(TCH (name lf) (val " + n + "))";
    for (const char* joint : {"hj1", "hj2", "llj4", "rlj4", "laj1", "raj4"})
        text += std::string("(HJ (n ") + joint + ") (ax " + n + "))";
    text += "(See (F1L (pol " + v3 +
            ")) (F2L (pol 4.91 55 -6.43)) (G1L (pol 2.9 -14 4.95)) (G2L (pol " + v3 +
            ")) (B (pol " + v3 + ")) (P (team QEL) (id " + n + ") (pol " + v3 + ")) (mypos " + v3 +
            "))(hear " + n + " " + n + " word)";
    return text;
}

std::string randomBytes(size_t count) {
    std::mt19937 random(20261208);
    std::string bytes(count, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// Bytes the server sends and what the agent makes of them: the number of
// replies they call for, or, for a stream the server then closes, none.
struct Hostile {
    const char* name;
    std::string bytes;
    int replies;
    bool closesStream = false;
};

std::vector<Hostile> hostileInputs() {
    const std::string joints22 = [] {
        std::string text;
        for (int i = 0; i < 22; ++i) text += "(HJ (n xj" + std::to_string(i) + ") (ax 12.5))";
        return text;
    }();
    std::string see500 = "(See";
    for (int i = 0; i < 500; ++i) see500 += i % 2 == 0 ? "(B(pol 1 2 3))" : "(P(id 9))";
    see500 += ")";

    std::vector<Hostile> cases = {
        {"length 0xFFFFFFFF, closed inside the body",
         lengthBytes(0xFFFFFFFFu) + std::string(1 << 20, 'x'), 0, true},
        {"length announcing more than ever comes", lengthBytes(100) + "(time (now 1", 0, true},
        {"length one beyond the longest read", frame(std::string(kLongest + 1, 'x')), 1},
        {"length 65536", frame(std::string(65536, '(')), 1},
        {"length 6000", frame(repeat("(time (now 9)) ", 400)), 1},
        {"the longest read", frame(repeat("(time (now 9)) ", 1092) + "(ok)"), 1},
        {"the longest read, nested", frame(repeat("(", kLongest / 2) + repeat(")", kLongest / 2)),
         1},
        {"the longest read, open lists", frame(repeat("(", kLongest)), 1},
        {"empty frame", frame(""), 1},
        {"zero byte inside a message",
         frame(std::string("(time (now 1.00))\0(GS (pm PlayOn))", 34)), 1},
        {"3000 nested lists", frame(repeat("(", 3000) + repeat(")", 3000)), 1},
        {"6000 open lists", frame(repeat("(", 6000)), 1},
        {"6000 closing parentheses", frame(repeat(")", 6000)), 1},
        {"deep nesting inside a perceptor",
         frame("(HJ (n hj1) (ax " + repeat("(", 2900) + repeat(")", 2900) + "))"), 1},
        {"unterminated quote spanning the frame", frame("\"" + std::string(5999, 'q')), 1},
        {"unterminated quote in a hear", frame("(hear 1.00 0 \"" + std::string(5000, 'a')), 1},
        {"keys with missing values",
         frame(
             "(time (now))(GS (unum) (team) (t) (pm))(GYR (n) (rt))(GYR (n t) (rt 1 2))"
             "(FRP (n lf) (c) (f))(TCH (name) (val))(TCH (name lf) (val))(HJ (n))(HJ (n hj1) (ax))"
             "(See (F1L (pol)) (B (pol 1 2)) (P (team) (id) (pol)) (P) (mypos 1))(hear)(hear "
             "1)(hear 1 2)"),
         1},
        {"22 joints with unknown names", frame(joints22), 1},
        {"a See with 500 objects", frame(see500), 1},
        {"a hear with a 5000-byte message",
         frame("(hear 10.00 -30.00 " + std::string(5000, 'm') + ")"), 1},
        {"6000 random bytes", frame(randomBytes(6000)), 1},
        {"3000 one-letter atoms", frame("(" + repeat("a ", 2999) + ")"), 1},
        {"the longest read, one-letter atoms", frame("(" + repeat("a ", kLongest / 2 - 1) + ")"),
         1},
    };
    for (const char* number : {"nan", "-nan", "inf", "-inf", "1e999", "-1e999", "-0", "1e-999"}) {
        cases.push_back({number, frame(allNumbersAs(number)), 1});
    }
    return cases;
}

void expectWellFormed(const std::string& reply) {
    EXPECT_EQ(halyx_fuzz::commandProblem(reply), "") << reply;
}

// Sends the good frames that follow a hostile input: one reply each.
void expectGoodFramesAnswered(AgentSession& session, double& t) {
    for (int i = 0; i < kGoodFramesAfter; ++i) {
        expectWellFormed(session.exchange(AgentSession::perception(t += 0.02)));
    }
}

void expectQuietExit(AgentSession& session) {
    session.server().closeClient();
    EXPECT_EQ(session.agent().waitExit(AgentSession::kTimeoutMs), 0);
    EXPECT_EQ(session.agent().errors().find("runtime error"), std::string::npos)
        << session.agent().errors();
}

}  // namespace

TEST(MalformedFrames, AgentAnswersEveryLaterFrameOnceAndExitsQuietly) {
    for (const Hostile& input : hostileInputs()) {
        for (int unum : {1, 5}) {
            SCOPED_TRACE(std::string(input.name) + ", unum " + std::to_string(unum));
            AgentSession session(unum);
            double t = 10.0;
            expectGoodFramesAnswered(session, t);
            session.server().sendRaw(input.bytes);
            if (input.closesStream) {
                // Still waiting for the rest, not crashed by the length.
                EXPECT_FALSE(session.agent().waitExit(kQuietMs).has_value());
                expectQuietExit(session);
                continue;
            }
            for (int i = 0; i < input.replies; ++i) {
                expectWellFormed(session.server().receiveFrame(AgentSession::kTimeoutMs));
            }
            expectGoodFramesAnswered(session, t);
            EXPECT_ANY_THROW(session.server().receiveRaw(1, kQuietMs)) << "an extra reply";
            const long peakKb = halyx_test::statusKb(session.pid(), "VmHWM:");
            std::printf("peak resident memory %ld kB after: %s, unum %d\n", peakKb, input.name,
                        unum);
            if (halyx_test::agentMemoryMeasurable()) {
                EXPECT_LT(peakKb, kPeakLimitKb);
            }
            expectQuietExit(session);
        }
    }
}

// Frames that follow an oversize one in the same write, or that arrive a few
// bytes at a time, are neither lost nor misread.
TEST(MalformedFrames, FramingResynchronisesAfterEveryOversizeFrame) {
    const std::string stream =
        frame(std::string(kLongest + 1, 'x')) + frame(AgentSession::perception(10.02)) +
        frame(std::string(65536, 'y')) + frame(AgentSession::perception(10.04)) +
        frame(AgentSession::perception(10.06));
    for (size_t piece : {stream.size(), size_t(7)}) {
        SCOPED_TRACE(piece);
        AgentSession session(1);
        for (size_t pos = 0; pos < stream.size(); pos += piece) {
            session.server().sendRaw(stream.substr(pos, piece));
        }
        for (int i = 0; i < 5; ++i) {
            expectWellFormed(session.server().receiveFrame(AgentSession::kTimeoutMs));
        }
        EXPECT_ANY_THROW(session.server().receiveRaw(1, kQuietMs)) << "an extra reply";
        expectQuietExit(session);
    }
}

// The largest length a header can announce, with every byte of its body: the
// agent skips 4 GiB without holding them and reads the frame behind them.
TEST(MalformedFrames, LargestAnnouncedLengthIsSkippedWholeAndTheNextFrameRead) {
    if (std::getenv("HALYX_AGENT_WRAPPER") != nullptr) GTEST_SKIP() << "too slow under a wrapper";
    AgentSession session(1);
    const uint64_t body = 0xFFFFFFFFu;
    const std::string chunk(1 << 20, 'x');
    session.server().sendRaw(lengthBytes(0xFFFFFFFFu));
    for (uint64_t sent = 0; sent < body; sent += chunk.size()) {
        session.server().sendRaw(chunk.substr(0, std::min<uint64_t>(chunk.size(), body - sent)));
    }
    session.server().sendFrame(AgentSession::perception(10.0));
    EXPECT_EQ(halyx_fuzz::commandProblem(session.server().receiveFrame()), "");
    EXPECT_EQ(halyx_fuzz::commandProblem(session.server().receiveFrame()), "");
    session.server().closeClient();
    EXPECT_EQ(session.agent().waitExit(), 0);
}
