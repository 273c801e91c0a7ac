#ifndef HALYX_PARSER_RECYCLEDLIST_H
#define HALYX_PARSER_RECYCLEDLIST_H

#include "parser/predicate.h"
#include "parser/sexpparser.h"

// A predicate list whose predicates are overwritten in order by the next message; those
// left over at its end are dropped.
class SexpParser::RecycledList : public oxygen::PredicateList {
public:
    void Restart() { mNext = mList.begin(); }
    oxygen::Predicate& Next() {
        if (mNext == mList.end()) return AddPredicate();
        return *mNext++;
    }
    void DropRest() { mList.erase(mNext, mList.end()); }

private:
    TList::iterator mNext;
};

#endif
