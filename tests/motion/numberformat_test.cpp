#include "motion/numberformat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::string viaPrintf(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string viaFormatGeneral(double value) {
    char text[64];
    const int n = formatGeneral(value, text, sizeof text);
    EXPECT_EQ(n, static_cast<int>(std::strlen(text)));
    return text;
}

void expectSameAsPrintf(double value) {
    ASSERT_EQ(viaFormatGeneral(value), viaPrintf(value)) << std::hexfloat << value;
}

TEST(FormatGeneral, WritesWhatPrintfWritesAtEveryEdge) {
    const std::vector<double> edges = {
        0.0,        -0.0,     1.0,        -1.0,     0.5,       0.1,          1e-4,
        9.99995e-5, 1e-5,     0.00012345, 123456.0, 99999.95,  99999.949999, 999999.5,
        1e5,        1e6,      12345.65,   10000.25, 1.0000005, 2.5e-5,       0.000100001,
        3.14159265, -45.5,    120.0,      1e300,    -1e-300,   INFINITY,     -INFINITY,
        NAN,        9.999995, 0.9999995,  99.99995, 1234.5,    5e-5,         6.103515625e-05};
    for (double v : edges) {
        SCOPED_TRACE(v);
        expectSameAsPrintf(v);
    }
}

TEST(FormatGeneral, WritesWhatPrintfWritesForAMillionValues) {
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> speed(-10.0, 10.0);
    std::uniform_int_distribution<int> decimals(0, 9);
    std::uniform_int_distribution<int> exponent(-7, 7);
    for (int i = 0; i < 300000; ++i) {
        // Joint speeds as the motions make them, short decimals, any magnitude, and
        // arbitrary bit patterns.
        expectSameAsPrintf(speed(random));
        const double scale = std::pow(10.0, decimals(random));
        expectSameAsPrintf(std::round(speed(random) * scale) / scale);
        expectSameAsPrintf(speed(random) * std::pow(10.0, exponent(random)));
        // Halfway between two six-digit values, where printf's exact rounding decides.
        const double six = static_cast<double>(100000 + random() % 900000);
        expectSameAsPrintf((six + 0.5) * std::pow(10.0, exponent(random) - 5));
        uint64_t bits = random();
        double any = 0;
        std::memcpy(&any, &bits, sizeof any);
        expectSameAsPrintf(any);
    }
}

}  // namespace
