#include "sparring/report/trace.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sparring {

std::string traceLine(double now, const Robot& robot) {
    // The camera is the torso turned by the neck: camera = torso * Rz(hj1) * Ry(-hj2).
    const Rot3 torso = robot.cameraToServer() * Rot3::aboutY(robot.angle(kHeadPitch)) *
                       Rot3::aboutZ(-robot.angle(kHeadYaw));
    const Vec3 up = torso.apply({0, 0, 1});
    const Vec3 forward = torso.apply({1, 0, 0});
    const Vec3 left = torso.apply({0, 1, 0});
    const double tilt = std::acos(std::clamp(up.z, -1.0, 1.0)) * 180.0 / M_PI;
    char buf[200];
    std::snprintf(buf, sizeof buf,
                  "%.2f %s %d %.3f %.3f %.1f %.3f %.1f %.2f %.2f %.0f %.0f %.0f %.0f\n", now,
                  sideName(robot.side()), robot.unum(), robot.x(), robot.y(), robot.heading(),
                  robot.cameraPosition().z, tilt, forward.z, left.z, robot.angle(LLJ3),
                  robot.angle(LLJ4), robot.angle(LLJ5), robot.angle(LAJ1));
    return buf;
}

std::string traceBallLine(double now, const Vec3& ball) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%.2f ball 0 %.3f %.3f\n", now, ball.x, ball.y);
    return buf;
}

const char* traceHeader() {
    return "# t side unum x y heading_deg camera_z tilt_deg forward_z left_z llj3 llj4 llj5 laj1\n"
           "# t ball 0 x y\n";
}

}  // namespace sparring
