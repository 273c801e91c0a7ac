#ifndef SPARRING_TESTS_TEXT_COUNT_H
#define SPARRING_TESTS_TEXT_COUNT_H

#include <string>

// How often `what` occurs in `text`, overlaps included.
inline int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

#endif
