#ifndef HALYX_SEXP_IO_H
#define HALYX_SEXP_IO_H

// Reads whole expressions from a file descriptor, one at a time, across reads.

#include "lib/sexp/parser.h"

enum { SEXP_READER_BUFFER_SIZE = 8192 };

// A descriptor with the unparsed rest of its last read and the partial expression.
struct sexp_reader {
    parse_continuation* continuation;  // null until the first expression is started
    int fd;
    char buffer[SEXP_READER_BUFFER_SIZE];
    int count;  // bytes in buffer that are not yet parsed through
};

typedef sexp_reader sexp_iowrap_t;

sexp_reader* init_iowrap(int fd);
// Frees the reader and any partly read expression; the descriptor stays open.
void destroy_iowrap(sexp_reader* r);
// The next complete expression (the caller's), or null at end of file, on a read
// error or on a badly formed expression ("ERROR" on standard error).
sexp_t* read_one_sexp(sexp_reader* r);

#endif
