#include "parser/numbertext.h"

#include <cstdint>
#include <cstdlib>

namespace zeitgeist {

namespace {

// At most this many digits keep the integer of all digits below 2^53.
const int kMaxDigits = 15;

const double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                               1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

}  // namespace

// Appends the decimal digits at p to digits; returns the position after them.
inline const char* readDigits(const char* p, uint64_t& digits) {
    for (unsigned d = static_cast<unsigned char>(*p) - '0'; d < 10;
         d = static_cast<unsigned char>(*++p) - '0') {
        digits = digits * 10 + d;  // wraps only past kMaxDigits, where atof decides
    }
    return p;
}

double numberFromText(const char* text) {
    const char* p = text;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    uint64_t digits = 0;
    const char* integer = p;
    p = readDigits(p, digits);
    int count = static_cast<int>(p - integer);
    int fraction = 0;  // digits after the point
    if (*p == '.') {
        const char* decimals = ++p;
        p = readDigits(p, digits);
        fraction = static_cast<int>(p - decimals);
        count += fraction;
    }
    if (*p != '\0' || count == 0 || count > kMaxDigits) return std::atof(text);
    double value = static_cast<double>(digits);
    if (fraction > 0) value /= kPowersOfTen[fraction];
    return negative ? -value : value;
}

}  // namespace zeitgeist
