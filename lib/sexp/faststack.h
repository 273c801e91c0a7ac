#ifndef HALYX_SEXP_FASTSTACK_H
#define HALYX_SEXP_FASTSTACK_H

// A stack of untyped items whose levels are allocated on demand and kept for
// reuse: popping only moves the top down, so a stack that has once reached a
// height pushes and pops without touching the allocator again. The reader uses
// it for its open-list frames and for the free lists of released records.

// One level of a stack, linked to its neighbours.
struct stack_level {
    stack_level* up;
    stack_level* down;
    void* item;
};

// The stack: its current top and the levels allocated so far.
struct fast_stack {
    stack_level* top;   // null when empty
    stack_level* base;  // lowest level ever allocated, null before the first push
    int height;
};

typedef fast_stack faststack_t;

fast_stack* make_stack();
// Frees every level and the stack; the items are the caller's.
void destroy_stack(fast_stack* s);
// A level linked above down (null for the base); the parse loop pushes and pops
// for every list and element, so both stay inline and only growth is a call.
stack_level* new_stack_level(stack_level* down);
// Reports a pop on an empty stack; returns its top (null).
stack_level* pop_empty(fast_stack* s);

inline fast_stack* push(fast_stack* s, void* item) {
    if (s->top == nullptr) {
        if (s->base == nullptr) s->base = new_stack_level(nullptr);
        s->top = s->base;
    } else {
        if (s->top->up == nullptr) s->top->up = new_stack_level(s->top);
        s->top = s->top->up;
    }
    s->top->item = item;
    s->height++;
    return s;
}

// The popped level (still owned by the stack, valid until the next push), or
// null with a message on standard error when the stack is empty.
inline stack_level* pop(fast_stack* s) {
    if (s->top == nullptr || s->height <= 0) return pop_empty(s);
    stack_level* level = s->top;
    s->top = level->down;
    s->height--;
    return level;
}

// The item on top, or null when the stack is empty.
inline void* top_item(const fast_stack* s) {
    return s->top ? s->top->item : nullptr;
}
inline bool empty_stack(const fast_stack* s) {
    return s->top == nullptr;
}

#endif
