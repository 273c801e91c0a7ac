#include "parser/predicate.h"

#include "parser/heldvalue.h"
#include "parser/sametext.h"

namespace oxygen {

const zeitgeist::ParameterList Predicate::nullParamList;

const boost::any& Predicate::Iterator::operator*() const {
    static const boost::any nothing;
    return mIter == mList->end() ? nothing : *mIter;
}

Predicate::Iterator& Predicate::Iterator::operator++() {
    if (mIter != mList->end()) ++mIter;
    return *this;
}

bool ParameterName::operator()(const boost::any& value, const std::string& key) const {
    const zeitgeist::ParameterList* list = zeitgeist::heldValue<zeitgeist::ParameterList>(value);
    if (list == nullptr || list->IsEmpty()) return false;
    // A key parsed from text is a string: compare it in place.
    if (const std::string* text = zeitgeist::heldValue<std::string>(*list->begin())) {
        return zeitgeist::sameText(*text, key);
    }
    std::string first;
    return list->GetValue(list->begin(), first) && first == key;
}

bool Predicate::FindParameter(Iterator& it, const std::string& key) const {
    // The search runs for every key of every object of every message: each value's
    // type is checked once, and a text key is compared where it is stored.
    ParameterName named;
    for (const boost::any& value : *it.GetList()) {
        const zeitgeist::ParameterList* inner =
            zeitgeist::heldValue<zeitgeist::ParameterList>(value);
        if (inner == nullptr || inner->IsEmpty()) continue;
        const std::string* text = zeitgeist::heldValue<std::string>(*inner->begin());
        if (text != nullptr ? !zeitgeist::sameText(*text, key) : !named(value, key)) continue;
        if (inner->GetSize() < 2) return false;
        it = Iterator(inner, inner->begin() + 1);
        return true;
    }
    return false;
}

bool Predicate::DescentList(Iterator& it) const {
    if (it.GetIterator() == it.GetList()->end()) return false;
    const zeitgeist::ParameterList* inner =
        zeitgeist::heldValue<zeitgeist::ParameterList>(*it.GetIterator());
    if (inner == nullptr) return false;
    it = Iterator(inner, inner->begin());
    return true;
}

Predicate& PredicateList::AddPredicate() {
    mList.push_back(Predicate());
    return mList.back();
}

}  // namespace oxygen
