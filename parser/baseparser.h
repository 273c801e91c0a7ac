#ifndef HALYX_PARSER_BASEPARSER_H
#define HALYX_PARSER_BASEPARSER_H

#include <boost/shared_ptr.hpp>
#include <string>

#include "parser/predicate.h"

namespace oxygen {

// Converts between a message text and its list of predicates.
class BaseParser {
public:
    // Always a new, non-null list, possibly empty.
    virtual boost::shared_ptr<PredicateList> Parse(const std::string& text) = 0;
    // The list as text; "" for a null pointer.
    virtual std::string Generate(boost::shared_ptr<PredicateList> list) = 0;
    // Owners hold parsers through this interface and delete them through it.
    virtual ~BaseParser() = default;
};

}  // namespace oxygen

#endif
