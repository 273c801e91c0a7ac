#ifndef SPARRING_PERCEPTION_H
#define SPARRING_PERCEPTION_H

#include <random>
#include <string>
#include <vector>

#include "sparring/match/referee.h"
#include "sparring/world/world.h"

namespace sparring {

// How robots see: the view cone, how often, and the noise on each reading.
struct VisionOptions {
    bool full = false;           // see everything, whatever the camera's direction
    double viewAngle = 120.0;    // full opening of the view cone, degrees
    int period = 1;              // vision in every period-th cycle
    double angleNoise = 0.0;     // standard deviation added to theta and phi, degrees
    double distanceNoise = 0.0;  // standard deviation of the distance, as a fraction of it
    unsigned seed = 1;           // seed of the noise
};

// What the game looks like in one cycle.
struct GameView {
    double now = 0;       // simulated time, seconds
    double gameTime = 0;  // seconds since kick-off
    PlayMode mode = PlayMode::BeforeKickOff;
    long cycle = 0;                     // decides the vision cycles
    int scoreLeft = 0, scoreRight = 0;  // goals, for the newer game-state form
};

// A (say ...) of the previous cycle, heard by every other robot.
struct Utterance {
    const Robot* speaker;
    std::string text;
};

// Appends `v` with two decimals, as every number of a message is written: "%.2f" of the
// value rounded to hundredths, "0.00" for one that rounds to nothing.
void appendNumber(std::string& out, double v);

// Writes the perception messages of the server's vocabulary: time, game state, gyro,
// accelerometer, foot pressure, touch, hinge joints, vision and hearing, in the older or
// the newer forms (see MessageForms).
class PerceptionWriter {
public:
    explicit PerceptionWriter(const VisionOptions& options, MessageForms forms = MessageForms::Old);

    // The message an agent gets before its init: time and game state only.
    std::string first(const GameView& game) const;
    // The whole message for `self`. The newer forms name the robot's number and side in
    // its first message only.
    std::string write(const World& world, const Robot& self, const GameView& game,
                      const std::vector<Utterance>& heard, bool firstMessage = false);
    // Whether `self` sees a thing at `where` (server frame) in this cycle's vision.
    bool inView(const Robot& self, const Vec3& where) const;
    // The pieces of a field line that `self` sees: none, the whole line, or the line
    // clipped to the view cone (two pieces only for a cone opened beyond 180 degrees).
    std::vector<FieldLine> visibleParts(const Robot& self, const FieldLine& line) const;

private:
    void writeBody(std::string& out, const Robot& self) const;
    void writeVision(std::string& out, const World& world, const Robot& self);
    void writeGameState(std::string& out, const Robot& self, const GameView& game,
                        bool firstMessage) const;
    void writeHearing(std::string& out, const Robot& self, const GameView& game,
                      const std::vector<Utterance>& heard) const;
    void writePlayer(std::string& out, const Robot& self, const Robot& other);
    void writeObject(std::string& out, const Robot& self, const Vec3& where);

    VisionOptions options_;
    MessageForms forms_;
    std::mt19937 rng_;
};

}  // namespace sparring

#endif
