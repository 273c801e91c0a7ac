#include "bench/match_scene.h"

#include <cmath>

#include "sparring/match/formation.h"
#include "sparring/world/joints.h"

namespace {

const char kOurTeam[] = "QEL";
const char kTheirTeam[] = "SPARRING";
const int kSelf = 5;

void placeTeam(sparring::World& world, sparring::Side side, const std::string& team,
               const std::map<int, sparring::Spot>& spots) {
    for (const auto& entry : spots) {
        sparring::Robot& robot = world.addRobot(side, entry.first, team);
        robot.beam(entry.second.x, entry.second.y, 0);
    }
}

// A standing robot with its head turned a little and its limbs slightly bent, so that
// joint readings have the digits of a real pose rather than zeros.
void bendJoints(sparring::KinematicRobot& robot, int seed) {
    for (int j = 0; j < sparring::kJointCount; ++j) {
        robot.setSpeed(j, std::sin(0.7 * j + seed) * 2.0);
    }
    robot.integrate(0.1);
    for (int j = 0; j < sparring::kJointCount; ++j) robot.setSpeed(j, 0);
}

}  // namespace

MatchScene::MatchScene(const std::string& formationPath, const Options& options)
    : writer_(options.vision) {
    const std::map<int, sparring::Spot> spots = sparring::readFormationSpots(formationPath);
    placeTeam(world_, sparring::Side::Left, kOurTeam, spots);
    placeTeam(world_, sparring::Side::Right, kTheirTeam, spots);
    // Extra opponents take the numbers after the formation's, on a grid over their half.
    for (int k = 0; k < options.extraRobots; ++k) {
        sparring::Robot& robot = world_.addRobot(sparring::Side::Right, 12 + k, kTheirTeam);
        robot.beam(-5.5 + (k % 10) * 1.1, -3.5 + (k / 10) * 0.9, 0);
    }
    int seed = 0;
    for (const auto& robot : world_.robots()) {
        bendJoints(static_cast<sparring::KinematicRobot&>(*robot), seed++);
    }
    world_.placeBall(0.8, -0.5);
    self_ = world_.find(sparring::Side::Left, kSelf);
    heard_.push_back({world_.find(sparring::Side::Left, 7), std::string(options.ourSay, 'o')});
    heard_.push_back({world_.find(sparring::Side::Right, 9), std::string(options.theirSay, 't')});
}

std::string MatchScene::greeting() const {
    return writer_.first(sparring::GameView());
}

std::string MatchScene::message(long cycle, sparring::PlayMode mode) {
    sparring::GameView game;
    game.cycle = cycle;
    game.now = static_cast<double>(cycle) * sparring::kCycleSeconds;
    game.gameTime = mode == sparring::PlayMode::PlayOn ? game.now : 0;
    game.mode = mode;
    return writer_.write(world_, *self_, game, heard_);
}
