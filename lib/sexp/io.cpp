#include "lib/sexp/io.h"

#include <unistd.h>

#include <cassert>
#include <cstdio>
#include <cstdlib>

sexp_reader* init_iowrap(int fd) {
    sexp_reader* r = static_cast<sexp_reader*>(malloc(sizeof(sexp_reader)));
    assert(r != nullptr);
    r->continuation = nullptr;
    r->fd = fd;
    r->count = 0;
    return r;
}

void destroy_iowrap(sexp_reader* r) {
    if (r == nullptr) return;
    destroy_continuation(r->continuation);
    free(r);
}

sexp_t* read_one_sexp(sexp_reader* r) {
    if (r == nullptr) return nullptr;
    for (;;) {
        if (r->count == 0) {
            ssize_t n = read(r->fd, r->buffer, sizeof r->buffer);
            if (n <= 0) return nullptr;
            r->count = static_cast<int>(n);
        }
        r->continuation = cparse_sexp(r->buffer, r->count, r->continuation);
        parse_continuation* cc = r->continuation;
        if (cc->error) {
            // The rest of the buffer cannot be trusted: drop it and start afresh.
            fprintf(stderr, "ERROR\n");
            destroy_continuation(cc);
            r->continuation = nullptr;
            r->count = 0;
            return nullptr;
        }
        if (cc->last_expr != nullptr) {
            sexp_t* e = cc->last_expr;
            cc->last_expr = nullptr;
            return e;
        }
        r->count = 0;  // everything read so far is in the continuation
    }
}
