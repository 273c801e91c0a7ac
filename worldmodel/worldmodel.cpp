#include "worldmodel/worldmodel.h"

#include "math/geometry.h"

WorldModel* WorldModel::WM = nullptr;

namespace {
bool validFlag(int id) {
    return id >= 0 && id < kFlagCount;
}
}  // namespace

WorldModel* WorldModel::getInstance() {
    if (WM == nullptr) WM = new WorldModel();
    return WM;
}

// Fields the server has not reported yet start at zero / false, so that every
// reader sees finite values before the first message.
WorldModel::WorldModel()
    : mBallHeadToGoal{false, false, false},
      mTimeLastSeen(0.0),
      mOurNumbers{},
      mOurCount(0),
      mOppNumbers{},
      mOppCount(0),
      mUnum(0),
      mTimeLastHeard(0.0),
      mFieldLength(0.0f),
      mFieldWidth(0.0f),
      mGoalWidth(0.0f),
      mField(&designField()),
      mServerTime(0.0),
      mGameTime(0.0),
      mBallTimePrevSeen(0.0),
      mBallTimeSeen(-1.0),
      mLeftFootTime(-1.0),
      mRightFootTime(-1.0),
      mAcc(0, 0, 0),
      mAccTime(-1.0),
      mLeftTouchVal(0),
      mRightTouchVal(0),
      mFlagTimeSeen{},
      mGameState(PM_BeforeKickOff),
      mTeamSide(SIDE_LEFT),
      mTemp(0.0),
      mBattery(0.0),
      mGoalie(false),
      mCameraFixTime(-1.0),
      mCameraFixed(false),
      mFixNeckYaw(0.0),
      mFixNeckPitch(0.0),
      mBeamed(false) {
    // Like the ball, a landmark counts as not seen until its first sighting;
    // a start of 0 would make every landmark count as seen at server time 0,
    // each at the camera's own position, and spoil the first fix.
    for (double& t : mFlagTimeSeen) t = -1.0;
    initDimentions();
    initFlags();
}

bool WorldModel::setServerTime(double t) {
    mServerTime = t;
    return true;
}

bool WorldModel::setGameTime(double t) {
    mGameTime = t;
    return true;
}

bool WorldModel::setTimeLastSeen(double t) {
    mTimeLastSeen = t;
    return true;
}

bool WorldModel::setTeamName(const std::string& name) {
    mTeamName = name;
    return true;
}

bool WorldModel::setUnum(int unum) {
    mUnum = unum;
    return true;
}

void WorldModel::setGoalie(bool goalie) {
    mGoalie = goalie;
}

bool WorldModel::setGameState(PlayMode pm) {
    if (pm != mGameState) mBeamed = false;
    mGameState = pm;
    return true;
}

bool WorldModel::setTeamSide(TeamSide side) {
    mTeamSide = side;
    return true;
}

void WorldModel::setBeamed() {
    mBeamed = true;
}

bool WorldModel::setMyJointAngle(JointID joint, double degrees) {
    return mSelf.setMyJoints(joint, degrees);
}

bool WorldModel::setSenseMyPos(const salt::Vector3f& pos) {
    mSenseMyPos = pos;
    return true;
}

int WorldModel::slotOf(int number, int* numbers, int& count) {
    for (int i = 0; i < count; ++i) {
        if (numbers[i] == number) return i;
    }
    if (count >= playerNo) return -1;
    numbers[count] = number;
    return count++;
}

int WorldModel::getOurRealNumber(int number) {
    return slotOf(number, mOurNumbers, mOurCount);
}

int WorldModel::getOppRealNumber(int number) {
    return slotOf(number, mOppNumbers, mOppCount);
}

namespace {
void recordSighting(Player* players, int slot, int number, double time, BodyID part,
                    const salt::Vector3f& rel) {
    if (slot < 0) return;
    players[slot].setID(number);
    players[slot].setTimeSeen(time);
    players[slot].setRelPos(part, rel);
}

Player playerAt(const Player* players, int slot) {
    return (slot >= 0 && slot < playerNo) ? players[slot] : Player();
}
}  // namespace

bool WorldModel::setRelOurPos(const salt::Vector3f& rel, int number, BodyID part) {
    recordSighting(mOurPlayers, getOurRealNumber(number), number, mServerTime, part, rel);
    return true;
}

bool WorldModel::setRelOppPos(const salt::Vector3f& rel, int number, BodyID part) {
    recordSighting(mOppPlayers, getOppRealNumber(number), number, mServerTime, part, rel);
    return true;
}

Player WorldModel::getOurPlayer(int slot) const {
    return playerAt(mOurPlayers, slot);
}

Player WorldModel::getOppPlayer(int slot) const {
    return playerAt(mOppPlayers, slot);
}

bool WorldModel::setRelBallPos(const salt::Vector3f& rel) {
    mBallTimePrevSeen = mBallTimeSeen;
    mBallTimeSeen = mServerTime;
    mBallRelPos = rel;
    return true;
}

bool WorldModel::setRelFlagPos(FlagsID id, const VisionSense& sense) {
    if (!validFlag(id)) return true;
    mFlagSense[id] = sense;
    return setFlagsCameraPos(id, PolarToCartecian(sense));
}

VisionSense WorldModel::getRelFlagPos(FlagsID id) const {
    return validFlag(id) ? mFlagSense[id] : VisionSense();
}

bool WorldModel::setFlagsCameraPos(FlagsID id, const salt::Vector3f& pos) {
    if (!validFlag(id)) return true;
    mFlagTimeSeen[id] = mServerTime;
    mFlagCameraPos[id] = pos;
    return true;
}

salt::Vector3f WorldModel::getFlagsCameraPos(FlagsID id) const {
    return validFlag(id) ? mFlagCameraPos[id] : salt::Vector3f();
}

bool WorldModel::setFlagsGlobalPos(FlagsID id, const salt::Vector3f& pos) {
    if (validFlag(id)) mFlagGlobalPos[id] = pos;
    return true;
}

salt::Vector3f WorldModel::getFlagsGlobalPos(FlagsID id) const {
    return validFlag(id) ? mFlagGlobalPos[id] : salt::Vector3f();
}

double WorldModel::getFlagsTimeSeen(FlagsID id) const {
    return validFlag(id) ? mFlagTimeSeen[id] : 0.0;
}

void WorldModel::setField(const FieldGeometry& field) {
    mField = &field;
    initDimentions();
    initFlags();
}

bool WorldModel::initDimentions() {
    mFieldLength = mField->length;
    mFieldWidth = mField->width;
    mGoalWidth = mField->goalWidth;
    return true;
}

bool WorldModel::initFlags() {
    const float s = (mTeamSide == SIDE_RIGHT) ? -1.0f : 1.0f;
    const float x = s * mFieldLength / 2.0f;
    const float corner = s * mFieldWidth / 2.0f;
    const float post = s * mGoalWidth / 2.0f;
    const float postHeight = mField->postHeight;
    mFlagGlobalPos[F1L] = salt::Vector3f(-x, corner, 0.0f);
    mFlagGlobalPos[F1R] = salt::Vector3f(x, corner, 0.0f);
    mFlagGlobalPos[F2L] = salt::Vector3f(-x, -corner, 0.0f);
    mFlagGlobalPos[F2R] = salt::Vector3f(x, -corner, 0.0f);
    mFlagGlobalPos[G1L] = salt::Vector3f(-x, post, postHeight);
    mFlagGlobalPos[G1R] = salt::Vector3f(x, post, postHeight);
    mFlagGlobalPos[G2L] = salt::Vector3f(-x, -post, postHeight);
    mFlagGlobalPos[G2R] = salt::Vector3f(x, -post, postHeight);
    return true;
}

bool WorldModel::setGyro(const salt::Vector3f& rates) {
    mGyro = rates;
    return true;
}

bool WorldModel::setTorsoGyro(const salt::Vector3f& rates) {
    mTorsoGyro = rates;
    return true;
}

bool WorldModel::setAcc(const salt::Vector3f& acceleration) {
    mAcc = acceleration;
    mAccTime = mServerTime;
    // A second reading in one message replaces the first.
    if (!mAccRecent.empty() && mAccRecent.back().first == mServerTime) mAccRecent.pop_back();
    mAccRecent.emplace_back(mServerTime, acceleration);
    const std::size_t kKept = 5;  // 0.1 s of cycles
    while (mAccRecent.size() > kKept) mAccRecent.pop_front();
    return true;
}

bool WorldModel::setLeftFootForce(const FootRes& res) {
    mLeftFootForce = res;
    mLeftFootTime = mServerTime;
    return true;
}

bool WorldModel::setRightFootForce(const FootRes& res) {
    mRightFootForce = res;
    mRightFootTime = mServerTime;
    return true;
}

bool WorldModel::setLeftTouchVal(int value) {
    mLeftTouchVal = value;
    return true;
}

bool WorldModel::setRightTouchVal(int value) {
    mRightTouchVal = value;
    return true;
}

bool WorldModel::setTemp(double temp) {
    mTemp = temp;
    return true;
}

bool WorldModel::setBattery(double battery) {
    mBattery = battery;
    return true;
}

bool WorldModel::setCommunicationString(const std::string& message, double time) {
    mCommunicationString = message;
    mTimeLastHeard = time;
    mHeard.push_back({time, message});
    return true;
}

salt::Vector3f WorldModel::translate(const salt::Vector3f& v) const {
    return mSelf.getMyPos(HEAD) - mCameraMatrix.Rotate(v);
}
