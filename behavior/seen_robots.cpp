#include "behavior/seen_robots.h"

void SeenRobots::see(bool teammate, int slot, const salt::Vector3f& head,
                     const salt::Vector3f& rightFoot, const salt::Vector3f& leftFoot,
                     const skills::Readings& readings, const salt::Vector3f& up,
                     const skills::FieldPose& self, double now) {
    if (slot < 0 || slot >= 11) return;
    const auto place = [&](const salt::Vector3f& seen) {
        return skills::onField(skills::groundFromCamera(seen, readings, up), self);
    };
    Sighting& s = (teammate ? mOurs : mTheirs)[static_cast<std::size_t>(slot)];
    s.head = place(head);
    s.rightFoot = place(rightFoot);
    s.leftFoot = place(leftFoot);
    s.lying = skills::heightFromCamera(head, readings, up) < kLyingHead;
    s.at = now;
}

std::vector<FieldPoint> SeenRobots::heads(const Team& team, double now) {
    std::vector<FieldPoint> out;
    for (const Sighting& s : team)
        if (lately(s, now)) out.push_back(s.head);
    return out;
}

std::vector<FieldPoint> SeenRobots::lyingBodies(double now) const {
    std::vector<FieldPoint> out;
    for (const Team* team : {&mOurs, &mTheirs}) {
        for (const Sighting& s : *team) {
            if (!lately(s, now) || !s.lying) continue;
            for (const FieldPoint& foot : {s.rightFoot, s.leftFoot}) {
                out.push_back(foot);
                out.push_back({(foot.x + s.head.x) / 2, (foot.y + s.head.y) / 2});
            }
        }
    }
    return out;
}
