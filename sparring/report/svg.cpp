#include "sparring/report/svg.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace sparring {

namespace {

constexpr double kScale = 60.0;  // pixels per metre
constexpr double kMargin = 1.0;  // metres around the field
constexpr double kTitle = 30.0;  // pixels above the field for the caption

double px(const FieldSpec& f, double x) {
    return (x + f.length / 2 + kMargin) * kScale;
}
double py(const FieldSpec& f, double y) {
    return kTitle + (f.width / 2 + kMargin - y) * kScale;
}

std::string fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string fmt(const char* format, ...) {
    char buf[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    return buf;
}

std::string escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

void drawField(std::string& out, const FieldSpec& f) {
    const double l = f.length / 2, w = f.width / 2, g = f.goalWidth / 2;
    out += fmt("<rect x=\"0\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"#2e7d32\"/>\n",
               kTitle, (f.length + 2 * kMargin) * kScale, (f.width + 2 * kMargin) * kScale);
    out +=
        fmt("<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" "
            "stroke=\"white\" stroke-width=\"2\"/>\n",
            px(f, -l), py(f, w), f.length * kScale, f.width * kScale);
    out +=
        fmt("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"white\" "
            "stroke-width=\"2\"/>\n",
            px(f, 0), py(f, w), px(f, 0), py(f, -w));
    out +=
        fmt("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\" fill=\"none\" stroke=\"white\" "
            "stroke-width=\"2\"/>\n",
            px(f, 0), py(f, 0), f.centreRadius * kScale);
    for (double side : {-1.0, 1.0}) {
        const double back = side * (l + 0.4);
        out +=
            fmt("<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"#dddddd\" "
                "stroke=\"white\" stroke-width=\"2\"/>\n",
                px(f, std::fmin(back, side * l)), py(f, g), 0.4 * kScale, f.goalWidth * kScale);
    }
    for (const Landmark& m : f.landmarks()) {
        out +=
            fmt("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"5\" fill=\"yellow\"/>"
                "<text x=\"%.1f\" y=\"%.1f\" font-size=\"12\" fill=\"yellow\">%s</text>\n",
                px(f, m.position.x), py(f, m.position.y), px(f, m.position.x) + 6,
                py(f, m.position.y) - 6, m.name);
    }
}

void drawRobot(std::string& out, const FieldSpec& f, const Robot& r) {
    const char* colour = r.side() == Side::Left ? "#1565c0" : "#c62828";
    const double a = r.heading() * M_PI / 180.0;
    const double tipX = r.x() + 0.35 * std::cos(a), tipY = r.y() + 0.35 * std::sin(a);
    out += fmt("<g class=\"robot\" data-team=\"%s\" data-unum=\"%d\">", escape(r.team()).c_str(),
               r.unum());
    out +=
        fmt("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" "
            "stroke-width=\"4\"/>",
            px(f, r.x()), py(f, r.y()), px(f, tipX), py(f, tipY), colour);
    out +=
        fmt("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"12\" fill=\"%s\" stroke=\"%s\" "
            "stroke-width=\"3\"/>",
            px(f, r.x()), py(f, r.y()), r.upright() ? colour : "none", colour);
    out +=
        fmt("<text x=\"%.1f\" y=\"%.1f\" font-size=\"13\" text-anchor=\"middle\" "
            "fill=\"white\">%d</text></g>\n",
            px(f, r.x()), py(f, r.y()) + 5, r.unum());
}

}  // namespace

std::string renderField(const World& world, const std::string& caption) {
    const FieldSpec& f = world.field();
    const double width = (f.length + 2 * kMargin) * kScale;
    const double height = kTitle + (f.width + 2 * kMargin) * kScale;
    std::string out =
        fmt("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" "
            "height=\"%.0f\" viewBox=\"0 0 %.0f %.0f\">\n",
            width, height, width, height);
    out += fmt("<text x=\"10\" y=\"20\" font-size=\"16\" font-family=\"sans-serif\">%s</text>\n",
               escape(caption).c_str());
    drawField(out, f);
    for (const auto& r : world.robots()) drawRobot(out, f, *r);
    out +=
        fmt("<circle class=\"ball\" cx=\"%.1f\" cy=\"%.1f\" r=\"7\" fill=\"white\" "
            "stroke=\"black\"/>\n",
            px(f, world.ball().x), py(f, world.ball().y));
    out += "</svg>\n";
    return out;
}

}  // namespace sparring
