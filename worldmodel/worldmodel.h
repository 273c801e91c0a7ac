#ifndef HALYX_WORLDMODEL_WORLDMODEL_H
#define HALYX_WORLDMODEL_WORLDMODEL_H

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "math/matrix.h"
#include "math/vector.h"
#include "motion/skills/fall.h"
#include "motion/skills/readings.h"
#include "worldmodel/constants.h"
#include "worldmodel/field.h"
#include "worldmodel/ids.h"
#include "worldmodel/player.h"
#include "worldmodel/self.h"
#include "worldmodel/senses.h"

// The one store of what the agent believes about the game: clock, play mode and
// side, its own body, the other players, the ball, the eight landmarks, the
// inertial and contact sensors and the last message heard. The perceptor parser
// writes readings through the setters; localisation and the body model turn them
// into field positions. Setters validate nothing and return true; getters return
// copies, except getTeamName, which returns a reference (see there). Field positions are metres in
// the side-relative field frame (own goal at negative x), angles degrees, times server seconds.
class WorldModel {
public:
    // The process-wide store, created on first use and never destroyed.
    static WorldModel* getInstance();

    // Public so that a test can build a fresh store; the agent uses getInstance().
    WorldModel();

    // Clock
    bool setServerTime(double t);
    double getServerTime() const { return mServerTime; }
    bool setGameTime(double t);
    double getGameTime() const { return mGameTime; }
    bool setTimeLastSeen(double t);
    double getTimeLastSeen() const { return mTimeLastSeen; }

    // Identity
    bool setTeamName(const std::string& name);
    // A reference, where the other getters return copies: deliberately, as every
    // player of every vision message is compared with it.
    const std::string& getTeamName() const { return mTeamName; }
    bool setUnum(int unum);
    int getUnum() const { return mUnum; }
    void setGoalie(bool goalie);
    bool beGoalie() const { return mGoalie; }

    // Game. A change of play mode re-arms beaming.
    bool setGameState(PlayMode pm);
    PlayMode getGameState() const { return mGameState; }
    // The play mode as the server named it, whatever the enumeration made of it.
    void setPlayModeName(const std::string& name) { mPlayModeName = name; }
    const std::string& playModeName() const { return mPlayModeName; }
    bool setTeamSide(TeamSide side);
    TeamSide getTeamSide() const { return mTeamSide; }
    void setBeamed();
    bool isBeamed() const { return mBeamed; }

    // Self
    bool setMyJointAngle(JointID joint, double degrees);
    double getMyJointAngle(JointID joint) const { return mSelf.getMyJoints(joint); }
    salt::Vector3f getMyPos() const { return mSelf.getMyPos(HEAD); }
    // Whether landmarks have ever fixed the camera's pose: before that the camera's
    // position and the heading are not known.
    bool hasCameraFix() const { return mCameraFixed; }
    // Server time of the latest camera fix, seconds.
    double getCameraFixTime() const { return mCameraFixTime; }
    double getMyAngle() const { return mSelf.getMyAngle(); }
    Self getMySelf() const { return mSelf; }
    bool setSenseMyPos(const salt::Vector3f& pos);
    salt::Vector3f getSenseMyPos() const { return mSenseMyPos; }

    // Players. A team's numbers get slots 0-10 in the order first seen; a
    // sighting of a twelfth distinct number of one team is ignored.
    bool setRelOurPos(const salt::Vector3f& rel, int number, BodyID part);
    bool setRelOppPos(const salt::Vector3f& rel, int number, BodyID part);
    // A copy of the record in slot 0-10; any other slot gives an empty record.
    Player getOurPlayer(int slot) const;
    Player getOppPlayer(int slot) const;
    // The slot of a uniform number, taking the next free slot for a new number;
    // -1 when all eleven slots hold other numbers.
    int getOurRealNumber(int number);
    int getOppRealNumber(int number);
    int getOurCount() const { return mOurCount; }
    int getOppCount() const { return mOppCount; }

    // Ball. The time seen is -1 until the first sighting.
    bool setRelBallPos(const salt::Vector3f& rel);
    salt::Vector3f getBallRelPos() const { return mBallRelPos; }
    salt::Vector3f getBallPos() const { return mBallPos; }
    salt::Vector3f getBallVel() const { return mBallVel; }
    double getBallTimeSeen() const { return mBallTimeSeen; }
    double getBallTimePrevSeen() const { return mBallTimePrevSeen; }

    // Landmarks
    bool setRelFlagPos(FlagsID id, const VisionSense& sense);
    // Identifiers outside the eight landmarks are ignored and read as zero.
    VisionSense getRelFlagPos(FlagsID id) const;
    bool setFlagsCameraPos(FlagsID id, const salt::Vector3f& pos);
    salt::Vector3f getFlagsCameraPos(FlagsID id) const;
    bool setFlagsGlobalPos(FlagsID id, const salt::Vector3f& pos);
    salt::Vector3f getFlagsGlobalPos(FlagsID id) const;
    double getFlagsTimeSeen(FlagsID id) const;
    // The field played on (the design's 12 x 8 until set): its size, its
    // landmark table and how localisation reads it. Takes effect at once.
    void setField(const FieldGeometry& field);
    const FieldGeometry& getField() const { return *mField; }
    // Where the field's fix needs three landmarks of one goal line, a cycle without
    // such a triple is fixed from two landmarks and the accelerometer's vertical, as
    // on the league's field (off until set: the design's agent fixes as designed).
    void setVerticalFallback(bool on) { mVerticalFallback = on; }
    // Landmark positions for the stored side, from the field's dimensions.
    bool initFlags();
    bool initDimentions();

    // Sensors
    bool setGyro(const salt::Vector3f& rates);
    salt::Vector3f getGyro() const { return mGyro; }
    bool setTorsoGyro(const salt::Vector3f& rates);
    salt::Vector3f getTorsoGyro() const { return mTorsoGyro; }
    // The accelerometer's reading in the torso frame (m/s^2), stamped with the
    // server time of its message; older servers send none.
    bool setAcc(const salt::Vector3f& acceleration);
    salt::Vector3f getAcc() const { return mAcc; }
    // A foot reading is stamped with the present server time, which the
    // server's time reading at the head of each message has set: the stamp
    // tells whether it came with the current message. The server sends none
    // for a foot that touches nothing.
    bool setLeftFootForce(const FootRes& res);
    FootRes getLeftFootForce() const { return mLeftFootForce; }
    bool setRightFootForce(const FootRes& res);
    FootRes getRightFootForce() const { return mRightFootForce; }
    bool setLeftTouchVal(int value);
    int getLeftTouchVal() const { return mLeftTouchVal; }
    bool setRightTouchVal(int value);
    int getRightTouchVal() const { return mRightTouchVal; }
    bool setTemp(double temp);
    double getTemp() const { return mTemp; }
    bool setBattery(double battery);
    double getBattery() const { return mBattery; }

    // Hearing
    bool setCommunicationString(const std::string& message, double time);
    std::string getCommunicationString() const { return mCommunicationString; }
    double getTimeLastHeard() const { return mTimeLastHeard; }
    // Every message heard from others in the present server message, in order (the
    // string above keeps the last only). The parser empties it as it starts a message.
    struct Heard {
        double time;  // seconds, as the hear reading stamps it
        std::string text;
    };
    void clearHeard() { mHeard.clear(); }
    const std::vector<Heard>& heard() const { return mHeard; }

    // A camera-frame vector as a field point: head position minus the camera
    // matrix's rotation applied to v.
    salt::Vector3f translate(const salt::Vector3f& v) const;
    salt::Matrix getCameraMatrix() const { return mCameraMatrix; }

    // Once per cycle after the readings are stored: fixes the camera's field pose
    // from this cycle's landmarks, places the body points, the seen players and
    // the ball on the field with velocities, and derives the heading.
    void globalize();
    // Every body point relative to the camera from the joint angles, then on the
    // field through the neck and the camera pose.
    void updateSelf();

    // Situation queries
    // Whether the centre of mass has left the support of the loaded feet. Only
    // foot readings of the current message count as load; with no foot loaded
    // the robot is down unless its accelerometer reads free fall.
    bool isFeltDown();
    // How the robot lies: 1 on its back, 4 on its front, 2 on its left side,
    // 3 on its right side, 5 with both feet near the head, 0 none of these.
    int feltType();
    // feltType() when fallen, otherwise 0.
    int getFeltType();
    // This cycle's readings of the body, as skills are stepped with them.
    skills::Readings readings() const;
    // The body model's points and the camera's last fix, as the fall reading needs them.
    skills::BodyFrame bodyFrame() const;
    bool canBeam() const;
    // Three landmarks of one goal line, both kinds, seen within the last 0.06 s.
    bool canSeeFlags() const;
    bool canSeeBall() const;
    // A field point in the camera frame; the zero vector before the first fix.
    salt::Vector3f getRelPos(const salt::Vector3f& fieldPoint) const;
    // Whether a field point lies in the camera's elliptic view cone; apertures
    // are full angles in degrees.
    bool inVision(const salt::Vector3f& fieldPoint, double horizontalAperture,
                  double verticalAperture) const;
    // Whether the ball has been rolling into the own goal mouth for three calls.
    // Deliberately, the ball must also move towards the own goal (its mean
    // velocity along -x): a ball rolling away never counts, although the line
    // back through it may cross the goal mouth.
    bool isBallHeadToGoal();
    salt::Vector3f predictBallPos(double t, salt::Vector3f position, salt::Vector3f velocity) const;
    // The record of the player that holds the ball; an empty record when no
    // player of the winning team qualifies.
    Player ballPossession() const;
    bool isGoingToPos(salt::Vector3f target, salt::Vector3f position,
                      salt::Vector3f velocity) const;
    bool isInField(const Player& player) const;
    bool amIClosestToBall() const;
    // Zeroes the stored ball height as a side effect.
    bool isBallKickable();

private:
    static WorldModel* WM;

    static int slotOf(int number, int* numbers, int& count);
    void fixCameraPose();
    // The pose from the vertical and every landmark seen (two at least); false
    // without an accelerometer reading near 1 g or with too few landmarks.
    bool fixCameraPoseFromVertical(const bool* seen);
    // The field's up direction in the camera frame (a unit vector), from this
    // cycle's accelerometer reading when it is near 1 g, through the neck.
    bool cameraUp(salt::Vector3f& up) const;
    // Records a fix of the camera's position made this cycle.
    void setCameraFix(const salt::Vector3f& position);
    void placePlayers(Player* players);
    void placeBall();
    void updateHeading();
    bool flagSeenRecently(int id) const;
    // A vector of the torso-aligned body frame as a field point: through the
    // neck's yaw and pitch as they were when the camera pose was fixed, then
    // through that pose. With a fix of this cycle these are the present neck
    // angles, as the body model uses them; with an older fix the camera has
    // turned with the head since, while the trunk has not.
    salt::Vector3f bodyToField(const salt::Vector3f& rel) const;
    // Landmarks q < r < s of one goal line, flags and posts mixed: the triples
    // that fix a pose and that count as seeing landmarks.
    static bool isUsableTriple(int q, int r, int s);

    bool mBallHeadToGoal[3];  // oldest first
    double mTimeLastSeen;
    int mOurNumbers[playerNo];
    int mOurCount;
    int mOppNumbers[playerNo];
    int mOppCount;
    std::string mTeamName;
    int mUnum;
    std::string mCommunicationString;
    double mTimeLastHeard;
    std::vector<Heard> mHeard;
    std::string mPlayModeName;
    float mFieldLength;           // metres
    float mFieldWidth;            // metres
    float mGoalWidth;             // metres
    const FieldGeometry* mField;  // never null
    bool mVerticalFallback = false;
    double mServerTime;
    double mGameTime;
    Self mSelf;
    salt::Vector3f mSenseMyPos;
    Player mOurPlayers[playerNo];
    Player mOppPlayers[playerNo];
    double mBallTimePrevSeen;
    double mBallTimeSeen;
    salt::Vector3f mBallRelPos;  // camera frame
    salt::Vector3f mBallPos;     // field frame
    salt::Vector3f mBallVel;     // m/s
    salt::Vector3f mGyro;        // degrees/s
    salt::Vector3f mTorsoGyro;   // degrees/s
    FootRes mLeftFootForce;
    FootRes mRightFootForce;
    double mLeftFootTime;   // server time of the left foot's latest reading, seconds
    double mRightFootTime;  // server time of the right foot's latest reading, seconds
    salt::Vector3f mAcc;    // torso frame, m/s^2
    double mAccTime;        // server time of the latest accelerometer reading, seconds
    // The accelerometer's latest readings with their server times (seconds), oldest
    // first: those of the last 0.1 s make Readings::accSteady.
    std::deque<std::pair<double, salt::Vector3f>> mAccRecent;
    int mLeftTouchVal;
    int mRightTouchVal;
    double mFlagTimeSeen[kFlagCount];
    VisionSense mFlagSense[kFlagCount];
    salt::Vector3f mFlagGlobalPos[kFlagCount];
    salt::Vector3f mFlagCameraPos[kFlagCount];
    PlayMode mGameState;
    TeamSide mTeamSide;
    double mTemp;
    double mBattery;
    bool mGoalie;
    // Rotation part: the negated camera-to-field rotation; zero until the first fix.
    salt::Matrix mCameraMatrix;
    double mCameraFixTime;  // server time of the latest pose fixed from landmarks, seconds
    bool mCameraFixed;      // a pose has been fixed from landmarks at least once
    double mFixNeckYaw;     // neck yaw when the camera pose was last fixed, degrees
    double mFixNeckPitch;   // neck pitch when the camera pose was last fixed, degrees
    bool mBeamed;
    std::deque<salt::Vector3f> mBallHistory;  // ball velocities, oldest first
};

#endif
