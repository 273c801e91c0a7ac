#include "parser/numbertext.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

uint64_t bitsOf(double d) {
    uint64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    return bits;
}

// The quick path must give atof's double bit for bit, sign of zero and NaN included.
void expectSameAsAtof(const std::string& text) {
    EXPECT_EQ(bitsOf(zeitgeist::numberFromText(text.c_str())), bitsOf(std::atof(text.c_str())))
        << '"' << text << '"';
}

TEST(NumberText, EveryTwoDecimalNumberTheServerWritesReadsAsAtofDoes) {
    char text[32];
    for (int hundredths = -36000; hundredths <= 36000; ++hundredths) {
        std::snprintf(text, sizeof text, "%.2f", hundredths / 100.0);
        expectSameAsAtof(text);
    }
}

TEST(NumberText, LongDecimalsWithThePointAnywhereReadAsAtofDoes) {
    std::mt19937_64 random(7);
    for (int n = 0; n < 200000; ++n) {
        const int digits = 1 + static_cast<int>(random() % 18);
        std::string text = random() % 2 != 0 ? "-" : "";
        for (int d = 0; d < digits; ++d) text += static_cast<char>('0' + random() % 10);
        const auto point = random() % (digits + 2);
        if (point <= static_cast<unsigned>(digits)) text.insert(text.size() - digits + point, ".");
        expectSameAsAtof(text);
    }
}

TEST(NumberText, TextOutsidePlainDecimalsIsLeftToAtof) {
    for (const char* text : {"",
                             "-",
                             "+",
                             ".",
                             "-.",
                             "+7.5",
                             ".5",
                             "5.",
                             "-0",
                             "-0.00",
                             "0000000000000001.5",
                             "1234567890123456",
                             "12345678901234567890",
                             "1.2.3",
                             "1e3",
                             "-2.5E-3",
                             " 42",
                             "42 ",
                             "12abc",
                             "abc",
                             "nan",
                             "-inf",
                             "infinity",
                             "0x1p3",
                             "1,5",
                             "--1",
                             "4.9406564584124654e-324"}) {
        expectSameAsAtof(text);
    }
}

}  // namespace
