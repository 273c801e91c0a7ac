#ifndef SPARRING_SERVER_H
#define SPARRING_SERVER_H

#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "sparring/match/formation.h"
#include "sparring/match/official.h"
#include "sparring/match/referee.h"
#include "sparring/match/scenario.h"
#include "sparring/protocol/perception.h"
#include "sparring/report/replay_recorder.h"
#include "sparring/session/agent_record.h"
#include "sparring/session/frame_link.h"
#include "sparring/world/physics/physics_constants.h"
#include "sparring/world/world.h"

namespace sparring {

// Which world a match is played in: rigid bodies under gravity, or the kinematic
// world of scripted falls.
enum class WorldKind { Physics, Kinematic };

// Everything a match is played with: the command line and the files it names, read.
struct ServerOptions {
    unsigned short port = 3100;         // 0: any free port
    int agents = 0;                     // start once this many agents have sent init
    double waitSeconds = 10;            // real seconds to wait for them
    int replyTimeoutMs = 2000;          // an agent silent this long is dropped
    bool sync = false;                  // a cycle advances only once every agent has sent (syn)
    std::optional<MessageForms> forms;  // the message forms; unset: the world's default
    double lieSeconds = 5;              // a fallen robot stands again after this long (seconds)
    MatchTimes times;
    VisionOptions vision;
    std::vector<Event> events;      // the scenario
    std::map<int, Spot> formation;  // spots to hold beams against, team frame
    std::string svgPath = "sparring-field.svg";
    std::string tracePath;  // the posture of every robot every cycle; empty: none
    WorldKind world = WorldKind::Physics;
    const FieldSpec* field = &designFieldSpec();  // the field played on; never null
    std::string replayPath;                       // the replay page to write; empty: none
    physics::Approximate physics;                 // the physical world's approximate constants
};

// The sparring server: accepts agents on 127.0.0.1 and runs a match with them in
// lock-step, one perception message and one reply per agent and 20 ms cycle.
class Server {
public:
    // Listens at once; throws std::runtime_error when the port cannot be had.
    explicit Server(const ServerOptions& options, std::ostream& log);
    ~Server();

    unsigned short port() const { return listener_.port(); }
    // Waits for the agents, plays the match, closes every connection. Returns false
    // when no agent came.
    bool run();
    // Per-agent summary; names the picture when one was written.
    std::string summary() const;
    std::vector<AgentRecord> records() const;

private:
    using Clock = std::chrono::steady_clock;
    enum class Phase { AwaitScene, AwaitInit, Playing, Gone };
    struct Agent {
        AgentRecord record;
        std::unique_ptr<FrameLink> link;
        Phase phase = Phase::AwaitScene;
        Robot* robot = nullptr;
        bool awaiting = false;    // a message went out and its reply has not come
        Clock::time_point since;  // when the awaited frame was due from
        Reply pending;            // the reply of this cycle, applied at its end
        Reply collected;          // sync mode: frames of this reply that came before (syn)
        bool partial = false;     // sync mode: some frame of this reply came, its (syn) not
        bool replied = false;
        double fellAt = -1;      // simulated time of the latest fall
        bool getUpSeen = false;  // a get-up reply came since that fall
    };

    void waitForAgents();
    void playCycle();
    void pump(int timeoutMs);
    void acceptNew();
    void receiveFrom(Agent& agent);
    void handleFrame(Agent& agent, const std::string& text);
    bool completesReply(Agent& agent, Reply& reply);
    void handleInit(Agent& agent, const Reply& reply);
    void expireSilent();
    void drop(Agent& agent, const std::string& why);
    void applyReply(Agent& agent);
    void countMotion(Agent& agent, const Reply& reply);
    void advance();
    void applyDueEvents();
    void applyEvent(const Event& e);
    void applyRobotEvent(Agent& agent, const Event& e);
    void watchFalls(Agent& agent);
    // The official's decisions of the cycle, logged and marked in the replay.
    void officiate();
    void finish();
    // Hands the cycle to the replay recorder, if there is one.
    void record();
    GameView view() const;
    std::string who(const Agent& agent) const;
    int registered() const;
    // Milliseconds until the earliest awaited frame is overdue.
    int untilFirstDeadline() const;
    bool anyAwaiting() const;

    ServerOptions options_;
    std::ostream& log_;
    Listener listener_;
    std::unique_ptr<World> world_;
    Referee referee_;
    MatchOfficial official_;
    PerceptionWriter writer_;
    std::vector<std::unique_ptr<Agent>> agents_;
    std::vector<std::string> teams_;  // left team first
    std::vector<Utterance> heard_;    // said in the previous cycle
    std::size_t nextEvent_ = 0;
    long cycle_ = 0;
    double now_ = 0;  // simulated seconds
    bool pictureWritten_ = false;
    double cpuSeconds_ = 0;  // the server's own CPU time for the match
    std::unique_ptr<ReplayRecorder> recorder_;
    std::unique_ptr<std::ofstream> trace_;  // open while --trace writes
};

}  // namespace sparring

#endif
