#include "behavior/team_message.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Sixty-four characters a server passes on unchanged: six bits each.
const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+-";
const char kTag = '*';
const std::size_t kLength = 14;
const double kMetre = 80;       // steps per metre of a position (1.25 cm)
const double kReach = 25.6;     // metres from the centre a position may read
const double kTimeStep = 0.25;  // seconds

int digitValue(char c) {
    const char* at = std::find(kDigits, kDigits + 64, c);
    return at == kDigits + 64 ? -1 : static_cast<int>(at - kDigits);
}

void put(std::string& out, unsigned value, int digits) {
    for (int i = digits - 1; i >= 0; --i) out += kDigits[(value >> (6 * i)) & 63u];
}

// Reads `digits` characters from `pos`; -1 for one outside the alphabet.
long take(const std::string& text, std::size_t& pos, int digits) {
    long value = 0;
    for (int i = 0; i < digits; ++i) {
        const int d = digitValue(text[pos++]);
        if (d < 0) return -1;
        value = value * 64 + d;
    }
    return value;
}

unsigned position(double metres) {
    const double v = std::isfinite(metres) ? metres : 0;
    return static_cast<unsigned>(
        std::lround(std::clamp(v, -kReach, kReach - 1 / kMetre) * kMetre + kReach * kMetre));
}

double metresOf(long steps) {
    return static_cast<double>(steps) / kMetre - kReach;
}

// Twelve bits of an FNV-1a hash of the team's name and the message's body.
unsigned check(const std::string& team, const std::string& body) {
    std::uint32_t h = 2166136261u;
    for (const std::string* s : {&team, &body}) {
        for (const char c : *s) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
        h = (h ^ 0xffu) * 16777619u;  // keeps "AB"+"C" apart from "A"+"BC"
    }
    return (h ^ (h >> 12) ^ (h >> 24)) & 4095u;
}

}  // namespace

double sayableBallTime(double seconds) {
    const double most = 63 * kTimeStep;
    const double t = std::isfinite(seconds) ? std::clamp(seconds, 0.0, most) : most;
    return std::round(t / kTimeStep) * kTimeStep;
}

std::string encodeTeamMessage(const TeamMessage& m, const std::string& team) {
    std::string out(1, kTag);
    put(out, static_cast<unsigned>(std::clamp(m.unum, 0, 63)), 1);
    put(out, (m.down ? 1u : 0u) | (m.ballSeen ? 2u : 0u), 1);
    put(out, static_cast<unsigned>(std::lround(sayableBallTime(m.ballTime) / kTimeStep)), 1);
    for (const double v : {m.ballX, m.ballY, m.x, m.y}) put(out, position(v), 2);
    put(out, check(team, out), 2);
    return out;
}

std::optional<TeamMessage> decodeTeamMessage(const std::string& text, const std::string& team) {
    if (text.size() != kLength || text[0] != kTag) return std::nullopt;
    std::size_t pos = 1;
    const long unum = take(text, pos, 1), flags = take(text, pos, 1), time = take(text, pos, 1);
    long field[4];
    for (long& f : field) f = take(text, pos, 2);
    const long sum = take(text, pos, 2);
    if (unum < 1 || unum > 11 || flags < 0 || flags > 3 || time < 0 || sum < 0) return std::nullopt;
    if (std::any_of(field, field + 4, [](long f) { return f < 0; })) return std::nullopt;
    if (static_cast<unsigned>(sum) != check(team, text.substr(0, kLength - 2))) return std::nullopt;
    TeamMessage m;
    m.unum = static_cast<int>(unum);
    m.down = (flags & 1) != 0;
    m.ballSeen = (flags & 2) != 0;
    m.ballTime = static_cast<double>(time) * kTimeStep;
    m.ballX = metresOf(field[0]);
    m.ballY = metresOf(field[1]);
    m.x = metresOf(field[2]);
    m.y = metresOf(field[3]);
    return m;
}
