#include "parser/treewriter.h"

namespace treewriter {

void putNewText(zeitgeist::ParameterList& list, int index, const char* text, size_t length) {
    if (index < list.GetSize()) {
        *(list.begin() + index) = boost::any(std::string(text, length));
    } else {
        list.AddValue(boost::any(std::string(text, length)));
    }
}

}  // namespace treewriter
