#include "bench/lab/ball_view.h"

#include <cmath>
#include <cstdio>

#include "sparring/world/physics/physics_robot.h"

namespace lab {

void BallView::Sums::add(double a, double l) {
    ++n;
    ahead += a;
    left += l;
    ahead2 += a * a;
    left2 += l * l;
}

std::string BallView::Sums::line(const char* name) const {
    char buf[200];
    if (n == 0) {
        std::snprintf(buf, sizeof buf, "%-24s none\n", name);
        return buf;
    }
    std::snprintf(buf, sizeof buf,
                  "%-24s n %5d mean ahead %6.3f left %6.3f  rms ahead %6.3f left %6.3f m\n", name,
                  n, ahead / n, left / n, std::sqrt(ahead2 / n), std::sqrt(left2 / n));
    return buf;
}

int BallView::range(double distance) {
    if (distance < 0.4) return 0;
    if (distance >= 0.5 && distance <= 2) return 1;
    return -1;
}

void BallView::record(SkillRun& run, const skills::Ground* sighting, const skills::Ground& tracked,
                      bool walking, const char* state) {
    const sparring::Vec3 b = run.ball();
    const Pose t = run.truth();
    const double h = t.heading * M_PI / 180, dx = b.x - t.x, dy = b.y - t.y;
    const skills::Ground truth{std::cos(h) * dx + std::sin(h) * dy,
                               -std::sin(h) * dx + std::cos(h) * dy};
    const int r = range(std::hypot(truth.ahead, truth.left));
    const int w = walking ? 1 : 0;
    if (r >= 0) {
        tracked_[r][w].add(tracked.ahead - truth.ahead, tracked.left - truth.left);
        if (sighting != nullptr)
            sighted_[r][w].add(sighting->ahead - truth.ahead, sighting->left - truth.left);
    }
    if (!print_) return;
    const sparring::Rot3 torso = run.robot().torsoToServer();
    std::printf("%6.2f %-8s truth %6.3f %6.3f tracked %6.3f %6.3f", run.time(), state, truth.ahead,
                truth.left, tracked.ahead, tracked.left);
    if (sighting != nullptr)
        std::printf(" seen %6.3f %6.3f", sighting->ahead, sighting->left);
    else
        std::printf(" seen      -      -");
    // The torso's forward and left axes' heights (their tilt), and the neck's angles.
    std::printf(" forward_z %6.3f left_z %6.3f neck %6.1f %6.1f\n", torso.m[2][0], torso.m[2][1],
                run.robot().angle(HJ1), run.robot().angle(HJ2));
}

std::string BallView::summary() const {
    static const char* const kNames[2][2] = {{"feet standing", "feet walking"},
                                             {"0.5-2 m standing", "0.5-2 m walking"}};
    std::string s;
    for (int r = 0; r < 2; ++r)
        for (int w = 0; w < 2; ++w)
            s += sighted_[r][w].line((std::string("sighting ") + kNames[r][w]).c_str()) +
                 tracked_[r][w].line((std::string("tracked  ") + kNames[r][w]).c_str());
    return s;
}

}  // namespace lab
