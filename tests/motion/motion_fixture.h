#ifndef HALYX_TESTS_MOTION_FIXTURE_H
#define HALYX_TESTS_MOTION_FIXTURE_H

// Shared set-up of the motion tests: the engine singleton read from the
// shipped team folder, real keyframe files in temporary folders, and joint
// angles written into the world model.

#include <string>

#include "motion/actions.h"

// The engine, created on first use with the team folder as working directory
// (so it reads the shipped motion files) and the joint names filled in.
Actions* engine();

// Makes a directory the working directory for the lifetime of the object.
class ScopedWorkingDir {
public:
    explicit ScopedWorkingDir(const std::string& dir);
    ~ScopedWorkingDir();

private:
    std::string mPrevious;
};

// A fresh temporary folder with an Acts/ folder below it, removed afterwards.
class TempActs {
public:
    TempActs();
    ~TempActs();
    const std::string& dir() const { return mDir; }
    // Writes Acts/<name>.txt with exactly this content.
    void write(const std::string& name, const std::string& content) const;
    // Loads Acts/<name>.txt into the table with the engine's loader.
    void load(const std::string& name, Actions::Table& table) const;

private:
    std::string mDir;
};

// Fixes the camera pose in the world model the way the agent does: the four
// landmarks of the own goal line are reported as a camera at `pos` (field
// metres) with its forward and left axes along the given field directions
// would see them, at a new server time, and the world model localises.
void localise(const salt::Vector3f& pos, const salt::Vector3f& forward, const salt::Vector3f& left);
// Makes every landmark and the ball old news by advancing the server time.
void forgetSightings();

// Sets every joint angle in the world model (degrees).
void setAllJoints(double degrees);
void setJoint(JointID joint, double degrees);

#endif
