#include <gtest/gtest.h>

#include <string>

#include "lib/sexp/parser.h"
#include "lib/sexp/sexp_ops.h"
#include "tests/sexp/read_all.h"

namespace {

// One parsed expression, released at the end of the test.
class Tree {
public:
    explicit Tree(std::string text) : mText(std::move(text)) {
        mRoot = parse_sexp(&mText[0], static_cast<int>(mText.size()));
    }
    ~Tree() { destroy_sexp(mRoot); }
    sexp_t* get() const { return mRoot; }

private:
    std::string mText;
    sexp_t* mRoot;
};

// Releases a result of the list operations.
struct Owned {
    explicit Owned(sexp_t* s) : p(s) {}
    ~Owned() { destroy_sexp(p); }
    sexp_t* p;
};

TEST(SexpOps, PrintWritesQuotesAndEscapesBack) {
    Tree t("(a \"b \\\"c\\\\\" 'd '(e f) ())");
    char buffer[64];
    int n = print_sexp(buffer, sizeof buffer, t.get());
    EXPECT_EQ(std::string(buffer), "(a \"b \\\"c\\\\\" 'd '(e f) ())");
    EXPECT_EQ(n, static_cast<int>(std::string(buffer).size()));
}

TEST(SexpOps, PrintRefusesTooLittleSpaceAndNullTrees) {
    Tree t("(abc def)");
    char buffer[8];
    testing::internal::CaptureStderr();
    EXPECT_EQ(print_sexp(buffer, sizeof buffer, t.get()), -1);
    EXPECT_EQ(print_sexp(buffer, 0, t.get()), -1);
    EXPECT_EQ(print_sexp(buffer, sizeof buffer, nullptr), -1);
    growable_string* out = nullptr;
    EXPECT_EQ(print_sexp_cstr(&out, nullptr, 8, 8), -1);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Warning: print_sexp out of buffer space.\n"
              "Warning: print_sexp not provided sufficient space.\n"
              "print_sexp: s-expression is null.\n"
              "print_sexp_cstr warning: s-expression is null.\n");
    char exact[10];
    EXPECT_EQ(print_sexp(exact, sizeof exact, t.get()), 9);
}

TEST(SexpOps, PrintReportsAnUnknownKind) {
    Tree t("(a)");
    t.get()->list->kind = 7;
    char buffer[16];
    testing::internal::CaptureStderr();
    EXPECT_EQ(print_sexp(buffer, sizeof buffer, t.get()), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: Unknown type in sexp_t.\n");
    t.get()->list->kind = ELT_ATOM;
}

TEST(SexpOps, SearchesFindTheFirstMatchInTheirOrder) {
    // Depth first meets the x inside (a (x 1)) first; level by level meets the
    // top-level x first.
    Tree t("((a (x 1)) x (x 2))");
    sexp_t* dfs = find_sexp("x", t.get()->list);
    sexp_t* bfs = bfs_find_sexp("x", t.get()->list);
    ASSERT_NE(dfs, nullptr);
    ASSERT_NE(bfs, nullptr);
    EXPECT_EQ(std::string(dfs->next->val), "1");
    EXPECT_EQ(bfs, t.get()->list->next);
    EXPECT_EQ(find_sexp("nothing", t.get()), nullptr);
    EXPECT_EQ(bfs_find_sexp("nothing", t.get()), nullptr);
}

TEST(SexpOps, ListLengthCountsElements) {
    Tree t("(a (b c) d)");
    EXPECT_EQ(sexp_list_length(nullptr), 0);
    EXPECT_EQ(sexp_list_length(t.get()->list), 1);
    EXPECT_EQ(sexp_list_length(t.get()), 3);
    EXPECT_EQ(sexp_list_length(t.get()->list->next), 2);
}

TEST(SexpOps, CopyIsDeepAndKeepsKindsAndLines) {
    Tree t("(a\n\"b c\" '(d))");
    Owned copy(copy_sexp(t.get()));
    EXPECT_EQ(printed(copy.p), printed(t.get()));
    EXPECT_NE(copy.p->list, t.get()->list);
    EXPECT_NE(copy.p->list->val, t.get()->list->val);
    EXPECT_EQ(copy.p->list->next->atom_kind, ATOM_DOUBLE_QUOTED);
    EXPECT_EQ(copy.p->list->next->line, 2);
}

TEST(SexpOps, ConsCarAndCdrBuildNewListsFromCopies) {
    Tree a("(1 (2))");
    Tree b("(3)");
    Owned cons(cons_sexp(a.get(), b.get()));
    EXPECT_EQ(printed(cons.p), "(1 (2) 3)");
    Owned car(car_sexp(a.get()));
    EXPECT_EQ(printed(car.p), "(1)");
    Owned cdr(cdr_sexp(a.get()));
    EXPECT_EQ(printed(cdr.p), "((2))");
    Tree empty("()");
    Owned emptyCdr(cdr_sexp(empty.get()));
    EXPECT_EQ(printed(emptyCdr.p), "()");
}

TEST(SexpOps, ListOperationsRefuseAtomsAndNull) {
    Tree list("(1)");
    Owned atom(new_sexp_atom("x", 1));
    testing::internal::CaptureStderr();
    EXPECT_EQ(cons_sexp(list.get(), atom.p), nullptr);
    EXPECT_EQ(car_sexp(nullptr), nullptr);
    EXPECT_EQ(car_sexp(atom.p), nullptr);
    EXPECT_EQ(cdr_sexp(nullptr), nullptr);
    EXPECT_EQ(cdr_sexp(atom.p), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Cannot cons non-lists.\n"
              "car called on null sexpr.\n"
              "car called on an atom.\n"
              "cdr called on null.\n"
              "cdr called on atom.\n");
}

TEST(SexpOps, MadeAtomsAndListsPrintAsWritten) {
    Owned list(new_sexp_list(new_sexp_atom("hello world", 5)));
    list.p->list->next = new_sexp_atom("x", 1);
    EXPECT_EQ(printed(list.p), "(hello x)");
    EXPECT_EQ(list.p->list->val_length, 6u);
}

}  // namespace
