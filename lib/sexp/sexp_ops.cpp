#include "lib/sexp/sexp_ops.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool print_atom(growable_string* out, const sexp_t* s) {
    switch (s->atom_kind) {
        case ATOM_DOUBLE_QUOTED:
            if (saddch(out, '"') == nullptr) return false;
            for (const char* p = s->val; *p != '\0'; p++) {
                if ((*p == '"' || *p == '\\') && saddch(out, '\\') == nullptr) return false;
                if (saddch(out, *p) == nullptr) return false;
            }
            return saddch(out, '"') != nullptr;
        case ATOM_SINGLE_QUOTED:
            return saddch(out, '\'') != nullptr && sadd(out, s->val) != nullptr;
        case ATOM_BINARY: {
            char count[32];
            snprintf(count, sizeof count, "#b#%zu#", s->binlength);
            if (sadd(out, count) == nullptr) return false;
            for (size_t i = 0; i < s->binlength; i++) {
                if (saddch(out, s->bindata[i]) == nullptr) return false;
            }
            return true;
        }
        default:
            return sadd(out, s->val) != nullptr;
    }
}

// Prints one element (not its following siblings). Recursion depth is the nesting.
bool print_element(growable_string* out, const sexp_t* s) {
    if (s->kind == ELT_ATOM) return print_atom(out, s);
    if (s->kind != ELT_LIST) {
        fprintf(stderr, "ERROR: Unknown type in sexp_t.\n");
        return false;
    }
    if (saddch(out, '(') == nullptr) return false;
    for (const sexp_t* c = s->list; c != nullptr; c = c->next) {
        if (!print_element(out, c)) return false;
        if (c->next != nullptr && saddch(out, ' ') == nullptr) return false;
    }
    return saddch(out, ')') != nullptr;
}

bool is_named_atom(const sexp_t* s, const char* name) {
    return s->kind == ELT_ATOM && s->val != nullptr && strcmp(s->val, name) == 0;
}

sexp_t* copy_element(const sexp_t* s) {
    sexp_t* c = nullptr;
    if (s->kind == ELT_LIST) {
        c = new_sexp_list(copy_sexp(s->list));
    } else if (s->val != nullptr) {
        c = new_sexp_atom(s->val, static_cast<int>(strlen(s->val)));
    } else {
        c = new_sexp_atom("", 0);
    }
    c->atom_kind = s->atom_kind;
    c->line = s->line;
    if (s->bindata != nullptr) {
        c->bindata = static_cast<char*>(malloc(s->binlength > 0 ? s->binlength : 1));
        assert(c->bindata != nullptr);
        memcpy(c->bindata, s->bindata, s->binlength);
        c->binlength = s->binlength;
    }
    if (s->kind == ELT_ATOM && s->atom_kind == ATOM_BINARY) {
        free(c->val);
        c->val = nullptr;
        c->val_capacity = 0;
        c->val_length = 0;
    }
    return c;
}

}  // namespace

int print_sexp_cstr(growable_string** out, const sexp_t* s, int initial_size, int grow_size) {
    if (s == nullptr) {
        fprintf(stderr, "print_sexp_cstr warning: s-expression is null.\n");
        return -1;
    }
    size_t saved_grow = cstring_growsize;
    if (grow_size > 0) sgrowsize(static_cast<size_t>(grow_size));
    growable_string* text = snew(initial_size > 0 ? static_cast<size_t>(initial_size) : 1);
    bool ok = print_element(text, s);
    cstring_growsize = saved_grow;
    if (!ok) {
        sdestroy(text);
        return -1;
    }
    *out = text;
    return static_cast<int>(text->length);
}

int print_sexp(char* buffer, int size, const sexp_t* s) {
    if (size < 1) {
        fprintf(stderr, "Warning: print_sexp not provided sufficient space.\n");
        return -1;
    }
    if (s == nullptr) {
        fprintf(stderr, "print_sexp: s-expression is null.\n");
        return -1;
    }
    growable_string* text = snew(static_cast<size_t>(size));
    bool ok = print_element(text, s);
    int written = -1;
    if (ok && text->length < static_cast<size_t>(size)) {
        memcpy(buffer, text->base, text->length + 1);
        written = static_cast<int>(text->length);
    } else if (ok) {
        fprintf(stderr, "Warning: print_sexp out of buffer space.\n");
    }
    sdestroy(text);
    return written;
}

sexp_t* find_sexp(const char* name, sexp_t* start) {
    for (sexp_t* s = start; s != nullptr; s = s->next) {
        if (is_named_atom(s, name)) return s;
        if (s->kind == ELT_LIST) {
            if (sexp_t* found = find_sexp(name, s->list)) return found;
        }
    }
    return nullptr;
}

sexp_t* bfs_find_sexp(const char* name, sexp_t* start) {
    for (sexp_t* s = start; s != nullptr; s = s->next) {
        if (is_named_atom(s, name)) return s;
    }
    for (sexp_t* s = start; s != nullptr; s = s->next) {
        if (s->kind != ELT_LIST) continue;
        if (sexp_t* found = bfs_find_sexp(name, s->list)) return found;
    }
    return nullptr;
}

int sexp_list_length(const sexp_t* s) {
    if (s == nullptr) return 0;
    if (s->kind == ELT_ATOM) return 1;
    int n = 0;
    for (const sexp_t* c = s->list; c != nullptr; c = c->next) n++;
    return n;
}

sexp_t* copy_sexp(const sexp_t* s) {
    sexp_t* first = nullptr;
    sexp_t* last = nullptr;
    for (; s != nullptr; s = s->next) {
        sexp_t* c = copy_element(s);
        if (first == nullptr) {
            first = c;
        } else {
            last->next = c;
        }
        last = c;
    }
    return first;
}

// Appends copies of the elements of list to the chain ending at *last.
static void append_copies(const sexp_t* list, sexp_t** first, sexp_t** last) {
    for (const sexp_t* e = list->list; e != nullptr; e = e->next) {
        sexp_t* c = copy_element(e);
        if (*first == nullptr) {
            *first = c;
        } else {
            (*last)->next = c;
        }
        *last = c;
    }
}

sexp_t* cons_sexp(const sexp_t* a, const sexp_t* b) {
    if (a == nullptr || b == nullptr || a->kind != ELT_LIST || b->kind != ELT_LIST) {
        fprintf(stderr, "Cannot cons non-lists.\n");
        return nullptr;
    }
    sexp_t* first = nullptr;
    sexp_t* last = nullptr;
    append_copies(a, &first, &last);
    append_copies(b, &first, &last);
    return new_sexp_list(first);
}

sexp_t* car_sexp(const sexp_t* s) {
    if (s == nullptr) {
        fprintf(stderr, "car called on null sexpr.\n");
        return nullptr;
    }
    if (s->kind != ELT_LIST) {
        fprintf(stderr, "car called on an atom.\n");
        return nullptr;
    }
    return new_sexp_list(s->list == nullptr ? nullptr : copy_element(s->list));
}

sexp_t* cdr_sexp(const sexp_t* s) {
    if (s == nullptr) {
        fprintf(stderr, "cdr called on null.\n");
        return nullptr;
    }
    if (s->kind != ELT_LIST) {
        fprintf(stderr, "cdr called on atom.\n");
        return nullptr;
    }
    return new_sexp_list(s->list == nullptr ? nullptr : copy_sexp(s->list->next));
}
