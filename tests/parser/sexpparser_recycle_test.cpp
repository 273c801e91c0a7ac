#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parser/sexpparser.h"

namespace {

// Messages whose shapes differ from one to the next: predicates come and go, atoms turn
// into lists and lists into atoms, lists grow and shrink.
const std::vector<std::string> kMessages = {
    "(time (now 1.00))(GS (t 0.00) (pm BeforeKickOff))(HJ (n hj1) (ax 3.50))",
    "(time (now 1.02))(See (B (pol 1 2 3)) (P (team a) (id 1) (pol 4 5 6)))(hear 1 2 hi)",
    "(See B (pol 1 2 3))",
    "(See (B) ((pol) (1 (2)) 3) extra)",
    "",
    "(a)(b)(c)(d)(e)(f)(g)",
    "(a (x y z)) junk (b ((((deep)))))",
    "(time (now 1.00))(GS (t 0.00) (pm BeforeKickOff))(HJ (n hj1) (ax 3.50))",
};

TEST(SexpParserRecycling, EveryMessageReadsAsIfItWereTheFirst) {
    SexpParser reused;
    for (const std::string& text : kMessages) {
        SCOPED_TRACE(text);
        const std::string fresh = SexpParser().Generate(SexpParser().Parse(text));
        EXPECT_EQ(reused.Generate(reused.Parse(text)), fresh);
    }
}

TEST(SexpParserRecycling, AListStillHeldIsNeverWrittenOver) {
    SexpParser parser;
    const auto first = parser.Parse(kMessages[0]);
    const std::string before = parser.Generate(first);
    for (const std::string& text : kMessages) {
        const auto later = parser.Parse(text);
        EXPECT_NE(later.get(), first.get());
    }
    EXPECT_EQ(parser.Generate(first), before);
}

}  // namespace
