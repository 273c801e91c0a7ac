// Self-localisation: the camera's field pose from landmark triples of one goal
// line, then the seen players and the ball moved into the field frame.

#include <cmath>

#include "worldmodel/worldmodel.h"

using salt::Vector3f;

namespace {
// A direction rounded down to 1/quantum of its length; with quantum 0, the
// direction as read.
Vector3f quantised(const Vector3f& v, float quantum) {
    if (quantum == 0.0f) return v.Normalized();
    Vector3f u = v.Normalized() * quantum;
    for (int i = 0; i < 3; ++i) u[i] = std::trunc(u[i]);
    return u;
}

bool finite(const Vector3f& v) {
    return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z());
}

bool finite(const salt::Matrix& m) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!std::isfinite(m.El(r, c))) return false;
    return true;
}
}  // namespace

bool WorldModel::isUsableTriple(int q, int r, int s) {
    const bool sameLine = (q % 2 == r % 2) && (r % 2 == s % 2);
    const bool hasFlag = q <= F2R;  // q is the smallest
    const bool hasPost = s >= G1L;  // s is the largest
    return sameLine && hasFlag && hasPost;
}

void WorldModel::globalize() {
    initDimentions();
    initFlags();
    fixCameraPose();
    updateSelf();
    placePlayers(mOurPlayers);
    placePlayers(mOppPlayers);
    placeBall();
    updateHeading();
}

// Every usable triple gives three estimates of the camera position, one from
// each landmark; all are pooled. Without a usable triple the last pose stays.
void WorldModel::fixCameraPose() {
    bool seen[kFlagCount];
    for (int k = 0; k < kFlagCount; ++k) seen[k] = (mFlagTimeSeen[k] == mServerTime);
    const Vector3f* C = mFlagCameraPos;
    const Vector3f* G = mFlagGlobalPos;

    Vector3f sum(0, 0, 0);
    int counter = 0;
    for (int q = 0; q < kFlagCount; ++q) {
        if (!seen[q]) continue;
        for (int r = q + 1; r < kFlagCount; ++r) {
            if (!seen[r]) continue;
            for (int s = r + 1; s < kFlagCount; ++s) {
                if (!seen[s] || !isUsableTriple(q, r, s)) continue;
                // The pair of one kind runs along the goal line; the third
                // landmark gives the plane of the goal line.
                const bool flagPair = r <= F2R;
                const int p0 = flagPair ? q : r, p1 = flagPair ? r : s;
                const Vector3f gp = G[p0] - G[p1], go = G[q] - G[s];
                const float quantum = mField->directionQuantum;
                Vector3f up = quantised(C[p0] - C[p1], quantum);
                const Vector3f uo = quantised(C[q] - C[s], quantum);
                Vector3f n = uo.Cross(up);
                if (go.Cross(gp).x() < 0) n = -n;
                // Rows of the look-at rotation: the field's -x and -y axes seen
                // from the camera. The pair points along -y on the right side.
                n = -n;
                up = -up;
                if (mTeamSide == SIDE_RIGHT) up = -up;
                // Two landmarks read at one spot (a distance of 0, say) leave
                // no direction: such a triple gives no estimate, so that one
                // degenerate reading cannot turn the pose into NaN.
                const int order[3] = {s, q, r};
                for (int k : order) {
                    salt::Matrix look = mCameraMatrix;
                    look.LookAt(C[k], n, up);
                    const Vector3f estimate = G[k] - look.Pos();
                    if (!finite(estimate) || !finite(look)) continue;
                    mCameraMatrix = look;
                    sum += estimate;
                    ++counter;
                }
            }
        }
    }
    if (counter == 0) return;
    mSelf.setMyPos(sum / static_cast<float>(counter));
    mFixNeckYaw = getMyJointAngle(HJ1);
    mFixNeckPitch = getMyJointAngle(HJ2);
    mCameraFixTime = mServerTime;
    mCameraFixed = true;
}

// A record whose two latest sightings share one server time keeps its velocity
// (no division by zero).
void WorldModel::placePlayers(Player* players) {
    for (int i = 0; i < playerNo; ++i) {
        Player& p = players[i];
        if (p.getTimeSeen() != mServerTime) continue;
        const Vector3f pos = translate(p.getRelPos(HEAD));
        const float dt = static_cast<float>(p.getTimeDiff());
        if (dt != 0.0f) p.setVel((pos - p.getPos(HEAD)) / dt);
        p.setPos(pos);
    }
}

void WorldModel::placeBall() {
    if (mBallTimeSeen != mServerTime) return;
    const Vector3f pos = translate(mBallRelPos);
    const float dt = static_cast<float>(mBallTimeSeen - mBallTimePrevSeen);
    if (dt != 0.0f) mBallVel = (pos - mBallPos) / dt;
    mBallPos = pos;
}

// Heading from the camera's forward axis on the field. The vertical angle is
// measured against dx alone, so a level camera facing -x reads +-180.
void WorldModel::updateHeading() {
    const Vector3f head = mSelf.getMyPos(HEAD);
    const Vector3f f = translate(Vector3f(1, 0, 0));
    const double dx = static_cast<double>(f.x()) - head.x();
    const double dy = static_cast<double>(f.y()) - head.y();
    const double dz = static_cast<double>(f.z()) - head.z();
    mSelf.setMyAngle(salt::gRadToDeg(std::atan2(dy, dx)));
    mSelf.setMyPhiAngle(salt::gRadToDeg(std::atan2(dz, dx)));
}
