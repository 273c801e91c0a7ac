#ifndef HALYX_BEHAVIOR_TEAM_PLAY_H
#define HALYX_BEHAVIOR_TEAM_PLAY_H

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "behavior/ball_taker.h"
#include "behavior/situation.h"
#include "behavior/team_message.h"
#include "motion/skills/goto.h"
#include "motion/skills/steer_clear.h"
#include "worldmodel/field.h"

using skills::FieldPoint;

// One cycle as the team play sees it: what the world model and the skills know, in the
// team's own field frame.
struct TeamView {
    double now = 0;  // server time, seconds
    Situation situation = Situation::Stopped;
    bool located = false;  // `self` comes from landmarks (else it is not known)
    skills::FieldPose self;
    bool down = false;          // lying or getting up
    bool ballSeen = false;      // the own camera saw the ball lately, at `ball`
    double ballAge = HUGE_VAL;  // seconds since the own camera last saw the ball
    FieldPoint ball;
    std::vector<FieldPoint> opponents;  // seen lately
    std::vector<FieldPoint> teammates;  // seen lately
};

// What the player is to do this cycle; the decision object turns it into skills.
struct Intent {
    // Look: stand and search the ground round the feet with the head.
    enum class Kind { Stand, Look, Guard, GoTo, Kick, Dribble };
    Kind kind = Kind::Stand;
    skills::FieldPose target;   // GoTo: where to stand and which way to face
    double direction = 0;       // Kick: degrees in the own field frame
    FieldPoint point;           // Dribble: where to walk the ball
    const char* why = "stand";  // the decision's name for the cycle log
};

// The team's play for one player, in the least form that plays soccer: the players agree
// through what they say on which of them goes for the ball (BallTaker); that one takes it
// towards the opponents' goal (a kick when the goal is within reach and no opponent
// stands in the line, a dribble otherwise, a clearance near the own goal); the others
// take spots derived from their home in the formation and the ball, keep off each other
// and out of the taker's way; the goalkeeper guards and clears a ball in its penalty
// area. Set plays: the side whose play it is takes it, the other keeps its distance. A
// plain object: told each cycle what the player sees and hears, it answers the intent
// and, in the player's turn, what to say.
class TeamPlay {
public:
    // `home` is the player's spot in the formation; `team` salts the messages' check.
    TeamPlay(int unum, const FieldGeometry& field, FieldPoint home, std::string team);

    // A message heard at server time `now`; another team's, a garbled one or one of the
    // player's own number is ignored.
    void hear(const std::string& text, double now);
    // This cycle's intent.
    Intent decide(const TeamView& view);
    // What to say this cycle: empty unless it is this player's turn (one number speaks
    // every second cycle, so that a server passing one message of a team per cycle or
    // per two cycles passes them all).
    std::string say(const TeamView& view) const;

    // Makes the player the team's kick-off taker: beamed beside the centre spot before
    // the team's own kick-offs (the formation's field player nearest the centre).
    void takeKickOffs() { kicksOff_ = true; }
    // Where to beam before the next kick-off, `ownNext` when it is the team's own: the
    // kick-off taker beside the centre spot, placed for its kick-off (`ballAtFoot`, metres
    // ahead and to the left of the body, where a kick wants the ball; `aim`, degrees, how
    // far the kick goes left of the body's heading); everyone else at home, facing the
    // opponents' goal.
    skills::FieldPose beamPose(bool ownNext, FieldPoint ballAtFoot, double aim) const;
    // Degrees: the kick-off's first choice of direction, clear of an opponent waiting on
    // the line from the centre spot to the goal.
    static constexpr double kKickOffDirection = 30;

    // Whether the player took the ball in its latest decision.
    bool taking() const { return taking_; }
    // The ball as the team knows it at `now`: the own sighting, else the freshest heard.
    bool teamBall(const TeamView& view, FieldPoint& ball) const;

    // Seconds a sighting of the ball, own or heard, is trusted.
    static constexpr double kBallFresh = 2.0;
    // Seconds taken off the taker's time to the ball, so that the ball does not change
    // hands between two players whose times are close.
    static constexpr double kKeepBonus = 1.0;

private:
    // What the taker does with the ball; the plan under way is kept against the flicker
    // of what the robot sees (an opponent seen and unseen by turns, a ball estimate on a
    // boundary), since a new plan starts the ball skill's approach again.
    enum class Plan { None, KickOff, Clear, Finish, Shoot, Advance, Dribble };
    Intent choose(Plan plan, const Intent& intent, double now);

    double ownBallTime(const TeamView& view) const;
    Intent takeBall(const TeamView& view, FieldPoint ball);
    Intent kickOff(const TeamView& view, FieldPoint ball);
    FieldPoint dribblePoint(const TeamView& view, FieldPoint ball) const;
    // A shot's direction (degrees) into their goal, false when every line is blocked.
    bool shotAim(const TeamView& view, FieldPoint ball, double& direction) const;
    // The direction of a clearance, `angle` degrees off straight up the field.
    double clearance(const TeamView& view, FieldPoint ball, double angle) const;
    // Whether an opponent stands near enough the ball to reach it during an approach.
    bool contested(const TeamView& view, FieldPoint ball) const;
    Intent goalkeeper(const TeamView& view, bool known, FieldPoint ball);
    skills::FieldPose supportSpot(const TeamView& view, bool known, FieldPoint ball) const;
    bool clearLine(const TeamView& view, FieldPoint from, FieldPoint to) const;

    struct Heard {
        TeamMessage message;
        double at = -1;  // server time, seconds; -1: never
    };

    int unum_;
    FieldGeometry field_;
    FieldPoint home_;
    std::string team_;
    BallTaker taker_;
    std::array<Heard, 12> heard_{};  // by number; 0 unused
    bool taking_ = false;
    bool kicksOff_ = false;
    bool homing_ = false;  // the goalkeeper is walking to its home
    Plan plan_ = Plan::None;
    double planSince_ = 0;      // server time (seconds) the plan under way was chosen
    double shotDirection_ = 0;  // degrees, the shot's direction while it is kept
};

// Whether the ball is for the goalkeeper: in its penalty area, `margin` metres wider.
bool inPenaltyArea(const FieldGeometry& field, FieldPoint p, double margin);

#endif
