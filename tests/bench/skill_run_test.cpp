// The skills laboratory's runner on the physical world: the agent's belief read through
// the perception text and the parser agrees with the truth, the server's fall rule and
// pushes work, and batches of processes come back in order whichever way they run.
#include "bench/lab/skill_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "bench/lab/hold_pose.h"
#include "bench/lab/job_runner.h"
#include "bench/lab/kick_tasks.h"
#include "sparring/world/physics/physics_robot.h"
#include "worldmodel/worldmodel.h"

using namespace lab;

TEST(SkillRun, TheAgentsBeliefFollowsTheTruthFromEveryStart) {
    // Each start faces at least three landmarks (the head stays still here), with the
    // match's low noise: the agent's localisation is then within 0.15 m.
    for (const Pose& start :
         {Pose{0, 0, 0}, Pose{-3, 2, 180}, Pose{2, -1, -135}, Pose{-1, 1, 30}}) {
        SCOPED_TRACE(std::to_string(start.x) + " " + std::to_string(start.heading));
        RunSettings s;
        s.start = start;
        s.vision = matchVision(false, 3);
        s.sweepHead = false;
        SkillRun run(s);
        HoldPose still;
        run.runFor(still, 1.0);
        EXPECT_NEAR(run.time(), 1.0, 1e-9);
        EXPECT_FALSE(run.down());
        ASSERT_TRUE(run.located());
        const Pose truth = run.truth(), belief = run.belief();
        EXPECT_NEAR(truth.x, start.x, 0.02);
        EXPECT_NEAR(truth.y, start.y, 0.02);
        EXPECT_NEAR(belief.x, truth.x, 0.2);
        EXPECT_NEAR(belief.y, truth.y, 0.2);
        EXPECT_NEAR(std::remainder(belief.heading - truth.heading, 360), 0, 5);
        // The skill's readings are the robot's joint angles as the message gives them.
        const skills::Readings r = run.worldModel().readings();
        for (int j = 0; j < kJointCount; ++j)
            EXPECT_NEAR(r.angles[j], run.robot().angle(j), 0.01) << j;
        EXPECT_TRUE(r.feet[0].touching && r.feet[1].touching);
    }
}

TEST(SkillRun, APushAtItsTimeFellsTheRobotOnceByTheServersRule) {
    SkillRun run(RunSettings{});
    run.schedule({0.5, -4, 0});
    HoldPose still;
    run.runFor(still, 0.48);
    EXPECT_FALSE(run.down());
    run.runFor(still, 2.5);
    EXPECT_TRUE(run.down());
    EXPECT_EQ(run.falls(), 1);
    EXPECT_LT(run.truth().x, -0.1) << "fell backwards, the way it was pushed";
}

TEST(JobRunner, OutputsComeBackInTheCommandsOrderHereAndThroughParallel) {
    std::vector<Command> commands;
    for (int i = 0; i < 5; ++i)
        commands.push_back({"sh", "-c",
                            "sleep 0.0" + std::to_string(5 - i) + "; echo \"job $0 it's\"",
                            std::to_string(i)});
    for (JobRunner runner :
         {JobRunner{2, false, ""}, JobRunner{1, false, ""}, JobRunner{2, true, ""}}) {
        SCOPED_TRACE(runner.parallel ? "parallel" : "here");
        const std::vector<std::string> out = runAll(commands, runner);
        ASSERT_EQ(out.size(), commands.size());
        for (int i = 0; i < 5; ++i) EXPECT_EQ(out[i], "job " + std::to_string(i) + " it's\n");
    }
}

TEST(JobRunner, AFailedCommandIsNamed) {
    const std::vector<Command> commands = {{"true"}, {"sh", "-c", "exit 3", "bad one"}};
    for (bool parallel : {false, true}) {
        try {
            runAll(commands, JobRunner{2, parallel, ""});
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(parallel ? "parallel" : "'exit 3'"),
                      std::string::npos)
                << e.what();
        }
    }
}

// The ball on the grass: set rolling it slows to rest without sinking or leaving the
// ground, further the faster it started.
TEST(KickLab, ARolledBallSlowsToRestOnTheGround) {
    Evaluation e;
    e.drawConstants = false;
    double before = 0;
    for (double speed : {1.0, 2.0, 3.0}) {
        SCOPED_TRACE(speed);
        const KickOutcome o = rollBall(e, speed);
        EXPECT_GT(o.distance, before + 0.5);
        EXPECT_LT(o.distance, 2.5 * speed);
        EXPECT_LT(o.seconds, 12) << "came to rest";
        EXPECT_GT(o.lowest, 0.039) << "sank into the ground";
        EXPECT_LT(o.topHeight, 0.041) << "left the ground";
        before = o.distance;
    }
}

// The team's kick with either foot, in worlds of other constants: the ball leaves ahead
// faster than a foot alone would push it and rolls on, and the robot stays up.
TEST(KickLab, TheTeamsKickSendsTheBallAheadWithEitherFoot) {
    const skills::KickParameters kick =
        skills::readKickParameters(std::string(HALYX_SOURCE_DIR) + "/team/kick.conf");
    const skills::WalkParameters walk =
        skills::readWalkParameters(std::string(HALYX_SOURCE_DIR) + "/team/walk.conf");
    for (unsigned seed : {5u, 6u}) {
        for (skills::Foot foot : {skills::Foot::Left, skills::Foot::Right}) {
            SCOPED_TRACE(std::to_string(seed) + (foot == skills::Foot::Left ? " left" : " right"));
            Evaluation e;
            e.seed = seed;
            e.pushEvery = 0;
            const KickOutcome o = runKick(kick, walk, e, foot, 0.01);
            EXPECT_EQ(o.falls, 0);
            EXPECT_GT(o.distance, 1.5);
            EXPECT_LT(std::fabs(o.direction), 15);
            EXPECT_GT(o.topSpeed, 1.2);
        }
    }
}

// The ball tasks as the agent plays them, read through the camera: a kick from 1.5 m
// towards a direction off the heading, and a dribble to a point 3 m on.
TEST(KickLab, KickAndDribbleThroughTheCameraEndDoneWithTheBallWhereAsked) {
    const skills::KickParameters kick =
        skills::readKickParameters(std::string(HALYX_SOURCE_DIR) + "/team/kick.conf");
    const skills::WalkParameters walk =
        skills::readWalkParameters(std::string(HALYX_SOURCE_DIR) + "/team/walk.conf");
    Evaluation e;
    e.drawConstants = false;
    e.pushEvery = 0;
    PlaySettings k;
    k.direction = 25;
    const PlayOutcome kicked = runPlay(kick, walk, e, {0, 0, 0}, 1.4, 0.4, k);
    EXPECT_EQ(kicked.end, "done");
    EXPECT_EQ(kicked.falls, 0);
    EXPECT_GT(kicked.travel, 1.5);
    EXPECT_NEAR(kicked.direction, 25, 12);

    PlaySettings d;
    d.kick = false;
    d.targetX = 3;
    d.targetY = 0.5;
    d.seconds = 40;
    const PlayOutcome dribbled = runPlay(kick, walk, e, {-1, 0, 0}, 0, 0, d);
    EXPECT_EQ(dribbled.end, "done");
    EXPECT_EQ(dribbled.falls, 0);
    EXPECT_LT(std::hypot(dribbled.ballX - 3, dribbled.ballY - 0.5), 0.8);
}
