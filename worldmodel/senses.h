#ifndef HALYX_WORLDMODEL_SENSES_H
#define HALYX_WORLDMODEL_SENSES_H

// The reading records that carry one perceptor value each.

#include "math/vector.h"

// One polar sighting from the vision perceptor, in the frame of the camera.
struct VisionSense {
    VisionSense() : distance(0.0f), theta(0.0f), phi(0.0f) {}
    VisionSense(float d, float t, float p) : distance(d), theta(t), phi(p) {}

    float distance;  // metres from the camera
    float theta;     // horizontal angle, degrees, counter-clockwise about z
    float phi;       // vertical angle, degrees, positive towards +z
};

// One foot-pressure reading.
struct FootRes {
    salt::Vector3f contact;  // point where the force acts, metres
    salt::Vector3f force;    // force vector, newtons
};

// One hinge-joint reading; the perceptor parser fills only the angle.
struct HingeJointSense {
    HingeJointSense() : angle(0.0f), rate(0.0f) {}

    float angle;  // degrees
    float rate;   // degrees/s
};

#endif
