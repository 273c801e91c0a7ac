// The goalkeeper's part of the team play: where it stands, which way it faces, when it
// looks for the ball and when it clears it.
#include <gtest/gtest.h>

#include <cmath>

#include "behavior/team_play.h"
#include "tests/behavior/team_view.h"

using team_view::at;
using team_view::seeing;

namespace {
const FieldGeometry& field = designField();
}  // namespace

TEST(Goalkeeper, GuardsAtHomeLooksForALostBallAndClearsOneInItsArea) {
    const double line = -field.length / 2;
    struct Case {
        const char* what;
        skills::FieldPose self;
        double ballAge;  // seconds since the ball was seen; 0: in view now
        FieldPoint ball;
        Intent::Kind expected;
    } const cases[] = {
        {"at home, ball far", {line + 0.45, 0, 0}, 0, {2, 0}, Intent::Kind::Guard},
        {"at home, ball out of view for a second",
         {line + 0.45, 0, 0},
         1.2,
         {},
         Intent::Kind::Guard},
        {"at home, ball out of view for long", {line + 0.45, 0, 0}, 3, {}, Intent::Kind::Look},
        {"at home, ball never seen", {line + 0.45, 0, 0}, HUGE_VAL, {}, Intent::Kind::Look},
        {"away from home", {line + 2.0, 1.0, 0}, 0, {2, 0}, Intent::Kind::GoTo},
        {"ball in the area", {line + 0.45, 0, 0}, 0, {line + 0.9, 0.5}, Intent::Kind::Kick},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TeamPlay play(1, field, {-5.5, 0}, "QEL");
        TeamView v = at(c.self.x, c.self.y);
        if (c.ballAge == 0) v = seeing(v, c.ball.x, c.ball.y);
        v.ballAge = c.ballAge;
        const Intent i = play.decide(v);
        EXPECT_EQ(i.kind, c.expected);
        if (i.kind == Intent::Kind::Kick) {
            EXPECT_LT(std::fabs(i.direction), 90);
        }
    }
}

// The guard sees only straight ahead: at home the goalkeeper faces a ball at its side,
// and it walks off its goal line, where a ball rolling along the line would bounce off
// its feet into the goal. Once walking home it goes on until well placed, not back to
// the guard on the edge of its place.
TEST(Goalkeeper, FacesTheBallAndKeepsOffItsGoalLine) {
    const double line = -field.length / 2;
    {
        TeamPlay play(1, field, {-5.5, 0}, "QEL");
        const Intent i = play.decide(seeing(at(line + 0.45, 0), line + 0.5, -2.5));
        ASSERT_EQ(i.kind, Intent::Kind::GoTo);
        EXPECT_LT(i.target.heading, -45);  // turns to the ball on its right
        EXPECT_GE(i.target.heading, -60);  // but not round to the touch line
        TeamView facing = seeing(at(line + 0.45, 0), line + 0.5, -2.5);
        facing.self.heading = i.target.heading;
        facing.self.y = i.target.y;
        EXPECT_EQ(play.decide(facing).kind, Intent::Kind::Guard);
    }
    {
        TeamPlay play(1, field, {-5.5, 0}, "QEL");
        const Intent i = play.decide(seeing(at(line + 0.15, 0), 2, 0));
        ASSERT_EQ(i.kind, Intent::Kind::GoTo);
        EXPECT_NEAR(i.target.x, line + 0.45, 0.01);
        // Halfway home it walks on; at home it guards again.
        EXPECT_EQ(play.decide(seeing(at(line + 0.32, 0), 2, 0)).kind, Intent::Kind::GoTo);
        EXPECT_EQ(play.decide(seeing(at(line + 0.42, 0), 2, 0)).kind, Intent::Kind::Guard);
    }
    {
        // Standing a little off its place, a guarding goalkeeper stays.
        TeamPlay play(1, field, {-5.5, 0}, "QEL");
        EXPECT_EQ(play.decide(seeing(at(line + 0.32, 0.2), 2, 0)).kind, Intent::Kind::Guard);
    }
}
