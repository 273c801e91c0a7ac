#include "motion/skills/goto.h"

#include <algorithm>
#include <cmath>

namespace skills {

namespace {

constexpr double kRad = M_PI / 180;

// Shrinks a wish (forward, sideways, m/s) into the ellipse of the top speeds, keeping
// its direction.
void limit(const GoToParameters& p, double& forward, double& sideways) {
    const double fTop = forward >= 0 ? p.forward : p.backward;
    const double f = forward / fTop, s = sideways / p.sideways;
    const double size = std::hypot(f, s);
    if (size <= 1) return;
    forward /= size;
    sideways /= size;
}

}  // namespace

double wrapDegrees(double degrees) {
    double a = std::fmod(degrees, 360.0);
    if (a <= -180) a += 360;
    if (a > 180) a -= 360;
    return a;
}

GoTo::GoTo(const GoToParameters& p) : p_(p) {}

void GoTo::setTarget(const FieldPose& target) {
    target_ = target;
    arrived_ = false;
}

WalkCommand GoTo::step(const FieldPose& self) {
    const double dx = target_.x - self.x, dy = target_.y - self.y;
    const double distance = std::hypot(dx, dy);
    const double finalError = wrapDegrees(target_.heading - self.heading);
    if (arrived_)
        arrived_ = distance <= p_.leaveDistance && std::fabs(finalError) <= p_.leaveAngle;
    else
        arrived_ = distance <= p_.arriveDistance && std::fabs(finalError) <= p_.arriveAngle;
    if (arrived_) return {};

    // The heading to keep: towards the target far away, the final one near it.
    const double bearing = distance > 1e-6 ? std::atan2(dy, dx) / kRad : self.heading;
    const double w =
        std::clamp((distance - p_.faceFinal) / (p_.faceTarget - p_.faceFinal), 0.0, 1.0);
    const double wanted = target_.heading + w * wrapDegrees(bearing - target_.heading);
    const double turnError = wrapDegrees(wanted - self.heading);

    WalkCommand c;
    c.turn = p_.turn * std::clamp(turnError / p_.turnRamp, -1.0, 1.0);
    // The way to the target in the robot's frame, at a speed that falls near the target;
    // while the robot still has to turn far to face its way, it mostly turns.
    const double h = self.heading * kRad;
    const double ahead = std::cos(h) * dx + std::sin(h) * dy;
    const double left = -std::sin(h) * dx + std::cos(h) * dy;
    const double speed = std::max(p_.forward, p_.sideways) *
                         std::min(1.0, distance / p_.slowDistance) / std::max(distance, 1e-6);
    c.forward = ahead * speed;
    c.sideways = left * speed;
    const double facing = w * std::max(0.0, std::cos(turnError * kRad));
    const double keep = (1 - w) + facing;
    c.forward *= keep;
    c.sideways *= keep;
    limit(p_, c.forward, c.sideways);
    return c;
}

}  // namespace skills
