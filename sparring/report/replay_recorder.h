#ifndef SPARRING_REPLAY_RECORDER_H
#define SPARRING_REPLAY_RECORDER_H

#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sparring/report/replay_stream.h"
#include "sparring/world/world.h"

namespace sparring {

// What the referee says about one cycle, for the replay.
struct ReplayMoment {
    long cycle = 0;        // simulated time is cycle * kCycleSeconds
    std::string playMode;  // as on the wire, e.g. "PlayOn"
    int scoreLeft = 0, scoreRight = 0;
};

// How long the match is meant to last and with how many robots: decides whether every
// cycle fits into the file or only every second one.
struct ReplayPlan {
    double seconds = 30;  // simulated seconds
    int robots = 0;       // expected robots; more that come are counted when they come
    const FieldSpec* field = &designFieldSpec();  // the field drawn; never null
};

// The replay page up to its recording, with the given field drawn.
std::string replayPageHead(const FieldSpec& field);

// Records a match into one self-contained HTML page (the replay page with the recording
// inside) through the World and Robot interfaces only, so it serves every kind of world.
// The recording is written as it goes: a server that is stopped leaves a page that shows
// what was recorded and says that the rest is missing.
//
// Recording: base64 of a stream of records, each a type byte and little-endian fields:
//   'H' u8 version, u16 cycles per frame, u32 microseconds per cycle
//   'N' u8 kind (0 play mode, 1 left team, 2 right team, 3 world), u8 index, text name
//   'F' u32 cycle, u8 play mode index, u8 left score, u8 right score, i16 ball x, y, z (mm),
//       u8 robot count, per robot: u8 id (0x80 for the right side | unum), u8 flags
//       (1: down), i16 x, y (mm), i16 heading (0.01 degrees), i16 torso point x, y, z
//       (mm), then the 23 body points as i8 x, y, z in 5 mm units relative to the torso
//   'M' u32 cycle, u8 kind (0 goal, 1 beam, 2 fall, 3 get-up, 4 push, 5 ball placed,
//       6 robot placed, 7 kick, 8 set play), u8 robot id (goal, set play: side; ball: 0)
//   'E' u32 last cycle: the recording is complete
// Server frame throughout (metres turned to integers).
class ReplayRecorder {
public:
    // Opens `path` at once and writes the page up to the recording; throws
    // std::runtime_error when it cannot be written. Destroyed before finish(), it leaves
    // a recording without its end: the page tells it was cut short.
    ReplayRecorder(const std::string& path, const ReplayPlan& plan);
    ~ReplayRecorder();
    ReplayRecorder(const ReplayRecorder&) = delete;
    ReplayRecorder& operator=(const ReplayRecorder&) = delete;

    // The robot obeyed a beam; the mark is set if it moved it.
    void beamed(const Robot& robot);
    // A scenario's push of the robot, placement of the robot and placement of the ball,
    // as the server acts on them: each is marked in the next recorded cycle.
    void pushed(const Robot& robot);
    void placed(const Robot& robot);
    void ballPlaced();
    // A touch of `kicker` sent the ball over a metre; a kick-in, corner or goal kick of
    // `side` began. Marked in the next recorded cycle, as the scenario's events are.
    void kicked(const BallToucher& kicker);
    void setPlay(Side side);
    // Once per cycle: marks what changed since the previous call and writes the frame
    // every `stride()` cycles. A cycle already recorded is skipped.
    void record(const World& world, const ReplayMoment& moment);
    // Writes the last cycle seen (if its frame was skipped), the end record and the rest
    // of the page. Returns false when the file could not be written.
    bool finish();

    int stride() const { return stride_; }
    long frames() const { return frames_; }
    const std::string& path() const { return path_; }

    // Bytes of one frame with `robots` robots, before base64.
    static std::size_t frameBytes(int robots);

private:
    // A robot as the previous cycle left it.
    struct Seen {
        bool known = false;  // seen in a cycle before
        bool upright = true;
        double x = 0, y = 0, heading = 0;
        bool beamed = false;
    };

    void choose(int robotsNow);
    void write(const ReplayBytes& record) { stream_->append(record.data()); }
    void name(int kind, int index, const std::string& text);
    int playModeIndex(const std::string& mode);
    void nameTeams(const World& world);
    void markChanges(const World& world, const ReplayMoment& moment);
    void mark(long cycle, int kind, int id);
    std::string encodeFrame(const World& world, const ReplayMoment& moment, int mode) const;

    std::string path_;
    ReplayPlan plan_;
    std::ofstream file_;
    std::unique_ptr<ReplayStream> stream_;
    std::string pageEnd_;  // the page after the recording
    int stride_ = 0;       // 0 until the first cycle decides it
    long frames_ = 0;
    long lastCycle_ = -1;    // latest cycle seen
    long lastWritten_ = -1;  // latest cycle written as a frame
    std::string lastFrame_;  // the latest cycle's frame, raw bytes
    std::vector<std::string> modes_;
    bool teamNamed_[2] = {false, false};  // left, right
    bool worldNamed_ = false;
    std::map<int, Seen> seen_;                   // by robot id
    std::vector<std::pair<int, int>> scripted_;  // marks for the next cycle: kind, robot id
    int scoreLeft_ = 0, scoreRight_ = 0;
    bool finished_ = false;
};

}  // namespace sparring

#endif
