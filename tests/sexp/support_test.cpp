#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "lib/sexp/cstring.h"
#include "lib/sexp/faststack.h"
#include "lib/sexp/io.h"
#include "lib/sexp/malloc_util.h"
#include "tests/sexp/read_all.h"

namespace {

TEST(FastStack, LevelsAreKeptAndReusedAfterPops) {
    fast_stack* s = make_stack();
    int a = 1, b = 2, c = 3;
    push(push(s, &a), &b);
    stack_level* base = s->base;
    stack_level* second = s->top;
    EXPECT_EQ(pop(s)->item, &b);
    EXPECT_EQ(pop(s)->item, &a);
    EXPECT_EQ(s->height, 0);
    EXPECT_EQ(s->top, nullptr);
    push(push(s, &c), &a);
    EXPECT_EQ(s->base, base);
    EXPECT_EQ(s->top, second);
    EXPECT_EQ(top_item(s), &a);
    destroy_stack(s);
}

TEST(FastStack, PopOnEmptyStackIsReportedAndGivesNull) {
    fast_stack* s = make_stack();
    testing::internal::CaptureStderr();
    EXPECT_EQ(pop(s), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "STACK: non-null top, but height < 0!\n");
    EXPECT_EQ(s->height, 0);
    destroy_stack(s);
}

TEST(GrowableString, AppendsGrowByTheAppendedLengthAndTheGrowSize) {
    sgrowsize(16);
    growable_string* s = snew(4);
    EXPECT_EQ(s->base[0], '\0');
    sadd(s, "abcdef");
    EXPECT_STREQ(toCharPtr(s), "abcdef");
    EXPECT_EQ(s->capacity, 4u + 6u + 16u);
    saddch(s, 'g');
    EXPECT_EQ(s->length, 7u);
    strim(s);
    EXPECT_EQ(s->capacity, 8u);
    EXPECT_STREQ(toCharPtr(s), "abcdefg");
    sempty(s);
    EXPECT_STREQ(toCharPtr(s), "");
    sgrowsize(0);  // refused
    EXPECT_EQ(cstring_growsize, 16u);
    sgrowsize(8192);
    sdestroy(s);
}

// A pipe written in pieces stands for a slow peer.
class DescriptorReader : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(pipe(mFds), 0); }
    void TearDown() override {
        close(mFds[0]);
        if (mFds[1] >= 0) close(mFds[1]);
    }
    void write(const std::string& text) {
        ASSERT_EQ(::write(mFds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void closeWriter() {
        close(mFds[1]);
        mFds[1] = -1;
    }
    std::string next(sexp_reader* r) {
        sexp_t* e = read_one_sexp(r);
        if (e == nullptr) return "<null>";
        std::string text = printed(e);
        destroy_sexp(e);
        return text;
    }
    int mFds[2];
};

TEST_F(DescriptorReader, ReadsExpressionsAcrossReadsUntilEndOfFile) {
    sexp_reader* r = init_iowrap(mFds[0]);
    write("(a b) (c");
    EXPECT_EQ(next(r), "(a b)");
    write(" d)(e)");
    EXPECT_EQ(next(r), "(c d)");
    EXPECT_EQ(next(r), "(e)");
    closeWriter();
    EXPECT_EQ(next(r), "<null>");
    destroy_iowrap(r);
}

TEST_F(DescriptorReader, BadlyFormedInputIsReportedAndDropped) {
    sexp_reader* r = init_iowrap(mFds[0]);
    write(") (x)");
    testing::internal::CaptureStderr();
    EXPECT_EQ(next(r), "<null>");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Badly formed s-expression.  Parser exiting.\nERROR\n");
    write("(y)");
    EXPECT_EQ(next(r), "(y)");
    closeWriter();
    destroy_iowrap(r);
}

TEST(TrackingAllocator, ListsBlocksLeftSinceTheCheckPoint) {
    x_init_alloc();
    testing::internal::CaptureStderr();
    void* kept = x_malloc(10, "a.c", 1);
    x_inc_check_point();
    void* freed = x_malloc(20, "a.c", 2);
    char* copy = x_strdup("text", "a.c", 3);
    x_free(freed, "a.c", 4);
    EXPECT_EQ(x_check_point_count(), 1);  // copy; kept belongs to the earlier check point
    EXPECT_STREQ(copy, "text");
    x_free(copy, "a.c", 5);
    x_free(kept, "a.c", 6);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("    ALLOC        a.c    2   20 "), std::string::npos);
    EXPECT_NE(log.find("    FREE         a.c    4   20 "), std::string::npos);
}

TEST(TrackingAllocator, FullTableReusesFreedEntries) {
    x_init_alloc();
    testing::internal::CaptureStderr();
    for (int i = 0; i < X_ALLOC_TABLE_SIZE + 5; i++) x_free(x_malloc(1, "b.c", i), "b.c", i);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("XXX wrapping.\n"), std::string::npos);
}

TEST(TrackingAllocatorDeathTest, DoubleAndUnknownReleasesAbort) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            x_init_alloc();
            void* p = x_malloc(8, "c.c", 1);
            x_free(p, "c.c", 2);
            x_free(p, "c.c", 3);
        },
        "XXX BLOCK FREED TWICE:");
    int local = 0;
    EXPECT_DEATH(x_free(&local, "c.c", 4), "XXX BLOCK NEVER ALLOCATED:");
    EXPECT_DEATH(
        {
            x_init_alloc();
            for (int i = 0; i <= X_ALLOC_TABLE_SIZE; i++) x_malloc(1, "d.c", i);
        },
        "XXX Ran out of alloc spaces \\(1000 allocated\\)");
}

}  // namespace
