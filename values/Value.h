#pragma once
// Run-time values.
//
// Every result of evaluation is a small object of one of the classes below, tagged with a
// kind code that shares its numbering with the scanner's token codes: an operator used as
// a function value has its own token code as its kind. Values are never changed once
// handed out, and they are shared freely: a list's element may sit in several lists and
// be a run's result at the same time. So nothing frees a single value. Instead every
// value of a run (and every list's element array) is bump-allocated in that run's arena
// (Arena.h), and the whole arena goes at once when the run is over. That is also why the
// value classes hold no owning members: their destructors are never run.
//
// Since no value changes, a copy is indistinguishable from its original except by its
// address. The interpreter therefore copies only the outermost object where the rules ask
// for a copy (CopyValue): a copied list shares its element array. An element array
// carries one header word before its first slot, which remembers whether the elements
// hold an error, so that the test every application makes is not a walk over the list.

#include "values/Arena.h"
#include "values/Codes.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <type_traits>

class CNodeBase;
class COutputSink;

// The debug and sanitizer builds check the cached error test of lists (CListValue) and the
// kind of every value read through an accessor (AsInt and the rest, below).
#if !defined(NDEBUG) || defined(TIRVANE_SANITIZED)
#define TIRVANE_CHECK_ERROR_CACHE 1
#define TIRVANE_CHECK_VALUE_KINDS 1
#endif

extern const char* const g_apszInterpErrors[10];

class CValue {
public:
    explicit CValue(int kind) : kind(kind) {}
    CValue(const CValue&) = default;
    virtual ~CValue() = default;
    // Writes the text form through g_pOutput.
    void Print() const;
    // Writes the text form to sink (a run writes to its own).
    virtual void PrintTo(COutputSink& sink) const;

    bool IsList() const { return kind >= kKindDataList && kind <= kKindDelayList; }
    // A CRefValue: a function or type reference, or a delayed term.
    bool IsReference() const {
        return kind == kKindFuncRef || kind == kKindTypeRef || kind == kKindDelayed;
    }

    // Values live in the current thread's arena (Arena.h).
    static void* operator new(std::size_t bytes) { return CArena::Current().Allocate(bytes); }
    static void operator delete(void*) noexcept {}

    int kind;
};

class CIntValue : public CValue {
public:
    explicit CIntValue(std::int32_t value) : CValue(kKindInt), value(value) {}
    void PrintTo(COutputSink& sink) const override;
    std::int32_t value;
};

class CRealValue : public CValue {
public:
    explicit CRealValue(float value) : CValue(kKindReal), value(value) {}
    void PrintTo(COutputSink& sink) const override;
    float value;
};

class CBoolValue : public CValue {
public:
    explicit CBoolValue(bool value) : CValue(kKindBool), value(value ? 1 : 0) {}
    void PrintTo(COutputSink& sink) const override;
    unsigned char value;
};

class CCharValue : public CValue {
public:
    explicit CCharValue(unsigned char value) : CValue(kKindChar), value(value) {}
    void PrintTo(COutputSink& sink) const override;
    unsigned char value;
};

class CErrorValue : public CValue {
public:
    explicit CErrorValue(std::int32_t code) : CValue(kKindError), code(code) {}
    void PrintTo(COutputSink& sink) const override;
    std::int32_t code;
};

// An operator or keyword used as a value; "." is also the empty marker.
class CSignValue : public CValue {
public:
    explicit CSignValue(std::int32_t code) : CValue(code), code(code) {}
    void PrintTo(COutputSink& sink) const override;
    std::int32_t code;
};

class CListValue : public CValue {
public:
    // The slots are not initialised: the maker fills every one before the list is used.
    CListValue(std::int32_t kind, std::int32_t count)
        : CValue(kind), count(count), elements(count > 0 ? NewElementArray(count) : nullptr) {}
    // A deep copy: every element cloned.
    CListValue(const CListValue& source);
    // Another list of kind over the same element array (shared, not copied).
    CListValue(std::int32_t kind, const CListValue& source)
        : CValue(kind), count(source.count), elements(source.elements) {}
    void PrintTo(COutputSink& sink) const override;

    // True when an element is an error value or a list that holds one, at any depth.
    // Computed once per element array: the elements are complete by the time it is asked.
    bool HoldsError() const {
        if (count <= 0)
            return false;
        const std::uintptr_t state = LoadHeader(elements);
        return state == kErrorsUnknown ? FindError() : state == kHasErrors;
    }

    std::int32_t count;
    CValue** elements;

private:
    bool FindError() const;
#ifdef TIRVANE_CHECK_ERROR_CACHE
    void CheckRecordedAnswer(bool holds) const;
#endif

public:
    // The header word of an element array: how far its error test has got.
    enum ErrorState : std::uintptr_t { kErrorsUnknown = 0, kNoErrors = 1, kHasErrors = 2 };
    static std::uintptr_t& HeaderOf(CValue** elements) {
        return reinterpret_cast<std::uintptr_t*>(elements)[-1];
    }
    // The answer of a list shared by the threads of a parallel list may be computed by
    // several of them at once: they read and write the same word, atomically.
    static std::uintptr_t LoadHeader(CValue** elements) {
        return std::atomic_ref<std::uintptr_t>(HeaderOf(elements)).load(std::memory_order_relaxed);
    }
    static void StoreHeader(CValue** elements, std::uintptr_t state) {
        std::atomic_ref<std::uintptr_t>(HeaderOf(elements)).store(state, std::memory_order_relaxed);
    }
    // Records the answer for the elements' array: the maker of a list may know it. Every
    // element must be in place. Debug and sanitizer builds check the answer against the
    // elements' own answers, which were checked in turn when they were recorded, so each
    // recorded answer is that of a walk over the whole list.
    void SetHoldsError(bool holds) const {
        if (count <= 0)
            return;
#ifdef TIRVANE_CHECK_ERROR_CACHE
        CheckRecordedAnswer(holds);
#endif
        StoreHeader(elements, holds ? kHasErrors : kNoErrors);
    }
    static CValue** NewElementArray(std::int32_t count) {
        void* block =
            CArena::Current().Allocate((static_cast<std::size_t>(count) + 1) * sizeof(CValue*));
        auto* elements = static_cast<CValue**>(block) + 1;
        HeaderOf(elements) = kErrorsUnknown;
        return elements;
    }
};

class CRefValue : public CValue {
public:
    CRefValue(std::int32_t kind, CNodeBase* node) : CValue(kind), node(node) {}
    void PrintTo(COutputSink& sink) const override;
    CNodeBase* node; // a node of the model (TermOf gives it as one)
};

class CTypedValue : public CValue {
public:
    CTypedValue(CValue* type, CValue* value) : CValue(kKindTyped), type(type), value(value) {}
    void PrintTo(COutputSink& sink) const override;
    CValue* type;  // a type reference (kKindTypeRef)
    CValue* value; // the value that passed the type's check
};

// The value as its class, for a value known to be of that kind. The debug and sanitizer
// builds stop with a message on any other kind; the release build is a plain cast.
[[noreturn]] void ValueKindMismatch(const CValue* value, const char* wanted);
template <class T, class V> inline auto* ValueAs(V* value, bool fits, const char* wanted) {
#ifdef TIRVANE_CHECK_VALUE_KINDS
    if (!fits)
        ValueKindMismatch(value, wanted);
#else
    (void)fits;
    (void)wanted;
#endif
    if constexpr (std::is_const_v<V>)
        return static_cast<const T*>(value);
    else
        return static_cast<T*>(value);
}
// A CSignValue: an operator or keyword used as a value, or the empty marker.
inline bool IsSignKind(int kind) {
    return kind < kKindDataList || kind > kKindError;
}

inline const CIntValue* AsInt(const CValue* v) {
    return ValueAs<CIntValue>(v, v->kind == kKindInt, "an integer");
}
inline CIntValue* AsInt(CValue* v) {
    return ValueAs<CIntValue>(v, v->kind == kKindInt, "an integer");
}
inline const CRealValue* AsReal(const CValue* v) {
    return ValueAs<CRealValue>(v, v->kind == kKindReal, "a real");
}
inline CRealValue* AsReal(CValue* v) {
    return ValueAs<CRealValue>(v, v->kind == kKindReal, "a real");
}
inline const CBoolValue* AsBool(const CValue* v) {
    return ValueAs<CBoolValue>(v, v->kind == kKindBool, "a boolean");
}
inline CBoolValue* AsBool(CValue* v) {
    return ValueAs<CBoolValue>(v, v->kind == kKindBool, "a boolean");
}
inline const CCharValue* AsChar(const CValue* v) {
    return ValueAs<CCharValue>(v, v->kind == kKindChar, "a character");
}
inline CCharValue* AsChar(CValue* v) {
    return ValueAs<CCharValue>(v, v->kind == kKindChar, "a character");
}
inline const CErrorValue* AsError(const CValue* v) {
    return ValueAs<CErrorValue>(v, v->kind == kKindError, "an error");
}
inline CErrorValue* AsError(CValue* v) {
    return ValueAs<CErrorValue>(v, v->kind == kKindError, "an error");
}
inline const CListValue* AsList(const CValue* v) {
    return ValueAs<CListValue>(v, v->IsList(), "a list");
}
inline CListValue* AsList(CValue* v) {
    return ValueAs<CListValue>(v, v->IsList(), "a list");
}
inline const CRefValue* AsRef(const CValue* v) {
    return ValueAs<CRefValue>(v, v->IsReference(), "a reference");
}
inline CRefValue* AsRef(CValue* v) {
    return ValueAs<CRefValue>(v, v->IsReference(), "a reference");
}
inline const CTypedValue* AsTyped(const CValue* v) {
    return ValueAs<CTypedValue>(v, v->kind == kKindTyped, "a typed value");
}
inline CTypedValue* AsTyped(CValue* v) {
    return ValueAs<CTypedValue>(v, v->kind == kKindTyped, "a typed value");
}
inline const CSignValue* AsSign(const CValue* v) {
    return ValueAs<CSignValue>(v, IsSignKind(v->kind), "a sign");
}
inline CSignValue* AsSign(CValue* v) {
    return ValueAs<CSignValue>(v, IsSignKind(v->kind), "a sign");
}

// The booleans, the characters and the empty marker are few: every use shares one object
// of the process instead of allocating its own. Values never change, and the reclamation
// of regions leaves whatever lies outside the arena alone.
extern std::array<CBoolValue, 2> g_sharedBools;
extern std::array<CCharValue, 256> g_sharedChars;
extern CSignValue g_sharedEmptyMarker;
inline CValue* SharedBool(bool value) {
    return &g_sharedBools[value ? 1 : 0];
}
inline CValue* SharedChar(unsigned char value) {
    return &g_sharedChars[value];
}
inline CValue* SharedEmptyMarker() {
    return &g_sharedEmptyMarker;
}

// A deep copy: new objects at every level of lists.
CValue* CloneValue(const CValue* value);
// A copy of the outermost object only; a list copy shares the element array. For every use
// where the rules ask for a copy: values never change, so nothing can tell the two apart.
CValue* CopyValue(const CValue* value);

// An error value, or a list that holds one at any depth. Delayed terms, references and
// typed values are not looked into.
inline bool ContainsErrorValue(const CValue* value) {
    if (value->kind == kKindError)
        return true;
    return value->IsList() && AsList(value)->HoldsError();
}

// Canonical shape of a freshly built list: one-element parallel lists unwrapped, nested
// parallel lists spliced one level, "." dropped from data and delay lists.
CValue* Normalize(CListValue* list);

// True for the empty marker ".".
inline bool IsEmptyMarker(const CValue* value) {
    return value->kind == kTokDot;
}

// What normalisation needs to know of a list's elements, gathered by the maker of the list
// as each element arrives, while it is at hand.
struct CElementSurvey {
    bool parallel = false; // a parallel list to splice
    bool markers = false;  // an empty marker to drop
    bool error = false;    // an error, at any depth
    void Note(const CValue* element) {
        parallel = parallel || element->kind == kKindParList;
        markers = markers || IsEmptyMarker(element);
        error = error || ContainsErrorValue(element);
    }
    void Merge(const CElementSurvey& other) {
        parallel = parallel || other.parallel;
        markers = markers || other.markers;
        error = error || other.error;
    }
};
// How normalisation may copy the slots of spliced elements into the new array: when the
// new list has at least `least` slots, copy(count, fill) is called, which calls
// fill(begin, end) for pieces that make [0, count), on whatever threads it likes.
struct CSlotCopies {
    std::int64_t least = 0;
    std::function<void(std::int64_t, const std::function<void(std::int64_t, std::int64_t)>&)> copy;
};
// Normalize for a list whose every element the survey has noted.
CValue* Normalize(CListValue* list, const CElementSurvey& survey, const CSlotCopies& copies = {});

// Numeric conversions shared by the built-ins.
inline float IntToReal(std::int32_t value) {
    return static_cast<float>(value);
}
// Round to nearest, halves away from zero. ok is false outside the 32-bit range or for NaN.
std::int32_t RealToInt(float value, bool* ok);
// Truncate toward zero, keep the low 8 bits. ok as above.
unsigned char RealToChar(float value, bool* ok);
