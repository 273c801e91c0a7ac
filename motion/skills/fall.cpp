#include "motion/skills/fall.h"

#include <algorithm>
#include <cmath>

#include "motion/skills/getup.h"

namespace skills {

using salt::Vector3f;

namespace {

// Gravity, m/s^2.
const float kGravity = 9.81f;

float footLoad(const Readings::Foot& foot) {
    return foot.touching ? std::fabs(foot.force.z()) : 0.0f;
}

float horizontalDistance(const Vector3f& a, const Vector3f& b) {
    const Vector3f d = a - b;
    return Vector3f(d.x(), d.y(), 0.0f).Length();
}

// The way of lying from the heights (metres) of the tips of the torso's forward and
// rightward axes, 2 m long, above the torso's origin.
int lyingOf(float forwardZ, float rightwardZ) {
    if (forwardZ > 0.5f) return kOnBack;
    if (forwardZ < -0.5f) return kOnFront;
    if (rightwardZ > 0.5f) return kOnLeft;
    if (rightwardZ < -0.5f) return kOnRight;
    return kLyingUnknown;
}

// Lying still: the accelerometer reads gravity alone (within 1 m/s^2) and the torso
// turns slower than 20 deg/s.
bool atRest(const Readings& now) {
    return now.accFresh && std::fabs(now.acc.Length() - kGravity) < 1.0f &&
           now.gyro.Length() < 20.0f;
}

}  // namespace

bool inFreeFall(const Readings& now) {
    const float kMost = 3.0f;  // m/s^2, under a third of gravity's 9.81
    return now.accFresh && now.acc.Length() < kMost;
}

// Sinking into a crouch or landing from a beam adds up to about 2 g along the up axis,
// so the reading may reach 30 m/s^2; under 6 the robot is nearly in free fall.
bool accelerometerUpright(const Readings& now) {
    const float kLeast = 6.0f, kMost = 30.0f;  // m/s^2
    const float kCosMost = 0.866f;             // cos 30 degrees
    if (!now.accFresh) return false;
    const float g = now.acc.Length();
    return g > kLeast && g < kMost && now.acc.z() > kCosMost * g;
}

// A robot lying face up looks at the sky and sees no landmark, so its camera pose stays
// the one fixed before the fall, upright, and the torso's axes read level: no class at
// all. While the camera has no current fix, a current reading that is mostly gravity
// tells where up is instead; at rest it reads up in the torso frame (9.81 m/s^2).
bool accelerometerUp(const Readings& now, const BodyFrame& body, Vector3f& up) {
    const float kLeast = 6.0f, kMost = 14.0f;  // m/s^2 around gravity's 9.81
    if (body.fixCurrent || !now.accFresh) return false;
    const float g = now.acc.Length();
    if (!(g > kLeast && g < kMost)) return false;
    up = now.acc / g;
    return true;
}

bool feltDown(const Readings& now, const BodyFrame& body) {
    const float zL = footLoad(now.feet[0]);
    const float zR = footLoad(now.feet[1]);
    if (!(zL > 8.0f) && !(zR > 8.0f)) return !inFreeFall(now);
    // A fix from noisy readings of landmarks that lie almost on one line (a goal line)
    // can be tens of degrees off and read a standing robot as fallen. A loaded foot
    // under a trunk that the accelerometer reads upright is not down.
    if (accelerometerUpright(now)) return false;
    const Vector3f foot = (zL > 10.0f && zR > 10.0f) ? (body.leftFoot + body.rightFoot) / 2.0f
                          : (zL > 8.0f)              ? body.leftFoot
                                                     : body.rightFoot;
    const float limit = (zL > 10.0f && zR > 10.0f) ? 0.2f : 0.15f;  // metres
    // Without a current fix the pose fixed before a fall is stale (upright); the
    // accelerometer's up then tells the horizontal distance in the torso-aligned frame.
    Vector3f up;
    if (accelerometerUp(now, body, up)) {
        const Vector3f d = body.com - foot;
        return (d - up * d.Dot(up)).Length() > limit;
    }
    // Through the neck as it stood at the camera's fix, so that a head turned since
    // (or turning now) does not tilt the body.
    return horizontalDistance(body.toField(body.com), body.toField(foot)) > limit;
}

std::optional<double> trunkTilt(const Readings& now) {
    if (!now.accFresh) return std::nullopt;
    const Vector3f g = now.accSteadyCount > 0 ? now.accSteady : now.acc;
    const double length = g.Length();
    // A mean under 3 m/s^2 (in the air, or shaken) tells no direction.
    if (!(length > 3.0)) return std::nullopt;
    return std::acos(std::clamp(g.z() / length, -1.0, 1.0)) * 180 / M_PI;
}

bool downWhileWalking(const Readings& now, const BodyFrame& body) {
    if (!feltDown(now, body)) return false;
    // Without a tilt to read, the agent's own reading stands.
    const std::optional<double> tilt = trunkTilt(now);
    return !tilt || *tilt > 40;
}

int wayOfLying(const Readings& reading, const BodyFrame& body) {
    // The way of lying goes by the accelerometer's mean over the last 0.1 s: the limbs
    // of a get-up shove the torso, and single readings read a robot lying on its front
    // as lying on a side or the back every third cycle or so.
    Readings now = reading;
    if (now.accSteadyCount > 0) now.acc = now.accSteady;
    Vector3f up;
    int lying = kLyingUnknown;
    if (accelerometerUp(now, body, up)) {
        lying = lyingOf(2.0f * up.x(), -2.0f * up.y());
    } else {
        const Vector3f origin = body.toField(Vector3f(0, 0, 0));
        lying = lyingOf((body.toField(Vector3f(2, 0, 0)) - origin).z(),
                        (body.toField(Vector3f(0, -2, 0)) - origin).z());
        // A camera fix from noisy sightings can tilt the torso's axes by tens of
        // degrees: a robot lying on its side read "on the back", and the back get-up
        // took over. At rest the accelerometer reads gravity in the torso frame, which
        // tells back, front and the sides apart without the camera: where both read a
        // way of lying and disagree, it decides.
        if (lying != kLyingUnknown && atRest(now)) {
            const Vector3f g = now.acc / now.acc.Length();
            const int felt = lyingOf(2.0f * g.x(), -2.0f * g.y());
            if (felt != kLyingUnknown) lying = felt;
        }
    }
    if (lying != kLyingUnknown) return lying;
    if (body.rightFoot.z() > -0.25f && body.leftFoot.z() > -0.25f) return kLyingOther;
    return kLyingUnknown;
}

}  // namespace skills
