// Questions about the current situation, answered from the stored readings and
// the estimates of localisation and the body model.

#include <cmath>

#include "math/geometry.h"
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

// The server leaves the foot reading out for a foot that touches nothing, and
// the store keeps the last one: a reading that did not come with the current
// message (its stamp is not the present server time) counts as no load, or a
// lifted foot would go on counting as loaded and a robot whose feet had both
// been loaded once could never read as fallen.
float WorldModel::footLoad(const FootRes& res, double stamp) const {
    return stamp == mServerTime ? std::fabs(res.force.z()) : 0.0f;
}

// A robot dropped onto its feet (a beam sets it down from a little above the
// ground) has no foot reading in the message of that cycle and its
// accelerometer reads free fall (about 0 m/s^2): it is in the air, not lying,
// and a get-up started then throws a standing robot over.
bool WorldModel::inFreeFall() const {
    const float kMost = 3.0f;  // m/s^2, under a third of gravity's 9.81
    return mAccTime == mServerTime && mAcc.Length() < kMost;
}

// The accelerometer of this message reads gravity along the trunk's own up axis
// (within 30 degrees): the trunk stands, whatever the camera's fix says. Sinking
// into a crouch or landing from a beam adds up to about 2 g along that axis, so
// the reading may reach 30 m/s^2; under 6 the robot is nearly in free fall.
bool WorldModel::accelerometerUpright() const {
    const float kLeast = 6.0f, kMost = 30.0f;  // m/s^2
    const float kCosMost = 0.866f;             // cos 30 degrees
    if (mAccTime != mServerTime) return false;
    const float g = mAcc.Length();
    return g > kLeast && g < kMost && mAcc.z() > kCosMost * g;
}

bool WorldModel::isFeltDown() {
    const float zL = footLoad(mLeftFootForce, mLeftFootTime);
    const float zR = footLoad(mRightFootForce, mRightFootTime);
    if (!(zL > 8.0f) && !(zR > 8.0f)) return !inFreeFall();
    // A fix from noisy readings of landmarks that lie almost on one line (a goal
    // line) can be tens of degrees off: with 0.5 degree and 1 % of noise, fixes
    // put standing robots' cameras metres above the grass and tilted, and every
    // field player read as fallen and threw itself over with a get-up. A loaded
    // foot under a trunk that the accelerometer reads upright is not down.
    if (accelerometerUpright()) return false;
    const Vector3f com = mSelf.getCOM();
    const Vector3f left = mSelf.getMyRelPos(LFOOT);
    const Vector3f right = mSelf.getMyRelPos(RFOOT);
    const Vector3f foot = (zL > 10.0f && zR > 10.0f) ? (left + right) / 2.0f
                          : (zL > 8.0f)              ? left
                                                     : right;
    const float limit = (zL > 10.0f && zR > 10.0f) ? 0.2f : 0.15f;  // metres
    // Without a current fix the pose fixed before a fall is stale (upright): a
    // robot lying face up with its heels on the ground read as standing until a
    // heel came off the ground, a third of a second and more. The accelerometer's
    // up then tells the horizontal distance in the torso-aligned frame itself.
    Vector3f up;
    if (accelerometerUp(up)) {
        const Vector3f d = com - foot;
        return (d - up * d.Dot(up)).Length() > limit;
    }
    // The centre of mass and the feet are torso-aligned: they reach the field
    // through the neck as every body point does, or a turned head would tilt
    // them (with the head pitched 45 degrees an upright robot read as fallen).
    // The neck is taken as it stood at the camera's fix, so that a head turning
    // while no landmarks are in view does not tilt them either.
    return horizontalDistance(bodyToField(com), bodyToField(foot)) > limit;
}

// A robot lying face up looks at the sky and sees no landmark, so its camera
// pose stays the one fixed before the fall, upright, and the torso's axes read
// level: no class at all. While the camera has no current fix, a current
// accelerometer reading that is mostly gravity tells where up is instead; at
// rest it reads up in the torso frame (9.81 m/s^2).
bool WorldModel::accelerometerUp(Vector3f& up) const {
    const float kLeast = 6.0f, kMost = 14.0f;  // m/s^2 around gravity's 9.81
    if (mCameraFixTime >= mServerTime - kRecent - kTimeSlack || mAccTime != mServerTime) {
        return false;
    }
    const float g = mAcc.Length();
    if (!(g > kLeast && g < kMost)) return false;
    up = mAcc / g;
    return true;
}

int WorldModel::feltType() {
    // Heights (metres) of the tips of the torso's forward and rightward axes, 2 m
    // long, above the torso's origin.
    float forwardZ = 0.0f, rightwardZ = 0.0f;
    Vector3f up;
    if (accelerometerUp(up)) {
        forwardZ = 2.0f * up.x();
        rightwardZ = -2.0f * up.y();
    } else {
        // Through the neck as it stood at the camera's fix, as the fall test does:
        // with the current neck angles a head turning since the fix (a head scan,
        // or a get-up driving the head back to 0) turned the torso's axes with it,
        // and a robot lying on its side read as lying on its back for a cycle or
        // two, long enough for the back get-up to take over.
        const Vector3f origin = bodyToField(Vector3f(0, 0, 0));
        forwardZ = (bodyToField(Vector3f(2, 0, 0)) - origin).z();
        rightwardZ = (bodyToField(Vector3f(0, -2, 0)) - origin).z();
    }
    if (forwardZ > 0.5f) return 1;
    if (forwardZ < -0.5f) return 4;
    if (rightwardZ > 0.5f) return 2;
    if (rightwardZ < -0.5f) return 3;
    if (mSelf.getMyRelPos(RFOOT).z() > -0.25f && mSelf.getMyRelPos(LFOOT).z() > -0.25f) return 5;
    return 0;
}

int WorldModel::getFeltType() {
    return isFeltDown() ? feltType() : 0;
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
