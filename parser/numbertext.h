#ifndef HALYX_PARSER_NUMBERTEXT_H
#define HALYX_PARSER_NUMBERTEXT_H

namespace zeitgeist {

// The number a text starts with, exactly as atof reads it (0 when there is none). The
// server writes its numbers as plain decimals ("-12.34"); those are converted here
// directly, which is several times faster than atof and gives the same double: the
// digits form an integer below 2^53 and the fraction a power of ten up to 10^22, both
// exact in double precision, so their quotient is the correctly rounded value that atof
// returns too. Any other text (exponents, spaces, words, long digit strings) goes to atof.
double numberFromText(const char* text);

}  // namespace zeitgeist

#endif
