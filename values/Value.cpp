#include "values/Value.h"

#include "values/Arena.h"
#include "values/StackGuard.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

const char* const g_apszInterpErrors[10] = {
    "No Errors!",       "Unknown error!",        "Error type cast(real)!", "Error type cast (int)!",
    "Zero division!",   "Interpretation error!", "Bound error!",           "No expression error!",
    "Error type cast!", "Value extract error!"};

namespace {
template <std::size_t... Codes>
std::array<CCharValue, sizeof...(Codes)> MakeChars(std::index_sequence<Codes...>) {
    return {CCharValue(static_cast<unsigned char>(Codes))...};
}
} // namespace

std::array<CBoolValue, 2> g_sharedBools = {CBoolValue(false), CBoolValue(true)};
std::array<CCharValue, 256> g_sharedChars = MakeChars(std::make_index_sequence<256>());
CSignValue g_sharedEmptyMarker(kTokDot);

void CValue::PrintTo(COutputSink&) const {
}

bool CListValue::FindError() const {
    // Lists can be nested as deep as a program cares to build them.
    CheckStack();
    bool found = false;
    for (std::int32_t i = 0; i < count && !found; ++i)
        found = elements[i] != nullptr && ContainsErrorValue(elements[i]);
    if (count > 0)
        StoreHeader(elements, found ? kHasErrors : kNoErrors);
    return found;
}

#ifdef TIRVANE_CHECK_ERROR_CACHE
// A wrong answer would let an error through an application unseen, or stop a sound one: it
// ends the process here, where the list that got it is made.
void CListValue::CheckRecordedAnswer(bool holds) const {
    bool found = false;
    for (std::int32_t i = 0; i < count && !found; ++i)
        found = elements[i] != nullptr && ContainsErrorValue(elements[i]);
    if (found != holds) {
        std::fprintf(stderr, "a list of kind %d and %d elements recorded that it %s\n", kind, count,
                     holds ? "holds an error" : "holds no error");
        std::abort();
    }
}
#endif

// A value read as a class it is not of would give garbage, or write into another object.
void ValueKindMismatch(const CValue* value, const char* wanted) {
    std::fprintf(stderr, "a value of kind %d was read as %s\n", value->kind, wanted);
    std::abort();
}

CListValue::CListValue(const CListValue& source) : CListValue(source.kind, source.count) {
    for (std::int32_t i = 0; i < count; ++i)
        elements[i] = CloneValue(source.elements[i]);
}

namespace {

// A new object of the value's outermost one.
CValue* NewCopy(const CValue* value) {
    switch (value->kind) {
    case kKindDataList:
    case kKindParList:
    case kKindDelayList:
        return new CListValue(value->kind, *AsList(value));
    case kKindFuncRef:
    case kKindTypeRef:
    case kKindDelayed:
        return new CRefValue(value->kind, AsRef(value)->node);
    case kKindTyped: {
        auto* typed = AsTyped(value);
        return new CTypedValue(typed->type, typed->value);
    }
    case kKindInt:
        return new CIntValue(AsInt(value)->value);
    case kKindReal:
        return new CRealValue(AsReal(value)->value);
    case kKindBool:
        return SharedBool(AsBool(value)->value != 0);
    case kKindChar:
        return SharedChar(AsChar(value)->value);
    case kKindError:
        return new CErrorValue(AsError(value)->code);
    default:
        return value->kind == kTokDot ? SharedEmptyMarker() : new CSignValue(value->kind);
    }
}

} // namespace

// A number is shared, as booleans and characters are: a transposition of a million pairs
// of integers then makes no two million integers.
CValue* CopyValue(const CValue* value) {
    if (value->kind == kKindInt || value->kind == kKindReal)
        return const_cast<CValue*>(value);
    return NewCopy(value);
}

// dup's copies are new objects down to the numbers: a program that repeats its own growth
// meets the memory limit as it grows.
CValue* CloneValue(const CValue* value) {
    if (value->IsList())
        return new CListValue(*AsList(value));
    return NewCopy(value);
}

namespace {
// The element of list whose part of the spliced list starts at or before slot: starts[i]
// is where element i's part starts.
std::int32_t ElementAt(const std::vector<std::int32_t>& starts, std::int64_t slot) {
    return static_cast<std::int32_t>(std::upper_bound(starts.begin(), starts.end(), slot) -
                                     starts.begin()) -
           1;
}

// *markers: whether the spliced list may hold an empty marker (always so where the slots
// are copied here, since the spliced elements are not looked at).
CListValue* SpliceParallelElements(CListValue* list, const CSlotCopies& copies, bool* markers) {
    *markers = true;
    std::int32_t total = 0;
    bool any = false;
    for (std::int32_t i = 0; i < list->count; ++i) {
        const CValue* element = list->elements[i];
        if (element->kind == kKindParList) {
            any = true;
            total += AsList(element)->count;
        } else {
            ++total;
        }
    }
    if (!any)
        return list;
    auto* spliced = new CListValue(list->kind, total);
    if (copies.copy && total >= copies.least) {
        std::vector<std::int32_t> starts; // where each element's part starts
        starts.reserve(static_cast<std::size_t>(list->count));
        for (std::int32_t i = 0, start = 0; i < list->count; ++i) {
            starts.push_back(start);
            const CValue* element = list->elements[i];
            start += element->kind == kKindParList ? AsList(element)->count : 1;
        }
        // Elements of one part may go to several pieces: each starts where its first slot
        // is. The pieces look for markers among the slots they copy, while they are at hand.
        std::atomic<bool> marker{false};
        copies.copy(total, [&](std::int64_t begin, std::int64_t end) {
            bool found = false;
            std::int32_t i = ElementAt(starts, begin);
            for (std::int64_t next = begin; next < end; ++i) {
                CValue* element = list->elements[i];
                if (element->kind != kKindParList) {
                    found = found || IsEmptyMarker(element);
                    spliced->elements[next++] = element;
                    continue;
                }
                const CListValue* inner = AsList(element);
                const std::int64_t from = next - starts[static_cast<std::size_t>(i)];
                const std::int64_t count = std::min<std::int64_t>(inner->count - from, end - next);
                for (std::int64_t k = 0; k < count; ++k) {
                    CValue* slot = inner->elements[from + k];
                    found = found || IsEmptyMarker(slot);
                    spliced->elements[next + k] = slot;
                }
                next += count;
            }
            if (found)
                marker = true;
        });
        *markers = marker;
        return spliced;
    }
    std::int32_t next = 0;
    for (std::int32_t i = 0; i < list->count; ++i) {
        CValue* element = list->elements[i];
        if (element->kind == kKindParList) {
            auto* inner = AsList(element);
            for (std::int32_t k = 0; k < inner->count; ++k)
                spliced->elements[next++] = inner->elements[k];
        } else {
            spliced->elements[next++] = element;
        }
    }
    return spliced;
}

CListValue* DropEmptyMarkers(CListValue* list) {
    std::int32_t kept = 0;
    for (std::int32_t i = 0; i < list->count; ++i) {
        if (!IsEmptyMarker(list->elements[i]))
            ++kept;
    }
    if (kept == list->count)
        return list;
    auto* result = new CListValue(list->kind, kept);
    std::int32_t next = 0;
    for (std::int32_t i = 0; i < list->count; ++i) {
        if (!IsEmptyMarker(list->elements[i]))
            result->elements[next++] = list->elements[i];
    }
    return result;
}
} // namespace

// One look at the elements tells what is to be done, and whether an error is among them:
// splicing and dropping markers keep every error, so the answer holds for the result too.
CValue* Normalize(CListValue* list) {
    if (list->kind == kKindParList && list->count == 1)
        return list->elements[0];
    CElementSurvey survey;
    for (std::int32_t i = 0; i < list->count; ++i)
        survey.Note(list->elements[i]);
    return Normalize(list, survey);
}

CValue* Normalize(CListValue* list, const CElementSurvey& survey, const CSlotCopies& copies) {
    if (list->kind == kKindParList && list->count == 1)
        return list->elements[0];
    list->SetHoldsError(survey.error);
    bool markers = survey.markers;
    if (survey.parallel) {
        bool spliced = true;
        list = SpliceParallelElements(list, copies, &spliced);
        list->SetHoldsError(survey.error);
        markers = markers || spliced;
    }
    if (list->kind == kKindParList || list->count < 2 || !markers)
        return list;
    CListValue* kept = DropEmptyMarkers(list);
    kept->SetHoldsError(survey.error);
    return kept;
}

std::int32_t RealToInt(float value, bool* ok) {
    const double x = value;
    double t = std::trunc(x);
    if (std::fabs(x - t) >= 0.5)
        t += x < 0 ? -1.0 : 1.0;
    *ok = std::isfinite(t) && t >= double(INT_MIN) && t <= double(INT_MAX);
    return *ok ? static_cast<std::int32_t>(t) : 0;
}

unsigned char RealToChar(float value, bool* ok) {
    const double t = std::trunc(double(value));
    *ok = std::isfinite(t) && t >= double(INT_MIN) && t <= double(INT_MAX);
    return *ok ? static_cast<unsigned char>(static_cast<std::int32_t>(t) & 0xFF) : 0;
}
