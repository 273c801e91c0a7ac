#include "motion/numberformat.h"

#include <cmath>
#include <cstdio>

namespace {

const double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
// The lower bound of each decimal exponent from -4 to 4.
const double kDecades[] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4};

// Six significant digits of magnitude as the integer digits in [100000, 999999] and
// the decimal exponent of the first digit, for magnitudes from 1e-4 to 1e5. False
// when the scaled value lies so near a rounding edge (half a unit) that the error of
// one multiplication could decide it, or when the exponent guessed from the powers of
// ten turns out wrong after rounding: then printf's exact arithmetic must decide.
bool sixDigits(double magnitude, long& digits, int& exponent) {
    if (!(magnitude >= 1e-4 && magnitude < 1e5)) return false;
    int e = 4;
    while (e > -4 && magnitude < kDecades[e + 4]) --e;
    const double scaled = magnitude * kPowersOfTen[5 - e];
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) < 1e-6) return false;
    long d = static_cast<long>(whole) + (fraction > 0.5 ? 1 : 0);
    if (d < 100000 || d > 999999) return false;
    digits = d;
    exponent = e;
    return true;
}

}  // namespace

int formatGeneral(double value, char* out, size_t size) {
    long digits = 0;
    int exponent = 0;
    if (size < 32 || !sixDigits(std::fabs(value), digits, exponent)) {
        return std::snprintf(out, size, "%g", value);
    }
    char text[6];
    for (int i = 5; i >= 0; --i) {
        text[i] = static_cast<char>('0' + digits % 10);
        digits /= 10;
    }
    int last = 5;  // the last digit kept: trailing zeros after the point are dropped
    const int point = exponent >= 0 ? exponent : -1;  // the digit before the point
    while (last > point && last > 0 && text[last] == '0') --last;
    int n = 0;
    if (std::signbit(value)) out[n++] = '-';
    if (exponent < 0) {
        out[n++] = '0';
        out[n++] = '.';
        for (int z = -1; z > exponent; --z) out[n++] = '0';
        for (int i = 0; i <= last; ++i) out[n++] = text[i];
    } else {
        for (int i = 0; i <= last; ++i) {
            out[n++] = text[i];
            if (i == exponent && i < last) out[n++] = '.';
        }
    }
    out[n] = '\0';
    return n;
}
