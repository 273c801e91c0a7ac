// Questions about the current situation, answered from the stored readings and
// the estimates of localisation and the body model.

#include <cmath>

#include "math/geometry.h"
#include "motion/skills/fall.h"
#include "worldmodel/worldmodel.h"

using salt::Vector3f;

namespace {
// A sighting counts as recent when it is at most this old (seconds). The slack
// keeps a sighting exactly 0.06 s old counting whatever the rounding of the times.
const double kRecent = 0.06;
const double kTimeSlack = 1e-6;

Vector3f flat(Vector3f v) {
    v.z() = 0.0f;
    return v;
}

float horizontalDistance(const Vector3f& a, const Vector3f& b) {
    return flat(a - b).Length();
}
}  // namespace

// The fall reading itself belongs to the skills layer, which the laboratory runs too;
// the store gives it this cycle's readings and the body as it holds them.
bool WorldModel::isFeltDown() {
    return skills::feltDown(readings(), bodyFrame());
}

int WorldModel::feltType() {
    return skills::wayOfLying(readings(), bodyFrame());
}

int WorldModel::getFeltType() {
    return isFeltDown() ? feltType() : 0;
}

skills::BodyFrame WorldModel::bodyFrame() const {
    skills::BodyFrame body;
    body.com = mSelf.getCOM();
    body.leftFoot = mSelf.getMyRelPos(LFOOT);
    body.rightFoot = mSelf.getMyRelPos(RFOOT);
    body.toField = [this](const Vector3f& rel) { return bodyToField(rel); };
    body.fixCurrent = mCameraFixTime >= mServerTime - kRecent - kTimeSlack;
    return body;
}

// A foot that touches nothing has no reading in the message: the store keeps the
// last one, whose stamp then is not the present server time, and it must not count
// as load, or a robot whose feet had both been loaded once could never read as fallen.
skills::Readings WorldModel::readings() const {
    skills::Readings r;
    r.time = mServerTime;
    for (int j = 0; j < kJointCount; ++j) r.angles[j] = getMyJointAngle(static_cast<JointID>(j));
    r.gyro = mGyro;
    r.accFresh = mAccTime == mServerTime;
    if (r.accFresh) {
        r.acc = mAcc;
        const double kSteadySeconds = 0.1;
        for (const auto& reading : mAccRecent) {
            if (!(reading.first > mServerTime - kSteadySeconds + 1e-6)) continue;
            r.accSteady += reading.second;
            ++r.accSteadyCount;
        }
        if (r.accSteadyCount > 0) r.accSteady /= static_cast<float>(r.accSteadyCount);
    }
    const bool current[2] = {mLeftFootTime == mServerTime, mRightFootTime == mServerTime};
    const FootRes* res[2] = {&mLeftFootForce, &mRightFootForce};
    for (int f = 0; f < 2; ++f) {
        if (!current[f]) continue;
        r.feet[f].touching = true;
        r.feet[f].centre = res[f]->contact;
        r.feet[f].force = res[f]->force;
    }
    return r;
}

bool WorldModel::canBeam() const {
    return mGameState == PM_BeforeKickOff || mGameState == PM_Goal_Left ||
           mGameState == PM_Goal_Right;
}

bool WorldModel::flagSeenRecently(int id) const {
    return mFlagTimeSeen[id] >= mServerTime - kRecent - kTimeSlack;
}

bool WorldModel::canSeeFlags() const {
    for (int i = 0; i < kFlagCount; ++i) {
        if (!flagSeenRecently(i)) continue;
        for (int j = i + 1; j < kFlagCount; ++j) {
            if (!flagSeenRecently(j)) continue;
            for (int k = j + 1; k < kFlagCount; ++k) {
                if (flagSeenRecently(k) && isUsableTriple(i, j, k)) return true;
            }
        }
    }
    return false;
}

bool WorldModel::canSeeBall() const {
    return mBallTimeSeen >= mServerTime - kRecent - kTimeSlack;
}

// Until the first fix the camera matrix is zero and gives no axes to look along
// (normalising them would give NaN): the answer then is the zero vector, the
// point at the camera itself, which no view cone holds, so that nothing counts
// as in view before the robot knows where it looks.
salt::Vector3f WorldModel::getRelPos(const salt::Vector3f& fieldPoint) const {
    const Vector3f h = getMyPos();
    const Vector3f a = translate(Vector3f(1, 0, 0)) - h;
    const Vector3f b = translate(Vector3f(0, 1, 0)) - h;
    if (a.SquareLength() == 0.0f || b.SquareLength() == 0.0f) return Vector3f(0, 0, 0);
    salt::Matrix m;
    m.LookAt(fieldPoint - h, -a, -b);
    return m.Pos();
}

bool WorldModel::inVision(const salt::Vector3f& fieldPoint, double horizontalAperture,
                          double verticalAperture) const {
    const Vector3f r = getRelPos(fieldPoint);
    const double ta = std::tan(salt::gDegToRad(horizontalAperture / 2.0));
    const double tb = std::tan(salt::gDegToRad(verticalAperture / 2.0));
    const double x = r.x(), y = r.y(), z = r.z();
    return x * x - y * y / (ta * ta) - z * z / (tb * tb) > 0.0 && x > 0.0;
}

// The own goal line is that of the field played on (x = -6 and posts 1.4 apart
// on the design's field), the line the agent localises against; a ball whose mean velocity leads
// away from the own goal never counts, although its backward line may cross the goal mouth.
bool WorldModel::isBallHeadToGoal() {
    const std::size_t kFull = 18;
    mBallHistory.push_back(mBallVel);
    if (mBallHistory.size() < kFull) return false;
    while (mBallHistory.size() > kFull) mBallHistory.pop_front();

    Vector3f mean(0, 0, 0);
    const float count = static_cast<float>(mBallHistory.size());
    for (const Vector3f& v : mBallHistory) mean += v / count;

    const float goalX = -mFieldLength / 2.0f, halfGoal = mGoalWidth / 2.0f;
    const salt::Vector2f b(mBallPos.x(), mBallPos.y());
    const rcsc::Line2D ballLine(b, salt::Vector2f(b.x() + mean.x(), b.y() + mean.y()));
    const rcsc::Line2D goalLine(salt::Vector2f(goalX, halfGoal), salt::Vector2f(goalX, -halfGoal));
    const salt::Vector2f q = ballLine.intersection2f(goalLine);

    mBallHeadToGoal[0] = mBallHeadToGoal[1];
    mBallHeadToGoal[1] = mBallHeadToGoal[2];
    mBallHeadToGoal[2] =
        halfGoal > q.y() && q.y() > -halfGoal && mean.Length() > 0.3f && mean.x() < 0.0f;
    return mBallHeadToGoal[0] && mBallHeadToGoal[1] && mBallHeadToGoal[2];
}

// Height from a simple bounce model (g = 9.8 m/s^2); on the ground the ball
// travels d = speed * t along its horizontal velocity. A non-finite time, or a
// ball without horizontal speed, leaves the ground position where it is.
salt::Vector3f WorldModel::predictBallPos(double t, salt::Vector3f position,
                                          salt::Vector3f velocity) const {
    if (!std::isfinite(t)) return position;
    double v = velocity.z();
    const float speed = salt::gSqrt(velocity.x() * velocity.x() + velocity.y() * velocity.y());
    const double d = speed * t;
    double T = t, w = 0.0;
    // Each bounce shortens the remaining time by at least 0.1 s, so the loop
    // ends; the cap only guards times too large for that step to register.
    for (int bounce = 0; bounce < 1000000; ++bounce) {
        w = v * 0.903 + 0.53;
        T += (v + w) / -9.8;
        if (T < 0) break;
        v = w;
    }
    T += (v + w) / 9.8;
    const float z = static_cast<float>(-9.8 * T * T + v * T);
    if (speed == 0.0f) return Vector3f(position.x(), position.y(), z);
    return Vector3f(static_cast<float>(position.x() + d * velocity.x() / speed),
                    static_cast<float>(position.y() + d * velocity.y() / speed), z);
}

bool WorldModel::isGoingToPos(salt::Vector3f target, salt::Vector3f position,
                              salt::Vector3f velocity) const {
    velocity.Normalize();
    const Vector3f direction = (target - position).Normalized();
    return velocity.Dot(direction) > 0.5f;
}

bool WorldModel::isInField(const Player& player) const {
    return !(mServerTime - player.getTimeSeen() > 10.0);
}

// Only the first three slots of each team are examined, and only slots that hold
// a player: an unused slot is no phantom player at the field's centre.
Player WorldModel::ballPossession() const {
    const Vector3f b = mBallPos;
    float ourBest = 1000.0f, theirBest = 1000.0f;
    int ourSlot = -1, theirSlot = -1;
    for (int i = 0; i < 3; ++i) {
        const Player& opp = mOppPlayers[i];
        const float dOpp = (opp.getCOMPos() - b).Length();
        if (i < mOppCount && isInField(opp) && dOpp < theirBest &&
            isGoingToPos(b, opp.getCOMPos(), opp.getCOMVel())) {
            theirBest = dOpp;
            theirSlot = i;
        }
        const Player& our = mOurPlayers[i];
        const float dOur = (our.getCOMPos() - b).Length();
        if (i < mOurCount && isInField(our) &&
            (dOur < ourBest || isGoingToPos(b, our.getCOMPos(), our.getCOMVel()))) {
            ourBest = dOur;
            ourSlot = i;
        }
    }
    if (theirBest > ourBest) return getOurPlayer(ourSlot);
    return getOppPlayer(theirSlot);
}

bool WorldModel::amIClosestToBall() const {
    float best = (getMyPos() - mBallPos).Length();
    int closest = mUnum;
    for (int i = 0; i < mOurCount; ++i) {
        const Player& p = mOurPlayers[i];
        const float d = (p.getPos(HEAD) - mBallPos).Length();
        if (p.getID() != 1 && best > d && mServerTime - p.getTimeSeen() < 10.0) {
            best = d;
            closest = p.getID();
        }
    }
    return closest == mUnum;
}

// The angle to the ball is normalised, so a heading near +-180 degrees does not
// push a ball straight ahead a whole turn away.
bool WorldModel::isBallKickable() {
    const Vector3f goal(-mFieldLength / 2.0f, 0, 0);
    const double a1 = std::atan2(goal.y() - mBallPos.y(), goal.x() - mBallPos.x());
    mBallPos.z() = 0.0f;
    const Vector3f me = getMyPos();
    const double a2 = std::atan2(mBallPos.y() - me.y(), mBallPos.x() - me.x());
    if (std::fabs(salt::gNormalizeDeg(salt::gRadToDeg(a2 - a1))) < 90.0) return false;

    const Vector3f t = translate(mSelf.getMyRelPos(TORSO));
    const double toBall = std::atan2(mBallPos.y() - t.y(), mBallPos.x() - t.x());
    const double delta = salt::gNormalizeDeg(salt::gRadToDeg(toBall) - getMyAngle());
    const double dist = horizontalDistance(mBallPos, t);
    return dist < 0.2 && std::fabs(salt::gDegToRad(delta)) < 0.7;
}
