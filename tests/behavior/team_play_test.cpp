#include "behavior/team_play.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "tests/behavior/team_view.h"

namespace {

const double kDegrees = 180.0 / 3.14159265358979;
using team_view::at;
using team_view::seeing;

const FieldGeometry& field = designField();

// The point where a kick from `from` in `direction` degrees crosses the opponents' goal line.
double acrossGoalLine(FieldPoint from, double direction) {
    return from.y + (field.length / 2 - from.x) * std::tan(direction / kDegrees);
}

double distance(FieldPoint a, FieldPoint b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

std::string message(int unum, double ballTime, const std::string& team = "QEL") {
    TeamMessage m;
    m.unum = unum;
    m.ballSeen = true;
    m.ballTime = ballTime;
    return encodeTeamMessage(m, team);
}

}  // namespace

TEST(Situation, PlayModesReadFromTheTeamsOwnSide) {
    struct Case {
        const char* mode;
        bool left;
        Situation expected;
    } const cases[] = {
        {"PlayOn", true, Situation::PlayOn},
        {"BeforeKickOff", false, Situation::Stopped},
        {"KickOff_Left", true, Situation::OwnKickOff},
        {"KickOff_Left", false, Situation::TheirKickOff},
        {"KickOff_Right", false, Situation::OwnKickOff},
        {"KickIn_Right", true, Situation::TheirSetPlay},
        {"corner_kick_left", true, Situation::OwnSetPlay},
        {"goal_kick_right", false, Situation::OwnSetPlay},
        {"free_kick_left", false, Situation::TheirSetPlay},
        {"direct_free_kick_right", true, Situation::TheirSetPlay},
        {"offside_left", true, Situation::TheirSetPlay},  // called against the left
        {"offside_left", false, Situation::OwnSetPlay},
        {"Goal_Left", true, Situation::Stopped},
        {"GameOver", true, Situation::Stopped},
        {"penalty_kick_left", true, Situation::Stopped},  // unknown: stand
        {"KickIn_Middle", true, Situation::Stopped},
        {"", true, Situation::Stopped},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + (c.left ? " left" : " right"));
        EXPECT_EQ(readSituation(c.mode, c.left), c.expected);
    }
}

TEST(Situation, BeamsOnlyBeforeKickOffAndAfterGoals) {
    for (const char* mode : {"BeforeKickOff", "Goal_Left", "Goal_Right"})
        EXPECT_TRUE(beamAllowed(mode)) << mode;
    for (const char* mode : {"PlayOn", "corner_kick_left", "KickIn_Right", "GameOver", ""})
        EXPECT_FALSE(beamAllowed(mode)) << mode;
}

TEST(Situation, TheKickOffAfterAModeIsTheFirstHalfsSidesOrTheConcedingSides) {
    struct Case {
        const char* mode;
        bool left;
        double gameTime;
        bool own;
    } const cases[] = {
        {"BeforeKickOff", true, 0, true},    {"BeforeKickOff", false, 0, false},
        {"BeforeKickOff", false, 300, true}, {"Goal_Left", true, 50, false},
        {"Goal_Left", false, 50, true},      {"Goal_Right", true, 50, true},
        {"PlayOn", true, 50, false},         {"KickOff_Left", true, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + (c.left ? " left " : " right ") +
                     std::to_string(c.gameTime));
        EXPECT_EQ(ownKickOffNext(c.mode, c.left, c.gameTime), c.own);
    }
}

// The kick-off taker is beamed behind the centre spot before the team's own kick-offs
// only; it kicks the ball towards their goal through the gap in their line.
TEST(TeamPlay, KickOffTakerStandsAtTheBallAndKicksThroughTheGap) {
    TeamPlay taker(9, field, {-2.2, 0}, "QEL");
    taker.takeKickOffs();
    const TeamPlay other(7, field, {-1.6, 2.2}, "QEL");
    // The ball 0.15 m ahead and 0.05 m to the right of the body, for a kick that goes 3
    // degrees left of the heading: the pose puts the centre spot there.
    const FieldPoint atFoot{0.15, -0.05};
    const skills::FieldPose placed = taker.beamPose(true, atFoot, 3);
    const double h = placed.heading / kDegrees;
    EXPECT_NEAR(std::cos(h) * -placed.x + std::sin(h) * -placed.y, atFoot.x, 1e-9);
    EXPECT_NEAR(-std::sin(h) * -placed.x + std::cos(h) * -placed.y, atFoot.y, 1e-9);
    EXPECT_NEAR(placed.heading + 3, TeamPlay::kKickOffDirection, 1e-9);
    EXPECT_LT(placed.x, 0);  // in the own half
    EXPECT_DOUBLE_EQ(taker.beamPose(false, atFoot, 3).x, -2.2);
    EXPECT_DOUBLE_EQ(other.beamPose(true, atFoot, 3).x, -1.6);

    TeamView v = at(-0.2, 0);
    v.situation = Situation::Stopped;
    EXPECT_EQ(taker.decide(v).kind, Intent::Kind::Look);  // the ball lies below the view
    EXPECT_EQ(TeamPlay(other).decide(v).kind, Intent::Kind::Stand);
    v = seeing(v, 0, 0);
    v.situation = Situation::OwnKickOff;
    v.opponents = {{1.3, 0}, {1.2, 0.5}, {1.2, -1.2}};  // at their circle's edge
    const Intent i = taker.decide(v);
    ASSERT_EQ(i.kind, Intent::Kind::Kick);
    EXPECT_STREQ(i.why, "kick-off");
    EXPECT_LT(std::fabs(i.direction), 60);  // towards their half
    const double a = i.direction / kDegrees;
    for (const FieldPoint& o : v.opponents) {
        const double along = o.x * std::cos(a) + o.y * std::sin(a);
        const double off = std::fabs(-o.x * std::sin(a) + o.y * std::cos(a));
        EXPECT_TRUE(along < 0 || off > 0.45) << o.x << " " << o.y;
    }
    // Play goes on before the kick: the kick-off's kick is kept, as long as the ball waits.
    v.situation = Situation::PlayOn;
    v.opponents.push_back({0.5, 0.3});
    v.now += 1;
    EXPECT_STREQ(taker.decide(v).why, "kick-off");
    v.now += 4;
    EXPECT_STRNE(taker.decide(v).why, "kick-off");
}

TEST(TeamPlay, TakerShootsIntoTheGoalMouthPastAnOpponentOnTheMiddleLine) {
    const FieldPoint ball{3.5, 0.3};
    struct Case {
        const char* what;
        std::vector<FieldPoint> opponents;
    } const cases[] = {
        {"open goal", {}},
        {"goalkeeper in the middle", {{5.5, 0.2}}},
        {"a defender on the middle line", {{4.5, -0.1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TeamPlay play(9, field, {-2.2, 0}, "QEL");
        TeamView v = seeing(at(3.0, 0.3), ball.x, ball.y);
        v.opponents = c.opponents;
        const Intent i = play.decide(v);
        ASSERT_EQ(i.kind, Intent::Kind::Kick);
        EXPECT_STREQ(i.why, "shoot");
        EXPECT_LT(std::fabs(acrossGoalLine(ball, i.direction)), field.goalWidth / 2);
        for (const FieldPoint& o : c.opponents) {
            // The opponent stands off the kick's line by more than a robot's half width.
            const double a = i.direction / kDegrees;
            const double off =
                std::fabs(-(o.x - ball.x) * std::sin(a) + (o.y - ball.y) * std::cos(a));
            EXPECT_GT(off, 0.3);
        }
    }
}

// The shot passes the goalkeeper (seen, or where a goalkeeper would stand) on the side
// nearest the way the robot comes to the ball, and the kick up the field turns that way
// as far as it still gains ground, so that the kick's approach walks the least way round
// the ball.
TEST(TeamPlay, KicksTurnTowardsTheWayTheRobotComesToTheBall) {
    const double aimMost = 0.3 * field.goalWidth + 0.01;  // metres either way of the middle
    const FieldPoint keeperLeft{5.5, 0.4};
    struct Case {
        const char* what;
        FieldPoint self, ball;
        std::vector<FieldPoint> opponents;
        const char* why;
        double least, most;  // where the kick crosses the goal line (shots), or its direction
    } const cases[] = {
        // Unseen, a goalkeeper stands in the middle: the shot goes to one side of it.
        {"shot, from straight behind", {2.5, 0}, {3.5, 0}, {}, "shoot", -aimMost, aimMost},
        {"shot, from the left", {3.3, 0.8}, {3.5, 0}, {}, "shoot", -aimMost, -0.3},
        {"shot, from the right", {3.3, -0.8}, {3.5, 0}, {}, "shoot", 0.3, aimMost},
        {"shot, from beyond the ball", {4.0, 0.5}, {3.5, 0}, {}, "shoot", -aimMost, aimMost},
        {"shot, from the right past a goalkeeper to the left",
         {3.3, -0.8},
         {3.5, 0},
         {keeperLeft},
         "shoot",
         -aimMost,
         0.01},
        {"up the field, from the left", {-0.5, 0.5}, {0, 0}, {}, "advance", -25.01, -20},
        {"up the field, from the right", {-0.5, -0.5}, {0, 0}, {}, "advance", 20, 25.01},
        {"up the field, from behind", {-0.5, 0}, {0, 0}, {}, "advance", -0.01, 0.01},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TeamPlay play(9, field, {-2.2, 0}, "QEL");
        TeamView v = seeing(at(c.self.x, c.self.y), c.ball.x, c.ball.y);
        v.opponents = c.opponents;
        const Intent i = play.decide(v);
        ASSERT_EQ(i.kind, Intent::Kind::Kick);
        EXPECT_STREQ(i.why, c.why);
        const double got =
            std::string(c.why) == "shoot" ? acrossGoalLine(c.ball, i.direction) : i.direction;
        EXPECT_GE(got, c.least);
        EXPECT_LE(got, c.most);
        if (std::string(c.why) == "shoot" && c.opponents.empty()) {
            EXPECT_GT(std::fabs(got), 0.3);
        }
    }
}

TEST(TeamPlay, ShotOnceChosenIsKeptWhenOpponentsCloseEveryLine) {
    TeamPlay play(9, field, {-2.2, 0}, "QEL");
    TeamView v = seeing(at(2.5, 0), 3.0, 0);
    const Intent first = play.decide(v);
    ASSERT_EQ(first.kind, Intent::Kind::Kick);
    v.opponents = {{4.0, 0}, {4.0, 0.3}, {4.0, -0.3}};
    v.now += 0.5;
    const Intent later = play.decide(v);
    EXPECT_EQ(later.kind, Intent::Kind::Kick);
    EXPECT_DOUBLE_EQ(later.direction, first.direction);
}

TEST(TeamPlay, FarFromGoalAnUncontestedBallIsKickedUpTheField) {
    TeamPlay play(9, field, {-2.2, 0}, "QEL");
    TeamView v = seeing(at(-0.3, 0), 0, 0);
    v.opponents = {{3.5, 2.0}};  // far from the ball and off the way
    const Intent i = play.decide(v);
    ASSERT_EQ(i.kind, Intent::Kind::Kick);
    EXPECT_STREQ(i.why, "advance");
    EXPECT_LT(std::fabs(i.direction), 10);
}

// An opponent near the ball: no time for a kick's approach, so the taker dribbles, along
// a way that no opponent blocks, or the one with the most room when all are blocked.
TEST(TeamPlay, FarFromGoalAContestedBallIsDribbledAroundWhoeverStandsAhead) {
    struct Case {
        const char* what;
        std::vector<FieldPoint> opponents;
        double room;  // metres at least between an opponent and the first metre of the way
    } const cases[] = {
        {"one a metre ahead", {{1.0, 0}}, 0.5},
        {"two ahead", {{1.0, 0.2}, {1.2, -0.4}}, 0.5},
        {"one at the ball, on its far side", {{0.25, 0.05}}, 0.2},
    };
    const FieldPoint ball{0, 0};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TeamPlay play(9, field, {-2.2, 0}, "QEL");
        TeamView v = seeing(at(-0.3, 0), ball.x, ball.y);
        v.opponents = c.opponents;
        const Intent i = play.decide(v);
        ASSERT_EQ(i.kind, Intent::Kind::Dribble);
        EXPECT_GT(i.point.x, ball.x);  // towards the opponents' goal
        EXPECT_LT(std::fabs(i.point.y), field.width / 2);
        const double len = distance(ball, i.point);
        const FieldPoint next{ball.x + (i.point.x - ball.x) / len,
                              ball.y + (i.point.y - ball.y) / len};
        for (const FieldPoint& o : c.opponents) {
            for (double t = 0.3; t <= 1.0; t += 0.1)
                EXPECT_GT(
                    distance(o, {ball.x + t * (next.x - ball.x), ball.y + t * (next.y - ball.y)}),
                    c.room);
        }
    }
}

// In front of the mouth and near the line the ball is walked over it, past defenders
// standing at the posts; beside the mouth it is still a shot.
TEST(TeamPlay, BallInFrontOfTheMouthIsWalkedInBesideItIsShot) {
    const double line = field.length / 2;
    struct Case {
        FieldPoint ball;
        bool walkedIn;
    } const cases[] = {
        {{line - 0.4, 0.2}, true},
        {{line - 1.0, -0.5}, true},
        {{line - 0.4, field.goalWidth / 2 + 0.8}, false},
        {{line - 2.5, 0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.ball.x) + " " + std::to_string(c.ball.y));
        TeamPlay play(9, field, {-2.2, 0}, "QEL");
        TeamView v = seeing(at(c.ball.x - 0.5, c.ball.y), c.ball.x, c.ball.y);
        v.opponents = {{line - 0.05, 0.6}, {line - 0.05, -0.6}};
        const Intent i = play.decide(v);
        if (c.walkedIn) {
            ASSERT_EQ(i.kind, Intent::Kind::Dribble);
            EXPECT_STREQ(i.why, "finish");
            EXPECT_GT(i.point.x, line);
            EXPECT_LT(std::fabs(i.point.y), field.goalWidth / 2);
        } else {
            EXPECT_STRNE(i.why, "finish");
        }
    }
    // The distance measures the robot, not the field: on the league's field too.
    const FieldGeometry& league = leagueField();
    for (const double off : {1.0, 2.0}) {
        TeamPlay play(9, league, {-5, 0}, "QEL");
        const double x = league.length / 2 - off;
        const Intent i = play.decide(seeing(at(x - 0.5, 0.2), x, 0.2));
        EXPECT_EQ(std::string(i.why) == "finish", off < 1.2) << off << " m from the line";
    }
}

// A new plan starts the ball skill's approach again: a ball estimate wandering a little
// over a boundary, or an opponent glimpsed for a moment, does not switch the plan, while
// a ball clearly over the boundary, or a reason that lasts, does.
TEST(TeamPlay, TakersPlanHoldsAgainstFlickerButNotAgainstALastingChange) {
    const double line = field.length / 2, clearFrom = -line + field.penaltyDepth + 2.0;
    struct Case {
        const char* what;
        FieldPoint first, then;  // the ball
        std::vector<FieldPoint> firstOpponents, thenOpponents;
        double after;  // seconds between the two decisions
        const char *firstWhy, *thenWhy;
    } const cases[] = {
        {"finish, ball 0.2 m further out",
         {line - 1.1, 0},
         {line - 1.4, 0},
         {},
         {},
         0.1,
         "finish",
         "finish"},
        {"finish, ball 1 m further out",
         {line - 1.1, 0},
         {line - 2.1, 0},
         {},
         {},
         0.1,
         "finish",
         "shoot"},
        {"clear, ball 0.2 m further up",
         {clearFrom - 0.1, 1},
         {clearFrom + 0.1, 1},
         {},
         {},
         0.1,
         "clear",
         "clear"},
        {"clear, ball 1 m further up",
         {clearFrom - 0.1, 1},
         {clearFrom + 0.9, 1},
         {},
         {},
         0.1,
         "clear",
         "advance"},
        {"advance, opponent glimpsed", {0, 0}, {0, 0}, {}, {{0.8, 0.3}}, 0.3, "advance", "advance"},
        {"advance, opponent stays", {0, 0}, {0, 0}, {}, {{0.8, 0.3}}, 1.5, "advance", "dribble"},
        {"dribble, opponent lost from view",
         {0, 0},
         {0, 0},
         {{0.8, 0.3}},
         {},
         0.3,
         "dribble",
         "dribble"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TeamPlay play(9, field, {-2.2, 0}, "QEL");
        TeamView v = seeing(at(c.first.x - 0.4, c.first.y), c.first.x, c.first.y);
        v.opponents = c.firstOpponents;
        ASSERT_STREQ(play.decide(v).why, c.firstWhy);
        v = seeing(at(c.then.x - 0.4, c.then.y), c.then.x, c.then.y);
        v.now += c.after;
        v.opponents = c.thenOpponents;
        EXPECT_STREQ(play.decide(v).why, c.thenWhy);
    }
}

TEST(TeamPlay, NearTheOwnGoalTheTakerClearsTowardsTheNearerTouchLine) {
    for (const double y : {1.0, -1.0}) {
        TeamPlay play(2, field, {-4.5, 1.5}, "QEL");
        const Intent i = play.decide(seeing(at(-4.0, y), -3.8, y));
        ASSERT_EQ(i.kind, Intent::Kind::Kick);
        EXPECT_STREQ(i.why, "clear");
        EXPECT_LT(std::fabs(i.direction), 90);
        EXPECT_GT(i.direction * y, 0);
    }
}

TEST(TeamPlay, QuickerTeammateTakesTheBallAndTheOtherTeamIsNotHeard) {
    TeamPlay play(7, field, {-1.6, 2.2}, "QEL");
    const TeamView v = seeing(at(-1.0, 1.0), 1.0, 0.0);  // about 3.7 s away
    play.hear(message(8, 12.0, "Other"), 9.9);           // theirs, quicker: not heard
    play.hear("*garbled-text-", 9.9);
    play.hear("", 9.9);
    EXPECT_NE(play.decide(v).kind, Intent::Kind::GoTo);
    play.hear(message(8, 1.0), 9.9);
    EXPECT_EQ(play.decide(v).kind, Intent::Kind::GoTo);
    EXPECT_FALSE(play.taking());
}

TEST(TeamPlay, SupportersKeepTheirDistanceAsTheSituationAsks) {
    struct Case {
        const char* what;
        Situation situation;
        FieldPoint ball;
        double keep;  // metres from the ball at least
    } const cases[] = {
        {"play on", Situation::PlayOn, {-2.0, 0.5}, 0.99},
        {"their kick-in", Situation::TheirSetPlay, {-3.0, 2.8}, 1.49},
        {"their kick-off", Situation::TheirKickOff, {0, 0}, field.centreRadius},
    };
    for (int unum = 2; unum <= 9; ++unum) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " player " + std::to_string(unum));
            TeamPlay play(unum, field, {-3.2, 0}, "QEL");
            play.hear(message(unum == 2 ? 3 : 2, 0.0), 9.9);  // someone else takes it
            TeamView v = seeing(at(-3.0, 0.0), c.ball.x, c.ball.y);
            v.situation = c.situation;
            const Intent i = play.decide(v);
            ASSERT_EQ(i.kind, Intent::Kind::GoTo);
            const FieldPoint spot{i.target.x, i.target.y};
            EXPECT_GE(distance(spot, c.ball), c.keep);
            EXPECT_FALSE(inPenaltyArea(field, spot, 0));
            if (c.situation == Situation::TheirKickOff) {
                EXPECT_LT(spot.x, 0);
            }
        }
    }
}

TEST(TeamPlay, SupporterWithoutTheBallInViewUsesWhatATeammateSaw) {
    TeamPlay play(4, field, {-3.2, 2.8}, "QEL");
    TeamMessage m;
    m.unum = 9;
    m.ballSeen = true;
    m.ballX = 3.0;
    m.ballY = 1.0;
    play.hear(encodeTeamMessage(m, "QEL"), 9.5);
    FieldPoint ball;
    ASSERT_TRUE(play.teamBall(at(-3.2, 2.8), ball));
    EXPECT_NEAR(ball.x, 3.0, 0.02);
    const Intent i = play.decide(at(-3.2, 2.8));
    ASSERT_EQ(i.kind, Intent::Kind::GoTo);
    EXPECT_GT(i.target.x, -3.2);  // moved up behind an attack
    TeamView later = at(-3.2, 2.8);
    later.now = 9.5 + TeamPlay::kBallFresh + 0.1;
    EXPECT_FALSE(play.teamBall(later, ball));
}

TEST(TeamPlay, StandsWhilePlayIsStoppedOrTheRobotIsNotLocated) {
    TeamPlay play(9, field, {-2.2, 0}, "QEL");
    TeamView stopped = seeing(at(-0.2, 0), 0, 0);
    stopped.situation = Situation::Stopped;
    EXPECT_EQ(play.decide(stopped).kind, Intent::Kind::Stand);
    TeamView lost = seeing(at(-0.2, 0), 0, 0);
    lost.located = false;
    EXPECT_EQ(play.decide(lost).kind, Intent::Kind::Stand);
    TeamView theirs = seeing(at(-0.2, 0), 0, 0);
    theirs.situation = Situation::TheirSetPlay;
    EXPECT_NE(play.decide(theirs).kind, Intent::Kind::Dribble);
    EXPECT_FALSE(play.taking());
}

// Over eleven turns of two cycles every number speaks exactly once, and what it says
// reads back for its own team only.
TEST(TeamPlay, EachNumberSpeaksInItsOwnTurnAndOnlyItsTeamReadsIt) {
    std::set<long> turns;
    for (int unum = 1; unum <= 11; ++unum) {
        TeamPlay play(unum, leagueField(), {0, 0}, "Halyx");
        int spoken = 0;
        for (int cycle = 1000; cycle < 1022; ++cycle) {
            TeamView v = seeing(at(1.0, 2.0), 3.0, -1.0);
            v.now = cycle * 0.02;
            const std::string said = play.say(v);
            if (said.empty()) continue;
            ++spoken;
            turns.insert(cycle);
            EXPECT_LE(said.size(), 20u);
            const std::optional<TeamMessage> m = decodeTeamMessage(said, "Halyx");
            ASSERT_TRUE(m.has_value());
            EXPECT_EQ(m->unum, unum);
            EXPECT_NEAR(m->ballX, 3.0, 0.02);
            EXPECT_FALSE(decodeTeamMessage(said, "Halyx2").has_value());
        }
        EXPECT_EQ(spoken, 1) << "player " << unum;
    }
    EXPECT_EQ(turns.size(), 11u);
}
