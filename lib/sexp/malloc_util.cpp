#include "lib/sexp/malloc_util.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct alloc_record {
    void* block;
    size_t size;
    const char* file;
    int line;
    int freed;
    int check_point;  // check point current when the block was allocated
};

alloc_record records[X_ALLOC_TABLE_SIZE];
int used = 0;  // entries of records ever filled
int check_point = 0;

// A slot for a new record: the next unused one, or once all were used a freed one.
int free_slot() {
    if (used < X_ALLOC_TABLE_SIZE) return used++;
    static bool wrapped = false;
    if (!wrapped) {
        fprintf(stderr, "XXX wrapping.\n");
        wrapped = true;
    }
    for (int i = 0; i < X_ALLOC_TABLE_SIZE; i++) {
        if (records[i].freed) return i;
    }
    fprintf(stderr, "XXX Ran out of alloc spaces (%d allocated)\n", X_ALLOC_TABLE_SIZE);
    abort();
}

// The live record of block, else (in *freed_one) a released one, else -1.
int find_record(const void* block, int* freed_one) {
    *freed_one = -1;
    for (int i = used - 1; i >= 0; i--) {
        if (records[i].block != block) continue;
        if (!records[i].freed) return i;
        if (*freed_one < 0) *freed_one = i;
    }
    return -1;
}

}  // namespace

void* x_malloc(size_t size, const char* file, int line) {
    void* block = malloc(size);
    if (block == nullptr) return nullptr;
    int i = free_slot();
    records[i] = alloc_record{block, size, file, line, 0, check_point};
    fprintf(stderr, "    ALLOC %10s %4d %4d %p\n", file, line, static_cast<int>(size), block);
    return block;
}

char* x_strdup(const char* s, const char* file, int line) {
    size_t n = strlen(s) + 1;
    char* copy = static_cast<char*>(x_malloc(n, file, line));
    if (copy != nullptr) memcpy(copy, s, n);
    return copy;
}

void x_free(void* p, const char* file, int line) {
    if (p == nullptr) return;  // like free, releasing nothing is harmless
    int freed_one = -1;
    int i = find_record(p, &freed_one);
    if (i < 0 && freed_one >= 0) {
        const alloc_record& r = records[freed_one];
        fprintf(stderr, "XXX BLOCK FREED TWICE: %10s %4d %p (allocated at %s %d)\n", file, line, p,
                r.file, r.line);
        abort();
    }
    if (i < 0) {
        fprintf(stderr, "XXX BLOCK NEVER ALLOCATED: %10s %4d %p\n", file, line, p);
        abort();
    }
    records[i].freed = 1;
    fprintf(stderr, "    FREE  %10s %4d %4d %p\n", file, line, static_cast<int>(records[i].size),
            p);
    free(p);
}

void x_init_alloc() {
    memset(records, 0, sizeof records);
    used = 0;
    check_point = 0;
}

void x_inc_check_point() {
    check_point++;
}

int x_check_point_count() {
    int count = 0;
    for (int i = 0; i < used; i++) {
        const alloc_record& r = records[i];
        if (r.freed || r.check_point != check_point) continue;
        fprintf(stderr, "    ALLOC %10s %4d %4d %p\n", r.file, r.line, static_cast<int>(r.size),
                r.block);
        count++;
    }
    return count;
}
