#include "tests/motion/motion_fixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "worldmodel/types.h"
#include "worldmodel/worldmodel.h"

Actions* engine() {
    static Actions* instance = [] {
        Types::fill();
        ScopedWorkingDir team(std::string(HALYX_SOURCE_DIR) + "/team");
        return Actions::getInstance();
    }();
    return instance;
}

ScopedWorkingDir::ScopedWorkingDir(const std::string& dir) {
    char buf[4096];
    if (getcwd(buf, sizeof buf) == nullptr) throw std::runtime_error("getcwd failed");
    mPrevious = buf;
    if (chdir(dir.c_str()) != 0) throw std::runtime_error("cannot enter " + dir);
}

ScopedWorkingDir::~ScopedWorkingDir() {
    if (chdir(mPrevious.c_str()) != 0) ADD_FAILURE() << "cannot return to " << mPrevious;
}

TempActs::TempActs() {
    char pattern[] = "/tmp/halyx-acts-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    mDir = pattern;
    if (system(("mkdir -p " + mDir + "/Acts").c_str()) != 0) throw std::runtime_error("mkdir");
}

TempActs::~TempActs() {
    if (system(("rm -rf " + mDir).c_str()) != 0) ADD_FAILURE() << "cannot remove " << mDir;
}

void TempActs::write(const std::string& name, const std::string& content) const {
    std::ofstream out((mDir + "/Acts/" + name + ".txt").c_str(), std::ios::binary);
    out << content;
}

void TempActs::load(const std::string& name, Actions::Table& table) const {
    Actions* actions = engine();
    ScopedWorkingDir here(mDir);
    actions->fill(table, name);
}

void localise(const salt::Vector3f& pos, const salt::Vector3f& forward,
              const salt::Vector3f& left) {
    WorldModel* wm = WorldModel::getInstance();
    const salt::Vector3f up = forward.Cross(left);
    wm->setServerTime(wm->getServerTime() + 1);
    wm->initFlags();
    for (FlagsID id : {F1L, F2L, G1L, G2L}) {
        const salt::Vector3f d = wm->getFlagsGlobalPos(id) - pos;
        wm->setFlagsCameraPos(id, salt::Vector3f(forward.Dot(d), left.Dot(d), up.Dot(d)));
    }
    wm->globalize();
}

void forgetSightings() {
    WorldModel* wm = WorldModel::getInstance();
    wm->setServerTime(wm->getServerTime() + 1);
}

void setAllJoints(double degrees) {
    for (int j = 0; j < kJointCount; ++j) setJoint(static_cast<JointID>(j), degrees);
}

void setJoint(JointID joint, double degrees) {
    WorldModel::getInstance()->setMyJointAngle(joint, degrees);
}
