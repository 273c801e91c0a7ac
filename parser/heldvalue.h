#ifndef HALYX_PARSER_HELDVALUE_H
#define HALYX_PARSER_HELDVALUE_H

#include <boost/any.hpp>
#include <string>
#include <typeinfo>

#include "parser/parameterlist.h"

namespace zeitgeist {

// The value inside `value` when it holds exactly a T, else null: the test of
// boost::any_cast, inline. Every value of every message is tested this way several
// times a cycle. A message holds strings and lists, so the usual answers come from
// pointer comparisons: the very type_info object of T is a T, the very type_info
// object of a string or a list (when T is neither) is not a T. Any other type_info
// object is compared as any_cast compares it.
template <typename T>
inline const T* heldValue(const boost::any& value) {
    const std::type_info& type = value.type();
    if (&type == &typeid(T)) return boost::unsafe_any_cast<T>(&value);
    if (&type == &typeid(std::string) || &type == &typeid(ParameterList)) return nullptr;
    if (type == typeid(T)) return boost::unsafe_any_cast<T>(&value);
    return nullptr;
}

template <typename T>
inline T* heldValue(boost::any& value) {
    return const_cast<T*>(heldValue<T>(static_cast<const boost::any&>(value)));
}

}  // namespace zeitgeist

#endif
