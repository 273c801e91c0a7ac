#include <gtest/gtest.h>
#include <malloc.h>

#include <random>
#include <string>
#include <vector>

#include "lib/sexp/parser.h"
#include "lib/sexp/sexp.h"
#include "tests/sexp/fixtures.h"
#include "tests/sexp/read_all.h"

namespace {

// Small atom buffers keep the big inputs below within a modest amount of memory.
class ReaderHostile : public ::testing::Test {
protected:
    void SetUp() override { set_parser_buffer_params(8, 8); }
    void TearDown() override { set_parser_buffer_params(256, 64); }
};

TEST_F(ReaderHostile, VeryDeepNestingIsReadAndReleasedWithoutRecursion) {
    const int depth = 200000;
    std::string input = std::string(depth, '(') + "x" + std::string(depth, ')');
    sexp_t* e = parse_sexp(&input[0], static_cast<int>(input.size()));
    ASSERT_NE(e, nullptr);
    int levels = 0;
    const sexp_t* s = e;
    while (s->kind == ELT_LIST) {
        levels++;
        s = s->list;
    }
    EXPECT_EQ(levels, depth);
    EXPECT_STREQ(s->val, "x");
    destroy_sexp(e);
}

TEST_F(ReaderHostile, UnclosedDeepNestingIsReleasedWithTheContinuation) {
    std::string input = std::string(200000, '(') + "x y";
    parse_continuation* cc = init_continuation(&input[0]);
    EXPECT_EQ(iparse_sexp(&input[0], static_cast<int>(input.size()), cc), nullptr);
    EXPECT_EQ(cc->depth, 200000);
    destroy_continuation(cc);
}

TEST_F(ReaderHostile, LongSiblingChainIsReleasedWithoutRecursion) {
    const int atoms = 300000;
    std::string input = "(";
    for (int i = 0; i < atoms; i++) input += "a ";
    input += ")";
    sexp_t* e = parse_sexp(&input[0], static_cast<int>(input.size()));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(sexp_list_length(e), atoms);
    sexp_t* copy = copy_sexp(e);
    EXPECT_EQ(sexp_list_length(copy), atoms);
    destroy_sexp(copy);
    destroy_sexp(e);
}

TEST_F(ReaderHostile, AtomOfManyThousandBytesIsKeptWhole) {
    std::string atom(50000, 'q');
    std::string input = "(" + atom + " \"" + atom + "\")";
    sexp_t* e = parse_sexp(&input[0], static_cast<int>(input.size()));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(std::string(e->list->val), atom);
    EXPECT_EQ(std::string(e->list->next->val), atom);
    destroy_sexp(e);
}

// Random edits of a real message: whatever arrives, the reader returns or stops
// without reading outside the text or leaking (checked under the sanitizers).
TEST_F(ReaderHostile, MutatedMessagesNeverMisbehave) {
    const std::string message = referenceMessage();
    const char alphabet[] = "()\"'\\; \n\t#b0a\x01\x7f\xff";
    std::mt19937 random(12345);
    testing::internal::CaptureStderr();
    for (int round = 0; round < 3000; round++) {
        std::string text = message;
        int edits = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < edits; i++) {
            size_t at = random() % text.size();
            char c = alphabet[random() % (sizeof alphabet - 1)];
            if (random() % 3 == 0) {
                text.erase(at, 1 + random() % 40);
            } else {
                text[at] = c;
            }
            if (text.empty()) text = "(";
        }
        size_t split = random() % text.size();
        readAll(std::vector<std::string>{text.substr(0, split), text.substr(split)});
    }
    testing::internal::GetCapturedStderr();
}

TEST(ReaderMemory, RecordsAreRecycledSoMemoryStaysFlat) {
    std::string message = referenceMessage();
    auto parseOnce = [&message]() {
        parse_continuation* cc = init_continuation(&message[0]);
        while (sexp_t* e = iparse_sexp(&message[0], static_cast<int>(message.size()), cc)) {
            destroy_sexp(e);
        }
        destroy_continuation(cc);
    };
    parseOnce();
    const int elements = sexp_t_cache->height;
    const int frames = pd_cache->height;
    EXPECT_GT(elements, 100);
#ifndef HALYX_UNDER_ASAN
    parseOnce();
    const size_t inUse = mallinfo2().uordblks;
#endif
    for (int i = 0; i < 2000; i++) parseOnce();
    EXPECT_EQ(sexp_t_cache->height, elements);
    EXPECT_EQ(pd_cache->height, frames);
#ifndef HALYX_UNDER_ASAN
    EXPECT_EQ(mallinfo2().uordblks, inUse);
#endif
}

TEST(ReaderMemory, CleanupEmptiesBothFreeLists) {
    char input[] = "(a (b))";
    destroy_sexp(parse_sexp(input, sizeof input - 1));
    ASSERT_NE(sexp_t_cache, nullptr);
    sexp_cleanup();
    EXPECT_EQ(sexp_t_cache, nullptr);
    EXPECT_EQ(pd_cache, nullptr);
    // The reader goes on working, creating fresh free lists.
    sexp_t* e = parse_sexp(input, sizeof input - 1);
    EXPECT_EQ(printed(e), "(a (b))");
    destroy_sexp(e);
}

}  // namespace
