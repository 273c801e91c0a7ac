#ifndef HALYX_PARSER_HELDVALUE_H
#define HALYX_PARSER_HELDVALUE_H

#include <boost/any.hpp>
#include <typeinfo>

namespace zeitgeist {

// The value inside `value` when it holds exactly a T, else null: the test of
// boost::any_cast, inline. Every value of every message is tested this way several
// times a cycle, and the usual case, the very type_info object of T, is one pointer
// comparison; other objects for the same type are still compared as any_cast does.
template <typename T>
const T* heldValue(const boost::any& value) {
    const std::type_info& type = value.type();
    if (&type == &typeid(T) || type == typeid(T)) return boost::unsafe_any_cast<T>(&value);
    return nullptr;
}

template <typename T>
T* heldValue(boost::any& value) {
    return const_cast<T*>(heldValue<T>(static_cast<const boost::any&>(value)));
}

}  // namespace zeitgeist

#endif
