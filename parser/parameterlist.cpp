#include "parser/parameterlist.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <utility>

#include "parser/heldvalue.h"
#include "parser/numbertext.h"

namespace zeitgeist {

namespace {

// Parsed messages hold nothing but strings and lists, so every read tries the
// string type first; a value holds exactly one type, so the order of these
// exact-type checks cannot change a result.
bool isText(const boost::any& value) {
    return heldValue<std::string>(value) != nullptr;
}

// The text of a value stored as std::string or as a C string.
const char* textOf(const boost::any& value) {
    if (const std::string* s = heldValue<std::string>(value)) return s->c_str();
    if (char* const* c = heldValue<char*>(value)) return *c;
    if (const char* const* c = heldValue<const char*>(value)) return *c;
    return nullptr;
}

// Numbers written as text are read as atof reads them: the longest numeric prefix, 0 when
// there is none. Any text succeeds.
bool textNumber(const boost::any& value, double& number) {
    const char* text = textOf(value);
    if (text == nullptr) return false;
    number = numberFromText(text);
    return true;
}

// textNumber for a value held as std::string, with a single type check: every number
// of a parsed message is read this way.
bool stringNumber(const boost::any& value, double& number) {
    const std::string* text = heldValue<std::string>(value);
    if (text == nullptr) return false;
    number = numberFromText(text->c_str());
    return true;
}

// Truncation toward zero. The server may send "nan" or huge numbers; converting
// those to an integer is undefined, so NaN reads as 0 and magnitudes beyond the
// type saturate at its limits.
int truncateToInt(double d) {
    if (std::isnan(d)) return 0;
    if (d >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (d <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(d);
}

// Truncation toward zero to a 64-bit integer whose low 32 bits are the result,
// so -3.7 gives 2^32 - 3.
unsigned int truncateToUnsigned(double d) {
    int64_t wide = 0;
    if (std::isnan(d)) {
        wide = 0;
    } else if (d >= 9223372036854775807.0) {
        wide = INT64_MAX;
    } else if (d <= -9223372036854775808.0) {
        wide = INT64_MIN;
    } else {
        wide = static_cast<int64_t>(d);
    }
    return static_cast<unsigned int>(static_cast<uint64_t>(wide));
}

// Nesting depth up to which lists are released recursively.
const int kRecursiveTeardownDepth = 256;

template <typename T>
std::string formatted(T number) {
    std::ostringstream out;
    out << number;
    return out.str();
}

}  // namespace

ParameterList::~ParameterList() {
    // Ordinary nesting is torn down by the usual recursion. Below a limit depth the
    // nested lists are emptied into one work list and released from there one at a
    // time, so each nested destructor finds no further nesting to recurse into and
    // no text, however deep, exhausts the stack.
    static thread_local int depth = 0;
    if (depth < kRecursiveTeardownDepth) {
        ++depth;
        mList.clear();
        --depth;
        return;
    }
    std::vector<boost::any> pending;
    auto adoptNested = [&pending](TVector& values) {
        for (boost::any& v : values) {
            if (!isText(v) && heldValue<ParameterList>(v) != nullptr)
                pending.push_back(std::move(v));
        }
    };
    adoptNested(mList);
    while (!pending.empty()) {
        boost::any value = std::move(pending.back());
        pending.pop_back();
        adoptNested(boost::any_cast<ParameterList>(&value)->mList);
    }
}

void ParameterList::AddValue(const boost::any& value) {
    mList.push_back(value);
}

void ParameterList::AddValue(boost::any&& value) {
    mList.push_back(std::move(value));
}

ParameterList* ParameterList::AddList() {
    mList.push_back(ParameterList());
    return boost::any_cast<ParameterList>(&mList.back());
}

void ParameterList::Pop_Front() {
    if (!mList.empty()) mList.erase(mList.begin());
}

void ParameterList::Pop_Back() {
    if (!mList.empty()) mList.pop_back();
}

ParameterList::iterator ParameterList::operator[](int i) {
    if (i < 0 || i >= GetSize()) return mList.end();
    return mList.begin() + i;
}

ParameterList::const_iterator ParameterList::operator[](int i) const {
    if (i < 0 || i >= GetSize()) return mList.end();
    return mList.begin() + i;
}

bool ParameterList::AdvanceValue(const_iterator& it, std::string& value) const {
    if (it == mList.end()) return false;
    const boost::any& v = *it;
    if (const std::string* s = heldValue<std::string>(v)) {
        value = *s;
    } else if (char* const* c = heldValue<char*>(v)) {
        if (*c == nullptr) return false;
        value = *c;
    } else if (const char* const* cc = heldValue<const char*>(v)) {
        if (*cc == nullptr) return false;
        value = *cc;
    } else if (const float* f = heldValue<float>(v)) {
        value = formatted(*f);
    } else if (const double* d = heldValue<double>(v)) {
        value = formatted(*d);
    } else if (const int* i = heldValue<int>(v)) {
        value = formatted(*i);
    } else {
        return false;
    }
    ++it;
    return true;
}

bool ParameterList::AdvanceValue(const_iterator& it, float& value) const {
    if (it == mList.end()) return false;
    const boost::any& v = *it;
    double text = 0.0;
    if (stringNumber(v, text)) {
        value = static_cast<float>(text);
    } else if (const float* f = heldValue<float>(v)) {
        value = *f;
    } else if (const double* d = heldValue<double>(v)) {
        value = static_cast<float>(*d);
    } else if (const int* i = heldValue<int>(v)) {
        value = static_cast<float>(*i);
    } else if (textNumber(v, text)) {
        value = static_cast<float>(text);
    } else {
        return false;
    }
    ++it;
    return true;
}

bool ParameterList::AdvanceValue(const_iterator& it, double& value) const {
    if (it == mList.end()) return false;
    const boost::any& v = *it;
    double text = 0.0;
    if (stringNumber(v, text)) {
        value = text;
    } else if (const double* d = heldValue<double>(v)) {
        value = *d;
    } else if (const float* f = heldValue<float>(v)) {
        value = *f;
    } else if (const int* i = heldValue<int>(v)) {
        value = *i;
    } else if (textNumber(v, text)) {
        value = text;
    } else {
        return false;
    }
    ++it;
    return true;
}

bool ParameterList::AdvanceValue(const_iterator& it, int& value) const {
    if (it == mList.end()) return false;
    const boost::any& v = *it;
    double text = 0.0;
    if (stringNumber(v, text)) {
        value = truncateToInt(text);
    } else if (const int* i = heldValue<int>(v)) {
        value = *i;
    } else if (const unsigned int* u = heldValue<unsigned int>(v)) {
        value = static_cast<int>(*u);
    } else if (textNumber(v, text)) {
        value = truncateToInt(text);
    } else {
        return false;
    }
    ++it;
    return true;
}

bool ParameterList::AdvanceValue(const_iterator& it, unsigned int& value) const {
    if (it == mList.end()) return false;
    const boost::any& v = *it;
    double text = 0.0;
    if (stringNumber(v, text)) {
        value = truncateToUnsigned(text);
    } else if (const unsigned int* u = heldValue<unsigned int>(v)) {
        value = *u;
    } else if (const int* i = heldValue<int>(v)) {
        value = static_cast<unsigned int>(*i);
    } else if (textNumber(v, text)) {
        value = truncateToUnsigned(text);
    } else {
        return false;
    }
    ++it;
    return true;
}

bool ParameterList::AdvanceValue(const_iterator& it, bool& value) const {
    if (it == mList.end()) return false;
    const boost::any& v = *it;
    const char* text = textOf(v);
    if (const bool* b = heldValue<bool>(v)) {
        value = *b;
    } else if (const int* i = heldValue<int>(v)) {
        value = *i != 0;
    } else if (text != nullptr && std::string(text) == "true") {
        value = true;
    } else if (text != nullptr && std::string(text) == "false") {
        value = false;
    } else {
        return false;
    }
    ++it;
    return true;
}

namespace {

// n successive float reads; all must succeed, else it stays where it was.
bool readFloats(const ParameterList& list, ParameterList::const_iterator& it, float* out, int n) {
    ParameterList::const_iterator pos = it;
    for (int i = 0; i < n; ++i) {
        if (!list.AdvanceValue(pos, out[i])) return false;
    }
    it = pos;
    return true;
}

}  // namespace

bool ParameterList::AdvanceValue(const_iterator& it, salt::Vector3f& value) const {
    if (it == mList.end()) return false;
    const salt::Vector3f* v = isText(*it) ? nullptr : heldValue<salt::Vector3f>(*it);
    if (v != nullptr) {
        value = *v;
        ++it;
        return true;
    }
    float c[3];
    if (!readFloats(*this, it, c, 3)) return false;
    value.Set(c[0], c[1], c[2]);
    return true;
}

bool ParameterList::AdvanceValue(const_iterator& it, salt::Vector2f& value) const {
    if (it == mList.end()) return false;
    const salt::Vector2f* v = isText(*it) ? nullptr : heldValue<salt::Vector2f>(*it);
    if (v != nullptr) {
        value = *v;
        ++it;
        return true;
    }
    float c[2];
    if (!readFloats(*this, it, c, 2)) return false;
    value.Set(c[0], c[1]);
    return true;
}

bool ParameterList::AdvanceValue(const_iterator& it, salt::Matrix& value) const {
    if (it == mList.end()) return false;
    const salt::Matrix* stored = isText(*it) ? nullptr : heldValue<salt::Matrix>(*it);
    if (stored != nullptr) {
        value = *stored;
        ++it;
        return true;
    }
    float elements[16];
    if (readFloats(*this, it, elements, 16)) {
        value = salt::Matrix(elements);
        return true;
    }
    // A position followed by rotation angles about x, y and z in degrees.
    const_iterator pos = it;
    salt::Vector3f position;
    salt::Vector3f angles;
    if (!AdvanceValue(pos, position) || !AdvanceValue(pos, angles)) return false;
    salt::Matrix m;
    m.RotationX(salt::gDegToRad(angles.x()));
    m.RotateY(salt::gDegToRad(angles.y()));
    m.RotateZ(salt::gDegToRad(angles.z()));
    m.Pos() = position;
    value = m;
    it = pos;
    return true;
}

}  // namespace zeitgeist
