#include "sparring/session/server.h"

#include <poll.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

#include "sparring/report/svg.h"
#include "sparring/report/trace.h"
#include "sparring/world/kinematic/kinematic_world.h"
#include "sparring/world/physics/physics_world.h"

namespace sparring {

namespace {

// The scene an agent must announce in its first frame.
const char* const kScene = "rsg/agent/nao/nao.rsg";
constexpr int kMaxUnum = 11;
constexpr int kGameOverCycles = 3;  // "GameOver" messages before the connections close

std::string format(double v, const char* pattern = "%.2f") {
    char buf[48];
    std::snprintf(buf, sizeof buf, pattern, v);
    return buf;
}

std::unique_ptr<World> makeWorld(WorldKind kind, const physics::Approximate& constants,
                                 std::ostream& log) {
    if (kind == WorldKind::Kinematic) return std::make_unique<KinematicWorld>();
    return std::make_unique<PhysicsWorld>(log, constants);
}

}  // namespace

Server::Server(const ServerOptions& options, std::ostream& log)
    : options_(options),
      log_(log),
      listener_(options.port),
      world_(makeWorld(options.world, options.physics, log)),
      referee_(options.times),
      writer_(options.vision, options.forms.value_or(world_->defaultForms())) {
    world_->setField(*options.field);
    if (!options_.replayPath.empty()) {
        recorder_ = std::make_unique<ReplayRecorder>(
            options_.replayPath,
            ReplayPlan{options_.times.duration, options_.agents, options.field});
    }
    if (!options.tracePath.empty()) {
        trace_ = std::make_unique<std::ofstream>(options.tracePath);
        if (!*trace_) throw std::runtime_error("cannot write " + options.tracePath);
        *trace_ << traceHeader();
    }
}

Server::~Server() = default;

bool Server::run() {
    const std::clock_t cpuStart = std::clock();
    waitForAgents();
    if (registered() == 0) {
        log_ << "sparring: no agent connected within " << options_.waitSeconds << " s\n";
        finish();
        return false;
    }
    log_ << "sparring: the match starts with " << registered() << " agents\n";
    applyDueEvents();  // those scripted for time 0
    int gameOverCycles = 0;
    while (gameOverCycles < kGameOverCycles) {
        record();
        playCycle();
        if (referee_.over()) ++gameOverCycles;
        advance();
    }
    cpuSeconds_ = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    finish();
    return true;
}

void Server::waitForAgents() {
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(options_.waitSeconds));
    while (registered() < options_.agents && Clock::now() < end) pump(20);
    // Let handshakes already under way finish, so no agent misses the first cycle.
    while (anyAwaiting()) pump(20);
}

void Server::playCycle() {
    // Every message is written before the first goes out, so that the latency measured
    // for one agent holds as little of the server's own work as possible.
    const GameView game = view();
    std::vector<std::pair<Agent*, std::string>> messages;
    for (auto& a : agents_) {
        if (a->phase == Phase::Playing) {
            const bool firstMessage = a->record.cyclesSent == 0;
            messages.emplace_back(a.get(),
                                  writer_.write(*world_, *a->robot, game, heard_, firstMessage));
        }
    }
    heard_.clear();
    for (auto& [agent, text] : messages) {
        agent->replied = false;
        if (!agent->link->send(text)) {
            drop(*agent, "disconnected at t=" + format(now_));
            continue;
        }
        ++agent->record.cyclesSent;
        agent->awaiting = true;
        agent->since = Clock::now();
    }
    pump(0);
    while (anyAwaiting()) pump(untilFirstDeadline());
    for (auto& a : agents_) {
        if (a->phase == Phase::Playing && a->replied) applyReply(*a);
    }
}

bool Server::anyAwaiting() const {
    for (const auto& a : agents_) {
        if (a->phase != Phase::Gone && a->awaiting) return true;
    }
    return false;
}

int Server::untilFirstDeadline() const {
    auto first = Clock::time_point::max();
    for (const auto& a : agents_) {
        if (a->phase != Phase::Gone && a->awaiting) first = std::min(first, a->since);
    }
    if (first == Clock::time_point::max()) return 0;
    const auto left = first + std::chrono::milliseconds(options_.replyTimeoutMs) - Clock::now();
    // Rounded up, so that the wake-up finds the deadline passed.
    return std::max(0,
                    static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count()));
}

int Server::registered() const {
    return static_cast<int>(std::count_if(
        agents_.begin(), agents_.end(), [](const auto& a) { return a->phase == Phase::Playing; }));
}

void Server::pump(int timeoutMs) {
    std::vector<pollfd> fds{{listener_.fd(), POLLIN, 0}};
    std::vector<Agent*> owners{nullptr};
    for (auto& a : agents_) {
        if (a->phase == Phase::Gone) continue;
        fds.push_back({a->link->fd(), POLLIN, 0});
        owners.push_back(a.get());
    }
    if (poll(fds.data(), fds.size(), timeoutMs) > 0) {
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if (fds[i].revents != 0) receiveFrom(*owners[i]);
        }
        if (fds[0].revents != 0) acceptNew();
    }
    expireSilent();
}

void Server::acceptNew() {
    for (auto socket = listener_.accept(); socket; socket = listener_.accept()) {
        auto agent = std::make_unique<Agent>();
        agent->record.id = static_cast<int>(agents_.size()) + 1;
        agent->link = std::make_unique<FrameLink>(std::move(socket));
        agent->awaiting = true;  // its scene command
        agent->since = Clock::now();
        log_ << "sparring: agent " << agent->record.id << " connected\n";
        agents_.push_back(std::move(agent));
    }
}

void Server::receiveFrom(Agent& agent) {
    const FrameLink::Status status = agent.link->receive();
    if (status == FrameLink::Status::TooLong) {
        drop(agent, "reply longer than " + std::to_string(kMaxReplyBytes) + " bytes");
        return;
    }
    std::string text;
    while (agent.phase != Phase::Gone && agent.link->nextFrame(text)) handleFrame(agent, text);
    if (agent.phase != Phase::Gone && status == FrameLink::Status::Closed) {
        drop(agent, "disconnected at t=" + format(now_));
    }
}

void Server::handleFrame(Agent& agent, const std::string& text) {
    const double latency = std::chrono::duration<double>(Clock::now() - agent.since).count();
    if (!agent.awaiting) {
        ++agent.record.repliesMalformed;
        if (agent.record.firstProblem.empty()) agent.record.firstProblem = "frame sent unprompted";
        return;
    }
    Reply reply = readReply(text);
    if (!completesReply(agent, reply)) return;
    agent.awaiting = false;
    switch (agent.phase) {
        case Phase::AwaitScene:
            if (!reply.scene || *reply.scene != kScene || reply.bad != 0) {
                drop(agent, "refused: first frame was not (scene " + std::string(kScene) + ")");
                return;
            }
            agent.phase = Phase::AwaitInit;
            if (!agent.link->send(writer_.first(view()))) {
                drop(agent, "disconnected before init");
                return;
            }
            agent.awaiting = true;
            agent.since = Clock::now();
            return;
        case Phase::AwaitInit:
            handleInit(agent, reply);
            return;
        case Phase::Playing:
            agent.record.latencies.push_back(latency);
            ++agent.record.cyclesAnswered;
            if (reply.syn) ++agent.record.cyclesSynced;
            agent.pending = std::move(reply);
            agent.replied = true;
            return;
        case Phase::Gone:
            return;
    }
}

// In sync mode a reply, the init reply included, may come in several frames and is
// complete with the frame that holds "(syn)"; until then the agent is still awaited, and
// the time-out for silent agents reports one that never sends it.
bool Server::completesReply(Agent& agent, Reply& reply) {
    if (!options_.sync || agent.phase == Phase::AwaitScene) return true;
    appendReply(agent.collected, std::move(reply));
    agent.partial = !agent.collected.syn;
    if (agent.partial) return false;
    reply = std::move(agent.collected);
    agent.collected = Reply();
    return true;
}

void Server::handleInit(Agent& agent, const Reply& reply) {
    if (!reply.init) {
        drop(agent, "refused: the reply to the first message was not an init command");
        return;
    }
    const Init& init = *reply.init;
    auto team = std::find(teams_.begin(), teams_.end(), init.team);
    if (team == teams_.end()) {
        if (teams_.size() == 2) {
            drop(agent, "refused: team " + init.team + " is a third team");
            return;
        }
        team = teams_.insert(teams_.end(), init.team);
    }
    const Side side = team == teams_.begin() ? Side::Left : Side::Right;
    agent.record.team = init.team;
    agent.record.side = side;
    agent.record.unum = init.unum;
    if (init.unum < 1 || init.unum > kMaxUnum) {
        drop(agent, "refused: uniform number " + std::to_string(init.unum) + " is not 1 to 11");
        return;
    }
    if (world_->find(side, init.unum) != nullptr) {
        drop(agent, "refused: uniform number " + std::to_string(init.unum) + " of team " +
                        init.team + " is taken");
        return;
    }
    agent.robot = &world_->addRobot(side, init.unum, init.team);
    agent.record.initialised = true;
    agent.phase = Phase::Playing;
    log_ << "sparring: agent " << agent.record.id << " is " << init.team << " " << init.unum << " ("
         << sideName(side) << ")\n";
}

void Server::expireSilent() {
    const auto limit = std::chrono::milliseconds(options_.replyTimeoutMs);
    const auto now = Clock::now();
    for (auto& a : agents_) {
        if (a->phase == Phase::Gone || !a->awaiting || now - a->since < limit) continue;
        const char* what = a->partial                      ? "no (syn)"
                           : a->phase == Phase::AwaitScene ? "no scene command"
                           : a->phase == Phase::AwaitInit  ? "no init command"
                                                           : "no reply";
        drop(*a, std::string("dropped: ") + what + " within " +
                     std::to_string(options_.replyTimeoutMs) + " ms at t=" + format(now_));
    }
}

void Server::drop(Agent& agent, const std::string& why) {
    log_ << "sparring: agent " << who(agent) << " " << why << "\n";
    agent.record.end = why;
    agent.phase = Phase::Gone;
    agent.awaiting = false;
    agent.link->close();
    if (agent.robot != nullptr) {
        heard_.erase(std::remove_if(heard_.begin(), heard_.end(),
                                    [&](const Utterance& u) { return u.speaker == agent.robot; }),
                     heard_.end());
        world_->removeRobot(*agent.robot);
        agent.robot = nullptr;
    }
}

std::string Server::who(const Agent& agent) const {
    std::string s = std::to_string(agent.record.id);
    if (agent.record.initialised) {
        s += " (" + agent.record.team + " " + std::to_string(agent.record.unum) + ")";
    }
    return s;
}

void Server::applyReply(Agent& agent) {
    const Reply& reply = agent.pending;
    AgentRecord& rec = agent.record;
    Robot& robot = *agent.robot;
    int bad = reply.bad;
    std::string problem = reply.firstProblem;
    if (reply.init || reply.scene) {
        if (bad++ == 0) problem = "scene or init command after the handshake";
    }
    if (bad != 0 && rec.repliesMalformed++ == 0) {
        rec.firstProblem = problem;
        log_ << "sparring: agent " << who(agent) << " sent a malformed reply at t=" << format(now_)
             << ": " << problem << " (later ones are only counted)\n";
    }
    for (const JointCommand& c : reply.joints) robot.setSpeed(c.joint, c.speed);
    countMotion(agent, reply);
    if (reply.beam) {
        if (referee_.beamAllowed()) {
            robot.beam(reply.beam->x, reply.beam->y, reply.beam->rotDegrees);
            if (recorder_) recorder_->beamed(robot);
            rec.lastBeam = reply.beam;
            ++rec.beams;
        } else {
            ++rec.beamsRefused;
        }
    }
    if (reply.say) heard_.push_back({&robot, *reply.say});
}

void Server::countMotion(Agent& agent, const Reply& reply) {
    bool head = false, body = false;
    for (const JointCommand& c : reply.joints) {
        if (c.speed != 0) (c.joint <= kHeadPitch ? head : body) = true;
    }
    AgentRecord& rec = agent.record;
    if (agent.robot->upright()) {
        rec.headCycles += head ? 1 : 0;
        rec.bodyCycles += body ? 1 : 0;
        return;
    }
    // Lying, any limb that moves is taken for a get-up.
    if (!body) return;
    ++rec.getUpCycles;
    if (!agent.getUpSeen) {
        agent.getUpSeen = true;
        if (rec.firstGetUpDelay < 0) rec.firstGetUpDelay = now_ - agent.fellAt;
    }
}

void Server::advance() {
    if (referee_.over()) return;
    ++cycle_;
    now_ = cycle_ * kCycleSeconds;
    world_->step(kCycleSeconds);
    referee_.update(now_);
    applyDueEvents();
    officiate();
    for (auto& a : agents_) {
        if (a->phase != Phase::Playing) continue;
        if (a->robot->updatePosture(now_)) {
            log_ << "sparring: agent " << who(*a) << " stands again at t=" << format(now_) << "\n";
        }
        watchFalls(*a);
        if (trace_) *trace_ << traceLine(now_, *a->robot);
    }
    if (trace_) *trace_ << traceBallLine(now_, world_->ball());
}

void Server::applyDueEvents() {
    constexpr double kSlack = 1e-9;  // seconds: an event on a cycle's time belongs to it
    while (nextEvent_ < options_.events.size() &&
           options_.events[nextEvent_].time <= now_ + kSlack) {
        applyEvent(options_.events[nextEvent_++]);
    }
}

void Server::applyEvent(const Event& e) {
    if (e.kind == Event::Kind::Goal) {
        referee_.goal(e.side, now_);
        log_ << "sparring: goal for " << sideName(e.side) << " at t=" << format(now_) << "\n";
        return;
    }
    if (e.kind == Event::Kind::Ball) {
        world_->placeBall(e.x, e.y);
        official_.ballPlaced();
        if (recorder_) recorder_->ballPlaced();
        return;
    }
    Agent* agent = nullptr;
    for (auto& a : agents_) {
        if (a->phase == Phase::Playing && a->robot->side() == e.side &&
            a->robot->unum() == e.unum) {
            agent = a.get();
        }
    }
    if (agent == nullptr) {
        log_ << "sparring: scenario at t=" << format(e.time) << ": no robot " << sideName(e.side)
             << " " << e.unum << "\n";
        return;
    }
    applyRobotEvent(*agent, e);
}

void Server::applyRobotEvent(Agent& agent, const Event& e) {
    Robot& robot = *agent.robot;
    if (e.kind == Event::Kind::Place) {
        const Vec3 p = toServerFrame(e.side, {e.x, e.y, 0});
        robot.place(p.x, p.y, headingToServerFrame(e.side, e.heading));
        if (recorder_) recorder_->placed(robot);
        return;
    }
    if (e.kind == Event::Kind::Push) {
        robot.push({e.x, e.y, 0});
        if (recorder_) recorder_->pushed(robot);
        log_ << "sparring: agent " << who(agent) << " is pushed with (" << format(e.x) << ", "
             << format(e.y) << ") N s at t=" << format(now_) << "\n";
        return;
    }
    robot.fall(e.posture, now_, e.lieSeconds > 0 ? e.lieSeconds : options_.lieSeconds);
    log_ << "sparring: agent " << who(agent) << " falls on its " << postureName(e.posture)
         << " at t=" << format(now_) << "\n";
    if (robot.downRecord(now_)) return;  // the world sees the fall itself
    agent.fellAt = now_;
    agent.getUpSeen = false;
    ++agent.record.falls;
}

void Server::watchFalls(Agent& agent) {
    const std::optional<DownRecord> down = agent.robot->downRecord(now_);
    if (!down) return;
    AgentRecord& rec = agent.record;
    // One log line each time the robot goes down (standing again has its line in
    // advance()), so that the time of each fall can be read: the trials tool times
    // get-ups and counts falls by them.
    if (down->falls > rec.falls) {
        agent.fellAt = now_;
        agent.getUpSeen = false;
        log_ << "sparring: agent " << who(agent) << " falls down at t=" << format(now_) << "\n";
    }
    rec.falls = down->falls;
    rec.down = down;
}

void Server::officiate() {
    const OfficialCalls calls = official_.watch(*world_, referee_, now_);
    log_ << describeCalls(calls, now_);
    if (!recorder_) return;
    if (calls.kick) recorder_->kicked(*calls.kick);
    if (calls.out && !calls.out->goal) recorder_->setPlay(calls.out->side);
    for (const Robot* r : calls.movedAway) recorder_->placed(*r);
}

void Server::record() {
    if (!recorder_) return;
    recorder_->record(*world_, {cycle_, playModeName(referee_.mode()), referee_.score(Side::Left),
                                referee_.score(Side::Right)});
}

GameView Server::view() const {
    GameView g;
    g.now = now_;
    g.gameTime = referee_.gameTime(now_);
    g.mode = referee_.mode();
    g.cycle = cycle_;
    g.scoreLeft = referee_.score(Side::Left);
    g.scoreRight = referee_.score(Side::Right);
    return g;
}

void Server::finish() {
    for (auto& a : agents_) {
        if (a->phase == Phase::Gone) continue;
        a->record.end = referee_.over() ? "game over" : "server ended";
        a->phase = Phase::Gone;
        a->link->close();
    }
    if (recorder_ && !recorder_->finish())
        log_ << "sparring: cannot write " << recorder_->path() << "\n";
    if (options_.svgPath.empty()) return;
    std::ofstream svg(options_.svgPath);
    const std::string caption = "sparring t=" + format(now_) + " s  left " +
                                std::to_string(referee_.score(Side::Left)) + " : " +
                                std::to_string(referee_.score(Side::Right)) + " right";
    svg << renderField(*world_, caption);
    pictureWritten_ = static_cast<bool>(svg);
    if (!pictureWritten_) log_ << "sparring: cannot write " << options_.svgPath << "\n";
}

}  // namespace sparring
