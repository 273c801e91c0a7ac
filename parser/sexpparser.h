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
    // Text in the plain form the server writes (blanks, parentheses, plain atoms) is
    // read in one direct pass; any other text, and text that ends inside a list, goes
    // through the S-expression reader. Both routes give the same list.
    boost::shared_ptr<oxygen::PredicateList> Parse(const std::string& text) override;
    // Parse through the reader alone, whatever the text: the reference the direct
    // route is checked against.
    boost::shared_ptr<oxygen::PredicateList> ParseWithReader(const std::string& text);
    std::string Generate(boost::shared_ptr<oxygen::PredicateList> list) override;
    ~SexpParser() override = default;

private:
    class RecycledList;

    boost::shared_ptr<oxygen::PredicateList> ParseBy(const std::string& text, bool direct);
    // The direct route: false when the text leaves the plain form, with `list` then
    // partly written. The byte at `end` must be a zero byte, as after a string's text.
    static bool ParsePlain(RecycledList& list, const char* begin, const char* end);
    static void ReadPredicates(RecycledList& list, const std::string& text);
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
