#ifndef HALYX_TESTS_SEXP_FIXTURES_H
#define HALYX_TESTS_SEXP_FIXTURES_H

#include <fstream>
#include <sstream>
#include <string>

// Set when the address checker runs, which keeps a heap of its own: heap
// measurements then say nothing.
#if defined(__SANITIZE_ADDRESS__)
#define HALYX_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HALYX_UNDER_ASAN 1
#endif
#endif

// The reference server message kept with the benchmarks.
inline std::string referenceMessage() {
    std::ifstream in(std::string(HALYX_SOURCE_DIR) + "/bench/data/full_message.txt",
                     std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

#endif
