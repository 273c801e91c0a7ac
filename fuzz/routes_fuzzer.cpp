// Reads arbitrary text into predicates by both routes: the direct pass over plain
// text and the S-expression reader. The two must give the same list, also when the
// parser writes over the lists of the input before (kept from the previous run), which
// either route may have left half written.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/command_check.h"
#include "parser/sexpparser.h"

namespace {

using halyx_fuzz::require;
using zeitgeist::ParameterList;

// Strings in brackets, nested lists in parentheses, anything else flagged; written
// with an explicit stack so deep nesting does not grow this checker's own stack.
std::string describe(const oxygen::PredicateList& list) {
    std::string out;
    struct Place {
        ParameterList::const_iterator at, end;
    };
    std::vector<Place> pending;
    for (const oxygen::Predicate& p : list) {
        out += "{" + p.name + ":";
        pending.push_back({p.parameter.begin(), p.parameter.end()});
        while (!pending.empty()) {
            Place& place = pending.back();
            if (place.at == place.end) {
                pending.pop_back();
                out += pending.empty() ? "}" : ")";
                continue;
            }
            const boost::any& value = *place.at++;
            if (const std::string* text = boost::any_cast<std::string>(&value)) {
                out += "[" + *text + "]";
            } else if (const ParameterList* nested = boost::any_cast<ParameterList>(&value)) {
                out += "(";
                pending.push_back({nested->begin(), nested->end()});
            } else {
                out += "?";
            }
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SexpParser reused;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string direct = describe(*reused.Parse(text));
    const std::string reader = describe(*SexpParser().ParseWithReader(text));
    require(direct == reader, "the routes differ:\n" + direct + "\n---\n" + reader);
    return 0;
}
