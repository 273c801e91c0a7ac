#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/sexp/parser.h"
#include "tests/sexp/fixtures.h"
#include "tests/sexp/read_all.h"

namespace {

TEST(ReaderResume, IncompleteExpressionWaitsInTheContinuation) {
    char first[] = "(time (now";
    parse_continuation* cc = init_continuation(first);
    EXPECT_EQ(iparse_sexp(first, sizeof first - 1, cc), nullptr);
    EXPECT_EQ(cc->depth, 2);
    EXPECT_EQ(cc->resume_pos, nullptr);

    char second[] = " 46.20)) (GS)";
    sexp_t* e = iparse_sexp(second, sizeof second - 1, cc);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(printed(e), "(time (now 46.20))");
    EXPECT_EQ(cc->depth, 0);
    destroy_sexp(e);
    e = iparse_sexp(second, sizeof second - 1, cc);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(printed(e), "(GS)");
    destroy_sexp(e);
    EXPECT_EQ(iparse_sexp(second, sizeof second - 1, cc), nullptr);
    destroy_continuation(cc);
}

TEST(ReaderResume, DestroyingAContinuationReleasesThePartialTree) {
    // Run under the leak checker: every open level and its atoms must be freed.
    char input[] = "(a (b c (d \"e f";
    parse_continuation* cc = init_continuation(input);
    EXPECT_EQ(iparse_sexp(input, sizeof input - 1, cc), nullptr);
    EXPECT_EQ(cc->depth, 3);
    destroy_continuation(cc);
    destroy_continuation(nullptr);
}

TEST(ReaderResume, EverySplitOfARealMessageReadsTheSame) {
    const std::string message = referenceMessage();
    ASSERT_GT(message.size(), 2000u);
    const std::vector<std::string> whole = readAll(message);
    ASSERT_EQ(whole.size(), 31u);
    for (size_t split = 1; split < message.size(); split++) {
        std::vector<std::string> parts{message.substr(0, split), message.substr(split)};
        ASSERT_EQ(readAll(parts), whole) << "split at byte " << split;
    }
}

TEST(ReaderResume, ByteAtATimeFeedReadsTheSame) {
    const std::string message = referenceMessage();
    std::vector<std::string> bytes;
    for (char c : message) bytes.push_back(std::string(1, c));
    EXPECT_EQ(readAll(bytes), readAll(message));
}

TEST(ReaderResume, TopLevelAtomSplitAcrossBuffersIsWhole) {
    EXPECT_EQ(readAll(std::vector<std::string>{"ab", "cd ", "(x)"}),
              (std::vector<std::string>{"abcd", "(x)"}));
    EXPECT_EQ(readAll(std::vector<std::string>{"(\"a b", "\\\"c\")"}),
              (std::vector<std::string>{"(\"a b\\\"c\")"}));
    EXPECT_EQ(readAll(std::vector<std::string>{"('(a (", "b)) c)"}),
              (std::vector<std::string>{"('(a (b)) c)"}));
}

}  // namespace
