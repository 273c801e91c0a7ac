// The recorder in-process: what a recording of a long match costs, and that a page is
// written whatever the match brought.
#include "sparring/report/replay_recorder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sparring/world/kinematic/kinematic_world.h"
#include "tests/support/agent_process.h"

using namespace sparring;

namespace {

// Records `seconds` of a full team whose joints keep moving; returns the page's size.
std::uintmax_t recordMatch(const std::string& path, double seconds, int robots) {
    KinematicWorld world;
    for (int unum = 1; unum <= robots; ++unum) {
        KinematicRobot& r = world.addKinematicRobot(Side::Left, unum, "QEL");
        r.place(-unum * 0.5, 1, 0);
        for (int j = 0; j < kJointCount; ++j) r.setSpeed(j, (j % 2 ? 1 : -1) * 0.5);
    }
    ReplayRecorder recorder(path, {seconds, robots});
    const long cycles = static_cast<long>(seconds / kCycleSeconds);
    for (long c = 0; c <= cycles; ++c) {
        recorder.record(world, {c, "PlayOn", 0, 0});
        world.step(kCycleSeconds);
    }
    EXPECT_TRUE(recorder.finish());
    EXPECT_EQ(recorder.stride(), 2);
    return std::filesystem::file_size(path);
}

}  // namespace

TEST(ReplayRecorder, TenMinuteFullTeamMatchKeepsEverySecondCycleWithinTwentyMegabytes) {
    halyx_test::TempDir dir;
    const auto bytes = recordMatch(dir.path() + "/replay.html", 600, 9);
    EXPECT_LT(bytes, 20'000'000u);
    // Every second of the 30 001 cycles in base64: less would mean fewer frames kept.
    const double frames = 15001;
    EXPECT_GT(bytes, frames * ReplayRecorder::frameBytes(9) * 4 / 3);
}

TEST(ReplayRecorder, ShortMatchKeepsEveryCycleAndTheLastOneWhateverTheStride) {
    halyx_test::TempDir dir;
    const std::string path = dir.path() + "/replay.html";
    KinematicWorld world;
    world.addKinematicRobot(Side::Right, 3, "OPP");
    {
        ReplayRecorder recorder(path, {30, 9});
        for (long c = 0; c <= 1500; ++c) recorder.record(world, {c, "PlayOn", 0, 0});
        recorder.record(world, {1500, "GameOver", 0, 0});  // a cycle repeated is skipped
        EXPECT_EQ(recorder.stride(), 1);
        EXPECT_EQ(recorder.frames(), 1501);
    }
    {
        ReplayRecorder recorder(path, {600, 9});
        for (long c = 0; c <= 1001; ++c) recorder.record(world, {c, "PlayOn", 0, 0});
        EXPECT_EQ(recorder.stride(), 2);
        EXPECT_TRUE(recorder.finish());
        EXPECT_EQ(recorder.frames(), 502) << "cycles 0, 2, ..., 1000 and the last, 1001";
    }
}

TEST(ReplayRecorder, UnwritablePathIsRefusedAtOnce) {
    EXPECT_THROW(ReplayRecorder("/nonexistent-folder/replay.html", {}), std::runtime_error);
}
