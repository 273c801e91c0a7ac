#include "behavior/team_play.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const double kDegrees = 180.0 / 3.14159265358979;
const double kCycle = 0.02;  // seconds

// Metres, on the design's 12 m field; other fields scale them by their length.
const double kShootRange = 5.0;     // a kick at goal from within this distance of its centre
const double kClearZone = 2.0;      // beyond the penalty area: clear the ball, not dribble
const double kLineClear = 0.35;     // an opponent this near the line blocks a kick
const double kCloseShot = 1.8;      // nearer the goal, a shot even through a blocked line
const double kNearLine = 0.6;       // a ball this near the own goal line is cleared along it
const double kAlongLine = 80;       // degrees from straight up the field of that clearance
const double kContested = 1.2;      // an opponent this near the ball may reach it first
const double kAdvanceLength = 3.0;  // the stretch ahead a kick up the field needs clear
const double kAdvanceTurn = 25;     // degrees off the goal's direction that kick may go
// The widest aim of a shot, as a share of the goal's width either way of its middle, and
// the aims tried on either side; metres from their goal's middle within which an
// opponent is taken for their goalkeeper, and how far a shot's line passes it.
const double kAimShare = 0.3;
const int kAims = 3;
const double kTheirKeeper = 1.5, kPastKeeper = 0.28;
const double kDribbleStart = 0.3;    // where that stretch starts, ahead of the ball
const double kDribbleLook = 1.5;     // the stretch of a dribble checked for opponents
const double kDribbleClear = 0.55;   // an opponent this near that stretch blocks it
const double kBallKeepOff = 1.0;     // a supporter's distance from the ball in play
const double kSetPlayKeepOff = 1.5;  // theirs: the league's 1 m and a margin
const double kSpacing = 0.9;         // supporters' distance from one another
// The share of the ball's move a supporter follows, along the field (forwards, back) and
// across it. Back less: with the ball near the own goal every supporter would stand at
// the penalty area's edge, a wall that the other side's shots cannot pass and from which
// nobody meets a clearance up the field.
const double kFollowX = 0.6, kFollowBack = 0.35, kFollowY = 0.3;
// Metres on any field: a ball in front of the mouth this near the line is walked in. It
// measures the robot (a kick's approach, the kick's length), not the field.
const double kFinish = 1.2;
// Metres beside the mouth from which a ball that near the line is still walked in, at
// the mouth's near half.
const double kFinishWide = 0.4;
// Metres: the room the kick-off's line needs from every opponent; how near the centre
// spot a ball still waits for the kick-off's kick, for at most kKickOffHold seconds.
const double kKickOffGap = 0.5, kKickOffSpot = 0.3, kKickOffHold = 4.0;
// Seconds without a sighting of the ball after which the goalkeeper looks for it.
const double kKeeperLook = 2.0;
// The goalkeeper's home: metres before the goal line; how far it turns to face the ball
// (degrees either way of straight up the field). It walks home when this far off
// (metres; metres in depth alone; degrees), and on until within half of it.
const double kKeeperDepth = 0.45, kKeeperFace = 60;
const double kKeeperSlack = 0.4, kKeeperDepthSlack = 0.25, kKeeperTurn = 30;
// How much further out (metres) a boundary between two of the taker's plans lies for the
// plan under way, and how long (seconds) a choice between a kick up the field and a
// dribble is held.
const double kPlanMargin = 0.3, kPlanHold = 1.0;
// Metres: the taker's spot behind the ball, and the way round a ball it stands beyond.
const double kBehindBall = 0.25, kRoundBall = 0.5;
// A forward's home lies within this share of the own half from the centre line; once the
// ball is this far into the other half (metres), it waits this far ahead of the ball,
// but not nearer the goal line than kForwardDepth, where a ball that rolls free would
// come to it from behind.
const double kForwardHome = 0.45, kAttackFrom = 0.5, kForwardLead = 1.0, kForwardDepth = 1.5;

double distance(FieldPoint a, FieldPoint b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// Distance of p from the segment a-b.
double fromSegment(FieldPoint p, FieldPoint a, FieldPoint b) {
    const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return distance(p, {a.x + t * dx, a.y + t * dy});
}

// The point `metres` from `p` along `degrees`.
FieldPoint along(FieldPoint p, double degrees, double metres) {
    const double a = degrees / kDegrees;
    return {p.x + metres * std::cos(a), p.y + metres * std::sin(a)};
}

// The room (metres) the nearest opponent leaves the stretch from `start` to `end` metres
// from `ball` along `degrees`; HUGE_VAL without an opponent.
double roomAlong(const std::vector<FieldPoint>& opponents, FieldPoint ball, double degrees,
                 double start, double end) {
    const FieldPoint from = along(ball, degrees, start), to = along(ball, degrees, end);
    double room = HUGE_VAL;
    for (const FieldPoint& o : opponents) room = std::min(room, fromSegment(o, from, to));
    return room;
}

// Where across its goal (metres) a goalkeeper stands for a ball at `ballY`: moved towards
// the ball's side by 0.3 of its offset, within the posts less 0.2 m. The own goalkeeper
// and the guess at theirs use the one rule.
double keeperAcross(const FieldGeometry& field, double ballY) {
    const double post = field.goalWidth / 2 - 0.2;
    return std::clamp(ballY * 0.3, -post, post);
}

double bearing(FieldPoint from, FieldPoint to) {
    return std::atan2(to.y - from.y, to.x - from.x) * kDegrees;
}

// p pushed out to `radius` metres from `centre` when inside it (straight away from it, or
// towards the own goal when it lies on the centre).
FieldPoint keepOff(FieldPoint p, FieldPoint centre, double radius) {
    const double d = distance(p, centre);
    if (d >= radius) return p;
    double ux = -1, uy = 0;
    if (d > 1e-6) ux = (p.x - centre.x) / d, uy = (p.y - centre.y) / d;
    return {centre.x + ux * radius, centre.y + uy * radius};
}

}  // namespace

bool inPenaltyArea(const FieldGeometry& field, FieldPoint p, double margin) {
    return p.x < -field.length / 2 + field.penaltyDepth + margin &&
           std::fabs(p.y) < field.penaltyWidth / 2 + margin;
}

TeamPlay::TeamPlay(int unum, const FieldGeometry& field, FieldPoint home, std::string team)
    : unum_(unum), field_(field), home_(home), team_(std::move(team)) {}

void TeamPlay::hear(const std::string& text, double now) {
    const std::optional<TeamMessage> m = decodeTeamMessage(text, team_);
    if (!m || m->unum == unum_ || m->unum < 1 || m->unum > 11) return;
    taker_.heard(*m, now);
    heard_[static_cast<std::size_t>(m->unum)] = {*m, now};
}

bool TeamPlay::teamBall(const TeamView& view, FieldPoint& ball) const {
    if (view.ballSeen) {
        ball = view.ball;
        return true;
    }
    double newest = view.now - kBallFresh;
    bool known = false;
    for (const Heard& h : heard_) {
        if (h.at < 0 || h.at < newest || !h.message.ballSeen) continue;
        newest = h.at;
        ball = {h.message.ballX, h.message.ballY};
        known = true;
    }
    return known;
}

double TeamPlay::ownBallTime(const TeamView& view) const {
    if (!view.ballSeen || !view.located) return HUGE_VAL;
    // The goalkeeper offers itself only for a ball in its area.
    if (unum_ == 1 && !inPenaltyArea(field_, view.ball, 0.3)) return HUGE_VAL;
    // Every taker plays the ball up the field (the goalkeeper's clearance too), from a
    // spot just behind it; a player on the ball's far side walks round it to get there.
    const FieldPoint self{view.self.x, view.self.y};
    const FieldPoint behind{view.ball.x - kBehindBall, view.ball.y};
    const double d = distance(self, behind) + (self.x > view.ball.x ? kRoundBall : 0);
    const double turn = skills::wrapDegrees(bearing(self, view.ball) - view.self.heading);
    const double t = timeToBall(d, turn, view.down);
    return taking_ ? std::max(0.0, t - kKeepBonus) : t;
}

Intent TeamPlay::decide(const TeamView& view) {
    FieldPoint ball;
    const bool known = teamBall(view, ball);
    taking_ = mayPlayBall(view.situation) && view.ballSeen && view.located &&
              taker_.takes(unum_, ownBallTime(view), view.down, view.now);
    if (!taking_) plan_ = Plan::None;
    if (view.situation == Situation::Stopped || !view.located) {
        Intent stand;
        stand.why = view.located ? "stand" : "look";
        // The kick-off taker stands with the ball at its feet, below a level head's view:
        // it looks down, so that it knows the ball when the kick-off starts.
        if (kicksOff_ && view.located) stand.kind = Intent::Kind::Look;
        return stand;
    }
    if (unum_ == 1) return goalkeeper(view, known, ball);
    if (taking_) return takeBall(view, view.ball);
    Intent go;
    go.kind = Intent::Kind::GoTo;
    go.target = supportSpot(view, known, ball);
    go.why = "support";
    return go;
}

skills::FieldPose TeamPlay::beamPose(bool ownNext, FieldPoint ballAtFoot, double aim) const {
    if (!kicksOff_ || !ownNext) return {home_.x, home_.y, 0};
    // Placed as the kick's approach would place it, the robot kicks as soon as play
    // starts, before the other side, let in after the server's kick-off, reaches the ball.
    const double h = (kKickOffDirection - aim) / kDegrees;
    return {-(std::cos(h) * ballAtFoot.x - std::sin(h) * ballAtFoot.y),
            -(std::sin(h) * ballAtFoot.x + std::cos(h) * ballAtFoot.y), h * kDegrees};
}

Intent TeamPlay::kickOff(const TeamView& view, FieldPoint ball) {
    // Nobody of theirs may come into the centre circle before the ball is played, so the
    // kick's approach has the time it needs: a kick towards their goal, through the gap in
    // their line with the most room, gains more than a dribble into it.
    const double half = field_.length / 2;
    const double towards = bearing(ball, {half, 0});
    double best = towards, bestRoom = -1;
    const double first = kKickOffDirection;
    for (const double turn : {first, -first, first + 15, -first - 15, first - 15, 15 - first}) {
        const double room = roomAlong(view.opponents, ball, towards + turn, 0.5, kAdvanceLength);
        if (room >= kKickOffGap) {
            best = towards + turn;
            break;
        }
        if (room > bestRoom) bestRoom = room, best = towards + turn;
    }
    // The direction is chosen once: a line that opens and closes as the head sweeps would
    // start the approach again and again.
    if (plan_ != Plan::KickOff) shotDirection_ = best;
    Intent i;
    i.kind = Intent::Kind::Kick;
    i.direction = shotDirection_;
    i.why = "kick-off";
    return choose(Plan::KickOff, i, view.now);
}

Intent TeamPlay::takeBall(const TeamView& view, FieldPoint ball) {
    // The kick-off's kick is kept once play goes on (the server's kick-off may be
    // shorter than the kick takes), while the ball lies on the centre spot.
    const bool kickingOff = plan_ == Plan::KickOff && view.now - planSince_ < kKickOffHold &&
                            std::hypot(ball.x, ball.y) < kKickOffSpot;
    if (view.situation == Situation::OwnKickOff || kickingOff) return kickOff(view, ball);
    const double scale = field_.length / 12.0;
    const double half = field_.length / 2;
    const FieldPoint goal{half, 0};
    // Each boundary between plans lies further out for the plan under way, so that a
    // ball estimate wandering over it does not switch the robot between two approaches.
    const auto wider = [this](Plan p, double margin) { return plan_ == p ? margin : 0.0; };
    Intent i;
    if (ball.x <
        -half + field_.penaltyDepth + kClearZone * scale + wider(Plan::Clear, kPlanMargin)) {
        i.kind = Intent::Kind::Kick;
        i.direction = clearance(view, ball, 35);
        i.why = "clear";
        return choose(Plan::Clear, i, view.now);
    }
    if (half - ball.x < kFinish + wider(Plan::Finish, kPlanMargin) &&
        std::fabs(ball.y) <
            field_.goalWidth / 2 + kFinishWide + wider(Plan::Finish, kPlanMargin / 2)) {
        // So near, the kick's approach and settle take seconds among the defenders and
        // the goalkeeper; the dribble's looser approach pushes the ball over the line.
        i.kind = Intent::Kind::Dribble;
        const double post = field_.goalWidth / 2 - 0.2;
        i.point = {half + 0.5, std::clamp(ball.y * 0.5, -post, post)};
        i.why = "finish";
        return choose(Plan::Finish, i, view.now);
    }
    const double toGoal = distance(ball, goal);
    // A shot once chosen is kept while the ball stays in reach, so that an opponent seen
    // and unseen by turns does not switch the robot between two approaches.
    const bool keep = plan_ == Plan::Shoot && toGoal < (kShootRange + 0.5) * scale;
    if (toGoal < kShootRange * scale || keep) {
        // Close in, a shot at the middle is still better than a dribble into the
        // goalkeeper.
        double direction = bearing(ball, goal);
        const bool found = shotAim(view, ball, direction);
        if (found || keep || toGoal < kCloseShot * scale) {
            if (plan_ != Plan::Shoot || found) shotDirection_ = direction;
            i.kind = Intent::Kind::Kick;
            i.direction = shotDirection_;
            i.why = "shoot";
            return choose(Plan::Shoot, i, view.now);
        }
    }
    // Between a kick up the field and a dribble, what decides (an opponent near the ball
    // or in the way) comes and goes with the head's sweep: the choice is held a while.
    const bool held =
        (plan_ == Plan::Advance || plan_ == Plan::Dribble) && view.now - planSince_ < kPlanHold;
    // Towards the goal, turned to the way the robot comes to the ball as far as the
    // kick still gains ground: less walking round the ball.
    const double straight = bearing(ball, goal);
    double towards = std::clamp(bearing({view.self.x, view.self.y}, ball), straight - kAdvanceTurn,
                                straight + kAdvanceTurn);
    // Not over the touch line, which gives the other side a kick-in.
    if (std::fabs(along(ball, towards, kAdvanceLength * scale).y) > field_.width / 2 - 0.5)
        towards = straight;
    const FieldPoint landing = along(ball, towards, kAdvanceLength * scale);
    // Nobody near enough to take the ball during the approach: a kick towards the goal
    // gains more ground than a dribble, when its way is clear.
    const bool open = !contested(view, ball) && clearLine(view, ball, landing);
    if (held ? plan_ == Plan::Advance : open) {
        i.kind = Intent::Kind::Kick;
        i.direction = towards;
        i.why = "advance";
        return choose(Plan::Advance, i, view.now);
    }
    i.kind = Intent::Kind::Dribble;
    i.point = dribblePoint(view, ball);
    i.why = "dribble";
    return choose(Plan::Dribble, i, view.now);
}

bool TeamPlay::shotAim(const TeamView& view, FieldPoint ball, double& direction) const {
    const double half = field_.length / 2, widest = kAimShare * field_.goalWidth;
    const FieldPoint goal{half, 0};
    // Their goalkeeper: the opponent seen nearest the goal's middle, else where a
    // goalkeeper stands for this ball (a little towards its side).
    FieldPoint keeper{half - kKeeperDepth, keeperAcross(field_, ball.y)};
    double nearest = kTheirKeeper;
    for (const FieldPoint& o : view.opponents)
        if (distance(o, goal) < nearest) nearest = distance(o, goal), keeper = o;
    // Of the aims across the mouth that pass the goalkeeper and whose line no opponent
    // blocks, the one nearest the way the robot comes to the ball: the kick's approach
    // then walks the least way round the ball, and every second there counts with
    // opponents closing in.
    const double comeFrom = bearing({view.self.x, view.self.y}, ball);
    double leastTurn = HUGE_VAL;
    for (int k = -kAims; k <= kAims; ++k) {
        const FieldPoint aim{half, widest * k / kAims};
        if (!clearLine(view, ball, aim) || fromSegment(keeper, ball, aim) < kPastKeeper) continue;
        const double turn = std::fabs(skills::wrapDegrees(bearing(ball, aim) - comeFrom));
        if (turn < leastTurn) leastTurn = turn, direction = bearing(ball, aim);
    }
    if (leastTurn < HUGE_VAL) return true;
    // Past a goalkeeper standing where it leaves no such aim: the middle first, so that a
    // kick a little off still goes in.
    for (const double share : {0.0, 0.25, -0.25, 0.35, -0.35}) {
        const FieldPoint aim{half, share * field_.goalWidth};
        if (!clearLine(view, ball, aim)) continue;
        direction = bearing(ball, aim);
        return true;
    }
    return false;
}

Intent TeamPlay::choose(Plan plan, const Intent& intent, double now) {
    if (plan != plan_) planSince_ = now;
    plan_ = plan;
    return intent;
}

double TeamPlay::clearance(const TeamView& view, FieldPoint ball, double angle) const {
    // Away from the own goal, towards the touch line the ball is nearer. A ball that lies
    // between the robot and its own goal line leaves no room to stand behind it for that:
    // it is played along the line instead, from the side the robot is on.
    const double goalLine = -field_.length / 2;
    if (ball.x - goalLine < kNearLine && ball.x < view.self.x + 0.1)
        return ball.y >= view.self.y ? kAlongLine : -kAlongLine;
    return ball.y >= 0 ? angle : -angle;
}

bool TeamPlay::contested(const TeamView& view, FieldPoint ball) const {
    const double near = kContested * field_.length / 12.0;
    for (const FieldPoint& o : view.opponents)
        if (distance(o, ball) < near) return true;
    return false;
}

FieldPoint TeamPlay::dribblePoint(const TeamView& view, FieldPoint ball) const {
    const double half = field_.length / 2, side = field_.width / 2;
    const double towards = bearing(ball, {half, 0});
    const FieldPoint intoGoal{half + 0.3, 0};
    // The way nearest the goal's whose next stretch no opponent stands in, and which
    // stays on the field; when every way is blocked, the one with the most room. The
    // stretch starts a little ahead of the ball, so that an opponent standing at the ball
    // blocks the ways through it, not every way.
    double bestRoom = -1;
    FieldPoint best = intoGoal;
    for (const double turn : {0.0, 25.0, -25.0, 50.0, -50.0, 75.0, -75.0}) {
        const FieldPoint next = along(ball, towards + turn, kDribbleLook);
        if (std::fabs(next.y) > side - 0.3 || next.x > half) continue;
        const double room =
            roomAlong(view.opponents, ball, towards + turn, kDribbleStart, kDribbleLook);
        // Straight on: into the goal, where a dribble that gets there scores.
        const FieldPoint point = turn == 0 ? intoGoal : next;
        if (room >= kDribbleClear) return point;
        if (room > bestRoom) bestRoom = room, best = point;
    }
    return best;
}

Intent TeamPlay::goalkeeper(const TeamView& view, bool known, FieldPoint ball) {
    const double half = field_.length / 2;
    Intent i;
    if (taking_ && inPenaltyArea(field_, view.ball, 0.3)) {
        i.kind = Intent::Kind::Kick;
        i.direction = clearance(view, view.ball, 40);
        i.why = "clear";
        return i;
    }
    // Home on the goal's axis, moved a little towards the ball's side, facing the ball:
    // the guard holds the head straight ahead, and a ball rolling along the goal line at
    // the goalkeeper's side would pass it unseen.
    skills::FieldPose spot{-half + kKeeperDepth, 0, 0};
    if (known) {
        spot.y = keeperAcross(field_, ball.y);
        spot.heading = std::clamp(bearing({spot.x, spot.y}, ball), -kKeeperFace, kKeeperFace);
    }
    // A goalkeeper on its goal line deflects a ball rolling along the line into the goal:
    // depth counts on its own. Homing goes on until the goalkeeper is well placed, so
    // that it does not switch between the walk and the guard on the edge of its place.
    const double off = std::hypot(view.self.x - spot.x, view.self.y - spot.y);
    const double turned = std::fabs(skills::wrapDegrees(view.self.heading - spot.heading));
    const double slack = homing_ ? 0.5 : 1.0;
    homing_ = off > kKeeperSlack * slack || turned > kKeeperTurn * slack ||
              std::fabs(view.self.x - spot.x) > kKeeperDepthSlack * slack;
    if (homing_) {
        i.kind = Intent::Kind::GoTo;
        i.target = spot;
        i.why = "keeper-home";
        return i;
    }
    // The guard holds the head straight ahead, blind to a ball at its feet or to one
    // side (a goal kick's ball lies there); a goalkeeper that has not seen the ball for
    // a while stands and looks round for it, the head pitched down to the ground before
    // its feet.
    if (view.ballAge > kKeeperLook) {
        i.kind = Intent::Kind::Look;
        i.why = "keeper-look";
        return i;
    }
    i.kind = Intent::Kind::Guard;
    i.why = "guard";
    return i;
}

skills::FieldPose TeamPlay::supportSpot(const TeamView& view, bool known, FieldPoint ball) const {
    const double scale = field_.length / 12.0;
    const double half = field_.length / 2, side = field_.width / 2;
    FieldPoint p = home_;
    if (known) {
        const double shift = ball.x + half / 4;
        p.x += (shift > 0 ? kFollowX : kFollowBack) * shift;
        p.y += kFollowY * ball.y;
        // In an attack the forwards (homes in the front share of the own half) wait
        // ahead of the ball, wide of its line, for a ball that breaks loose towards the
        // goal. Not before: the other side's forwards would meet them head on.
        if (home_.x > -half * kForwardHome && ball.x > kAttackFrom * scale)
            p.x = std::max(p.x,
                           std::min(ball.x + kForwardLead * scale, half - kForwardDepth * scale));
    }
    p.x = std::clamp(p.x, -half + 0.5, half - 0.8);
    p.y = std::clamp(p.y, -side + 0.4, side - 0.4);
    // Out of the own penalty area, which is the goalkeeper's.
    if (inPenaltyArea(field_, p, 0.3)) p.x = -half + field_.penaltyDepth + 0.3;
    if (view.situation == Situation::TheirKickOff || view.situation == Situation::OwnKickOff) {
        // In the own half, outside the centre circle until the ball is played.
        p.x = std::min(p.x, -0.3);
        p = keepOff(p, {0, 0}, field_.centreRadius + 0.3);
    }
    if (known) {
        const double keep =
            view.situation == Situation::TheirSetPlay ? kSetPlayKeepOff : kBallKeepOff * scale;
        // Not between the ball and the own goal, where the taker walks up behind it.
        if (p.x < ball.x && std::fabs(p.y - ball.y) < 0.6 && distance(p, ball) < 2 * keep)
            p.y = ball.y + (p.y >= ball.y ? 0.8 : -0.8);
        p = keepOff(p, ball, keep);
    }
    // Off the teammates it knows of: seen ones and where heard ones said they stood.
    std::vector<FieldPoint> mates = view.teammates;
    for (const Heard& h : heard_)
        if (h.at >= 0 && view.now - h.at < 1.0) mates.push_back({h.message.x, h.message.y});
    for (const FieldPoint& m : mates) p = keepOff(p, m, kSpacing);
    for (const FieldPoint& o : view.opponents) p = keepOff(p, o, kSpacing);
    p.x = std::clamp(p.x, -half + 0.3, half - 0.3);
    p.y = std::clamp(p.y, -side + 0.3, side - 0.3);
    const double face = known ? bearing(p, ball) : 0;
    return {p.x, p.y, face};
}

bool TeamPlay::clearLine(const TeamView& view, FieldPoint from, FieldPoint to) const {
    for (const FieldPoint& o : view.opponents)
        if (fromSegment(o, from, to) < kLineClear) return false;
    return true;
}

std::string TeamPlay::say(const TeamView& view) const {
    const long cycle = std::lround(view.now / kCycle);
    // Eleven turns of two cycles each, the first cycle of a turn for speaking.
    if (cycle % 2 != 0 || (cycle / 2) % 11 != unum_ - 1) return std::string();
    TeamMessage m;
    m.unum = unum_;
    m.down = view.down;
    m.ballSeen = view.ballSeen && view.located;
    m.ballTime = sayableBallTime(ownBallTime(view));
    m.ballX = view.ball.x;
    m.ballY = view.ball.y;
    m.x = view.self.x;
    m.y = view.self.y;
    return encodeTeamMessage(m, team_);
}
