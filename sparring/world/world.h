#ifndef SPARRING_WORLD_H
#define SPARRING_WORLD_H

#include <memory>
#include <string>
#include <vector>

#include "sparring/world/field.h"
#include "sparring/world/robot.h"

namespace sparring {

constexpr double kCycleSeconds = 0.02;  // one simulation cycle

// A robot that touched the ball, by team side and uniform number: a value, so that it
// outlives a robot that leaves the match.
struct BallToucher {
    Side side = Side::Left;
    int unum = 0;
    bool operator==(const BallToucher& o) const { return side == o.side && unum == o.unum; }
};

// Which generation of the server's message forms perception is written in. Old: the game
// state with number and side, hearing without the team, players by the camera's "pol",
// FRP for both feet every cycle and the touch perceptor. New: the game state with the
// score (number and side in a robot's first message only), hearing with the speaker's
// team, players by up to five body parts, FRP only for a foot that touches something, the
// accelerometer and no touch perceptor.
enum class MessageForms { Old, New };

// The world a match is played in: the robots on the field and the ball. Perception,
// referee and replies see it only through this interface; the kinematic and the
// physical world differ in how robots and ball move between cycles.
class World {
public:
    virtual ~World() = default;

    // The field played on: the design's unless set, before the first robot comes.
    void setField(const FieldSpec& field) { field_ = &field; }
    const FieldSpec& field() const { return *field_; }

    // A new robot waits off the field at its own touch line until it beams.
    Robot& addRobot(Side side, int unum, const std::string& team);
    virtual void removeRobot(const Robot& robot);
    Robot* find(Side side, int unum);
    const std::vector<std::unique_ptr<Robot>>& robots() const { return robots_; }

    virtual Vec3 ball() const = 0;
    // Places the ball on the ground at (x, y), server frame, at rest.
    virtual void placeBall(double x, double y) = 0;

    // Moves the world on by dt seconds.
    virtual void step(double dt) = 0;
    // The robots that touched the ball during the last step, in the order the world found
    // them; how a world tells a touch is its own (contact, or nearness without shapes).
    const std::vector<BallToucher>& ballTouchers() const { return touchers_; }

    // "kinematic" or "physics", for the summary.
    virtual const char* name() const = 0;
    // The forms a match in this world speaks unless the command line chooses: the older
    // ones here; a world that models the newer server overrides this.
    virtual MessageForms defaultForms() const { return MessageForms::Old; }

protected:
    virtual std::unique_ptr<Robot> makeRobot(Side side, int unum, const std::string& team) = 0;

    std::vector<std::unique_ptr<Robot>> robots_;
    std::vector<BallToucher> touchers_;  // of the last step

private:
    const FieldSpec* field_ = &designFieldSpec();  // never null
};

}  // namespace sparring

#endif
