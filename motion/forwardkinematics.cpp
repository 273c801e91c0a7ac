#include "motion/forwardkinematics.h"

#include "math/gmath.h"

namespace {

// Which local axis a link's joint turns about; AXIS_NONE for a fixed frame.
enum Axis { AXIS_NONE, AXIS_X, AXIS_Y, AXIS_Z };

// Fixed parts of the links, row by row (rows 0-2; row 3 is always 0 0 0 1),
// lengths in metres. 0.707 is the value the model was measured with, not
// 1/sqrt(2).
const float kS1[12] = {0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, -0.065f};
const float kS2[12] = {1, 0, 0, -0.09f, 0, 1, 0, 0, 0, 0, 1, 0};
const float kS3[12] = {0, 1, 0, -0.01f, -0.707f, 0, 0.707f, -0.055f, 0.707f, 0, 0.707f, -0.115f};
const float kS4[12] = {0.707f, 0.707f, 0, 0, 0, 0, 1, 0, 0.707f, -0.707f, 0, 0};
const float kS5[12] = {1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0};
const float kS6[12] = {1, 0, 0, -0.11f, 0, 1, 0, 0.01f, 0, 0, 1, 0};
const float kS7[12] = {1, 0, 0, -0.11f, 0, 1, 0, 0.04f, 0, 0, 1, 0};
const float kS8[12] = {1, 0, 0, 0, 0, 0, -1, 0, 0, -1, 0, 0};
const float kS9[12] = {1, 0, 0, -0.035f, 0, 1, 0, 0, 0, 0, 1, 0.03f};
const float kS10[12] = {0, 1, 0, -0.01f, 0.707f, 0, 0.707f, 0.055f, 0.707f, 0, -0.707f, -0.115f};

// One forward link: frame `to` relative to frame `from`, a turn of `joint`
// about `axis` followed by the fixed part.
struct Link {
    int from;
    int to;
    Axis axis;
    JointID joint;  // unused for AXIS_NONE
    const float* fixed;
};

const Link kLinks[] = {
    {BP_HEAD, BP_NECK, AXIS_Y, HJ1, kS1},      {BP_NECK, BP_TORSO, AXIS_X, HJ2, kS2},
    {BP_TORSO, BP_RHIP, AXIS_NONE, HJ1, kS3},  {BP_RHIP, BP_RHIP1, AXIS_Z, RLJ1, kS4},
    {BP_RHIP1, BP_RHIP2, AXIS_Z, RLJ2, kS5},   {BP_RHIP2, BP_RTHIGH, AXIS_Z, RLJ3, kS6},
    {BP_RTHIGH, BP_RSHANK, AXIS_Z, RLJ4, kS7}, {BP_RSHANK, BP_RANKLE, AXIS_Z, RLJ5, kS8},
    {BP_RANKLE, BP_RFOOT, AXIS_Z, RLJ6, kS9},  {BP_TORSO, BP_LHIP, AXIS_NONE, HJ1, kS10},
    {BP_LHIP, BP_LHIP1, AXIS_Z, LLJ1, kS4},    {BP_LHIP1, BP_LHIP2, AXIS_Z, LLJ2, kS5},
    {BP_LHIP2, BP_LTHIGH, AXIS_Z, LLJ3, kS6},  {BP_LTHIGH, BP_LSHANK, AXIS_Z, LLJ4, kS7},
    {BP_LSHANK, BP_LANKLE, AXIS_Z, LLJ5, kS8}, {BP_LANKLE, BP_LFOOT, AXIS_Z, LLJ6, kS9},
};

salt::Matrix fixedPart(const float* r) {
    salt::Matrix m;
    m.Set(r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7], r[8], r[9], r[10], r[11], 0, 0, 0, 1);
    return m;
}

salt::Matrix rotation(Axis axis, float a) {
    salt::Matrix m;
    switch (axis) {
        case AXIS_NONE:
            m.Identity();
            break;
        case AXIS_X:
            m.RotationX(a);
            break;
        case AXIS_Y:
            m.RotationY(a);
            break;
        case AXIS_Z:
            m.RotationZ(a);
            break;
    }
    return m;
}

bool inTable(int part) {
    return part >= 0 && part < ForwardKinematics::kSlots;
}

}  // namespace

void ForwardKinematics::setJoint(JointID j, double degrees) {
    // Joint numbers outside the 22 hinge joints name nothing to store.
    if (j < 0 || j >= kJointCount) return;
    mJoints[j] = -salt::gDegToRad(degrees);
}

void ForwardKinematics::setJoints(const double* degrees) {
    for (int j = 0; j < kJointCount; ++j) setJoint(static_cast<JointID>(j), degrees[j]);
}

void ForwardKinematics::fillMatrix() {
    for (int i = 0; i < kSlots; ++i) {
        for (int j = 0; j < kSlots; ++j) {
            if (i == j)
                link(i, j).Identity();
            else
                link(i, j).zero();
        }
    }
    for (const Link& l : kLinks) {
        // A fixed frame's rotation is the identity, which leaves its fixed part exact.
        link(l.from, l.to) =
            rotation(l.axis, static_cast<float>(mJoints[l.joint])) * fixedPart(l.fixed);
    }
    // Every link can be walked both ways.
    for (int j = 0; j < kSlots; ++j) {
        for (int k = 0; k < j; ++k) {
            if (!hasLink(link(k, j))) continue;
            salt::Matrix back = link(k, j);
            back.InvertMatrix();
            link(j, k) = back;
        }
    }
}

salt::Matrix ForwardKinematics::getTMatrix(BodyParts from, BodyParts to) {
    salt::Matrix none;
    none.zero();
    if (!inTable(from) || !inTable(to)) return none;
    fillMatrix();

    int level[kSlots] = {};
    bool done[kSlots] = {};
    salt::Matrix m[kSlots];
    for (salt::Matrix& each : m) each.zero();
    m[from].Identity();
    int current = from;
    for (;;) {
        done[current] = true;
        for (int j = 0; j < kSlots; ++j) {
            if (j == current || !hasLink(link(current, j))) continue;
            if (level[j] == 0 || level[current] + 1 < level[j]) {
                level[j] = level[current] + 1;
                m[j] = m[current] * link(current, j);
            }
        }
        int next = -1;
        int best = 9999;
        for (int j = 0; j < kSlots; ++j) {
            if (!done[j] && level[j] != 0 && level[j] < best) {
                best = level[j];
                next = j;
            }
        }
        if (next < 0) return m[to];
        current = next;
    }
}

salt::Vector3f ForwardKinematics::calcPos(BodyParts from, BodyParts to, salt::Vector3f v) {
    if (from != BP_HEAD) v = getTMatrix(from, BP_HEAD).Transform(v);
    return getTMatrix(BP_HEAD, to).Transform(v);
}

salt::Vector3f ForwardKinematics::rotate(BodyParts from, BodyParts to, salt::Vector3f v) {
    return getTMatrix(from, to).Rotate(v);
}
