// The numeric built-ins: arithmetic, comparisons and ranges. Integers are 32 bits and wrap
// (computed unsigned, so that overflow is defined); every other pair of numbers is
// computed on single-precision reals and rounded once.

#include "interpreter/BuiltinHelpers.h"
#include "interpreter/Interpreter.h"
#include "interpreter/NumberPair.h"
#include "interpreter/ParallelEval.h"
#include "interpreter/RunContext.h"

#include <cstdint>

using namespace builtin;

namespace {

enum class Arith { Add, Subtract, Multiply };

// About what making one element of a range costs, for FillInPieces.
constexpr std::int64_t kRangeItemNs = 5;

std::int32_t Wrap(std::uint32_t bits) {
    return static_cast<std::int32_t>(bits);
}
std::uint32_t Bits(std::int32_t value) {
    return static_cast<std::uint32_t>(value);
}

std::int32_t IntArith(Arith op, std::int32_t a, std::int32_t b) {
    switch (op) {
    case Arith::Add:
        return Wrap(Bits(a) + Bits(b));
    case Arith::Subtract:
        return Wrap(Bits(a) - Bits(b));
    default:
        return Wrap(Bits(a) * Bits(b));
    }
}

float RealArith(Arith op, float a, float b) {
    switch (op) {
    case Arith::Add:
        return a + b;
    case Arith::Subtract:
        return a - b;
    default:
        return a * b;
    }
}

// Two integers stay integers; any other pair of numbers is computed on reals.
CValue* NumberArith(Arith op, const CValue* a, const CValue* b) {
    if (a->kind == kKindInt && b->kind == kKindInt)
        return new CIntValue(IntArith(op, IntOf(a), IntOf(b)));
    return new CRealValue(RealArith(op, NumberToReal(a), NumberToReal(b)));
}

CValue* NumberArith(Arith op, const CValue* pair) {
    return NumberArith(op, First(pair), Second(pair));
}

bool AnyTrue(const CValue* list) {
    const CListValue* l = AsList(list);
    for (std::int32_t i = 0; i < l->count; ++i) {
        if (BoolOf(l->elements[i]))
            return true;
    }
    return false;
}

bool AllTrue(const CValue* list) {
    const CListValue* l = AsList(list);
    for (std::int32_t i = 0; i < l->count; ++i) {
        if (!BoolOf(l->elements[i]))
            return false;
    }
    return true;
}

// The boolean folds need at least one element to fold.
bool IsBooleanList(const CValue* arg) {
    return AsList(arg)->count > 0 && AllBooleans(arg);
}

bool AllNumbers(const CValue* list) {
    const CListValue* l = AsList(list);
    for (std::int32_t i = 0; i < l->count; ++i) {
        if (!IsNumber(l->elements[i]))
            return false;
    }
    return true;
}

} // namespace

// Two integers are the common case: they take no branch of the reals' rules.
bool ApplyToNumberPair(int code, const CValue* a, const CValue* b, CValue** out) {
    if (a->kind == kKindInt && b->kind == kKindInt)
        return ApplyToIntPair(code, IntOf(a), IntOf(b), out);
    if (!IsNumber(a) || !IsNumber(b))
        return false;
    if (IsArithmeticCode(code)) {
        const Arith op = code == kTokPlus    ? Arith::Add
                         : code == kTokMinus ? Arith::Subtract
                                             : Arith::Multiply;
        *out = new CRealValue(RealArith(op, NumberToReal(a), NumberToReal(b)));
        return true;
    }
    if (!IsComparisonCode(code))
        return false;
    *out = SharedBool(Holds(code, NumberToReal(a), NumberToReal(b)));
    return true;
}

bool ApplyToCharPair(int code, const CValue* a, const CValue* b, CValue** out) {
    if (a->kind != kKindChar || b->kind != kKindChar)
        return false;
    std::int32_t value = 0;
    bool isBool = false;
    if (!CharPairOf(code, ByteOf(a), ByteOf(b), &value, &isBool))
        return false;
    *out = isBool ? SharedBool(value != 0) : SharedChar(static_cast<unsigned char>(value));
    return true;
}

bool CInterpreter::Add(CValue* arg, CValue** out) {
    if (!IsDataList(arg))
        return Succeed(out, CopyValue(arg));
    if (IsPair(arg) && BothNumbers(arg))
        return Succeed(out, NumberArith(Arith::Add, arg));
    if (IsPair(arg) && ApplyToCharPair(kTokPlus, First(arg), Second(arg), out))
        return true;
    if (IsBooleanList(arg))
        return Succeed(out, SharedBool(AnyTrue(arg)));
    return Fail(out, kIErrInterpretation);
}

bool CInterpreter::Subtract(CValue* arg, CValue** out) {
    switch (arg->kind) {
    case kKindInt:
        return Succeed(out, new CIntValue(IntArith(Arith::Subtract, 0, IntOf(arg))));
    case kKindReal:
        return Succeed(out, new CRealValue(-RealOf(arg)));
    case kKindBool:
        return Succeed(out, SharedBool(!BoolOf(arg)));
    default:
        break;
    }
    if (IsPair(arg) && BothNumbers(arg))
        return Succeed(out, NumberArith(Arith::Subtract, arg));
    if (IsPair(arg) && ApplyToCharPair(kTokMinus, First(arg), Second(arg), out))
        return true;
    return Fail(out, kIErrInterpretation);
}

bool CInterpreter::Multiply(CValue* arg, CValue** out) {
    if (IsPair(arg) && BothNumbers(arg))
        return Succeed(out, NumberArith(Arith::Multiply, arg));
    if (IsDataList(arg) && IsBooleanList(arg))
        return Succeed(out, SharedBool(AllTrue(arg)));
    return Fail(out, kIErrInterpretation);
}

bool CInterpreter::Divide(CValue* arg, CValue** out) {
    if (!IsPair(arg) || !BothNumbers(arg))
        return Fail(out, kIErrInterpretation);
    const float divisor = NumberToReal(Second(arg));
    if (divisor == 0.0f) // -0.0 compares equal too
        return Fail(out, kIErrZeroDivision);
    return Succeed(out, new CRealValue(NumberToReal(First(arg)) / divisor));
}

// The most negative integer divided by -1 wraps like all integer arithmetic: the quotient
// is itself.
bool DivideIntPair(const CValue* a, const CValue* b, std::int32_t* quotient,
                   std::int32_t* remainder) {
    if (a->kind != kKindInt || b->kind != kKindInt || IntOf(b) == 0)
        return false;
    DivideInts(IntOf(a), IntOf(b), quotient, remainder);
    return true;
}

bool CInterpreter::Modulo(CValue* arg, CValue** out) {
    if (!IsPair(arg) || !BothAre(arg, kKindInt))
        return Fail(out, kIErrInterpretation);
    std::int32_t quotient = 0;
    std::int32_t remainder = 0;
    if (!DivideIntPair(First(arg), Second(arg), &quotient, &remainder))
        return Fail(out, kIErrZeroDivision);
    CListValue* result = NewDataList(2);
    result->elements[0] = new CIntValue(quotient);
    result->elements[1] = new CIntValue(remainder);
    result->SetHoldsError(false);
    return Succeed(out, result);
}

// The count is computed in double precision from the exact operands and truncated once;
// a zero step or a count beyond 32 bits is no range.
bool CInterpreter::Range(CValue* arg, CValue** out, const CRunContext& run) {
    if (!IsDataList(arg) || AsList(arg)->count < 2 || !AllNumbers(arg))
        return Fail(out, kIErrInterpretation);
    const CListValue* list = AsList(arg);
    const CValue* start = list->elements[0];
    const CValue* step = list->count == 3 ? list->elements[2] : nullptr;
    const double first = AsDouble(start);
    const double stride = step ? AsDouble(step) : 1.0;
    const double count = (AsDouble(list->elements[1]) - first) / stride + double(1.0f);
    if (!(count >= 1.0) || count >= 2147483648.0)
        return Fail(out, kIErrInterpretation);
    const auto n = static_cast<std::int32_t>(count);
    CListValue* result = NewDataList(n);
    CValue** elements = result->elements;
    if (start->kind == kKindInt && (step == nullptr || step->kind == kKindInt)) {
        const std::uint32_t base = Bits(IntOf(start));
        const std::uint32_t delta = step ? Bits(IntOf(step)) : 1u;
        FillInPieces(
            run, n, kRangeItemNs,
            [](std::int64_t begin, std::int64_t end) {
                return std::size_t(end - begin) * sizeof(CIntValue);
            },
            [&](std::int64_t begin, std::int64_t end) {
                for (auto k = static_cast<std::int32_t>(begin); k < end; ++k)
                    elements[k] = new CIntValue(Wrap(base + std::uint32_t(k) * delta));
            });
    } else {
        FillInPieces(
            run, n, kRangeItemNs,
            [](std::int64_t begin, std::int64_t end) {
                return std::size_t(end - begin) * sizeof(CRealValue);
            },
            [&](std::int64_t begin, std::int64_t end) {
                for (auto k = static_cast<std::int32_t>(begin); k < end; ++k)
                    elements[k] = new CRealValue(static_cast<float>(first + k * stride));
            });
    }
    result->SetHoldsError(false);
    return Succeed(out, result);
}

// Characters compare by unsigned code, numbers as single-precision reals.
bool CInterpreter::Compare(int code, CValue* arg, CValue** out) {
    if (!IsPair(arg))
        return Fail(out, kIErrInterpretation);
    if (ApplyToCharPair(code, First(arg), Second(arg), out))
        return true;
    if (BothNumbers(arg) && ApplyToNumberPair(code, First(arg), Second(arg), out))
        return true;
    return Fail(out, kIErrInterpretation);
}
