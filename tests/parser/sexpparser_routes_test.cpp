#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "parser/sexpparser.h"

namespace {

using oxygen::PredicateList;
using zeitgeist::ParameterList;

// The list's exact shape: every string in brackets (so "d e" differs from d and e),
// every nested list in parentheses, any other type flagged.
void describeList(const ParameterList& list, std::string& out) {
    for (const boost::any& value : list) {
        if (const std::string* text = boost::any_cast<std::string>(&value)) {
            out += "[" + *text + "]";
        } else if (const ParameterList* nested = boost::any_cast<ParameterList>(&value)) {
            out += "(";
            describeList(*nested, out);
            out += ")";
        } else {
            out += "?";
        }
    }
}

std::string describe(const PredicateList& list) {
    std::string out;
    for (const oxygen::Predicate& p : list) {
        out += "{" + p.name + ":";
        describeList(p.parameter, out);
        out += "}";
    }
    return out;
}

// Texts at every edge of the plain form the direct route reads, and just beyond it,
// where the reader must take over.
const std::vector<std::string> kTexts = {
    "(time (now 46.20))(GS (t 0.00) (pm BeforeKickOff))",
    "  \t\r\n(HJ\n(n hj1)\t(ax -0.00)\r)\n",
    "(See (B (pol 2.04 -10.3 -1.22)) (P (team a) (id 1) (pol 4 5 6)))",
    "(a(b)c)(d)",                        // parentheses end atoms without blanks
    "abc (x 1) def",                     // top-level atoms make no predicate
    "((a) b)(c)",                        // a list first makes no predicate, and is still read past
    "()(x)",                             // the empty list
    "(x) (y",                            // ends inside a list: the unfinished predicate is dropped
    "(x) (y z",                          // ends inside an atom inside a list
    "(x (y",                             // ends inside a nested list
    "(x) tail",                          // ends inside a top-level atom
    "(x) (",                             // ends just after an opening parenthesis
    "(x))(y)",                           // a ")" with no list open ends the reading
    "(a \"d e\" f)",                     // double-quoted atom
    "(a 'b c)",                          // single quote
    "(a '(1 2) z)",                      // quoted group
    "(a b\\)c d)",                       // backslash escapes a parenthesis
    "(a b\\c)",                          // a backslash that escapes nothing
    "(a ;note\n b)",                     // a comment between elements
    "(a;note b)",                        // a semicolon inside an atom is text
    "(;x)",                              // a semicolon where an atom would start
    "(a \x01 b)",                        // control bytes end atoms and start new ones
    "(a\x0b b)(c\x7f d)",                // other terminators
    std::string("(a b)\0(c d)", 11),     // the text ends at a zero byte
    "(\xc3\xa9t\xc3\xa9 (\xff\x80 1))",  // bytes from 0x80 up are atom text
    "(x (((((((((((((((((((deep))))))))))))))))))))",
};

TEST(SexpParserRoutes, DirectReadingMatchesTheReader) {
    for (const std::string& text : kTexts) {
        SCOPED_TRACE(text);
        SexpParser direct;
        SexpParser reader;
        EXPECT_EQ(describe(*direct.Parse(text)), describe(*reader.ParseWithReader(text)));
    }
}

TEST(SexpParserRoutes, RecycledListsMatchWhicheverRouteWroteThemBefore) {
    // Every text after every other, through one parser, so that each route writes over
    // lists the other route (or an unfinished direct reading) left behind.
    SexpParser reused;
    for (const std::string& before : kTexts) {
        for (const std::string& text : kTexts) {
            SCOPED_TRACE(before + " then " + text);
            reused.Parse(before);
            EXPECT_EQ(describe(*reused.Parse(text)), describe(*SexpParser().ParseWithReader(text)));
        }
    }
}

TEST(SexpParserRoutes, BadlyFormedTextKeepsTheReadersMessageAndEarlierPredicates) {
    SexpParser parser;
    testing::internal::CaptureStderr();
    const auto list = parser.Parse("(a 1)(b 2))(c 3)");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Badly formed s-expression.  Parser exiting.\n");
    EXPECT_EQ(describe(*list), "{a:[1]}{b:[2]}");
}

TEST(SexpParserRoutes, DeepNestingIsReadWithoutRecursion) {
    const std::string text = "(x " + std::string(200000, '(') + std::string(200000, ')') + ")";
    SexpParser parser;
    const auto list = parser.Parse(text);
    ASSERT_EQ(list->GetSize(), 1);
    const ParameterList* level = &list->begin()->parameter;
    int depth = 0;
    while (!level->IsEmpty()) {
        level = boost::any_cast<ParameterList>(&*level->begin());
        ASSERT_NE(level, nullptr);
        depth++;
    }
    EXPECT_EQ(depth, 200000);
}

}  // namespace
