#include "motion/actions.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "motion/numberformat.h"
#include "motion/skills/keyframes.h"
#include "worldmodel/worldmodel.h"

Actions* Actions::ACS = nullptr;

namespace {

// The effector names of the 22 joints, in JointID order.
const char* const kEffectorNames[kJointCount] = {
    "he1",  "he2",  "lle1", "rle1", "lle2", "rle2", "lle3", "rle3", "lle4", "rle4", "lle5",
    "rle5", "lle6", "rle6", "lae1", "rae1", "lae2", "rae2", "lae3", "rae3", "lae4", "rae4"};

bool finite3(const salt::Vector3f& v) {
    return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z());
}

// The server reads a say message as one bare word, so only printable bytes that
// the reader takes as they are keep the command stream intact: not the space and
// the parentheses, and not the bytes that start something else in the message
// grammar either: a double-quoted text ("), a quote ('), an escape (\), a
// comment (;) or, where the reader takes inline binary data, a binary atom (#).
bool safeMessage(const std::string& message) {
    if (message.empty()) return false;
    for (char ch : message) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7f || std::strchr("()\"'\\;#", c) != nullptr) return false;
    }
    return true;
}

}  // namespace

const char* activityName(Action act) {
    switch (act) {
        case ACT_NONE:
            return "none";
        case ACT_GETUP:
            return "getup";
        case ACT_GETUP_FRONT:
            return "getup-front";
        case ACT_GETUP_LEFT:
            return "getup-left";
        case ACT_GETUP_2:
            return "getup-2";
        case ACT_GETUP_RIGHT:
            return "getup-right";
        case ACT_GETUP_ROLL_BACK:
            return "getup-roll-back";
        case ACT_GUARD:
            return "guard";
        case ACT_WALK:
            return "walk";
        case ACT_BALL:
            return "ball";
        case ACT_HEAD_SCAN:
            return "head-scan";
    }
    return "?";
}

Actions* Actions::getInstance() {
    if (ACS == nullptr) ACS = new Actions();
    return ACS;
}

Actions::Actions() {
    mWM = WorldModel::getInstance();
    for (int j = 0; j < kJointCount; ++j) mEffectorNames[j] = kEffectorNames[j];
    mCurAct = ACT_NONE;
    if (!skills::readKeyframeFile("./Acts/guard.txt", mGuard)) mMissing.push_back("Acts/guard.txt");
    if (!skills::readKeyframeFile("./Acts/walk.txt", mWalk)) mMissing.push_back("Acts/walk.txt");
    mGetUp = skills::GetUp(readGetUps());
}

skills::GetUp::Motions Actions::readGetUps() {
    skills::GetUp::Motions m;
    if (!skills::readKeyframeFile("./Acts/getUp.txt", m.back)) mMissing.push_back("Acts/getUp.txt");
    skills::readKeyframeFile("./Acts/getUpFront.txt", m.front);
    skills::readKeyframeFile("./Acts/getUpLeft.txt", m.left);
    skills::readKeyframeFile("./Acts/getUpRight.txt", m.right);
    return m;
}

bool Actions::setCurAct(Action act) {
    mCurAct = act;
    return true;
}

std::string Actions::init() {
    std::ostringstream out;
    out << "(init (unum " << mWM->getUnum() << ")(teamname " << mWM->getTeamName() << "))";
    return out.str();
}

std::string Actions::beam(const salt::Vector3f& pos) {
    // A "nan" or "inf" on the wire would place the robot nowhere.
    if (!finite3(pos)) return "";
    std::ostringstream out;
    out << "(beam " << pos.x() << " " << pos.y() << " " << pos.z() << ")";
    return out.str();
}

std::string Actions::say(const std::string& message) {
    // Inserted unquoted, so a byte that ends, splits or reopens the word would
    // corrupt the rest of the reply: such a message is refused.
    if (!safeMessage(message)) return "";
    return "(say " + message + ")";
}

std::string Actions::moveJoint(JointID joint, double value) {
    if (joint < 0 || joint >= kJointCount || !std::isfinite(value)) return "";
    // "%g" is the stream's default format (six significant digits), written without
    // building a stream for each of the 22 joints of a cycle; the command is put
    // together in place and copied into its string once.
    char number[32];
    const size_t length = static_cast<size_t>(formatGeneral(value, number, sizeof number));
    const std::string& name = mEffectorNames[joint];
    char command[64];
    if (name.size() + length + 3 > sizeof command) return "(" + name + " " + number + ")";
    size_t n = 0;
    command[n++] = '(';
    std::memcpy(command + n, name.data(), name.size());
    n += name.size();
    command[n++] = ' ';
    std::memcpy(command + n, number, length);
    n += length;
    command[n++] = ')';
    return std::string(command, n);
}

std::string Actions::moveJointTo(JointID joint, double target, double& speed) {
    if (joint < 0 || joint >= kJointCount) {
        speed = 0;
        return "";
    }
    double current = mWM->getMyJointAngle(joint);
    // The server can send any text as an angle: an unknown angle sends nothing
    // rather than a step computed from garbage.
    if (!std::isfinite(current) || !std::isfinite(target)) {
        speed = 0;
        return "";
    }
    speed = std::fabs(speed);
    double d = target - current;
    if (d < 0) speed = -speed;
    if (std::fabs(speed) > std::fabs(d)) speed = d;  // the last step lands on the target
    return moveJoint(joint, speed);
}

std::string Actions::moveOrHold(JointID joint, double target, double speed, double hold) {
    std::string command = moveJointTo(joint, target, speed);
    if (command.empty()) return command;
    if (std::fabs(speed) < hold) return moveJoint(joint, 0);
    return command;
}

std::string Actions::stop() {
    std::string commands;
    for (int j = 0; j < kJointCount; ++j) commands += moveJoint(static_cast<JointID>(j), 0);
    return commands;
}

std::string Actions::initState() {
    mCurAct = ACT_NONE;
    std::string commands;
    for (int j = 0; j < kJointCount; ++j) commands += moveOrHold(static_cast<JointID>(j), 0, 6, 1);
    return commands;
}
