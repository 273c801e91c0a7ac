#include "sparring/protocol/perception.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace sparring {

// Two decimals, as "%.2f" prints the value rounded to hundredths ("0.00" for a value that
// rounds to nothing, never "-0.00"). Written from the whole hundredths: a full message
// holds hundreds of numbers, and printf's general formatting was most of its cost.
void appendNumber(std::string& out, double v) {
    const double hundredths = std::round(v * 100.0);
    if (!(std::fabs(hundredths) < 1e15)) {  // not finite, or too large for exact digits
        char buf[400];
        std::snprintf(buf, sizeof buf, "%.2f", hundredths / 100.0);
        out += buf;
        return;
    }
    auto n = static_cast<long long>(hundredths);
    if (n < 0) {
        out += '-';
        n = -n;
    }
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n / 100).ptr;
    out.append(digits, end);
    const int cents = static_cast<int>(n % 100);
    out += '.';
    out += static_cast<char>('0' + cents / 10);
    out += static_cast<char>('0' + cents % 10);
}

namespace {

void appendNumbers(std::string& out, double a, double b, double c) {
    appendNumber(out, a);
    out += ' ';
    appendNumber(out, b);
    out += ' ';
    appendNumber(out, c);
}

void appendTime(std::string& out, const GameView& game) {
    out += "(time (now ";
    appendNumber(out, game.now);
    out += "))";
}

void appendPlayMode(std::string& out, const GameView& game) {
    out += " (t ";
    appendNumber(out, game.gameTime);
    out += ") (pm ";
    out += playModeName(game.mode);
    out += "))";
}

}  // namespace

PerceptionWriter::PerceptionWriter(const VisionOptions& options, MessageForms forms)
    : options_(options), forms_(forms), rng_(options.seed) {}

std::string PerceptionWriter::first(const GameView& game) const {
    std::string out;
    appendTime(out, game);
    out += forms_ == MessageForms::New ? "(GS (sl " + std::to_string(game.scoreLeft) + ") (sr " +
                                             std::to_string(game.scoreRight) + ")"
                                       : std::string("(GS");
    appendPlayMode(out, game);
    return out;
}

std::string PerceptionWriter::write(const World& world, const Robot& self, const GameView& game,
                                    const std::vector<Utterance>& heard, bool firstMessage) {
    std::string out;
    out.reserve(3072);
    appendTime(out, game);
    writeGameState(out, self, game, firstMessage);
    writeBody(out, self);
    if (game.cycle % options_.period == 0) writeVision(out, world, self);
    writeHearing(out, self, game, heard);
    return out;
}

void PerceptionWriter::writeGameState(std::string& out, const Robot& self, const GameView& game,
                                      bool firstMessage) const {
    const bool newForms = forms_ == MessageForms::New;
    out += "(GS";
    if (!newForms || firstMessage) {
        out += " (unum " + std::to_string(self.unum()) + ") (team " + sideName(self.side()) + ")";
    }
    if (newForms) {
        out += " (sl " + std::to_string(game.scoreLeft) + ") (sr " +
               std::to_string(game.scoreRight) + ")";
    }
    appendPlayMode(out, game);
}

void PerceptionWriter::writeHearing(std::string& out, const Robot& self, const GameView& game,
                                    const std::vector<Utterance>& heard) const {
    const bool newForms = forms_ == MessageForms::New;
    // A robot hears at most one message of each team per cycle, the first one said, which
    // keeps the message within the agent's 6000 bytes however talkative the teams are. In
    // the newer forms it also hears its own, as coming from "self".
    bool heardTeam[2] = {false, false};
    for (const Utterance& u : heard) {
        const bool own = u.speaker == &self;
        if (own && !newForms) continue;
        bool& already = heardTeam[u.speaker->side() == Side::Left ? 0 : 1];
        if (!own && already) continue;
        if (!own) already = true;
        out += "(hear ";
        if (newForms) out += u.speaker->team() + ' ';
        appendNumber(out, game.now);
        out += ' ';
        if (own) {
            out += "self";
        } else {
            const double bearing = std::atan2(u.speaker->y() - self.y(), u.speaker->x() - self.x());
            appendNumber(out, normalizeDegrees(bearing * 180.0 / M_PI - self.heading()));
        }
        out += ' ' + u.text + ')';
    }
}

void PerceptionWriter::writeBody(std::string& out, const Robot& self) const {
    const BodySensors sensors = self.sensors();
    out += "(GYR (n torso) (rt ";
    appendNumbers(out, sensors.gyro.x, sensors.gyro.y, sensors.gyro.z);
    out += "))";
    const bool newForms = forms_ == MessageForms::New;
    if (newForms) {
        out += "(ACC (n torso) (a ";
        appendNumbers(out, sensors.acc.x, sensors.acc.y, sensors.acc.z);
        out += "))";
    }
    static const char* const kFeet[2] = {"lf", "rf"};
    for (int i = 0; i < 2; ++i) {
        const FootReading& foot = sensors.feet[i];
        if (newForms && !foot.touching) continue;
        out += "(FRP (n ";
        out += kFeet[i];
        out += ") (c ";
        appendNumbers(out, foot.centre.x, foot.centre.y, foot.centre.z);
        out += ") (f ";
        appendNumbers(out, foot.force.x, foot.force.y, foot.force.z);
        out += "))";
    }
    if (!newForms) {
        for (int i = 0; i < 2; ++i) {
            out += "(TCH (name ";
            out += kFeet[i];
            out += sensors.feet[i].touching ? ") (val 1))" : ") (val 0))";
        }
    }
    for (int j = 0; j < kJointCount; ++j) {
        out += "(HJ (n ";
        out += kJoints[j].perceptor;
        out += ") (ax ";
        appendNumber(out, self.angle(j));
        out += "))";
    }
}

bool PerceptionWriter::inView(const Robot& self, const Vec3& where) const {
    if (options_.full) return true;
    const Vec3 seen = self.cameraToServer().applyInverse(where - self.cameraPosition());
    return angleFromXAxis(seen) <= options_.viewAngle / 2;
}

void PerceptionWriter::writeVision(std::string& out, const World& world, const Robot& self) {
    out += "(See";
    for (const Landmark& l : world.field().landmarks()) {
        if (!inView(self, l.position)) continue;
        out += " (";
        out += l.name;
        writeObject(out, self, l.position);
        out += ')';
    }
    if (inView(self, world.ball())) {
        out += " (B";
        writeObject(out, self, world.ball());
        out += ')';
    }
    for (const auto& other : world.robots()) {
        if (other.get() != &self) writePlayer(out, self, *other);
    }
    if (forms_ == MessageForms::New && world.field().linesInView) {
        for (const FieldLine& line : fieldLines(world.field())) {
            for (const FieldLine& seen : visibleParts(self, line)) {
                out += " (L";
                writeObject(out, self, seen.a);
                writeObject(out, self, seen.b);
                out += ')';
            }
        }
    }
    out += ')';
}

// The view cone meets a line where the angle from the camera's axis crosses the cone's
// half opening: a root of a quadratic in the line's parameter, or where the line crosses
// the camera's own plane. Between consecutive crossings a piece is wholly in view or
// wholly out of it.
std::vector<FieldLine> PerceptionWriter::visibleParts(const Robot& self,
                                                      const FieldLine& line) const {
    if (options_.full) return {line};
    const Vec3 a = self.cameraToServer().applyInverse(line.a - self.cameraPosition());
    const Vec3 d = self.cameraToServer().applyInverse(line.b - line.a);
    const double c = std::cos(options_.viewAngle / 2 * M_PI / 180);
    const double dd = d.x * d.x + d.y * d.y + d.z * d.z;
    const double ad = a.x * d.x + a.y * d.y + a.z * d.z;
    const double aa = a.x * a.x + a.y * a.y + a.z * a.z;
    const double qa = d.x * d.x - c * c * dd, qb = 2 * (a.x * d.x - c * c * ad),
                 qc = a.x * a.x - c * c * aa;
    std::vector<double> cuts = {0.0, 1.0};
    const auto cut = [&cuts](double t) {
        if (t > 0 && t < 1) cuts.push_back(t);
    };
    if (std::fabs(qa) > 1e-12) {
        const double disc = qb * qb - 4 * qa * qc;
        if (disc >= 0) {
            cut((-qb - std::sqrt(disc)) / (2 * qa));
            cut((-qb + std::sqrt(disc)) / (2 * qa));
        }
    } else if (std::fabs(qb) > 1e-12) {
        cut(-qc / qb);
    }
    if (std::fabs(d.x) > 1e-12) cut(-a.x / d.x);
    std::sort(cuts.begin(), cuts.end());
    std::vector<FieldLine> parts;
    const Vec3 along = line.b - line.a;
    bool previousInView = false;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        const double t0 = cuts[i], t1 = cuts[i + 1];
        const bool seen = t1 - t0 > 1e-9 && inView(self, line.a + along * ((t0 + t1) / 2));
        if (seen && previousInView) {
            parts.back().b = line.a + along * t1;  // a cut where nothing changes
        } else if (seen) {
            parts.push_back({line.a + along * t0, line.a + along * t1});
        }
        if (t1 - t0 > 1e-9) previousInView = seen;
    }
    return parts;
}

void PerceptionWriter::writePlayer(std::string& out, const Robot& self, const Robot& other) {
    const std::string name =
        " (P (team " + other.team() + ") (id " + std::to_string(other.unum()) + ")";
    if (forms_ == MessageForms::Old) {
        if (!inView(self, other.cameraPosition())) return;
        out += name;
        writeObject(out, self, other.cameraPosition());
        out += ')';
        return;
    }
    // The newer forms report up to five body parts, each only when it is in view; a robot
    // none of whose parts is in view is not reported.
    struct Part {
        const char* name;
        BodyPoint point;
    };
    static const Part kParts[] = {{"head", kHeadPoint},
                                  {"rlowerarm", kRLowerArmPoint},
                                  {"llowerarm", kLLowerArmPoint},
                                  {"rfoot", kRFootPoint},
                                  {"lfoot", kLFootPoint}};
    const BodyPoints points = other.bodyPoints();
    bool named = false;
    for (const Part& part : kParts) {
        const Vec3& where = points[part.point];
        if (!inView(self, where)) continue;
        if (!named) out += name;
        named = true;
        out += " (";
        out += part.name;
        writeObject(out, self, where);
        out += ')';
    }
    if (named) out += ')';
}

void PerceptionWriter::writeObject(std::string& out, const Robot& self, const Vec3& where) {
    const Vec3 seen = self.cameraToServer().applyInverse(where - self.cameraPosition());
    Polar p = toPolar(seen);
    if (options_.angleNoise > 0) {
        std::normal_distribution<double> angle(0.0, options_.angleNoise);
        p.theta += angle(rng_);
        p.phi += angle(rng_);
    }
    if (options_.distanceNoise > 0) {
        std::normal_distribution<double> scale(1.0, options_.distanceNoise);
        p.distance = std::fmax(0.0, p.distance * scale(rng_));
    }
    out += " (pol ";
    appendNumbers(out, p.distance, p.theta, p.phi);
    out += ')';
}

}  // namespace sparring
