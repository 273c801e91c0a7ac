#include "lib/sexp/faststack.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>

fast_stack* make_stack() {
    fast_stack* s = static_cast<fast_stack*>(malloc(sizeof(fast_stack)));
    assert(s != nullptr);
    s->top = nullptr;
    s->base = nullptr;
    s->height = 0;
    return s;
}

void destroy_stack(fast_stack* s) {
    if (s == nullptr) return;
    stack_level* level = s->base;
    while (level != nullptr) {
        stack_level* up = level->up;
        free(level);
        level = up;
    }
    free(s);
}

static stack_level* new_level(stack_level* down) {
    stack_level* level = static_cast<stack_level*>(malloc(sizeof(stack_level)));
    assert(level != nullptr);
    level->up = nullptr;
    level->down = down;
    level->item = nullptr;
    return level;
}

fast_stack* push(fast_stack* s, void* item) {
    if (s->top == nullptr) {
        if (s->base == nullptr) s->base = new_level(nullptr);
        s->top = s->base;
    } else {
        if (s->top->up == nullptr) s->top->up = new_level(s->top);
        s->top = s->top->up;
    }
    s->top->item = item;
    s->height++;
    return s;
}

stack_level* pop(fast_stack* s) {
    if (s->top == nullptr || s->height <= 0) {
        fprintf(stderr, "STACK: non-null top, but height < 0!\n");
        return s->top;
    }
    stack_level* level = s->top;
    s->top = level->down;
    s->height--;
    return level;
}
