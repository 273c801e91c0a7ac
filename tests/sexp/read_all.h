#ifndef HALYX_TESTS_SEXP_READ_ALL_H
#define HALYX_TESTS_SEXP_READ_ALL_H

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "lib/sexp/parser.h"
#include "lib/sexp/sexp_ops.h"

// The printed form of one expression (the tree is left alone).
inline std::string printed(const sexp_t* e) {
    growable_string* out = nullptr;
    if (print_sexp_cstr(&out, e, 64, 64) < 0) return "<unprintable>";
    std::string text(out->base, out->length);
    sdestroy(out);
    return text;
}

// Feeds each buffer in turn to one continuation, the way a message is read, and
// returns the printed form of every expression completed. mode: PARSER_NORMAL or
// PARSER_INLINE_BINARY.
inline std::vector<std::string> readAll(const std::vector<std::string>& buffers,
                                        int mode = PARSER_NORMAL) {
    std::vector<std::string> result;
    parse_continuation* cc = init_continuation(nullptr);
    cc->mode = mode;
    for (const std::string& b : buffers) {
        if (b.empty()) continue;
        // A private copy without a terminating zero, so that a read past the end
        // of the text is caught by the address checker.
        std::unique_ptr<char[]> data(new char[b.size()]);
        memcpy(data.get(), b.data(), b.size());
        while (sexp_t* e = iparse_sexp(data.get(), static_cast<int>(b.size()), cc)) {
            result.push_back(printed(e));
            destroy_sexp(e);
        }
        if (cc->error) break;
    }
    destroy_continuation(cc);
    return result;
}

inline std::vector<std::string> readAll(const std::string& text, int mode = PARSER_NORMAL) {
    return readAll(std::vector<std::string>{text}, mode);
}

#endif
