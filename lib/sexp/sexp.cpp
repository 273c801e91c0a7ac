#include "lib/sexp/sexp.h"

#include <cassert>
#include <cstdlib>
#include <cstring>

size_t sexp_val_start_size = 256;
size_t sexp_val_grow_size = 64;
fast_stack* sexp_t_cache = nullptr;
fast_stack* pd_cache = nullptr;
fast_stack* sexp_val_cache = nullptr;
size_t sexp_val_cache_size = 0;

static void drain(fast_stack** cache) {
    if (*cache == nullptr) return;
    while (!empty_stack(*cache)) free(pop(*cache)->item);
    destroy_stack(*cache);
    *cache = nullptr;
}

char* sexp_val_allocate_new(size_t size) {
    char* val = static_cast<char*>(malloc(size));
    assert(val != nullptr);
    return val;
}

static inline void release_val(char* val, size_t capacity) {
    if (val == nullptr) return;
    if (capacity != sexp_val_start_size) {
        free(val);
        return;
    }
    if (capacity != sexp_val_cache_size) {  // the start size was changed: older buffers go
        drain(&sexp_val_cache);
        sexp_val_cache_size = capacity;
    }
    if (sexp_val_cache == nullptr) sexp_val_cache = make_stack();
    push(sexp_val_cache, val);
}

void sexp_val_release(char* val, size_t capacity) {
    release_val(val, capacity);
}

sexp_t* sexp_t_allocate_new() {
    if (sexp_t_cache == nullptr) sexp_t_cache = make_stack();
    sexp_t* s = static_cast<sexp_t*>(malloc(sizeof(sexp_t)));
    assert(s != nullptr);
    memset(s, 0, sizeof(sexp_t));
    return s;
}

static inline void deallocate(sexp_t* s) {
    if (sexp_t_cache == nullptr) sexp_t_cache = make_stack();
    s->list = nullptr;
    s->next = nullptr;
    if (s->kind == ELT_ATOM) {
        release_val(s->val, s->val_capacity);
        s->val = nullptr;
    }
    // Binary bytes are owned like text; keeping them would leak them.
    if (s->bindata != nullptr) {
        free(s->bindata);
        s->bindata = nullptr;
    }
    s->binlength = 0;
    push(sexp_t_cache, s);
}

void sexp_t_deallocate(sexp_t* s) {
    if (s != nullptr) deallocate(s);
}

list_frame* pd_allocate_new() {
    if (pd_cache == nullptr) pd_cache = make_stack();
    list_frame* p = static_cast<list_frame*>(malloc(sizeof(list_frame)));
    assert(p != nullptr);
    p->first = nullptr;
    p->last = nullptr;
    return p;
}

void destroy_sexp(sexp_t* s) {
    // Tree rotation: while the current element has children, the first child is
    // lifted in front of it, so that the whole tree becomes one sibling chain that
    // is released from the front. Each element is rotated at most once per child.
    while (s != nullptr) {
        if (s->kind == ELT_LIST && s->list != nullptr) {
            sexp_t* child = s->list;
            s->list = child->next;
            child->next = s;
            s = child;
        } else {
            sexp_t* next = s->next;
            deallocate(s);
            s = next;
        }
    }
}

void sexp_cleanup() {
    drain(&sexp_t_cache);
    drain(&pd_cache);
    drain(&sexp_val_cache);
}

sexp_t* new_sexp_list(sexp_t* first) {
    sexp_t* s = sexp_t_init(sexp_t_allocate(), ELT_LIST, 1);
    s->list = first;
    return s;
}

sexp_t* new_sexp_atom(const char* text, int length) {
    if (length < 0) length = 0;
    sexp_t* s = new_sexp_list(nullptr);
    s->kind = ELT_ATOM;
    s->val_capacity = static_cast<size_t>(length) + 1;
    s->val = static_cast<char*>(malloc(s->val_capacity));
    assert(s->val != nullptr);
    if (length > 0) memcpy(s->val, text, static_cast<size_t>(length));
    s->val[length] = '\0';
    s->val_length = s->val_capacity;
    // The atom kind of a made atom is left to the maker; plain is the natural default.
    s->atom_kind = ATOM_PLAIN;
    return s;
}
