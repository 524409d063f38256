#include "expression/VnScalar.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/VnStringList.h"
#include "base/VnTypes.h"
#include "expression/VnExpression.h"

namespace {

enum Kind { kInteger = 0, kFloat = 1, kString = 2 };

std::string_view text(const VnString& s) {
    return {s.value(), static_cast<std::size_t>(s.length())};
}

// The low 32 bits of v as a two's complement integer: integer arithmetic of
// the language wraps.
int wrap(std::int64_t v) {
    return static_cast<int>(static_cast<std::uint32_t>(v));
}

// Truncation toward zero, clamped to the int range; NaN gives INT_MIN.
int floatToInt(float f) {
    if (std::isnan(f)) return INT_MIN;
    if (f >= 2147483648.0f) return INT_MAX;
    if (f <= -2147483648.0f) return INT_MIN;
    return static_cast<int>(f);
}

void setInteger(VnScalar& out, int v) {
    out.valuetype = kInteger;
    out.ival = v;
}

void setFloat(VnScalar& out, float v) {
    out.valuetype = kFloat;
    out.fval = v;
}

// ---- Rules of the binary operators -----------------------------------------

// One rule under up to three operator names; unused names are empty.
template <class Rule>
struct Entry {
    std::string_view names[3];
    Rule rule;
};

template <class Rule, std::size_t N>
Rule findRule(const Entry<Rule> (&table)[N], const VnString& op) {
    const std::string_view wanted = text(op);
    if (wanted.empty()) return nullptr;
    for (const Entry<Rule>& entry : table) {
        for (std::string_view name : entry.names) {
            if (wanted == name) return entry.rule;
        }
    }
    return nullptr;
}

// A divisor 0 leaves x as it is; x / -1 is the wrapping negation.
int quotient(int x, int y) {
    if (y == 0) return x;
    if (y == -1) return wrap(-std::int64_t(x));
    return x / y;
}

// The modulo has the sign of x; a divisor 0 leaves x as it is.
int modulo(int x, int y) {
    if (y == 0) return x;
    if (y == -1) return 0;
    return x % y;
}

// Only the low six bits of y count; shifts by 32 or more leave no bit of x.
int shiftLeft(int x, int y) {
    const int n = y & 63;
    return n >= 32 ? 0 : wrap(static_cast<std::uint32_t>(x) << n);
}

int shiftRight(int x, int y) {
    const int n = y & 63;
    if (n >= 32) return x < 0 ? -1 : 0;
    return x < 0 ? ~(~x >> n) : x >> n;
}

using IntegerRule = int (*)(int, int);
const Entry<IntegerRule> kIntegerRules[] = {
    {{"/", "div"}, quotient},
    {{"*", "mul"}, [](int x, int y) { return wrap(std::int64_t(x) * y); }},
    {{"%", "mod"}, modulo},
    {{"^", "xor"}, [](int x, int y) { return x ^ y; }},
    {{"+", "add"}, [](int x, int y) { return wrap(std::int64_t(x) + y); }},
    {{"-", "sub"}, [](int x, int y) { return wrap(std::int64_t(x) - y); }},
    {{"&"}, [](int x, int y) { return x & y; }},
    {{"|"}, [](int x, int y) { return x | y; }},
    {{"&&", "and"}, [](int x, int y) { return int(x != 0 && y != 0); }},
    {{"||", "or"}, [](int x, int y) { return int(x != 0 || y != 0); }},
    {{"<<", "ls"}, shiftLeft},
    {{">>", "rs"}, shiftRight},
    {{"=", "==", "eq"}, [](int x, int y) { return int(x == y); }},
    {{"!=", "ne", "<>"}, [](int x, int y) { return int(x != y); }},
    {{"<", "lt"}, [](int x, int y) { return int(x < y); }},
    {{">", "gt"}, [](int x, int y) { return int(x > y); }},
    {{"<=", "le"}, [](int x, int y) { return int(x <= y); }},
    {{">=", "ge"}, [](int x, int y) { return int(x >= y); }},
    {{"in", "has"}, [](int x, int y) { return int(x == y); }},
    {{"max"}, [](int x, int y) { return std::max(x, y); }},
    {{"min"}, [](int x, int y) { return std::min(x, y); }},
};

float truth(bool b) {
    return b ? 1.0f : 0.0f;
}

using FloatRule = float (*)(float, float);
const Entry<FloatRule> kFloatRules[] = {
    {{"/", "div"}, [](float x, float y) { return x / (y == 0.0f ? 1.0f : y); }},
    {{"*", "mul"}, [](float x, float y) { return x * y; }},
    {{"+", "add"}, [](float x, float y) { return x + y; }},
    {{"-", "sub"}, [](float x, float y) { return x - y; }},
    {{"&&", "and"}, [](float x, float y) { return truth(x != 0.0f && y != 0.0f); }},
    {{"||", "or"}, [](float x, float y) { return truth(!(x == 0.0f && y == 0.0f)); }},
    {{"=", "==", "eq"}, [](float x, float y) { return truth(x == y); }},
    {{"!=", "ne"}, [](float x, float y) { return truth(!(x == y)); }},
    {{"<", "lt"}, [](float x, float y) { return truth(x < y); }},
    {{">", "gt"}, [](float x, float y) { return truth(x > y); }},
    {{"<=", "le"}, [](float x, float y) { return truth(x <= y); }},
    {{">=", "ge"}, [](float x, float y) { return truth(x >= y); }},
    {{"in", "has"}, [](float x, float y) { return truth(x == y); }},
    {{"max"}, [](float x, float y) { return x > y ? x : y; }},
    {{"min"}, [](float x, float y) { return x > y ? y : x; }},
};

// 1 if one of the comma-separated items of list equals item.
int listHolds(const VnString& list, const VnString& item) {
    VnStringList items;
    VnExpression::split(list, items);
    for (int i = 0; i < items.length(); ++i) {
        if (*items.get(i) == item) return 1;
    }
    return 0;
}

using StringRule = int (*)(VnScalar&, VnScalar&);
const Entry<StringRule> kStringRules[] = {
    {{"=", "==", "eq"}, [](VnScalar& a, VnScalar& b) { return int(a.stringvalue() == b.stringvalue()); }},
    {{"!=", "ne"}, [](VnScalar& a, VnScalar& b) { return int(a.stringvalue() != b.stringvalue()); }},
    {{"and", "&&"},
     [](VnScalar& a, VnScalar& b) { return int(a.integervalue() != 0 && b.integervalue() != 0); }},
    {{"in"}, [](VnScalar& a, VnScalar& b) { return listHolds(b.stringvalue(), a.stringvalue()); }},
    {{"has"}, [](VnScalar& a, VnScalar& b) { return listHolds(a.stringvalue(), b.stringvalue()); }},
};

}  // namespace

VnScalar::VnScalar() : valuetype(kInteger), ival(0), fval(0.0f) {}

VnScalar::VnScalar(const VnString& text) : VnScalar() {
    value(text);
}

VnScalar::VnScalar(int v) : VnScalar() {
    ival = v;
}

VnScalar::VnScalar(float v) : VnScalar() {
    setFloat(*this, v);
}

VnScalar::VnScalar(const VnScalar& other)
    : VnBase(other), valuetype(other.valuetype), ival(other.ival), fval(other.fval), sval(other.sval) {}

VnScalar::~VnScalar() {}

int VnScalar::type() {
    return VN_TYPE_SCALAR;
}

void VnScalar::copy(const VnScalar& other) {
    valuetype = other.valuetype;
    ival = other.ival;
    fval = other.fval;
    sval.copy(other.sval);
}

VnScalar& VnScalar::operator=(const VnScalar& other) {
    copy(other);
    return *this;
}

void VnScalar::value(const VnString& text) {
    if (text.length() > 0 && text.isinteger()) {
        setInteger(*this, text.integervalue());
    } else if (text.length() > 0 && text.isfloat()) {
        setFloat(*this, text.floatvalue());
    } else {
        valuetype = kString;
        sval.copy(text);
    }
}

int VnScalar::integervalue() {
    switch (valuetype) {
        case kInteger:
            return ival;
        case kFloat:
            return floatToInt(fval);
        case kString:
            return sval.integervalue();
        default:
            return 0;
    }
}

float VnScalar::floatvalue() {
    switch (valuetype) {
        case kInteger:
            return static_cast<float>(ival);
        case kFloat:
            return fval;
        case kString:
            return sval.floatvalue();
        default:
            return 0.0f;
    }
}

VnString& VnScalar::stringvalue() {
    if (valuetype == kInteger) {
        sval.copy(ival);
    } else if (valuetype == kFloat) {
        sval.copy(fval);
    }
    return sval;
}

// Each rule reads both operands before out is written, so out may be one of
// them.
void VnScalar::eval(const VnString& op, VnScalar& a, VnScalar& b, VnScalar& out) {
    const int kind = std::max(a.valuetype, b.valuetype);
    if (kind == kInteger) {
        const IntegerRule rule = findRule(kIntegerRules, op);
        const int x = a.integervalue();
        const int y = b.integervalue();
        setInteger(out, rule ? rule(x, y) : 0);
    } else if (kind == kFloat) {
        const FloatRule rule = findRule(kFloatRules, op);
        const float x = a.floatvalue();
        const float y = b.floatvalue();
        setFloat(out, rule ? rule(x, y) : 0.0f);
    } else {
        const StringRule rule = findRule(kStringRules, op);
        setInteger(out, rule ? rule(a, b) : 0);
    }
}

// A string operand yields a string: out keeps the text it held.
void VnScalar::eval(const VnString& op, VnScalar& a, VnScalar& out) {
    const std::string_view o = text(op);
    const bool negation = o == "!" || o == "not";
    const bool minus = o == "-" || o == "--";
    if (a.valuetype == kInteger) {
        const int x = a.ival;
        setInteger(out, negation ? int(x == 0) : minus ? wrap(-std::int64_t(x)) : 0);
    } else if (a.valuetype == kFloat) {
        const float x = a.fval;
        setFloat(out, negation ? truth(x == 0.0f) : minus ? -x : 0.0f);
    } else {
        out.valuetype = kString;
    }
}
