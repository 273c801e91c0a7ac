#ifndef HALYX_BEHAVIOR_MYBEHAVIOR_H
#define HALYX_BEHAVIOR_MYBEHAVIOR_H

#include <boost/scoped_ptr.hpp>
#include <memory>
#include <string>
#include <vector>

#include "behavior/cyclereport.h"
#include "behavior/drill.h"
#include "behavior/seen_robots.h"
#include "behavior/team_play.h"
#include "motion/skills/ball_play.h"
#include "motion/skills/goto.h"
#include "motion/skills/head_sweep.h"
#include "motion/skills/odometry.h"
#include "motion/skills/torso_up.h"

// Pi to 15 significant digits, the decision module's own constant; the geometry
// helpers use salt::gPI.
const double PI = 3.14159265358979;

class Actions;
class Parser;
class Position;
class WorldModel;

// The agent's decision object, one per process: asked once per server message
// for the whole reply. It announces the player on the first message; on every
// later one it stores the perceptions, localises the robot and then, in order
// of priority, beams to the formation position during a game stop, gets up
// after a fall, or plays its role: the goalkeeper's guard motion for uniform
// number 1, the head scan and standing still before kick-off for the others.
// Writes one beam line or status line per cycle to standard output.
class MyBehavior {
public:
    // Fills the protocol tables, reads the keyframe motions and the formation
    // (from the working directory; formationFile names the formation's file),
    // and enters the team name and uniform number in the world model.
    explicit MyBehavior(int unum, const std::string& formationFile = "formation.conf");
    ~MyBehavior();

    // The complete reply to send for one server message; may be empty.
    std::string Think(const std::string& message);

    // The latest cycle as Think left it, for a person to follow.
    CycleReport report() const;

    // The files of the working directory that the agent needs and could not read at
    // start-up (motion files under "Acts/", the formation file): it plays without them,
    // with empty motions and no beam positions.
    std::vector<std::string> missingFiles() const;

    // Plays `drill` in place of the role (goalkeeper or field player), walking with
    // `walk` and kicking with `kick`; the init, the beam window and getting up stay as
    // they are.
    void setDrill(const Drill& drill, const skills::WalkParameters& walk,
                  const skills::KickParameters& kick = {});

    // Plays the team's soccer (TeamPlay) in place of the roles, walking with `walk` and
    // kicking with `kick` on `field`, its messages checked with `team`'s name; the init,
    // the beam window and getting up stay as they are, except that a beam is sent only in
    // the play modes a server obeys it in.
    void setSoccer(const skills::WalkParameters& walk, const skills::KickParameters& kick,
                   const FieldGeometry& field, const std::string& team);

    // Localises the robot and places body points, players and ball.
    void UpdatePositions();
    std::string doActionGoalie();
    std::string doActionPlayer();

private:
    WorldModel* mWM;
    Actions* mActions;
    // Owned, so that both go with the decision object when the main loop ends.
    boost::scoped_ptr<Parser> mParser;
    boost::scoped_ptr<Position> mPosition;
    bool mStarted;  // false until the first message has been answered
    // What the latest Think decided, as named in CycleReport::decision.
    const char* mDecision;

    std::string doDrill();
    // A drill's or the soccer's walk or ball task gives the joints up (to a beam or a
    // get-up).
    void leaveDrillMotion();
    // The beam of a soccer player: the formation's home, or the kick-off taker's spot
    // before the team's own kick-off.
    std::string soccerBeam();
    // Whether the beam window may open in this play mode.
    bool mayBeam() const;
    // One cycle of team play: hear, decide, carry the intent out, say.
    std::string doSoccer();
    TeamView soccerView();
    std::string actOut(const Intent& intent);
    std::string walkTo(const skills::FieldPose& target);
    // A new ball task for the intent, unless the one under way already serves it.
    void startBallTask(const Intent& intent);
    // The robots seen lately besides this one, teammates and opponents, field frame.
    std::vector<FieldPoint> otherRobots() const;
    // One cycle of the ball task under way: this cycle's view given to it, the joints'
    // speeds it answers (the head's left to the caller).
    skills::JointSpeeds stepBallTask();
    // A kick or dribble step of the drill: one cycle of playing the ball, the head on it.
    std::string playBall(const Drill::Step& step, bool begins);
    // Whether the robot is down: the designed test, or the walking robot's in a drill.
    bool feltDown() const;
    // The body's pose from this cycle's camera fix, or moved on from the last one.
    void trackPose();
    std::unique_ptr<Drill> mDrill;  // null: the designed roles
    double mPlayOnSince = -1;       // server time of the first PlayOn, seconds
    const Drill::Step* mStep = nullptr;
    skills::GoTo mGoTo;
    // The body's pose between camera fixes, for steering.
    skills::Odometry mOdometry;
    skills::TorsoUp mTorsoUp;  // levels the camera's sightings of the ball
    // The head swept from side to side, so that the walking robot keeps landmarks in view.
    skills::HeadSweep mHeadSweep;
    double mOdometryFix = -1;  // server time of the fix it last took, seconds
    double mDownAt = -1;       // server time of the last cycle lying or getting up, seconds
    // A beam window (drills and soccer) opened with the robot down or getting up: its
    // get-up ended and its joints are brought to 0 until the window closes.
    bool mStraighten = false;
    // The drill's kick and dribble; made with the drill.
    std::unique_ptr<skills::BallPlay> mBallPlay;
    bool mBallOver = false;  // the present step's ball task is done or has failed
    // The soccer's decision; null unless playing soccer.
    std::unique_ptr<TeamPlay> mTeamPlay;
    Intent mIntent;                        // the intent the ball task or the walk carries out
    TeamView mView;                        // this cycle's, as the team play saw it
    SeenRobots mSeenRobots;                // the other robots, placed as the ball is
    std::vector<FieldPoint> mLyingBodies;  // along robots seen lying: more to walk round
    FieldPoint mBallAt;                    // the ball on the field when the camera last saw it
    double mBallSeenAt = -1;               // server time of that sighting, seconds
};

#endif
