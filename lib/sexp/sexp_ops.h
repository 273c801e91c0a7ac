#ifndef HALYX_SEXP_SEXP_OPS_H
#define HALYX_SEXP_SEXP_OPS_H

// Printing, searching, copying and list operations on element trees. Walks go
// along sibling chains in loops and recurse only into nested lists.

#include "lib/sexp/cstring.h"
#include "lib/sexp/sexp.h"

// Writes the expression as text into buffer (zero-terminated); the characters
// written, or -1 when it does not fit.
int print_sexp(char* buffer, int size, const sexp_t* s);
// The same into a new growable string (*out, the caller's); its length or -1.
int print_sexp_cstr(growable_string** out, const sexp_t* s, int initial_size, int grow_size);

// The first atom with text name: depth first, or level by level.
sexp_t* find_sexp(const char* name, sexp_t* start);
sexp_t* bfs_find_sexp(const char* name, sexp_t* start);

// 0 for null, 1 for an atom, else the number of elements of the list.
int sexp_list_length(const sexp_t* s);
// Deep copy of s and of every element after it.
sexp_t* copy_sexp(const sexp_t* s);

// New lists built from copies: a's elements then b's; a's first; all of a's but the first.
sexp_t* cons_sexp(const sexp_t* a, const sexp_t* b);
sexp_t* car_sexp(const sexp_t* s);
sexp_t* cdr_sexp(const sexp_t* s);

#endif
