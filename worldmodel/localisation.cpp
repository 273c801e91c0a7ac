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
    // With an accelerometer reading that is not near 1 g (the robot pushed, kicking,
    // falling) no fix is better than one from the landmarks alone; messages without
    // an accelerometer (older servers) leave the landmarks alone to fix the pose.
    if (mField->verticalFromAccelerometer && mAccTime == mServerTime) {
        fixCameraPoseFromVertical(seen);
        return;
    }
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
    if (counter == 0) {
        // Facing a goal line from near it, or a touch line, three landmarks of one goal
        // line are rarely in view at once: without a triple two landmarks and the
        // accelerometer's vertical still fix the camera, where the player asks for it.
        if (mVerticalFallback && mAccTime == mServerTime) fixCameraPoseFromVertical(seen);
        return;
    }
    setCameraFix(sum / static_cast<float>(counter));
}

void WorldModel::setCameraFix(const Vector3f& position) {
    mSelf.setMyPos(position);
    mFixNeckYaw = getMyJointAngle(HJ1);
    mFixNeckPitch = getMyJointAngle(HJ2);
    mCameraFixTime = mServerTime;
    mCameraFixed = true;
}

// With the field's up direction known in the camera frame, the horizontal part of
// every pair of landmarks turns the camera about the vertical: the heading is the
// mean of their turns, weighted by their distance apart on the field; every
// landmark then gives the camera's position.
bool WorldModel::fixCameraPoseFromVertical(const bool* seen) {
    Vector3f zc;
    if (!cameraUp(zc)) return false;
    // Two horizontal axes of the camera frame: e1 x e2 = zc.
    const Vector3f helper = std::fabs(zc.x()) < 0.9f ? Vector3f(1, 0, 0) : Vector3f(0, 1, 0);
    const Vector3f e1 = (helper - zc * helper.Dot(zc)).Normalized();
    const Vector3f e2 = zc.Cross(e1);
    const Vector3f* C = mFlagCameraPos;
    const Vector3f* G = mFlagGlobalPos;
    const float kShortest = 0.5f;  // metres apart on the field, for a pair to count
    double sumCos = 0, sumSin = 0;
    for (int a = 0; a < kFlagCount; ++a) {
        for (int b = a + 1; b < kFlagCount; ++b) {
            if (!seen[a] || !seen[b]) continue;
            const Vector3f g = G[a] - G[b], c = C[a] - C[b];
            const double field = std::atan2(g.y(), g.x());
            const double camera = std::atan2(c.Dot(e2), c.Dot(e1));
            const double weight = std::hypot(g.x(), g.y());
            if (!(weight > kShortest) || !std::isfinite(camera)) continue;
            sumCos += weight * std::cos(field - camera);
            sumSin += weight * std::sin(field - camera);
        }
    }
    if (sumCos == 0 && sumSin == 0) return false;
    // A camera vector (u, v) along (e1, e2) lies on the field turned by theta.
    const double theta = std::atan2(sumSin, sumCos);
    const float c = static_cast<float>(std::cos(theta)), s = static_cast<float>(std::sin(theta));
    const Vector3f xc = e1 * c - e2 * s, yc = e1 * s + e2 * c;
    Vector3f sum(0, 0, 0);
    int counter = 0;
    salt::Matrix look = mCameraMatrix;
    for (int k = 0; k < kFlagCount; ++k) {
        if (!seen[k]) continue;
        look.LookAt(C[k], -xc, -yc);  // rows: the field's -x and -y seen from the camera
        const Vector3f estimate = G[k] - look.Pos();
        if (!finite(estimate) || !finite(look)) continue;
        sum += estimate;
        ++counter;
    }
    if (counter == 0) return false;
    mCameraMatrix = look;
    setCameraFix(sum / static_cast<float>(counter));
    return true;
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
