#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/sexp/parser.h"
#include "lib/sexp/sexp.h"
#include "tests/sexp/read_all.h"

namespace {

struct GrammarCase {
    const char* name;
    std::string input;
    std::vector<std::string> expressions;  // printed, in the order the reader returns them
};

class ReaderGrammar : public ::testing::TestWithParam<GrammarCase> {};

TEST_P(ReaderGrammar, ReadsEachTopLevelExpressionInTurn) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(readAll(GetParam().input), GetParam().expressions);
    testing::internal::GetCapturedStderr();
}

const GrammarCase kGrammarCases[] = {
    {"NestedListsAndQuotedAtom", "(a (b c) \"d e\")", {"(a (b c) \"d e\")"}},
    {"EmptyList", "()", {"()"}},
    {"AdjacentLists", "(a)(b)", {"(a)", "(b)"}},
    {"TopLevelAtomThenList", "abc (x 1)", {"abc", "(x 1)"}},
    {"CommentBetweenElements", "(a ;note\nb)", {"(a b)"}},
    {"SemicolonInsideAtomIsText", "(a;note\nb)", {"(a;note b)"}},
    {"EscapedParenthesisInAtom", "(x\\)y)", {"(x)y)"}},
    {"OtherBackslashStaysInText", "(x\\qy)", {"(x\\qy)"}},
    {"EscapedBackslashEscapesNothing", "(a\\\\ b)", {"(a\\ b)"}},
    {"ParenthesisEndsAtomWithoutBlank", "(abc(def)g)", {"(abc (def) g)"}},
    {"SingleQuotedAtom", "('abc d)", {"('abc d)"}},
    {"SingleQuotedGroup", "('(1 2) z)", {"('(1 2) z)"}},
    {"QuotedGroupSkipsQuotedAndEscapedParens",
     "('(a \")\" \\) (b)) c)",
     {"('(a \")\" \\) (b)) c)"}},
    {"QuotedGroupEscapedBackslashStillCloses", "('(a \\\\) c)", {"('(a \\\\) c)"}},
    {"SingleQuoteBeforeDoubleQuoteKeepsQuotes", "('\"q r\" s)", {"('\"q r\" s)"}},
    {"EscapesInsideDoubleQuotes", "(\"a\\\"b\\(c\")", {"(\"a\\\"b(c\")"}},
    {"LineEndAndParensInsideDoubleQuotes", "(\"x\n(y)\" z)", {"(\"x\n(y)\" z)"}},
    {"HighBytesContinueAtoms", "(\xc3\xa9t\xff\x80 x)", {"(\xc3\xa9t\xff\x80 x)"}},
    {"ControlByteStartsNewAtom",
     "(ab\x01"
     "cd)",
     {"(ab \x01"
      "cd)"}},
    {"DeleteByteEndsAtom", "(ab\x7f)", {"(ab \x7f)"}},
    {"TabsAndCarriageReturnsSeparate", "(a\tb\r\nc)", {"(a b c)"}},
    {"ZeroByteEndsTheText", std::string("(a)\0(b)", 7), {"(a)"}},
    {"EmptyText", "", {}},
    {"OnlyComments", "; one\n;two\n", {}},
    {"UnterminatedList", "(time (now", {}},
    {"UnterminatedDoubleQuote", "(a \"bc", {}},
    {"LoneSingleQuote", "'", {}},
    {"BackslashAtEndOfText", "(a\\", {}},
    {"TopLevelAtomNeedsTerminator", "abc", {}},
    {"StrayCloseStopsReading", "(a) ) (b)", {"(a)"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, ReaderGrammar, ::testing::ValuesIn(kGrammarCases),
                         [](const testing::TestParamInfo<GrammarCase>& info) {
                             return std::string(info.param.name);
                         });

std::string text(const sexp_t* e) {
    return std::string(e->val);
}

TEST(Reader, ElementsCarryKindsAndTexts) {
    char input[] = "(a (b c) \"d e\" 'f ())";
    sexp_t* e = parse_sexp(input, sizeof input - 1);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->kind, ELT_LIST);
    const sexp_t* a = e->list;
    EXPECT_EQ(a->kind, ELT_ATOM);
    EXPECT_EQ(a->atom_kind, ATOM_PLAIN);
    EXPECT_EQ(text(a), "a");
    EXPECT_EQ(a->val_length, 2u);  // counts the terminating zero
    const sexp_t* bc = a->next;
    ASSERT_EQ(bc->kind, ELT_LIST);
    EXPECT_EQ(text(bc->list), "b");
    EXPECT_EQ(text(bc->list->next), "c");
    EXPECT_EQ(bc->list->next->next, nullptr);
    const sexp_t* de = bc->next;
    EXPECT_EQ(de->atom_kind, ATOM_DOUBLE_QUOTED);
    EXPECT_EQ(text(de), "d e");
    EXPECT_EQ(de->next->atom_kind, ATOM_SINGLE_QUOTED);
    EXPECT_EQ(text(de->next), "f");
    const sexp_t* empty = de->next->next;
    EXPECT_EQ(empty->kind, ELT_LIST);
    EXPECT_EQ(empty->list, nullptr);
    EXPECT_EQ(empty->next, nullptr);
    destroy_sexp(e);
}

TEST(Reader, LinesAdvanceAtLineEndsAndInComments) {
    char input[] = "(a ;note\nb\n\n(c))";
    sexp_t* e = parse_sexp(input, sizeof input - 1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->line, 1);
    EXPECT_EQ(e->list->line, 1);
    EXPECT_EQ(e->list->next->line, 2);
    EXPECT_EQ(e->list->next->next->line, 4);
    destroy_sexp(e);
}

TEST(Reader, LongAtomGrowsItsBufferBySteps) {
    // The buffer grows by 64 bytes each time a stored byte fills it, so its size is the
    // first of 256, 320, 384 ... above the bytes held (the text and its zero byte),
    // however the text's bytes were stored (in runs, or one by one around an escape).
    const struct {
        std::string atom;    // as written
        std::string stored;  // as read
        size_t capacity;
    } kCases[] = {
        {std::string(254, 'x'), std::string(254, 'x'), 256},
        {std::string(255, 'x'), std::string(255, 'x'), 320},
        {std::string(300, 'x'), std::string(300, 'x'), 320},
        {std::string(318, 'x'), std::string(318, 'x'), 320},
        {std::string(319, 'x'), std::string(319, 'x'), 384},
        {std::string(700, 'x'), std::string(700, 'x'), 704},
        {std::string(250, 'a') + "\\)" + std::string(100, 'b'),
         std::string(250, 'a') + ")" + std::string(100, 'b'), 384},
    };
    for (const auto& c : kCases) {
        std::string input = "(" + c.atom + ")";
        sexp_t* e = parse_sexp(&input[0], static_cast<int>(input.size()));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(text(e->list), c.stored);
        EXPECT_EQ(e->list->val_length, c.stored.size() + 1);
        EXPECT_EQ(e->list->val_capacity, c.capacity) << c.stored.size() << " bytes";
        destroy_sexp(e);
    }
}

TEST(Reader, StrayCloseIsReportedAndLeavesResumeAtIt) {
    char input[] = ")";
    parse_continuation* cc = init_continuation(input);
    testing::internal::CaptureStderr();
    EXPECT_EQ(iparse_sexp(input, 1, cc), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Badly formed s-expression.  Parser exiting.\n");
    EXPECT_EQ(cc->error, 1);
    EXPECT_EQ(cc->resume_pos, input);
    destroy_continuation(cc);
}

TEST(Reader, NullArgumentsAreReportedNotFollowed) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(iparse_sexp(nullptr, 0, nullptr), nullptr);
    parse_continuation* cc = init_continuation(nullptr);
    EXPECT_EQ(cparse_sexp(nullptr, 3, cc), cc);
    EXPECT_EQ(parse_sexp(nullptr, 3), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "iparse_sexp called with null continuation!\n"
              "cparse_sexp: called with null string.\n");
    destroy_continuation(cc);
}

TEST(Reader, BufferParametersRefuseValuesBelowOne) {
    testing::internal::CaptureStderr();
    set_parser_buffer_params(0, 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(": Cannot set buffer start size to value<1.\n"), std::string::npos);
    EXPECT_NE(err.find(": Cannot set buffer grow size to value<1.\n"), std::string::npos);
    EXPECT_EQ(sexp_val_start_size, 256u);
    EXPECT_EQ(sexp_val_grow_size, 64u);

    set_parser_buffer_params(4, 2);
    char input[] = "(abcdefg)";
    sexp_t* e = parse_sexp(input, sizeof input - 1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(text(e->list), "abcdefg");
    EXPECT_EQ(e->list->val_capacity, 10u);  // 4, then 6, 8, 10 as bytes arrive
    destroy_sexp(e);
    set_parser_buffer_params(256, 64);
}

TEST(Reader, InlineBinaryAtomsHoldRawBytesInBinaryMode) {
    char input[] = "(#b#3#a\0b #bx #b#2x)";
    parse_continuation* cc = init_continuation(input);
    cc->mode = PARSER_INLINE_BINARY;
    sexp_t* e = iparse_sexp(input, sizeof input - 1, cc);
    ASSERT_NE(e, nullptr);
    const sexp_t* bin = e->list;
    EXPECT_EQ(bin->atom_kind, ATOM_BINARY);
    EXPECT_EQ(bin->val, nullptr);
    ASSERT_EQ(bin->binlength, 3u);
    EXPECT_EQ(std::string(bin->bindata, 3), std::string("a\0b", 3));
    // A marker without a count, or a count without its "#", stays plain text.
    EXPECT_EQ(text(bin->next), "#bx");
    EXPECT_EQ(text(bin->next->next), "#b#2x");
    EXPECT_EQ(printed(e), std::string("(#b#3#a\0b #bx #b#2x)", 20));
    destroy_sexp(e);
    destroy_continuation(cc);
}

}  // namespace
