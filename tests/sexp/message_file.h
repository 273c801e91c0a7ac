#ifndef HALYX_TESTS_SEXP_MESSAGE_FILE_H
#define HALYX_TESTS_SEXP_MESSAGE_FILE_H

#include <fstream>
#include <sstream>
#include <string>

// The reference server message kept with the benchmarks.
inline std::string referenceMessage() {
    std::ifstream in(std::string(HALYX_SOURCE_DIR) + "/bench/data/full_message.txt",
                     std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

#endif
