#ifndef HALYX_SEXP_FASTSTACK_H
#define HALYX_SEXP_FASTSTACK_H

// A stack of untyped items whose levels are allocated on demand and kept for
// reuse: popping only moves the top down, so a stack that has once reached a
// height pushes and pops without touching the allocator again. The reader uses
// it for its open-list frames and for the free lists of released records.

struct stack_level {
    stack_level* up;
    stack_level* down;
    void* item;
};

struct fast_stack {
    stack_level* top;   // null when empty
    stack_level* base;  // lowest level ever allocated, null before the first push
    int height;
};

typedef fast_stack faststack_t;

fast_stack* make_stack();
// Frees every level and the stack; the items are the caller's.
void destroy_stack(fast_stack* s);
fast_stack* push(fast_stack* s, void* item);
// The popped level (still owned by the stack, valid until the next push), or
// null with a message on standard error when the stack is empty.
stack_level* pop(fast_stack* s);

// The item on top, or null when the stack is empty.
inline void* top_item(const fast_stack* s) {
    return s->top ? s->top->item : nullptr;
}
inline bool empty_stack(const fast_stack* s) {
    return s->top == nullptr;
}

#endif
