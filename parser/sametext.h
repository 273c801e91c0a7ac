#ifndef HALYX_PARSER_SAMETEXT_H
#define HALYX_PARSER_SAMETEXT_H

#include <cstddef>
#include <string>

namespace zeitgeist {

// Whether held holds exactly the length bytes at text. Keys and atoms are a few bytes
// long and are compared for every value of every message, so they are compared in
// place rather than by a call.
inline bool sameText(const std::string& held, const char* text, size_t length) {
    if (held.size() != length) return false;
    const char* data = held.data();
    for (size_t i = 0; i < length; ++i) {
        if (data[i] != text[i]) return false;
    }
    return true;
}

inline bool sameText(const std::string& held, const std::string& text) {
    return sameText(held, text.data(), text.size());
}

}  // namespace zeitgeist

#endif
