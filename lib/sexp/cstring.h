#ifndef HALYX_SEXP_CSTRING_H
#define HALYX_SEXP_CSTRING_H

// A growable, always zero-terminated string for building texts of unknown length
// (the printer of element trees writes into one).

#include <cstddef>

// A text that grows as it is appended to.
struct growable_string {
    char* base;       // zero-terminated text
    size_t capacity;  // bytes allocated for base
    size_t length;    // bytes of text, without the terminating zero
};

typedef growable_string CSTRING;

// Extra bytes added each time a growable string must grow.
extern size_t cstring_growsize;

// An empty string with a zeroed buffer of size bytes (at least one).
growable_string* snew(size_t size);
// Append text or one byte; null (with a message from perror) if the buffer cannot grow.
growable_string* sadd(growable_string* s, const char* text);
growable_string* saddch(growable_string* s, char c);
// Shrinks the buffer to the text and its terminating zero.
growable_string* strim(growable_string* s);
growable_string* sempty(growable_string* s);
void sdestroy(growable_string* s);
// Sets cstring_growsize; n must be positive.
void sgrowsize(size_t n);
char* toCharPtr(growable_string* s);

#endif
