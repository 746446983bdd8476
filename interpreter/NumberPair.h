#pragma once
// The arithmetic and comparison built-ins applied to a pair of numbers given as its two
// elements. The evaluation of `(x, y) : op` uses it to skip building a list that nothing
// but the built-in would see; the built-ins themselves use it for their pairs of numbers,
// so that both give the same results.

class CValue;

// (a, b) : code for the codes of "+", "-", "*", "<", ">", "=<", ">=", "=" and "!=" when a
// and b are numbers; every such application succeeds. False, with *out untouched, for
// any other code or operand.
bool ApplyToNumberPair(int code, const CValue* a, const CValue* b, CValue** out);

// The codes of "+", "-" and "*".
constexpr bool IsArithmeticCode(int code) {
    return code >= 2 && code <= 4;
}
// The codes of "<", ">", "=<", ">=", "=" and "!=".
constexpr bool IsComparisonCode(int code) {
    return code == 12 || code == 13 || (code >= 16 && code <= 19);
}
// The codes ApplyToNumberPair computes.
constexpr bool IsPairOperation(int code) {
    return IsArithmeticCode(code) || IsComparisonCode(code);
}
