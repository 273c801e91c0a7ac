#ifndef HALYX_BEHAVIOR_SEEN_ROBOTS_H
#define HALYX_BEHAVIOR_SEEN_ROBOTS_H

#include <array>
#include <vector>

#include "math/vector.h"
#include "motion/skills/ball_track.h"
#include "motion/skills/goto.h"
#include "motion/skills/readings.h"

using skills::FieldPoint;

// Where the other robots stood when the camera last saw them, placed on the field by the
// body's own pose as the ball is placed: through the neck from the torso, then by the
// pose the walk carries on between landmark fixes. While the head follows the ball the
// landmarks drop out of view for seconds, and a robot placed by the last fix's camera
// would stand up to a metre from where the ball, placed by the walk's pose, says it does:
// a taker would steer round an opponent that is not there, a supporter walk into one that
// lies where it was not placed.
class SeenRobots {
public:
    // How long (seconds) a sighting counts.
    static constexpr double kLately = 1.0;
    // A robot whose head is seen lower than this (metres above the ground) lies.
    static constexpr double kLyingHead = 0.3;

    // The parts of one robot as the camera saw them at `now` (metres, camera frame), with
    // the neck's angles in `readings`, the torso's `up` (as the ball's sighting takes it)
    // and the body's pose `self`. `slot` 0..10 within its team; others are ignored.
    void see(bool teammate, int slot, const salt::Vector3f& head, const salt::Vector3f& rightFoot,
             const salt::Vector3f& leftFoot, const skills::Readings& readings,
             const salt::Vector3f& up, const skills::FieldPose& self, double now);

    // The heads of the robots of one side seen lately.
    std::vector<FieldPoint> teammates(double now) const { return heads(mOurs, now); }
    std::vector<FieldPoint> opponents(double now) const { return heads(mTheirs, now); }
    // Points along the bodies of the robots seen lying lately, of both sides: each foot
    // and the middle between it and the head (a lying body reaches half a metre from its
    // head, and a robot that steers round the head alone walks into its legs).
    std::vector<FieldPoint> lyingBodies(double now) const;

private:
    struct Sighting {
        FieldPoint head, rightFoot, leftFoot;
        bool lying = false;
        double at = -1;  // server time, seconds; -1: never
    };
    using Team = std::array<Sighting, 11>;
    static std::vector<FieldPoint> heads(const Team& team, double now);
    static bool lately(const Sighting& s, double now) { return s.at >= 0 && now - s.at <= kLately; }

    Team mOurs{}, mTheirs{};
};

#endif
