#ifndef HALYX_PARSER_PREDICATE_H
#define HALYX_PARSER_PREDICATE_H

#include <boost/any.hpp>
#include <list>
#include <string>

#include "parser/parameterlist.h"

namespace oxygen {

// One named item of a server message, e.g. (GS (t 0.00) (pm BeforeKickOff)):
// the name and the tree of values after it, read by key and type.
class Predicate {
public:
    // A position in one list of values (the top-level parameters or a nested list).
    class Iterator {
    public:
        typedef zeitgeist::ParameterList::const_iterator Position;

        Iterator(const zeitgeist::ParameterList* list, Position pos) : mList(list), mIter(pos) {}
        explicit Iterator(const zeitgeist::ParameterList* list)
            : mList(list), mIter(list->begin()) {}
        explicit Iterator(const Predicate& predicate)
            : mList(&predicate.parameter), mIter(predicate.parameter.begin()) {}
        Iterator() : mList(&nullParamList), mIter(nullParamList.begin()) {}

        // The value at the position; an empty value at the end of the list.
        const boost::any& operator*() const;
        // One value on; nothing at the end of the list.
        Iterator& operator++();
        Iterator begin() const { return Iterator(mList, mList->begin()); }
        Iterator end() const { return Iterator(mList, mList->end()); }
        bool operator==(const Iterator& other) const {
            return mList == other.mList && mIter == other.mIter;
        }
        bool operator!=(const Iterator& other) const { return !(*this == other); }

        const Position& GetIterator() const { return mIter; }
        Position& GetIterator() { return mIter; }
        const zeitgeist::ParameterList* GetList() const { return mList; }

    private:
        const zeitgeist::ParameterList* mList;  // not owned
        Position mIter;
    };

    // Moves it to the value after key in the first nested list of it's list
    // (searched from that list's start) whose first value is key. False, with it
    // unchanged, when there is no such list or it holds the key alone.
    bool FindParameter(Iterator& it, const std::string& key) const;
    // Enters the nested list at it (its first value, the key).
    bool DescentList(Iterator& it) const;

    template <typename T>
    bool GetValue(const Iterator& it, T& value) const {
        return it.GetList()->GetValue(it.GetIterator(), value);
    }
    template <typename T>
    bool AdvanceValue(Iterator& it, T& value) const {
        return it.GetList()->AdvanceValue(it.GetIterator(), value);
    }
    // The value after key (see FindParameter); it does not move.
    template <typename T>
    bool GetValue(const Iterator& it, const std::string& key, T& value) const {
        Iterator copy = it;
        return FindParameter(copy, key) && AdvanceValue(copy, value);
    }
    // The value after key; it ends inside the key's list, after the value read
    // (at the value after the key when that cannot be read).
    template <typename T>
    bool AdvanceValue(Iterator& it, const std::string& key, T& value) const {
        return FindParameter(it, key) && AdvanceValue(it, value);
    }

    std::string name;
    zeitgeist::ParameterList parameter;

    // The empty list that default-constructed iterators refer to.
    static const zeitgeist::ParameterList nullParamList;
};

// Whether a value is a non-empty nested list whose first value, read as a
// string, equals the key.
struct ParameterName {
    bool operator()(const boost::any& value, const std::string& key) const;
};

// The predicates of one message, in message order.
class PredicateList {
public:
    typedef std::list<Predicate> TList;

    PredicateList() = default;
    virtual ~PredicateList() = default;

    // Appends a predicate with an empty name and no parameters.
    Predicate& AddPredicate();
    TList::const_iterator begin() const { return mList.begin(); }
    TList::const_iterator end() const { return mList.end(); }
    int GetSize() const { return static_cast<int>(mList.size()); }
    void Clear() { mList.clear(); }

protected:
    TList mList;
};

}  // namespace oxygen

#endif
