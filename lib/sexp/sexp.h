#ifndef HALYX_SEXP_SEXP_H
#define HALYX_SEXP_SEXP_H

// Element trees of the S-expression reader and the recycling of their records.
// Released elements and list frames go to two process-wide free lists and are
// handed out again before anything new is allocated; the lists are only emptied
// by sexp_cleanup. Nothing here is thread-safe.

#include <cstddef>

#include "lib/sexp/faststack.h"

enum { ELT_ATOM = 0, ELT_LIST = 1 };
enum { ATOM_PLAIN = 0, ATOM_SINGLE_QUOTED = 1, ATOM_DOUBLE_QUOTED = 2, ATOM_BINARY = 3 };

// One element: an atom with its text, or a list with its first child. An element
// owns its text, its children and every element after it in its list.
struct elt {
    int kind;             // ELT_ATOM or ELT_LIST
    char* val;            // atom text, zero-terminated; null for lists and binary atoms
    size_t val_capacity;  // bytes allocated for val
    size_t val_length;    // bytes of val in use, counting the terminating zero byte
    elt* list;            // first child of a list (null when empty); null for atoms
    elt* next;            // following element of the enclosing list
    int atom_kind;        // ATOM_PLAIN ... ATOM_BINARY
    char* bindata;        // bytes of a binary atom
    size_t binlength;     // count of those bytes
    int line;             // text line the element was read on, first line 1
};

typedef elt sexp_t;

// The first and last element collected so far for one open list.
struct list_frame {
    sexp_t* first;
    sexp_t* last;
};

typedef list_frame parse_data_t;

extern size_t sexp_val_start_size;  // initial size of every atom buffer, bytes
extern size_t sexp_val_grow_size;   // bytes added each time an atom buffer is full
extern fast_stack* sexp_t_cache;    // released elements, created on first use
extern fast_stack* pd_cache;        // released list frames, created on first use

extern fast_stack* sexp_val_cache;  // released atom buffers, created on first use
extern size_t sexp_val_cache_size;  // size of each buffer in sexp_val_cache, bytes

// The reader takes and returns a record or buffer for every element, so the
// cached cases below stay inline; the out-of-line parts allocate anew.
char* sexp_val_allocate_new(size_t size);
sexp_t* sexp_t_allocate_new();
list_frame* pd_allocate_new();

// Atom text buffers. Released buffers of sexp_val_start_size bytes are kept for
// reuse like the records, so that a steady stream of messages stops allocating.
inline char* sexp_val_allocate(size_t size) {
    if (sexp_val_cache != nullptr && size == sexp_val_cache_size && !empty_stack(sexp_val_cache)) {
        return static_cast<char*>(pop(sexp_val_cache)->item);
    }
    return sexp_val_allocate_new(size);
}
void sexp_val_release(char* val, size_t capacity);

inline sexp_t* sexp_t_allocate() {
    if (sexp_t_cache != nullptr && !empty_stack(sexp_t_cache)) {
        return static_cast<sexp_t*>(pop(sexp_t_cache)->item);
    }
    return sexp_t_allocate_new();
}

// Sets every field of a fresh element: no text, no children, no successor.
inline sexp_t* sexp_t_init(sexp_t* e, int kind, int line) {
    e->kind = kind;
    e->val = nullptr;
    e->val_capacity = 0;
    e->val_length = 0;
    e->list = nullptr;
    e->next = nullptr;
    e->atom_kind = ATOM_PLAIN;
    e->bindata = nullptr;
    e->binlength = 0;
    e->line = line;
    return e;
}
void sexp_t_deallocate(sexp_t* s);
inline list_frame* pd_allocate() {
    if (pd_cache != nullptr && !empty_stack(pd_cache)) {
        return static_cast<list_frame*>(pop(pd_cache)->item);
    }
    return pd_allocate_new();
}
inline void pd_deallocate(list_frame* p) {
    if (p == nullptr) return;
    if (pd_cache == nullptr) pd_cache = make_stack();
    push(pd_cache, p);
}

// Releases the element, its children and its following siblings. The walk is a
// loop, so neither long sibling chains nor deep nesting grow the call stack.
void destroy_sexp(sexp_t* s);
// Frees every cached element, frame and text buffer and the free lists.
void sexp_cleanup();

// A list element over first (which it then owns).
sexp_t* new_sexp_list(sexp_t* first);
// A plain atom holding a copy of the length bytes of text.
sexp_t* new_sexp_atom(const char* text, int length);

#endif
