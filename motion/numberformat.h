#ifndef HALYX_MOTION_NUMBERFORMAT_H
#define HALYX_MOTION_NUMBERFORMAT_H

#include <cstddef>

// Writes value as printf's "%g" writes it (six significant digits, trailing zeros
// dropped) into out, zero-terminated, and returns the length. The joint speeds of
// every command go through here, 22 of them a cycle, so the usual magnitudes are
// written directly; anything the direct way cannot decide exactly is left to
// snprintf.
int formatGeneral(double value, char* out, size_t size);

#endif
