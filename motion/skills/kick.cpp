#include "motion/skills/kick.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

#include "motion/skills/leg_ik.h"
#include "motion/skills/parameter_file.h"

namespace skills {

namespace {

constexpr double kCycle = 0.02;  // seconds
constexpr double kDeg = M_PI / 180;
constexpr double kHipHalfWidth = 0.055;  // metres from the hips' middle to each hip point
constexpr double kHalfFoot = 0.08;       // metres from the sole's centre to its toe
constexpr double kBallRadius = 0.04;     // metres

const JointID kLegBase[2] = {LLJ1, RLJ1};

double smooth(double s) {
    return 0.5 - 0.5 * std::cos(M_PI * std::clamp(s, 0.0, 1.0));
}

// Where the plan has the hips (sideways) and the kicking sole (ahead, up), metres, for a
// kick with the left foot; the right foot's is its mirror.
struct Plan {
    double hipsLeft = 0, ahead = 0, up = 0;
    double toeDown = 0;    // degrees the sole pitches toe down
    double hipsAhead = 0;  // metres the hips stand ahead of the standing foot
    double toesIn = 0;     // degrees the kicking sole turns its toes inwards
    double lean = 0;       // degrees the torso leans forward beyond torsoLean
    // In the swing: its share done, to move the leg's joints evenly from the drawn back
    // pose to the swing's end (-1 elsewhere).
    double swing = -1;
};

Plan lerp(const Plan& a, const Plan& b, double s) {
    return {a.hipsLeft + (b.hipsLeft - a.hipsLeft) * s,
            a.ahead + (b.ahead - a.ahead) * s,
            a.up + (b.up - a.up) * s,
            a.toeDown + (b.toeDown - a.toeDown) * s,
            a.hipsAhead + (b.hipsAhead - a.hipsAhead) * s,
            a.toesIn + (b.toesIn - a.toesIn) * s,
            a.lean + (b.lean - a.lean) * s};
}

// The swing's two ends: the sole drawn back and raised, and where it ends.
Plan drawnBack(const KickParameters& p) {
    return {-p.shift, -p.drawBack, p.lift, p.backPitch, 0, p.backTurn};
}
Plan swungThrough(const KickParameters& p) {
    return {-p.shift, p.reach, p.kickHeight, p.throughPitch, p.lunge, 0, p.swingLean};
}

// The plan at `t` seconds from the start; `finished` once the last phase is over.
Plan planAt(const KickParameters& p, double t, bool& finished) {
    const Plan stance{0, 0, 0};
    const Plan over{-p.shift, 0, 0};
    const Plan back = drawnBack(p);
    const Plan through = swungThrough(p);
    const Plan above{-p.shift, 0, p.lift};
    struct Phase {
        double seconds;
        Plan to;
        bool linear;  // the swing keeps its speed through the ball
    };
    const Phase phases[] = {{p.shiftTime, over, false},   {p.liftTime, back, false},
                            {p.swingTime, through, true}, {p.returnTime, above, false},
                            {p.lowerTime, over, false},   {p.settleTime, stance, false}};
    Plan from = stance;
    for (const Phase& ph : phases) {
        if (t < ph.seconds) {
            finished = false;
            const double s = t / std::max(ph.seconds, kCycle);
            Plan at = lerp(from, ph.to, ph.linear ? s : smooth(s));
            if (ph.linear) at.swing = s;
            return at;
        }
        t -= ph.seconds;
        from = ph.to;
    }
    finished = true;
    return stance;
}

}  // namespace

const std::vector<KickParameters::Entry>& KickParameters::entries() {
    using K = KickParameters;
    static const std::vector<Entry> list = {
        {"hipHeight", &K::hipHeight, 0.15, 0.26},
        {"footSpread", &K::footSpread, 0.07, 0.16},
        {"torsoLean", &K::torsoLean, -20, 30},
        {"shift", &K::shift, 0, 0.1},
        {"lift", &K::lift, 0, 0.12},
        {"drawBack", &K::drawBack, 0, 0.15},
        {"reach", &K::reach, 0, 0.35},
        {"kickHeight", &K::kickHeight, 0, 0.1},
        {"backPitch", &K::backPitch, -60, 60},
        {"throughPitch", &K::throughPitch, -60, 60},
        {"jointSwing", &K::jointSwing, 0, 1},
        {"lunge", &K::lunge, -0.05, 0.1},
        {"backTurn", &K::backTurn, -45, 45},
        {"swingLean", &K::swingLean, -20, 30},
        {"ballGap", &K::ballGap, -0.03, 0.15},
        {"shiftTime", &K::shiftTime, 0.1, 2},
        {"liftTime", &K::liftTime, 0.05, 1},
        {"swingTime", &K::swingTime, 0.02, 0.5},
        {"returnTime", &K::returnTime, 0.05, 1},
        {"lowerTime", &K::lowerTime, 0.05, 1},
        {"settleTime", &K::settleTime, 0.05, 2},
        {"supportRoll", &K::supportRoll, -15, 15},
        {"gyroRoll", &K::gyroRoll, -1, 1},
        {"gyroPitch", &K::gyroPitch, -1, 1},
        {"aimLeft", &K::aimLeft, -45, 45},
        {"aimRight", &K::aimRight, -45, 45},
        {"readingLag", &K::readingLag, 0, 2},
        {"servoGain", &K::servoGain, 0, 1},
    };
    return list;
}

// The entry of a name; throws std::out_of_range for an unknown one.
static const KickParameters::Entry& entryNamed(const std::string& name) {
    for (const KickParameters::Entry& e : KickParameters::entries())
        if (name == e.name) return e;
    throw std::out_of_range("no kick parameter is named '" + name + "'");
}

void KickParameters::set(const std::string& name, double value) {
    this->*entryNamed(name).member = value;
}

double KickParameters::get(const std::string& name) const {
    return this->*entryNamed(name).member;
}

KickParameters readKickParameters(const std::string& path) {
    KickParameters p;
    readParameterFile(
        path, "kick",
        [](const std::string& name) -> std::optional<ParameterRange> {
            try {
                const KickParameters::Entry& e = entryNamed(name);
                return ParameterRange{e.low, e.high};
            } catch (const std::out_of_range&) {
                return std::nullopt;
            }
        },
        [&p](const std::string& name, double value) { p.set(name, value); });
    return p;
}

void writeKickParameters(const KickParameters& p, const std::string& path) {
    std::ofstream out(path);
    out.precision(10);
    for (const auto& e : KickParameters::entries()) out << e.name << " " << p.*e.member << "\n";
    if (!out) throw std::runtime_error(path + ": cannot write the kick parameters");
}

void Kick::start(Foot foot) {
    mFoot = foot;
    mClock = 0;
    mDone = false;
    mFresh = true;
}

bool Kick::swung() const {
    return mClock >= mP.shiftTime + mP.liftTime;
}

void Kick::ballSpot(const KickParameters& p, Foot foot, double& ahead, double& left) {
    ahead = kHalfFoot + kBallRadius + p.ballGap;
    left = (foot == Foot::Left ? 0.5 : -0.5) * p.footSpread;
}

namespace {

// The leg's angles (degrees, LegAngles order) that put the hips and the sole where the
// plan has them, for a kick with the foot on `side` (1 left, -1 right).
LegAngles planAngles(const KickParameters& p, const Plan& plan, double side, int leg) {
    const double legSide = leg == 0 ? 1 : -1;
    const bool kicking = legSide == side;
    // The standing leg leans the torso by the swing's lean; the kicking leg keeps its
    // place under the torso and turns with it.
    const Rot3d torso = rotY((p.torsoLean + (kicking ? 0 : plan.lean)) * kDeg);
    const Vec3d offset = torso.apply({0, legSide * kHipHalfWidth, 0});
    const Vec3d hip{offset.x + plan.hipsAhead, side * plan.hipsLeft + offset.y,
                    p.hipHeight + offset.z};
    const Vec3d sole{kicking ? plan.ahead : 0, legSide * p.footSpread / 2, kicking ? plan.up : 0};
    FootPose target;
    target.position = torso.applyInverse({sole.x - hip.x, sole.y - hip.y, sole.z - hip.z});
    target.rotation =
        kicking ? torso.transposed() * rotZ(-side * plan.toesIn * kDeg) * rotY(plan.toeDown * kDeg)
                : torso.transposed();
    return legInverse(leg == 0 ? Leg::Left : Leg::Right, target).angles;
}

}  // namespace

JointSpeeds Kick::step(const Readings& now) {
    if (mDone) return JointSpeeds::allStop();
    if (mFresh) {
        mStartPose = now.angles;
        mServo.start(now);
        mFresh = false;
    }
    mClock += kCycle;
    bool finished = false;
    const Plan plan = planAt(mP, mClock, finished);
    const double side = mFoot == Foot::Left ? 1 : -1;  // the kicking foot's side
    std::array<double, kJointCount> next = mStartPose;
    for (int leg = 0; leg < 2; ++leg) {
        const bool kicking = (leg == 0 ? 1 : -1) == side;
        LegAngles a = planAngles(mP, plan, side, leg);
        if (kicking && plan.swing >= 0 && mP.jointSwing > 0) {
            const LegAngles from = planAngles(mP, drawnBack(mP), side, leg);
            const LegAngles to = planAngles(mP, swungThrough(mP), side, leg);
            for (int k = 0; k < 6; ++k)
                a[k] += mP.jointSwing * (from[k] + (to[k] - from[k]) * plan.swing - a[k]);
        }
        if (!kicking) {
            // The standing ankle: a set roll outward and the gyroscope's damping.
            a[5] += side * mP.supportRoll + mP.gyroRoll * now.gyro.x();
            a[4] += mP.gyroPitch * now.gyro.y();
        }
        const Leg which = leg == 0 ? Leg::Left : Leg::Right;
        for (int k = 0; k < 6; ++k)
            next[kLegBase[leg] + 2 * k] =
                std::clamp(a[k], legJointMin(which, k), legJointMax(which, k));
    }
    // From the pose the kick found into its plan, over the shift.
    const double k = smooth(mClock / std::max(mP.shiftTime, kCycle));
    for (int j = 0; j < kJointCount; ++j) next[j] = mStartPose[j] + (next[j] - mStartPose[j]) * k;
    if (finished) mDone = true;
    return mServo.towards(next, now);
}

}  // namespace skills
