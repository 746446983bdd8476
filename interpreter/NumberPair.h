#pragma once
// The arithmetic and comparison built-ins applied to a pair of numbers or of characters
// given as its two elements. The evaluation of `(x, y) : op` uses them to skip building a
// list that nothing but the built-in would see; the built-ins themselves use them for such
// pairs, so that both give the same results.

#include "values/Codes.h"
#include "values/Value.h"

#include <cstdint>
#include <limits>

// (a, b) : code for the codes of "+", "-", "*", "<", ">", "=<", ">=", "=" and "!=" when a
// and b are numbers; every such application succeeds. False, with *out untouched, for
// any other code or operand.
bool ApplyToNumberPair(int code, const CValue* a, const CValue* b, CValue** out);

// (a, b) : code for the codes of "+", "-" and the comparisons when a and b are characters:
// a character of the sum or difference of the codes, or the comparison of the codes. False,
// with *out untouched, for any other code or operand.
bool ApplyToCharPair(int code, const CValue* a, const CValue* b, CValue** out);

// (a, b) : "%" for two integers and a divisor other than zero: the quotient, truncated
// toward zero, and the remainder, with the dividend's sign. False, with nothing stored,
// for any other operands.
bool DivideIntPair(const CValue* a, const CValue* b, std::int32_t* quotient,
                   std::int32_t* remainder);
// The same for the integers x and y, y not zero, for both evaluators: the one quotient
// that overflows (the least integer by -1) stays the dividend, with remainder 0.
inline void DivideInts(std::int32_t x, std::int32_t y, std::int32_t* quotient,
                       std::int32_t* remainder) {
    const bool overflows = x == std::numeric_limits<std::int32_t>::min() && y == -1;
    *quotient = overflows ? x : x / y;
    *remainder = overflows ? 0 : x % y;
}

// The codes of "+", "-" and "*".
constexpr bool IsArithmeticCode(int code) {
    return code == kTokPlus || code == kTokMinus || code == kTokStar;
}
// The codes of "<", ">", "=<", ">=", "=" and "!=".
constexpr bool IsComparisonCode(int code) {
    return code == kTokLess || code == kTokGreater || code == kTokLessEqual ||
           code == kTokGreaterEqual || code == kTokEqual || code == kTokNotEqual;
}
// The codes ApplyToNumberPair computes.
constexpr bool IsPairOperation(int code) {
    return IsArithmeticCode(code) || IsComparisonCode(code);
}

// The comparison of the codes kTokLess ... kTokNotEqual.
template <class T> bool Holds(int code, T a, T b) {
    switch (code) {
    case kTokLess:
        return a < b;
    case kTokGreater:
        return a > b;
    case kTokLessEqual:
        return a <= b;
    case kTokGreaterEqual:
        return a >= b;
    case kTokEqual:
        return a == b;
    default:
        return a != b;
    }
}

// `(a, b) : op` for two characters, for both evaluators: "+" and "-" give the character of
// the sum or difference of the codes (*isBool false, *value the code), a comparison compares
// the codes (*isBool true). False for any other code.
inline bool CharPairOf(int code, unsigned char x, unsigned char y, std::int32_t* value,
                       bool* isBool) {
    if (code == kTokPlus || code == kTokMinus) {
        *value = static_cast<unsigned char>(code == kTokPlus ? x + y : x - y);
        *isBool = false;
        return true;
    }
    if (!IsComparisonCode(code))
        return false;
    *value = Holds(code, x, y) ? 1 : 0;
    *isBool = true;
    return true;
}

// `(a, b) : op` for two integers, for both evaluators: the sum, difference or product
// (*isBool false) wraps at 32 bits (computed unsigned, so that overflow is defined); a
// comparison (*isBool true, *value 0 or 1) compares the integers as single-precision reals,
// as it compares any pair of numbers. False for any other code.
[[gnu::always_inline]] inline bool IntPairOf(int code, std::int32_t a, std::int32_t b,
                                             std::int32_t* value, bool* isBool) {
    const auto x = static_cast<std::uint32_t>(a);
    const auto y = static_cast<std::uint32_t>(b);
    const float p = IntToReal(a);
    const float q = IntToReal(b);
    switch (code) {
    case kTokPlus:
        *value = static_cast<std::int32_t>(x + y);
        *isBool = false;
        return true;
    case kTokMinus:
        *value = static_cast<std::int32_t>(x - y);
        *isBool = false;
        return true;
    case kTokStar:
        *value = static_cast<std::int32_t>(x * y);
        *isBool = false;
        return true;
    case kTokLess:
        *value = p < q;
        *isBool = true;
        return true;
    case kTokGreater:
        *value = p > q;
        *isBool = true;
        return true;
    case kTokLessEqual:
        *value = p <= q;
        *isBool = true;
        return true;
    case kTokGreaterEqual:
        *value = p >= q;
        *isBool = true;
        return true;
    case kTokEqual:
        *value = p == q;
        *isBool = true;
        return true;
    case kTokNotEqual:
        *value = p != q;
        *isBool = true;
        return true;
    default:
        return false;
    }
}

// ApplyToNumberPair for two integers, inline for the evaluation of `(x, y) : op`.
inline bool ApplyToIntPair(int code, std::int32_t a, std::int32_t b, CValue** out) {
    std::int32_t value = 0;
    bool isBool = false;
    if (!IntPairOf(code, a, b, &value, &isBool))
        return false;
    *out = isBool ? SharedBool(value != 0) : new CIntValue(value);
    return true;
}

// What the application of the sign code to the pair list (a, b) gives when a and b are
// two numbers or two characters; false, with *out untouched, when that needs the list.
[[gnu::always_inline]] inline bool ApplyToElements(int code, const CValue* a, const CValue* b,
                                                   CValue** out) {
    return a->kind == kKindInt && b->kind == kKindInt
               ? ApplyToIntPair(code, AsInt(a)->value, AsInt(b)->value, out)
               : ApplyToNumberPair(code, a, b, out) || ApplyToCharPair(code, a, b, out);
}
