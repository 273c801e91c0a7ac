#ifndef HALYX_SEXP_MALLOC_UTIL_H
#define HALYX_SEXP_MALLOC_UTIL_H

// A tracking allocator for debugging: it records up to 1000 live blocks with the
// file and line that asked for them, reports every allocation and release on
// standard error, and aborts on a double release or the release of an unknown
// block.

#include <cstddef>

enum { X_ALLOC_TABLE_SIZE = 1000 };

void* x_malloc(size_t size, const char* file, int line);
void x_free(void* p, const char* file, int line);
char* x_strdup(const char* s, const char* file, int line);

// Forgets every record and restarts the check points.
void x_init_alloc();
// Starts a new check point.
void x_inc_check_point();
// Lists the blocks allocated since the last check point and not freed; returns their count.
int x_check_point_count();

#endif
