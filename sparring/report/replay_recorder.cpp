#include "sparring/report/replay_recorder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "sparring/report/replay_page.h"

namespace sparring {

namespace {

constexpr int kVersion = 1;
// Above this many bytes of base64 for the planned match only every second cycle is kept.
constexpr double kMaxRecordingBytes = 20e6;
constexpr double kMillimetres = 1000.0;  // per metre
constexpr double kBodyUnit = 0.005;      // metres per body-point step: +-0.635 m around the
                                         // torso, more than the body reaches
constexpr double kMovedMetres = 0.01;    // a beam that moved the robot less is no mark
constexpr double kTurnedDegrees = 1.0;
constexpr std::size_t kFrameHeadBytes = 1 + 4 + 3 + 6 + 1;
constexpr std::size_t kRobotBytes = 2 + 4 + 2 + 6 + 3 * kBodyPointCount;

enum NameKind { kModeName = 0, kLeftTeamName = 1, kRightTeamName = 2, kWorldName = 3 };
enum MarkKind {
    kGoalMark = 0,
    kBeamMark = 1,
    kFallMark = 2,
    kGetUpMark = 3,
    kPushMark = 4,
    kBallMark = 5,
    kPlaceMark = 6,
    kKickMark = 7,
    kSetPlayMark = 8
};

int robotId(Side side, int unum) {
    return (side == Side::Right ? 0x80 : 0) | (unum & 0x7f);
}

int robotId(const Robot& r) {
    return robotId(r.side(), r.unum());
}

long mm(double metres) {
    return std::lround(metres * kMillimetres);
}

}  // namespace

namespace {

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

// The page's field: its green, its lines and the two goals, in the page's frame (y down,
// metres), with 0.8 m around it.
std::string fieldMarkup(const FieldSpec& field) {
    const double l = field.length / 2, w = field.width / 2, g = field.goalWidth / 2;
    const std::string x = number(-l), y = number(-w), L = number(field.length),
                      W = number(field.width);
    return "<svg id=\"field\" viewBox=\"" + number(-l - 0.8) + " " + number(-w - 0.8) + " " +
           number(field.length + 1.6) + " " + number(field.width + 1.6) +
           "\" preserveAspectRatio=\"xMidYMid meet\">\n"
           "    <rect x=\"" +
           x + "\" y=\"" + y + "\" width=\"" + L + "\" height=\"" + W +
           "\" fill=\"#2e7d32\"></rect>\n"
           "    <rect class=\"line\" x=\"" +
           x + "\" y=\"" + y + "\" width=\"" + L + "\" height=\"" + W +
           "\"></rect>\n"
           "    <line class=\"line\" x1=\"0\" y1=\"" +
           y + "\" x2=\"0\" y2=\"" + number(w) +
           "\"></line>\n"
           "    <circle class=\"line\" cx=\"0\" cy=\"0\" r=\"" +
           number(field.centreRadius) +
           "\"></circle>\n"
           "    <rect x=\"" +
           number(-l - 0.4) + "\" y=\"" + number(-g) + "\" width=\"0.4\" height=\"" +
           number(field.goalWidth) +
           "\" fill=\"#ddd\"></rect>\n"
           "    <rect x=\"" +
           number(l) + "\" y=\"" + number(-g) + "\" width=\"0.4\" height=\"" +
           number(field.goalWidth) + "\" fill=\"#ddd\"></rect>\n    ";
}

}  // namespace

std::string replayPageHead(const FieldSpec& field) {
    const std::string_view page = replayPageTemplate();
    std::string head(page.substr(0, page.find(kReplayDataMarker)));
    const std::size_t from = head.find("<svg id=\"field\"");
    const std::size_t to = head.find("<g id=\"robots\">");
    if (from != std::string::npos && to != std::string::npos && from < to) {
        head.replace(from, to - from, fieldMarkup(field));
    }
    return head;
}

std::size_t ReplayRecorder::frameBytes(int robots) {
    return kFrameHeadBytes + kRobotBytes * static_cast<std::size_t>(robots);
}

ReplayRecorder::ReplayRecorder(const std::string& path, const ReplayPlan& plan)
    : path_(path), plan_(plan), file_(path, std::ios::binary | std::ios::trunc) {
    if (!file_) throw std::runtime_error("cannot write the replay " + path);
    const std::string_view page = replayPageTemplate();
    const std::size_t at = page.find(kReplayDataMarker);
    file_ << replayPageHead(*plan.field) << '\n';
    if (at != std::string_view::npos) pageEnd_ = page.substr(at + kReplayDataMarker.size());
    stream_ = std::make_unique<ReplayStream>(file_);
}

ReplayRecorder::~ReplayRecorder() {
    // A match that never finished (the server failed) leaves a page without the end
    // record: it shows what was recorded and says that the rest is missing.
    if (finished_) return;
    stream_->finish();
    file_ << pageEnd_;
}

void ReplayRecorder::choose(int robotsNow) {
    const int robots = std::max(plan_.robots, robotsNow);
    const double cycles = plan_.seconds / kCycleSeconds + 1;
    const double base64Bytes = cycles * static_cast<double>(frameBytes(robots)) * 4 / 3;
    stride_ = base64Bytes > kMaxRecordingBytes ? 2 : 1;
    write(ReplayBytes()
              .u8('H')
              .u8(kVersion)
              .u8(stride_ & 0xff)
              .u8(stride_ >> 8)
              .u32(std::lround(kCycleSeconds * 1e6)));
}

void ReplayRecorder::name(int kind, int index, const std::string& text) {
    write(ReplayBytes().u8('N').u8(kind).u8(index).text(text));
}

int ReplayRecorder::playModeIndex(const std::string& mode) {
    for (std::size_t i = 0; i < modes_.size(); ++i) {
        if (modes_[i] == mode) return static_cast<int>(i);
    }
    modes_.push_back(mode);
    const int index = static_cast<int>(modes_.size()) - 1;
    name(kModeName, index, mode);
    return index;
}

void ReplayRecorder::nameTeams(const World& world) {
    if (!worldNamed_) {
        name(kWorldName, 0, world.name());
        worldNamed_ = true;
    }
    for (const auto& r : world.robots()) {
        const int side = r->side() == Side::Left ? 0 : 1;
        if (teamNamed_[side]) continue;
        teamNamed_[side] = true;
        name(side == 0 ? kLeftTeamName : kRightTeamName, 0, r->team());
    }
}

void ReplayRecorder::beamed(const Robot& robot) {
    seen_[robotId(robot)].beamed = true;
}

void ReplayRecorder::pushed(const Robot& robot) {
    scripted_.emplace_back(kPushMark, robotId(robot));
}

void ReplayRecorder::placed(const Robot& robot) {
    scripted_.emplace_back(kPlaceMark, robotId(robot));
}

void ReplayRecorder::ballPlaced() {
    scripted_.emplace_back(kBallMark, 0);
}

void ReplayRecorder::kicked(const BallToucher& kicker) {
    scripted_.emplace_back(kKickMark, robotId(kicker.side, kicker.unum));
}

void ReplayRecorder::setPlay(Side side) {
    scripted_.emplace_back(kSetPlayMark, side == Side::Right ? 0x80 : 0);
}

void ReplayRecorder::record(const World& world, const ReplayMoment& moment) {
    if (finished_ || moment.cycle <= lastCycle_) return;
    if (stride_ == 0) choose(static_cast<int>(world.robots().size()));
    lastCycle_ = moment.cycle;
    nameTeams(world);
    const int mode = playModeIndex(moment.playMode);
    markChanges(world, moment);
    lastFrame_ = encodeFrame(world, moment, mode);
    if (moment.cycle % stride_ == 0) {
        stream_->append(lastFrame_);
        lastWritten_ = moment.cycle;
        ++frames_;
    }
}

void ReplayRecorder::markChanges(const World& world, const ReplayMoment& moment) {
    for (const auto& [kind, id] : scripted_) mark(moment.cycle, kind, id);
    scripted_.clear();
    if (moment.scoreLeft > scoreLeft_) mark(moment.cycle, kGoalMark, 0);
    if (moment.scoreRight > scoreRight_) mark(moment.cycle, kGoalMark, 0x80);
    scoreLeft_ = moment.scoreLeft;
    scoreRight_ = moment.scoreRight;
    for (const auto& r : world.robots()) {
        const int id = robotId(*r);
        Seen& s = seen_[id];
        const bool upright = r->upright();
        const bool moved = std::hypot(r->x() - s.x, r->y() - s.y) >= kMovedMetres ||
                           std::fabs(normalizeDegrees(r->heading() - s.heading)) >= kTurnedDegrees;
        if (s.known && s.beamed && moved) mark(moment.cycle, kBeamMark, id);
        if (s.known && s.upright && !upright) mark(moment.cycle, kFallMark, id);
        if (s.known && !s.upright && upright) mark(moment.cycle, kGetUpMark, id);
        s = {true, upright, r->x(), r->y(), r->heading(), false};
    }
}

void ReplayRecorder::mark(long cycle, int kind, int id) {
    write(ReplayBytes().u8('M').u32(cycle).u8(kind).u8(id));
}

std::string ReplayRecorder::encodeFrame(const World& world, const ReplayMoment& moment,
                                        int mode) const {
    ReplayBytes b;
    const Vec3 ball = world.ball();
    b.u8('F').u32(moment.cycle).u8(mode).u8(moment.scoreLeft).u8(moment.scoreRight);
    b.i16(mm(ball.x)).i16(mm(ball.y)).i16(mm(ball.z));
    b.u8(static_cast<long>(world.robots().size()));
    for (const auto& r : world.robots()) {
        const BodyPoints points = r->bodyPoints();
        const Vec3 torso = points[kTorsoPoint];
        b.u8(robotId(*r)).u8(r->upright() ? 0 : 1);
        b.i16(mm(r->x())).i16(mm(r->y())).i16(std::lround(normalizeDegrees(r->heading()) * 100));
        b.i16(mm(torso.x)).i16(mm(torso.y)).i16(mm(torso.z));
        for (const Vec3& p : points) {
            const Vec3 d = p - torso;
            b.i8(std::lround(d.x / kBodyUnit)).i8(std::lround(d.y / kBodyUnit));
            b.i8(std::lround(d.z / kBodyUnit));
        }
    }
    return b.data();
}

bool ReplayRecorder::finish() {
    if (finished_) return static_cast<bool>(file_);
    finished_ = true;
    if (stride_ == 0) choose(0);
    if (lastCycle_ > lastWritten_ && !lastFrame_.empty()) {
        stream_->append(lastFrame_);
        ++frames_;
    }
    write(ReplayBytes().u8('E').u32(std::max(0L, lastCycle_)));
    stream_->finish();
    file_ << pageEnd_;
    file_.close();
    return !file_.fail();
}

}  // namespace sparring
