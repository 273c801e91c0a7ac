#include "lib/sexp/cstring.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

size_t cstring_growsize = 8192;

growable_string* snew(size_t size) {
    if (size < 1) size = 1;
    growable_string* s = static_cast<growable_string*>(malloc(sizeof(growable_string)));
    assert(s != nullptr);
    s->base = static_cast<char*>(calloc(size, 1));
    assert(s->base != nullptr);
    s->capacity = size;
    s->length = 0;
    return s;
}

// Makes room for extra more bytes and the terminating zero.
static growable_string* reserve(growable_string* s, size_t extra) {
    if (s->length + extra + 1 <= s->capacity) return s;
    size_t capacity = s->capacity + extra + cstring_growsize;
    char* base = static_cast<char*>(realloc(s->base, capacity));
    if (base == nullptr) {
        perror("realloc string");
        return nullptr;
    }
    s->base = base;
    s->capacity = capacity;
    return s;
}

static growable_string* append(growable_string* s, const char* bytes, size_t n) {
    if (s == nullptr || reserve(s, n) == nullptr) return nullptr;
    memcpy(s->base + s->length, bytes, n);
    s->length += n;
    s->base[s->length] = '\0';
    return s;
}

growable_string* sadd(growable_string* s, const char* text) {
    if (text == nullptr) return s;
    return append(s, text, strlen(text));
}

growable_string* saddch(growable_string* s, char c) {
    return append(s, &c, 1);
}

growable_string* strim(growable_string* s) {
    if (s == nullptr) return nullptr;
    char* base = static_cast<char*>(realloc(s->base, s->length + 1));
    if (base == nullptr) {
        perror("realloc string in trim");
        return nullptr;
    }
    s->base = base;
    s->capacity = s->length + 1;
    return s;
}

growable_string* sempty(growable_string* s) {
    if (s == nullptr) return nullptr;
    s->length = 0;
    s->base[0] = '\0';
    return s;
}

void sdestroy(growable_string* s) {
    if (s == nullptr) return;
    free(s->base);
    free(s);
}

void sgrowsize(size_t n) {
    if (n > 0) cstring_growsize = n;
}

char* toCharPtr(growable_string* s) {
    return s == nullptr ? nullptr : s->base;
}
