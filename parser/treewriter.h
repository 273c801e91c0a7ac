#ifndef HALYX_PARSER_TREEWRITER_H
#define HALYX_PARSER_TREEWRITER_H

#include <boost/any.hpp>
#include <string>
#include <utility>

#include "parser/heldvalue.h"
#include "parser/parameterlist.h"
#include "parser/sametext.h"

// Writing a message's values over the value list of the message before: both routes
// from text to predicates fill their lists through these, so a recycled list ends up
// the same whichever route wrote it.
namespace treewriter {

// The uncommon cases of putText: value `index` is no string, or lies at the end.
void putNewText(zeitgeist::ParameterList& list, int index, const char* text, size_t length);

// Value `index` of the list (at most its size) becomes a string of the text: written
// into the string already there, or a new string value. The string's old text is
// dropped and the new one appended: for a string that has the room, a plain copy.
// Runs for every atom of every message, so the usual case is kept small enough to be
// inlined into the readers.
inline void putText(zeitgeist::ParameterList& list, int index, const char* text, size_t length) {
    if (index < list.GetSize()) {
        if (std::string* held = zeitgeist::heldValue<std::string>(*(list.begin() + index))) {
            // Keys, names and many numbers repeat from one message to the next.
            if (!zeitgeist::sameText(*held, text, length)) {
                held->clear();
                held->append(text, length);
            }
            return;
        }
    }
    putNewText(list, index, text, length);
}

// Value `index` of the list (at most its size) as a nested list, reusing the one
// already there. The nested list lives in its own holder, so the reference stays good
// while values are added to `list`.
inline zeitgeist::ParameterList& putList(zeitgeist::ParameterList& list, int index) {
    if (index < list.GetSize()) {
        boost::any& slot = *(list.begin() + index);
        if (zeitgeist::ParameterList* nested =
                zeitgeist::heldValue<zeitgeist::ParameterList>(slot)) {
            return *nested;
        }
        slot = zeitgeist::ParameterList();
        return *zeitgeist::heldValue<zeitgeist::ParameterList>(slot);
    }
    return *list.AddList();
}

// Drops the values from `size` on: what the message before had beyond this one.
inline void truncate(zeitgeist::ParameterList& list, int size) {
    while (list.GetSize() > size) list.Pop_Back();
}

}  // namespace treewriter

#endif
