#ifndef HALYX_TESTS_WORLDMODEL_SCENE_H
#define HALYX_TESTS_WORLDMODEL_SCENE_H

// Builds what the server would report to a camera standing at a known field pose,
// so that localisation and the queries can be checked against that pose.

#include <initializer_list>

#include "math/geometry.h"
#include "math/matrix.h"
#include "worldmodel/worldmodel.h"

namespace scene {

// A camera pose on the field: position (metres) and camera-to-field rotation.
struct Pose {
    salt::Vector3f position;
    salt::Matrix rotation;

    // Level camera turned by heading degrees about z, then pitched by pitch
    // degrees about its own y axis (positive pitch looks down), then rolled by
    // roll degrees about its own x axis (positive roll lifts the left side).
    static Pose at(float x, float y, float z, double heading, double pitch = 0.0,
                   double roll = 0.0) {
        Pose p;
        p.position = salt::Vector3f(x, y, z);
        p.rotation.RotationZ(static_cast<float>(salt::gDegToRad(heading)));
        p.rotation.RotateY(static_cast<float>(salt::gDegToRad(pitch)));
        p.rotation.RotateX(static_cast<float>(salt::gDegToRad(roll)));
        return p;
    }

    // A field point as the camera sees it.
    salt::Vector3f toCamera(const salt::Vector3f& field) const {
        salt::Matrix inverse = rotation;
        inverse.Pos() = salt::Vector3f(0, 0, 0);
        inverse.InvertRotationMatrix();
        return inverse.Rotate(field - position);
    }

    salt::Vector3f toField(const salt::Vector3f& camera) const {
        return rotation.Rotate(camera) + position;
    }
};

// Reports the given landmarks as seen now, as polar readings.
inline void seeLandmarks(WorldModel& wm, const Pose& pose, std::initializer_list<FlagsID> ids) {
    wm.initFlags();
    for (FlagsID id : ids) {
        wm.setRelFlagPos(id, CartecianToPolar(pose.toCamera(wm.getFlagsGlobalPos(id))));
    }
}

// One cycle at the given time: landmarks seen, then the pose fixed.
inline void localise(WorldModel& wm, double time, const Pose& pose,
                     std::initializer_list<FlagsID> ids) {
    wm.setServerTime(time);
    seeLandmarks(wm, pose, ids);
    wm.globalize();
}

inline void expectNear(const salt::Vector3f& v, const salt::Vector3f& e, float tol) {
    EXPECT_NEAR(v.x(), e.x(), tol);
    EXPECT_NEAR(v.y(), e.y(), tol);
    EXPECT_NEAR(v.z(), e.z(), tol);
}

}  // namespace scene

#endif
