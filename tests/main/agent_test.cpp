#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/agent_process.h"
#include "tests/support/loopback_server.h"

using halyx_test::AgentProcess;
using halyx_test::LoopbackServer;
using halyx_test::TempDir;

namespace {

const char kUsage[] =
    "\nUsage: halyx [OPTOINS]\nOptions:\n\t--help: show this screen\n\t--teamname <teamname>: "
    "set the team name of the player\n\t--host <hostname>: set host name of the server\n\t--port "
    "<port_no>: set the port number to connect to\n\n";
const char kScene[] = "(scene rsg/agent/nao/nao.rsg)";
const int kNoConnectionMs = 300;  // how long a test waits to be sure no connection comes

std::string portArg(const LoopbackServer& server) {
    return std::to_string(server.port());
}

// Runs the agent in a fresh folder.
class Agent : public ::testing::Test {
protected:
    std::unique_ptr<AgentProcess> start(const std::vector<std::string>& args) {
        return std::make_unique<AgentProcess>(HALYX_BIN, args, dir.path());
    }

    TempDir dir;
    LoopbackServer server;
};

}  // namespace

TEST_F(Agent, HelpPrintsUsageAndOpensNoConnection) {
    const std::vector<std::vector<std::string>> commandLines = {
        {"--help"},
        {"--port", portArg(server), "--unum", "3", "--help"},
        {"--port", portArg(server), "--help", "--bogus"},
        {"--sync", "--help"},
    };
    for (const auto& args : commandLines) {
        auto agent = start(args);
        EXPECT_EQ(agent->waitExit(), 0);
        EXPECT_EQ(agent->output(), kUsage);
        EXPECT_EQ(agent->errors(), "");
        EXPECT_FALSE(server.accept(kNoConnectionMs));
    }
}

TEST_F(Agent, PlaysOneReplyPerMessageAndEndsWhenServerCloses) {
    auto agent = start({"--port", portArg(server), "--unum", "7"});
    ASSERT_TRUE(server.accept());
    EXPECT_EQ(server.receiveFrame(), kScene);

    server.sendFrame("(time (now 0.0))");
    EXPECT_EQ(server.receiveFrame(), "(init (unum 7)(teamname QEL))");
    for (const std::string& message :
         {std::string("(time (now 0.02))"), std::string(), std::string(6001, 'x')}) {
        SCOPED_TRACE(message.size());
        server.sendFrame(message);
        EXPECT_EQ(server.receiveFrame(), "");
    }
    server.closeClient();
    EXPECT_EQ(agent->waitExit(), 0);
    // Before kick-off every cycle is in the beam window; without a formation
    // file the beam line holds only the uniform number.
    EXPECT_EQ(agent->output(), "7\n7\n7\n");
    EXPECT_EQ(agent->errors(), "");
}

TEST_F(Agent, UnrecognisedWordsAreReportedAndPlayGoesOn) {
    auto agent = start({"--teamname", "Rivals", "--port", portArg(server)});
    ASSERT_TRUE(server.accept());
    EXPECT_EQ(server.receiveFrame(), kScene);
    server.sendFrame("");
    EXPECT_EQ(server.receiveFrame(), "(init (unum 1)(teamname QEL))");
    server.closeClient();
    EXPECT_EQ(agent->waitExit(), 0);
    EXPECT_EQ(agent->output(), "What?! \"--teamname\"?!! ;)\nWhat?! \"Rivals\"?!! ;)\n");
}

TEST_F(Agent, PortIsTruncatedTo16Bits) {
    auto agent = start({"--port", std::to_string(server.port() + 65536)});
    EXPECT_TRUE(server.accept());
    EXPECT_EQ(server.receiveFrame(), kScene);
}

TEST_F(Agent, LastHostWins) {
    auto agent =
        start({"--host", "no-such-host.invalid", "--host", "127.0.0.1", "--port", portArg(server)});
    EXPECT_TRUE(server.accept());
    EXPECT_EQ(server.receiveFrame(), kScene);
}

TEST_F(Agent, UnresolvableHostIsReportedAsFailure) {
    auto agent = start({"--host", "no-such-host.invalid", "--port", portArg(server)});
    const auto status = agent->waitExit();
    ASSERT_TRUE(status);
    EXPECT_NE(*status, 0);
    const std::string errors = agent->errors();
    EXPECT_EQ(errors.rfind("cannot resolve host no-such-host.invalid: ", 0), 0u) << errors;
    EXPECT_EQ(errors.find('\n'), errors.size() - 1) << errors;
    EXPECT_FALSE(server.accept(kNoConnectionMs));
}

TEST_F(Agent, UnreachableServerIsReportedAsFailure) {
    std::string port;
    {
        LoopbackServer gone;
        port = portArg(gone);
    }
    auto agent = start({"--port", port});
    EXPECT_EQ(agent->waitExit(), 1);
    EXPECT_EQ(agent->errors(), "cannot connect to 127.0.0.1:" + port + ": Connection refused\n");
    EXPECT_EQ(agent->output(), "");
}

TEST_F(Agent, OptionWithoutValueIsAnErrorAndOpensNoConnection) {
    for (const char* option : {"--host", "--port", "--unum"}) {
        auto agent = start({"--port", portArg(server), option});
        EXPECT_EQ(agent->waitExit(), 1) << option;
        EXPECT_EQ(agent->errors(), std::string("halyx: option ") + option + " needs a value\n");
        EXPECT_FALSE(server.accept(kNoConnectionMs)) << option;
    }
}
