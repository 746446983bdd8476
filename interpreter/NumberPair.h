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
