#ifndef HALYX_PARSER_SEXPPARSER_H
#define HALYX_PARSER_SEXPPARSER_H

#include <boost/shared_ptr.hpp>
#include <sstream>
#include <string>

#include "lib/sexp/sexp.h"
#include "parser/baseparser.h"

// Turns S-expression message text into predicates and back. Each top-level list
// whose first element is an atom becomes one predicate named by that atom; every
// atom becomes a string value (numbers are converted only when read), every
// nested list a nested value list. A list returned by Parse is never touched again
// while anyone holds it.
class SexpParser : public oxygen::BaseParser {
public:
    boost::shared_ptr<oxygen::PredicateList> Parse(const std::string& text) override;
    std::string Generate(boost::shared_ptr<oxygen::PredicateList> list) override;
    ~SexpParser() override = default;

private:
    class RecycledList;

    // Fills the predicate at `next` (appending one at the end of the list) and moves
    // `next` on; a list that is no predicate is skipped.
    static void SexpToPredicate(RecycledList& list, const sexp_t* sexp);
    static void SexpToList(zeitgeist::ParameterList& list, const sexp_t* first);
    static void PredicateToString(std::ostringstream& out, const oxygen::Predicate& predicate);
    static void ListToString(std::ostringstream& out, const zeitgeist::ParameterList& list);

    // The list of the previous message. Once its caller has let it go, the next message
    // is written over it: strings and nested lists take their new contents in place, so
    // that a message shaped like the one before allocates next to nothing.
    boost::shared_ptr<RecycledList> mRecycled;
};

#endif
