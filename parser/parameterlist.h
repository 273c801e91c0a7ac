#ifndef HALYX_PARSER_PARAMETERLIST_H
#define HALYX_PARSER_PARAMETERLIST_H

#include <boost/any.hpp>
#include <string>
#include <vector>

#include "math/matrix.h"
#include "math/vector.h"

namespace zeitgeist {

// An ordered list of values of mixed types (strings, numbers, vectors, matrices
// and nested lists) with typed reading: a read converts what is stored into the
// type asked for where a conversion route exists, and reports failure otherwise.
// A list owns its values; copying copies nested lists deeply.
class ParameterList {
public:
    typedef std::vector<boost::any> TVector;
    typedef TVector::iterator iterator;
    typedef TVector::const_iterator const_iterator;

    ParameterList() = default;
    ParameterList(const ParameterList&) = default;
    ParameterList(ParameterList&&) = default;
    ParameterList& operator=(const ParameterList&) = default;
    ParameterList& operator=(ParameterList&&) = default;
    // Tears nested lists down in a loop, so nesting depth does not grow the stack.
    virtual ~ParameterList();

    void AddValue(const boost::any& value);
    void AddValue(boost::any&& value);
    // Appends an empty nested list; the pointer stays valid until the next value
    // or list is added to this list.
    ParameterList* AddList();

    // Room for count values in all, so that filling a list of known length
    // allocates once.
    void Reserve(int count) {
        if (count > 0 && mList.capacity() < static_cast<size_t>(count)) {
            mList.reserve(static_cast<size_t>(count));
        }
    }
    int GetSize() const { return static_cast<int>(mList.size()); }
    bool IsEmpty() const { return mList.empty(); }
    void Clear() { mList.clear(); }
    void Pop_Front();
    void Pop_Back();

    iterator begin() { return mList.begin(); }
    iterator end() { return mList.end(); }
    const_iterator begin() const { return mList.begin(); }
    const_iterator end() const { return mList.end(); }
    // The position of value i, or end() when i is out of range.
    iterator operator[](int i);
    const_iterator operator[](int i) const;

    // Reads the value at it as the target type; on success stores it and moves it
    // past what was read (several values for a vector or matrix assembled from
    // numbers); on failure leaves both unchanged. it must belong to this list.
    bool AdvanceValue(const_iterator& it, std::string& value) const;
    bool AdvanceValue(const_iterator& it, float& value) const;
    bool AdvanceValue(const_iterator& it, double& value) const;
    bool AdvanceValue(const_iterator& it, int& value) const;
    bool AdvanceValue(const_iterator& it, unsigned int& value) const;
    bool AdvanceValue(const_iterator& it, bool& value) const;
    bool AdvanceValue(const_iterator& it, salt::Vector3f& value) const;
    bool AdvanceValue(const_iterator& it, salt::Vector2f& value) const;
    bool AdvanceValue(const_iterator& it, salt::Matrix& value) const;

    // AdvanceValue on a copy: the caller's position does not move.
    template <typename T>
    bool GetValue(const const_iterator& it, T& value) const {
        const_iterator copy = it;
        return AdvanceValue(copy, value);
    }

protected:
    TVector mList;
};

}  // namespace zeitgeist

#endif
