#ifndef HALYX_SEXP_PARSER_H
#define HALYX_SEXP_PARSER_H

// The incremental S-expression reader: a byte-at-a-time state machine whose whole
// state lives in a continuation, so that a parse can stop at the end of one buffer
// in the middle of an expression and go on when the next buffer arrives. Each call
// completes at most one top-level expression. Messages go to standard error;
// nothing is thrown.

#include <cstddef>

#include "lib/sexp/faststack.h"
#include "lib/sexp/sexp.h"

// The whole state of an interrupted parse.
struct parse_continuation {
    fast_stack* stack;    // frames of the open lists
    sexp_t* last_expr;    // expression completed by the last call, or null
    char* val;            // buffer of the atom being read
    size_t val_capacity;  // its size, bytes
    size_t val_length;    // bytes in it
    char* write_pos;      // where the next atom byte goes
    char* resume_pos;     // where the next call resumes; null: at the text it is given
    char* buffer_start;   // start of the text being parsed
    int depth;            // open lists
    int quoted_depth;     // open parentheses inside a single-quoted group
    int state;            // parser state 1-15
    int escaped;          // 1 when the previous atom byte was an escaping backslash
    int single_quoted;    // 1 while reading an atom that followed a single quote
    int error;            // 1 after a badly formed expression
    int mode;             // 0 normal, 1 inline binary atoms
    int binexpected;      // binary bytes announced
    int bin_received;     // binary bytes read so far
    char* bindata;        // binary bytes being collected
    int line;             // current line, first line 1
};

typedef parse_continuation pcont_t;

enum { PARSER_NORMAL = 0, PARSER_INLINE_BINARY = 1 };

parse_continuation* init_continuation(char* text);
// Releases the continuation and any incomplete expression it holds. Null is ignored.
void destroy_continuation(parse_continuation* cc);

// Reads on from where cc stopped (a null cc starts a fresh continuation) until one
// top-level expression is complete, the text ends (length bytes or a zero byte) or
// a ")" closes no list. The completed expression is left in cc->last_expr.
parse_continuation* cparse_sexp(char* text, int length, parse_continuation* cc);
// cparse_sexp that hands the completed expression to the caller (null if none).
sexp_t* iparse_sexp(char* text, int length, parse_continuation* cc);
// The first expression of text, parsed with a continuation of its own.
sexp_t* parse_sexp(char* text, int length);

// Sets the initial size and growth of atom buffers; values below 1 are refused.
void set_parser_buffer_params(int start, int grow);

#endif
