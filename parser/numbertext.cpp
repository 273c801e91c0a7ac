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

double numberFromText(const char* text) {
    const char* p = text;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    uint64_t digits = 0;
    int count = 0;
    int fraction = -1;  // digits after the point; -1 before any point
    for (;; ++p) {
        if (*p >= '0' && *p <= '9') {
            digits = digits * 10 + static_cast<uint64_t>(*p - '0');
            ++count;
            if (fraction >= 0) ++fraction;
        } else if (*p == '.' && fraction < 0) {
            fraction = 0;
        } else {
            break;
        }
    }
    if (*p != '\0' || count == 0 || count > kMaxDigits) return std::atof(text);
    double value = static_cast<double>(digits);
    if (fraction > 0) value /= kPowersOfTen[fraction];
    return negative ? -value : value;
}

}  // namespace zeitgeist
