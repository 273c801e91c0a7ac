#include "sparring/match/scenario.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace sparring {

namespace {

// Reads the words of one line in order and says which one is wrong.
class Words {
public:
    Words(const std::string& text, int line) : in_(text), line_(line) {}

    std::string word(const char* what) {
        std::string w;
        if (!(in_ >> w)) throw ScenarioError(line_, std::string("missing ") + what);
        return w;
    }
    double number(const char* what) {
        const std::string w = word(what);
        char* end = nullptr;
        const double v = std::strtod(w.c_str(), &end);
        if (*end != '\0' || !std::isfinite(v)) {
            throw ScenarioError(line_, std::string("bad ") + what + " \"" + w + "\"");
        }
        return v;
    }
    Side side() {
        const std::string w = word("side");
        if (w == "left") return Side::Left;
        if (w == "right") return Side::Right;
        throw ScenarioError(line_, "side must be left or right, not \"" + w + "\"");
    }
    int unum() {
        const double v = number("uniform number");
        if (v != std::floor(v) || v < 1 || v > 11) {
            throw ScenarioError(line_, "uniform number must be 1 to 11");
        }
        return static_cast<int>(v);
    }
    // The rest of the line must be empty.
    void end() {
        std::string rest;
        if (in_ >> rest) throw ScenarioError(line_, "unexpected \"" + rest + "\"");
    }
    bool more() {
        in_ >> std::ws;
        return !in_.eof();
    }
    int line() const { return line_; }

private:
    std::istringstream in_;
    int line_;
};

Event readFall(Words& w, Event e) {
    e.side = w.side();
    e.unum = w.unum();
    const std::string how = w.word("fall direction");
    if (how == "back") {
        e.posture = Posture::OnBack;
    } else if (how == "front") {
        e.posture = Posture::OnFront;
    } else if (how == "left") {
        e.posture = Posture::OnLeft;
    } else if (how == "right") {
        e.posture = Posture::OnRight;
    } else {
        throw ScenarioError(
            w.line(), "fall direction must be back, front, left or right, not \"" + how + "\"");
    }
    return e;
}

Event readEvent(Words& w) {
    Event e;
    e.time = w.number("time");
    if (e.time < 0) throw ScenarioError(w.line(), "time must not be negative");
    const std::string kind = w.word("event");
    if (kind == "fall") {
        e.kind = Event::Kind::Fall;
        e = readFall(w, e);
        // An optional lying time follows the direction.
        if (w.more()) {
            e.lieSeconds = w.number("lying time");
            if (e.lieSeconds <= 0) throw ScenarioError(w.line(), "lying time must be positive");
        }
    } else if (kind == "goal") {
        e.kind = Event::Kind::Goal;
        e.side = w.side();
    } else if (kind == "ball") {
        e.kind = Event::Kind::Ball;
        e.x = w.number("x");
        e.y = w.number("y");
    } else if (kind == "push") {
        e.kind = Event::Kind::Push;
        e.side = w.side();
        e.unum = w.unum();
        e.x = w.number("impulse x");
        e.y = w.number("impulse y");
    } else if (kind == "place") {
        e.kind = Event::Kind::Place;
        e.side = w.side();
        e.unum = w.unum();
        e.x = w.number("x");
        e.y = w.number("y");
        e.heading = w.number("heading");
    } else {
        throw ScenarioError(w.line(), "unknown event \"" + kind + "\"");
    }
    w.end();
    return e;
}

}  // namespace

ScenarioError::ScenarioError(int line, const std::string& what)
    : std::runtime_error("scenario line " + std::to_string(line) + ": " + what), line_(line) {}

std::vector<Event> readScenario(std::istream& in) {
    std::vector<Event> events;
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        const auto hash = text.find('#');
        if (hash != std::string::npos) text.erase(hash);
        if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
        Words words(text, line);
        events.push_back(readEvent(words));
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.time < b.time; });
    return events;
}

std::vector<Event> readScenarioFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw ScenarioError(0, "cannot open " + path);
    return readScenario(in);
}

}  // namespace sparring
