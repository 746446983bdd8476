#pragma once
// Shape tests and payload reads shared by the built-in functions. Built-ins see data lists
// and single values only: the interpretation operator has spread everything else.

#include "values/Value.h"

#include <cstdint>

namespace builtin {

inline bool IsDataList(const CValue* v) {
    return v->kind == kKindDataList;
}
inline bool IsNumber(const CValue* v) {
    return v->kind == kKindInt || v->kind == kKindReal;
}

// A data list of exactly two elements.
inline bool IsPair(const CValue* v) {
    return IsDataList(v) && AsList(v)->count == 2;
}
inline CValue* First(const CValue* pair) {
    return AsList(pair)->elements[0];
}
inline CValue* Second(const CValue* pair) {
    return AsList(pair)->elements[1];
}

inline bool BothAre(const CValue* pair, int kind) {
    return First(pair)->kind == kind && Second(pair)->kind == kind;
}
inline bool BothNumbers(const CValue* pair) {
    return IsNumber(First(pair)) && IsNumber(Second(pair));
}

inline std::int32_t IntOf(const CValue* v) {
    return AsInt(v)->value;
}
inline float RealOf(const CValue* v) {
    return AsReal(v)->value;
}
inline unsigned char ByteOf(const CValue* v) {
    return AsChar(v)->value;
}
inline bool BoolOf(const CValue* v) {
    return AsBool(v)->value != 0;
}

// A number as a single-precision real.
inline float NumberToReal(const CValue* v) {
    return v->kind == kKindInt ? IntToReal(IntOf(v)) : RealOf(v);
}
// A number exactly, for computations that need more than single precision.
inline double AsDouble(const CValue* v) {
    return v->kind == kKindInt ? double(IntOf(v)) : double(RealOf(v));
}

// Every element of the data list is a boolean (true of the empty list).
inline bool AllBooleans(const CValue* list) {
    const CListValue* l = AsList(list);
    for (std::int32_t i = 0; i < l->count; ++i) {
        if (l->elements[i]->kind != kKindBool)
            return false;
    }
    return true;
}

inline bool Fail(CValue** out, int code) {
    *out = new CErrorValue(code);
    return false;
}

inline bool Succeed(CValue** out, CValue* result) {
    *out = result;
    return true;
}

// A new data list of count slots, for the caller to fill.
inline CListValue* NewDataList(std::int32_t count) {
    return new CListValue(kKindDataList, count);
}

} // namespace builtin
