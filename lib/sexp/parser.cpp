#include "lib/sexp/parser.h"

#include <cassert>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

enum {
    S_BETWEEN = 1,
    S_LIST_OPEN = 2,
    S_CLOSE = 3,
    S_ATOM = 4,
    S_DQUOTED = 5,
    S_AFTER_DQUOTE = 6,
    S_SQUOTE = 7,
    S_QGROUP = 8,
    S_QGROUP_CLOSE = 9,
    S_QGROUP_DQUOTED = 10,
    S_COMMENT = 11,
    S_BIN_AFTER_HASH = 12,
    S_BIN_AFTER_B = 13,
    S_BIN_COUNT = 14,
    S_BIN_DATA = 15
};

// Bytes that end a plain atom: 0x00-0x20, double and single quote, parentheses, 0x7F.
struct TerminatorTable {
    bool is[256];
    TerminatorTable() : is() {
        for (int c = 0; c <= 0x20; c++) is[c] = true;
        const unsigned char quotes_and_parens[] = {'"', '\'', '(', ')', 0x7F};
        for (unsigned char c : quotes_and_parens) is[c] = true;
    }
};
const TerminatorTable kTerminators;

bool is_terminator(unsigned char c) {
    return kTerminators.is[c];
}

// Bytes that continue a plain atom as they are: neither a terminator nor the
// backslash, which may start an escape.
struct PlainAtomTable {
    bool is[256];
    PlainAtomTable() : is() {
        for (int c = 0; c < 256; c++) is[c] = !kTerminators.is[c] && c != '\\';
    }
};
const PlainAtomTable kPlainAtomBytes;

bool is_separator(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Bytes that a backslash stands in front of to mean the byte itself.
bool is_escapable(unsigned char c) {
    return c == '"' || c == '(' || c == ')' || c == '\'' || c == '\\';
}

char* new_atom_buffer(size_t size) {
    return sexp_val_allocate(size);
}

void clear_atom(parse_continuation* cc) {
    cc->write_pos = cc->val;
    cc->val_length = 0;
    cc->escaped = 0;
}

void grow_atom_buffer(parse_continuation* cc) {
    cc->val_capacity += sexp_val_grow_size;
    cc->val = static_cast<char*>(realloc(cc->val, cc->val_capacity));
    assert(cc->val != nullptr);
    cc->write_pos = cc->val + cc->val_length;
}

// Appends one byte to the atom buffer, keeping room for at least one more.
inline void store(parse_continuation* cc, char c) {
    *cc->write_pos++ = c;
    if (++cc->val_length == cc->val_capacity) grow_atom_buffer(cc);
    cc->escaped = (c == '\\');
}

// Appends a run of bytes without a backslash, growing the buffer to the same size
// that storing them one at a time would have given it.
void store_run(parse_continuation* cc, const char* run, size_t n) {
    size_t length = cc->val_length + n;
    if (length >= cc->val_capacity) {
        size_t capacity = cc->val_capacity;
        while (capacity <= length) capacity += sexp_val_grow_size;
        cc->val_capacity = capacity;
        cc->val = static_cast<char*>(realloc(cc->val, capacity));
        assert(cc->val != nullptr);
    }
    // Atoms are mostly a few bytes: a loop beats a call for those.
    char* to = cc->val + cc->val_length;
    if (n <= 16) {
        for (size_t i = 0; i < n; i++) to[i] = run[i];
    } else {
        memcpy(to, run, n);
    }
    cc->val_length = length;
    cc->write_pos = cc->val + length;
    cc->escaped = 0;
}

// A backslash stored just before is replaced by the byte it escapes.
void replace_escape(parse_continuation* cc, char c) {
    cc->write_pos[-1] = c;
    cc->escaped = 0;
}

sexp_t* new_element(int kind, int line) {
    return sexp_t_init(sexp_t_allocate(), kind, line);
}

// The atom buffer becomes the text of a new element; a fresh buffer replaces it.
sexp_t* end_atom(parse_continuation* cc, int atom_kind) {
    store(cc, '\0');
    sexp_t* e = new_element(ELT_ATOM, cc->line);
    e->val = cc->val;
    e->val_capacity = cc->val_capacity;
    e->val_length = cc->val_length;
    e->atom_kind = atom_kind;
    cc->val_capacity = sexp_val_start_size;
    cc->val = new_atom_buffer(cc->val_capacity);
    clear_atom(cc);
    cc->single_quoted = 0;
    return e;
}

sexp_t* end_binary_atom(parse_continuation* cc) {
    sexp_t* e = new_element(ELT_ATOM, cc->line);
    e->atom_kind = ATOM_BINARY;
    e->bindata = cc->bindata;
    e->binlength = static_cast<size_t>(cc->binexpected);
    cc->bindata = nullptr;
    cc->binexpected = 0;
    cc->bin_received = 0;
    clear_atom(cc);  // drops the "#b<count>" text kept in case the atom was not binary
    return e;
}

void complete(parse_continuation* cc, sexp_t* e, char* resume) {
    cc->last_expr = e;
    cc->resume_pos = resume;
    cc->state = S_BETWEEN;
    cc->depth = 0;
    cc->error = 0;
}

void append_to_top_frame(parse_continuation* cc, sexp_t* e) {
    list_frame* f = static_cast<list_frame*>(top_item(cc->stack));
    if (f->first == nullptr) {
        f->first = e;
    } else {
        f->last->next = e;
    }
    f->last = e;
}

// Appends e to the open list, or completes it as a top-level expression.
// Returns true when the expression is complete.
bool place(parse_continuation* cc, sexp_t* e, char* resume) {
    if (cc->depth == 0) {
        complete(cc, e, resume);
        return true;
    }
    append_to_top_frame(cc, e);
    return false;
}

void open_list(parse_continuation* cc) {
    cc->depth++;
    sexp_t* e = new_element(ELT_LIST, cc->line);
    if (empty_stack(cc->stack)) {
        list_frame* outer = pd_allocate();
        outer->first = e;
        outer->last = e;
        push(cc->stack, outer);
    } else {
        append_to_top_frame(cc, e);
    }
    list_frame* children = pd_allocate();
    children->first = nullptr;
    children->last = nullptr;
    push(cc->stack, children);
}

// Closes the innermost open list; returns the whole expression when that was the
// outermost one.
sexp_t* close_list(parse_continuation* cc) {
    cc->depth--;
    list_frame* children = static_cast<list_frame*>(pop(cc->stack)->item);
    list_frame* below = static_cast<list_frame*>(top_item(cc->stack));
    below->last->list = children->first;
    pd_deallocate(children);
    if (cc->depth > 0) return nullptr;
    list_frame* outer = static_cast<list_frame*>(pop(cc->stack)->item);
    sexp_t* result = outer->first;
    pd_deallocate(outer);
    return result;
}

// Counts above this are not a binary atom announcement but plain text.
const int kMaxBinaryCount = (INT_MAX - 9) / 10;

}  // namespace

parse_continuation* init_continuation(char* text) {
    parse_continuation* cc = static_cast<parse_continuation*>(malloc(sizeof(parse_continuation)));
    assert(cc != nullptr);
    cc->stack = make_stack();
    cc->last_expr = nullptr;
    cc->val_capacity = sexp_val_start_size;
    cc->val = new_atom_buffer(cc->val_capacity);
    cc->val_length = 0;
    cc->write_pos = cc->val;
    cc->resume_pos = nullptr;
    cc->buffer_start = text;
    cc->depth = 0;
    cc->quoted_depth = 0;
    cc->state = S_BETWEEN;
    cc->escaped = 0;
    cc->single_quoted = 0;
    cc->error = 0;
    cc->mode = PARSER_NORMAL;
    cc->binexpected = 0;
    cc->bin_received = 0;
    cc->bindata = nullptr;
    cc->line = 1;
    return cc;
}

void destroy_continuation(parse_continuation* cc) {
    if (cc == nullptr) return;
    while (!empty_stack(cc->stack)) {
        list_frame* f = static_cast<list_frame*>(pop(cc->stack)->item);
        destroy_sexp(f->first);
        pd_deallocate(f);
    }
    destroy_stack(cc->stack);
    free(cc->bindata);
    sexp_val_release(cc->val, cc->val_capacity);
    free(cc);
}

namespace {

// Each state handler reads the byte at t, moves t past what it consumes and
// returns true when the call must return (an expression completed, or an error).

bool step_between(parse_continuation* cc, char*& t) {
    unsigned char c = static_cast<unsigned char>(*t);
    switch (c) {
        case ' ':
        case '\t':
        case '\r':
            t++;
            break;
        case '\n':
            cc->line++;
            t++;
            break;
        case '"':
            clear_atom(cc);
            t++;
            cc->state = S_DQUOTED;
            break;
        case '\'':
            clear_atom(cc);
            t++;
            cc->state = S_SQUOTE;
            break;
        case '(':
            t++;
            open_list(cc);  // the list-opened state consumes nothing: done here at once
            break;
        case ')':
            cc->state = S_CLOSE;
            break;
        case ';':
            t++;
            cc->state = S_COMMENT;
            break;
        default:
            clear_atom(cc);
            store(cc, static_cast<char>(c));
            t++;
            cc->state = (cc->mode == PARSER_INLINE_BINARY && c == '#') ? S_BIN_AFTER_HASH : S_ATOM;
            break;
    }
    return false;
}

bool step_close(parse_continuation* cc, char*& t) {
    if (cc->depth == 0) {
        fprintf(stderr, "Badly formed s-expression.  Parser exiting.\n");
        cc->error = 1;
        cc->resume_pos = t;
        cc->last_expr = nullptr;
        cc->state = S_BETWEEN;
        return true;
    }
    t++;
    cc->state = S_BETWEEN;
    if (sexp_t* done = close_list(cc)) {
        complete(cc, done, t);
        return true;
    }
    return false;
}

bool step_atom(parse_continuation* cc, char*& t, char* end) {
    // Most atom bytes are plain: store a run of them at once.
    if (!cc->escaped) {
        char* run = t;
        while (run < end && kPlainAtomBytes.is[static_cast<unsigned char>(*run)]) run++;
        if (run != t) {
            store_run(cc, t, static_cast<size_t>(run - t));
            t = run;
            return false;
        }
    }
    unsigned char c = static_cast<unsigned char>(*t);
    if (cc->escaped && is_escapable(c)) {
        replace_escape(cc, static_cast<char>(c));
        t++;
        return false;
    }
    if (!is_terminator(c)) {
        store(cc, static_cast<char>(c));
        t++;
        return false;
    }
    sexp_t* e = end_atom(cc, cc->single_quoted ? ATOM_SINGLE_QUOTED : ATOM_PLAIN);
    if (place(cc, e, t)) return true;  // a top-level atom resumes at its terminator
    if (is_separator(c)) {
        if (c == '\n') cc->line++;
        t++;
        cc->state = S_BETWEEN;
    } else {
        cc->state = (c == ')') ? S_CLOSE : S_BETWEEN;
    }
    return false;
}

bool step_dquoted(parse_continuation* cc, char*& t) {
    char c = *t;
    if (cc->escaped && is_escapable(static_cast<unsigned char>(c))) {
        replace_escape(cc, c);
        t++;
        return false;
    }
    t++;
    if (c != '"') {
        store(cc, c);
        return false;
    }
    // After a single quote the double quotes are part of the text.
    if (cc->single_quoted) store(cc, c);
    sexp_t* e = end_atom(cc, cc->single_quoted ? ATOM_SINGLE_QUOTED : ATOM_DOUBLE_QUOTED);
    cc->state = S_BETWEEN;  // the after-quote state consumes nothing: done here at once
    return place(cc, e, t);
}

bool step_squote(parse_continuation* cc, char*& t) {
    char c = *t;
    if (c == '"') {
        store(cc, c);
        cc->single_quoted = 1;
        t++;
        cc->state = S_DQUOTED;
    } else if (c == '(') {
        cc->quoted_depth = 0;
        cc->state = S_QGROUP;
    } else {
        cc->single_quoted = 1;
        cc->state = S_ATOM;
    }
    return false;
}

// Inside a quoted group every byte is kept. An escaped backslash escapes nothing
// further, so "\\)" still closes the group.
bool step_qgroup(parse_continuation* cc, char*& t) {
    char c = *t++;
    bool was_escaped = cc->escaped != 0;
    store(cc, c);
    if (was_escaped) {
        cc->escaped = 0;
        return false;
    }
    if (cc->state == S_QGROUP_DQUOTED) {
        if (c == '"') cc->state = S_QGROUP;
        return false;
    }
    if (c == '(') {
        cc->quoted_depth++;
    } else if (c == '"') {
        cc->state = S_QGROUP_DQUOTED;
    } else if (c == ')') {
        cc->quoted_depth--;
        if (cc->quoted_depth <= 0) {  // the closing state consumes nothing: done here at once
            cc->quoted_depth = 0;
            cc->state = S_BETWEEN;
            return place(cc, end_atom(cc, ATOM_SINGLE_QUOTED), t);
        }
    }
    return false;
}

bool step_comment(parse_continuation* cc, char*& t) {
    if (*t == '\n') {
        cc->line++;
        cc->state = S_BETWEEN;
    }
    t++;
    return false;
}

bool start_binary(parse_continuation* cc, char*& t) {
    t++;
    cc->bin_received = 0;
    cc->bindata = static_cast<char*>(malloc(cc->binexpected > 0 ? cc->binexpected : 1));
    assert(cc->bindata != nullptr);
    if (cc->binexpected > 0) {
        cc->state = S_BIN_DATA;
        return false;
    }
    cc->state = S_BETWEEN;
    return place(cc, end_binary_atom(cc), t);
}

// "#b#", a decimal count, "#", then exactly that many raw bytes. The marker and
// count are kept in the atom buffer until the last "#" so that a text that turns
// out not to be a binary atom stays a plain atom.
bool step_binary(parse_continuation* cc, char*& t, char* end) {
    char c = *t;
    if (cc->state == S_BIN_AFTER_HASH || cc->state == S_BIN_AFTER_B) {
        char expected = cc->state == S_BIN_AFTER_HASH ? 'b' : '#';
        if (c != expected) {
            cc->state = S_ATOM;
            return false;
        }
        store(cc, c);
        t++;
        cc->binexpected = 0;
        cc->state = cc->state == S_BIN_AFTER_HASH ? S_BIN_AFTER_B : S_BIN_COUNT;
        return false;
    }
    if (cc->state == S_BIN_COUNT) {
        if (c >= '0' && c <= '9' && cc->binexpected <= kMaxBinaryCount) {
            store(cc, c);
            t++;
            cc->binexpected = cc->binexpected * 10 + (c - '0');
            return false;
        }
        if (c == '#') return start_binary(cc, t);
        cc->state = S_ATOM;
        return false;
    }
    size_t wanted = static_cast<size_t>(cc->binexpected - cc->bin_received);
    size_t available = static_cast<size_t>(end - t);
    size_t n = wanted < available ? wanted : available;
    for (size_t i = 0; i < n; i++) cc->bindata[cc->bin_received + i] = t[i];
    cc->bin_received += static_cast<int>(n);
    t += n;
    if (cc->bin_received < cc->binexpected) return false;
    cc->state = S_BETWEEN;
    return place(cc, end_binary_atom(cc), t);
}

bool step(parse_continuation* cc, char*& t, char* end) {
    switch (cc->state) {
        case S_CLOSE:
            return step_close(cc, t);
        case S_ATOM:
            return step_atom(cc, t, end);
        case S_DQUOTED:
            return step_dquoted(cc, t);
        case S_SQUOTE:
            return step_squote(cc, t);
        case S_QGROUP:
        case S_QGROUP_DQUOTED:
            return step_qgroup(cc, t);
        case S_COMMENT:
            return step_comment(cc, t);
        case S_BIN_AFTER_HASH:
        case S_BIN_AFTER_B:
        case S_BIN_COUNT:
        case S_BIN_DATA:
            return step_binary(cc, t, end);
        default:
            cc->state = S_BETWEEN;
            return step_between(cc, t);
    }
}

}  // namespace

parse_continuation* cparse_sexp(char* text, int length, parse_continuation* cc) {
    if (text == nullptr) {
        fprintf(stderr, "cparse_sexp: called with null string.\n");
        return cc;
    }
    if (cc == nullptr) cc = init_continuation(text);
    // A resume position belongs to the text it was found in: a caller that hands
    // over a different text starts at that text, never in the old buffer.
    char* t = cc->resume_pos;
    if (t == nullptr || text != cc->buffer_start) {
        t = text;
        cc->buffer_start = text;
    }
    char* end = cc->buffer_start + (length > 0 ? length : 0);
    // Binary bytes may be zero; everywhere else a zero byte ends the text.
    while (t < end && (*t != '\0' || cc->state == S_BIN_DATA)) {
        if (step(cc, t, end)) return cc;
    }
    cc->resume_pos = nullptr;
    cc->last_expr = nullptr;
    return cc;
}

sexp_t* iparse_sexp(char* text, int length, parse_continuation* cc) {
    if (cc == nullptr) {
        fprintf(stderr, "iparse_sexp called with null continuation!\n");
        return nullptr;
    }
    cparse_sexp(text, length, cc);
    sexp_t* e = cc->last_expr;
    cc->last_expr = nullptr;
    return e;
}

sexp_t* parse_sexp(char* text, int length) {
    if (text == nullptr || length <= 0) return nullptr;
    parse_continuation* cc = cparse_sexp(text, length, nullptr);
    sexp_t* e = cc->last_expr;
    cc->last_expr = nullptr;
    destroy_continuation(cc);
    return e;
}

void set_parser_buffer_params(int start, int grow) {
    if (start < 1) {
        fprintf(stderr, "%s: Cannot set buffer start size to value<1.\n", __FILE__);
    } else {
        sexp_val_start_size = static_cast<size_t>(start);
    }
    if (grow < 1) {
        fprintf(stderr, "%s: Cannot set buffer grow size to value<1.\n", __FILE__);
    } else {
        sexp_val_grow_size = static_cast<size_t>(grow);
    }
}
