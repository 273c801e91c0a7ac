// The direct route from message text to predicates, for text in the plain form the
// server writes: blanks, parentheses and plain atoms. It builds the same tree the
// reader route does, in one pass over the text, without the reader's elements.
// Anything outside that form gives up before it counts, and the caller then takes
// the reader route over the whole text.

#include <vector>

#include "parser/recycledlist.h"
#include "parser/sexpparser.h"
#include "parser/treewriter.h"

using zeitgeist::ParameterList;

namespace {

enum ByteKind : unsigned char {
    kBlank,  // blank, tab, carriage return, line end: separates elements
    kOpen,
    kClose,
    kAtom,   // continues a plain atom (and starts one, except ";")
    kOther,  // anything the reader treats specially: quotes, backslash, control bytes
};

struct ByteTable {
    ByteKind kind[256];
    constexpr ByteTable() : kind() {
        for (int c = 0; c < 256; ++c) kind[c] = kAtom;
        for (int c = 0; c <= 0x20; ++c) kind[c] = kOther;
        for (unsigned char c : {' ', '\t', '\r', '\n'}) kind[c] = kBlank;
        for (unsigned char c : {'"', '\'', '\\', '\x7f'}) kind[c] = kOther;
        kind[static_cast<unsigned char>('(')] = kOpen;
        kind[static_cast<unsigned char>(')')] = kClose;
    }
};

constexpr ByteTable kBytes;

inline ByteKind kindOf(const char* p) {
    return kBytes.kind[static_cast<unsigned char>(*p)];
}

// The scans need no bound: the text ends with a zero byte, which is "other".
inline const char* skipBlanks(const char* p) {
    while (kindOf(p) == kBlank) ++p;
    return p;
}

// ";" between elements starts a comment, which the direct route leaves to the reader.
inline bool startsAtom(const char* p) {
    return kindOf(p) == kAtom && *p != ';';
}

inline const char* atomEnd(const char* p) {
    while (kindOf(p) == kAtom) ++p;
    return p;
}

// Fills `root` with the elements of a list whose "(" lies just before `p`, up to its
// matching ")". Returns the position after that ")", or null when the text leaves the
// plain form or ends first.
const char* fillList(ParameterList& root, const char* p) {
    struct Place {
        ParameterList* list;
        int index;  // the next value of the list to write
    };
    // Kept from one call to the next, so that it is allocated once.
    static thread_local std::vector<Place> open;
    open.clear();
    ParameterList* target = &root;
    int index = 0;
    for (;;) {
        p = skipBlanks(p);
        switch (kindOf(p)) {
            case kOpen:
                open.push_back({target, index + 1});
                target = &treewriter::putList(*target, index);
                index = 0;
                ++p;
                break;
            case kClose:
                ++p;
                treewriter::truncate(*target, index);
                if (open.empty()) return p;
                target = open.back().list;
                index = open.back().index;
                open.pop_back();
                break;
            default: {
                if (!startsAtom(p)) return nullptr;
                const char* start = p;
                p = atomEnd(p + 1);
                treewriter::putText(*target, index++, start, static_cast<size_t>(p - start));
            }
        }
    }
}

}  // namespace

bool SexpParser::ParsePlain(RecycledList& list, const char* p, const char* end) {
    // A scratch list for top-level lists that make no predicate but must still be read
    // to find where they end.
    static thread_local ParameterList unnamed;
    for (;;) {
        p = skipBlanks(p);
        if (p == end) return true;
        if (kindOf(p) == kOpen) {
            p = skipBlanks(p + 1);
            if (startsAtom(p)) {
                const char* name = p;
                p = atomEnd(p + 1);
                oxygen::Predicate& predicate = list.Next();
                predicate.name.assign(name, static_cast<size_t>(p - name));
                p = fillList(predicate.parameter, p);
            } else {
                p = fillList(unnamed, p);
            }
            if (p == nullptr) return false;
        } else if (startsAtom(p)) {
            // A top-level atom is an expression of its own and makes no predicate.
            p = atomEnd(p + 1);
        } else {
            return false;
        }
    }
}
