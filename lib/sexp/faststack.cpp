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

stack_level* new_stack_level(stack_level* down) {
    stack_level* level = static_cast<stack_level*>(malloc(sizeof(stack_level)));
    assert(level != nullptr);
    level->up = nullptr;
    level->down = down;
    level->item = nullptr;
    return level;
}

stack_level* pop_empty(fast_stack* s) {
    fprintf(stderr, "STACK: non-null top, but height < 0!\n");
    return s->top;
}
