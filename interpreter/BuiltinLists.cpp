// The list built-ins: wrapping, length, transposition, positions, repetition, selection
// by an integer and the guard by a boolean. Results share the argument's elements; where a
// copy is asked for, only its outermost object is new (CopyValue). An argument may hold an
// error: the interpretation operator tests it before it forces delayed terms, and a forced
// term may yield one. So a new list records that it holds none only when that is known.

#include "interpreter/BuiltinHelpers.h"
#include "interpreter/Interpreter.h"
#include "interpreter/ParallelEval.h"
#include "interpreter/RunContext.h"

#include <algorithm>
#include <cstdint>
#include <limits>

using namespace builtin;

namespace {

CValue* EmptyMarker() {
    return SharedEmptyMarker();
}

std::int32_t RowLength(const CValue* row) {
    return AsList(row)->count;
}

bool AllDataLists(const CListValue* rows) {
    for (std::int32_t i = 0; i < rows->count; ++i) {
        if (!IsDataList(rows->elements[i]))
            return false;
    }
    return true;
}

// All rows of one length (an empty list of rows has none to agree on).
bool IsRectangular(const CListValue* rows) {
    if (rows->count == 0)
        return false;
    for (std::int32_t i = 1; i < rows->count; ++i) {
        if (RowLength(rows->elements[i]) != RowLength(rows->elements[0]))
            return false;
    }
    return true;
}

// About what gathering one element into a column costs, for FillInPieces.
constexpr std::int64_t kTransposeItemNs = 10;
// About what copying a value of a deep copy costs.
constexpr std::int64_t kCopiedValueNs = 5;

// What CloneValue allocates for value at the least: booleans, characters and the empty
// marker are shared, every other value takes at least an integer's bytes.
std::size_t ClonedBytesAtLeast(const CValue* value) {
    static_assert(
        sizeof(CIntValue) <= sizeof(CRealValue) && sizeof(CIntValue) <= sizeof(CSignValue) &&
        sizeof(CIntValue) <= sizeof(CErrorValue) && sizeof(CIntValue) <= sizeof(CRefValue) &&
        sizeof(CIntValue) <= sizeof(CTypedValue) && sizeof(CIntValue) <= sizeof(CListValue));
    if (value->kind == kKindBool || value->kind == kKindChar || value->kind == kTokDot)
        return 0;
    if (!value->IsList())
        return sizeof(CIntValue);
    const CListValue* list = AsList(value);
    std::size_t bytes = sizeof(CListValue);
    if (list->count > 0)
        bytes += (std::size_t(list->count) + 1) * sizeof(CValue*);
    for (std::int32_t i = 0; i < list->count; ++i)
        bytes += ClonedBytesAtLeast(list->elements[i]);
    return bytes;
}

// The columns hold the rows' elements: without an error in the rows there is none in them;
// with one, each column finds out for itself when asked.
void NoteColumnsHoldNoError(const CListValue* rows, const CListValue* columns) {
    if (rows->HoldsError())
        return;
    for (std::int32_t j = 0; j < columns->count; ++j)
        AsList(columns->elements[j])->SetHoldsError(false);
    columns->SetHoldsError(false);
}

// Columns are independent, so a long list of them is filled in pieces. Most elements are
// numbers, booleans or characters, which a copy shares: a piece takes at once what its
// columns themselves need.
CValue* TransposeRectangular(const CListValue* rows, const CRunContext& run) {
    const std::int32_t m = RowLength(rows->elements[0]);
    const std::int32_t n = rows->count;
    CListValue* result = NewDataList(m);
    const bool noError = !rows->HoldsError();
    const std::size_t columnBytes = sizeof(CListValue) + (std::size_t(n) + 1) * sizeof(CValue*);
    FillInPieces(
        run, m, kTransposeItemNs * n,
        [&](std::int64_t begin, std::int64_t end) {
            return std::size_t(end - begin) * columnBytes;
        },
        [&](std::int64_t begin, std::int64_t end) {
            for (std::int64_t j = begin; j < end; ++j) {
                CListValue* column = NewDataList(n);
                for (std::int32_t i = 0; i < n; ++i)
                    column->elements[i] = CopyValue(AsList(rows->elements[i])->elements[j]);
                if (noError)
                    column->SetHoldsError(false);
                result->elements[j] = column;
            }
        });
    if (noError)
        result->SetHoldsError(false);
    return result;
}

// Column j gathers element j of every row long enough to have one.
CValue* TransposeRagged(const CListValue* rows) {
    std::int32_t m = 1;
    for (std::int32_t i = 0; i < rows->count; ++i)
        m = std::max(m, RowLength(rows->elements[i]));
    auto* result = new CListValue(rows->kind, m);
    for (std::int32_t j = 0; j < m; ++j) {
        std::int32_t height = 0;
        for (std::int32_t i = 0; i < rows->count; ++i)
            height += RowLength(rows->elements[i]) > j ? 1 : 0;
        CListValue* column = NewDataList(height);
        std::int32_t k = 0;
        for (std::int32_t i = 0; i < rows->count; ++i) {
            if (RowLength(rows->elements[i]) > j)
                column->elements[k++] = CopyValue(AsList(rows->elements[i])->elements[j]);
        }
        result->elements[j] = column;
    }
    NoteColumnsHoldNoError(rows, result);
    return result;
}

// The list without element index (0-based); a list of one leaves (.).
CValue* WithoutElement(const CListValue* list, std::int32_t index) {
    if (list->count == 1) {
        CListValue* marker = NewDataList(1);
        marker->elements[0] = EmptyMarker();
        marker->SetHoldsError(false);
        return marker;
    }
    auto* result = new CListValue(list->kind, list->count - 1);
    std::int32_t k = 0;
    for (std::int32_t i = 0; i < list->count; ++i) {
        if (i != index)
            result->elements[k++] = list->elements[i];
    }
    if (!list->HoldsError())
        result->SetHoldsError(false);
    return result;
}

} // namespace

bool CInterpreter::MakeDataList(CValue* arg, CValue** out) {
    CListValue* result = NewDataList(1);
    result->elements[0] = CopyValue(arg);
    result->SetHoldsError(ContainsErrorValue(arg));
    return Succeed(out, result);
}

bool CInterpreter::MakeParallelList(CValue* arg, CValue** out) {
    if (!IsDataList(arg))
        return Succeed(out, CopyValue(arg));
    if (AsList(arg)->count == 1)
        return Succeed(out, AsList(arg)->elements[0]);
    return Succeed(out, new CListValue(kKindParList, *AsList(arg)));
}

// (.) is the empty list that selection leaves behind, so it counts as empty.
bool CInterpreter::Length(CValue* arg, CValue** out) {
    if (!IsDataList(arg))
        return Succeed(out, new CIntValue(0));
    const CListValue* list = AsList(arg);
    if (list->count == 1 && IsEmptyMarker(list->elements[0]))
        return Succeed(out, new CIntValue(0));
    return Succeed(out, new CIntValue(list->count));
}

bool CInterpreter::Transpose(CValue* arg, CValue** out, const CRunContext& run) {
    if (!IsDataList(arg))
        return Succeed(out, CopyValue(arg));
    const CListValue* rows = AsList(arg);
    if (!AllDataLists(rows))
        return Fail(out, kIErrInterpretation);
    return Succeed(out,
                   IsRectangular(rows) ? TransposeRectangular(rows, run) : TransposeRagged(rows));
}

// 1-based positions of the true elements; a single position stays a list.
bool CInterpreter::Positions(CValue* arg, CValue** out) {
    if (!IsDataList(arg) || !AllBooleans(arg))
        return Fail(out, kIErrInterpretation);
    const CListValue* list = AsList(arg);
    std::int32_t trues = 0;
    for (std::int32_t i = 0; i < list->count; ++i)
        trues += BoolOf(list->elements[i]) ? 1 : 0;
    if (trues == 0)
        return Succeed(out, new CIntValue(0));
    auto* result = new CListValue(kKindParList, trues);
    std::int32_t k = 0;
    for (std::int32_t i = 0; i < list->count; ++i) {
        if (BoolOf(list->elements[i]))
            result->elements[k++] = new CIntValue(i + 1);
    }
    result->SetHoldsError(false);
    return Succeed(out, result);
}

bool CInterpreter::Duplicate(CValue* arg, CValue** out, const CRunContext& run) {
    if (!IsPair(arg) || Second(arg)->kind != kKindInt || IntOf(Second(arg)) < 0)
        return Fail(out, kIErrInterpretation);
    const std::int32_t n = IntOf(Second(arg));
    CListValue* result = NewDataList(n);
    CValue** elements = result->elements;
    const CValue* original = First(arg);
    // Deep copies, each as large as the original: a program that repeats its own growth
    // reaches the memory limit as fast as its values grow. Copies are independent, so many
    // of them are made in pieces.
    const std::size_t each = n > 1 && MayFillInPieces(run) ? ClonedBytesAtLeast(original) : 0;
    FillInPieces(
        run, n, std::int64_t(each / sizeof(CIntValue)) * kCopiedValueNs,
        [&](std::int64_t begin, std::int64_t end) { return std::size_t(end - begin) * each; },
        [&](std::int64_t begin, std::int64_t end) {
            for (auto i = static_cast<std::int32_t>(begin); i < end; ++i)
                elements[i] = CloneValue(original);
        });
    result->SetHoldsError(ContainsErrorValue(original));
    return Succeed(out, result);
}

// n >= 1 picks element n itself, n <= -1 drops element |n|, 0 gives the empty marker.
bool CInterpreter::SelectByIndex(CValue* arg, CValue* func, CValue** out) {
    if (!IsDataList(arg))
        return Fail(out, kIErrBound);
    const std::int32_t n = IntOf(func);
    if (n == 0)
        return Succeed(out, EmptyMarker());
    const CListValue* list = AsList(arg);
    // The most negative integer has no absolute value to compare.
    if (n == std::numeric_limits<std::int32_t>::min() || (n > 0 ? n : -n) > list->count)
        return Fail(out, kIErrBound);
    if (n > 0)
        return Succeed(out, list->elements[n - 1]);
    return Succeed(out, WithoutElement(list, -n - 1));
}

bool CInterpreter::Guard(CValue* arg, CValue* func, CValue** out) {
    if (AsBool(func)->value == 1)
        return Succeed(out, CopyValue(arg));
    return Succeed(out, EmptyMarker());
}
