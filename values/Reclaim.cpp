// Region reclamation: the objects of a region that its roots (a call's result, a spread's
// new results) reach are copied above the arena's top (each once: an original left behind
// says where its copy went), with every pointer already set to the address the copy will
// have, then moved down to the region's start in one piece.

#include "values/Reclaim.h"

#include "values/Arena.h"
#include "values/Value.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace {

thread_local int t_nDepth = 0; // regions open
thread_local int t_nCalls = 0; // calls in progress
// Calls entered so far: a spread window in which it did not change called no function.
thread_local std::uint64_t t_nCallsEntered = 0;

// A forwarded original: its kind word says so, its first word holds the new address. Both
// are read and written as plain memory, since the original is no valid object any more.
constexpr int kForwardedKind = -1;
// The header word of a forwarded element array: the new address of its first slot, tagged.
constexpr std::uintptr_t kForwardedArray = 3;

std::size_t KindOffset() {
    static const std::size_t offset = [] {
        const CIntValue probe(0);
        return static_cast<std::size_t>(reinterpret_cast<const std::byte*>(&probe.kind) -
                                        reinterpret_cast<const std::byte*>(&probe));
    }();
    return offset;
}

int RawKind(const void* object) {
    int kind = 0;
    std::memcpy(&kind, static_cast<const std::byte*>(object) + KindOffset(), sizeof kind);
    return kind;
}

std::size_t Aligned(std::size_t bytes) {
    return (bytes + CArena::kAlignment - 1) & ~(CArena::kAlignment - 1);
}

class CEvacuation {
public:
    CEvacuation(CArena& arena, std::byte* mark)
        : m_arena(arena), m_pMark(mark), m_pEnd(arena.Top()), m_pCopies(arena.Top()) {}

    void Run(CValue** roots, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            roots[i] = Forward(roots[i]);
        while (!m_pending.empty()) {
            const Pending item = m_pending.back();
            m_pending.pop_back();
            if (item.count < 0)
                Scan(reinterpret_cast<CValue*>(item.copy));
            else
                ScanArray(reinterpret_cast<CValue**>(item.copy), item.count);
        }
        const auto live = static_cast<std::size_t>(m_arena.Top() - m_pCopies);
        std::memcpy(m_pMark, m_pCopies, live);
        m_arena.Release(m_pMark + live);
    }

private:
    struct Pending {
        std::byte* copy;    // in the copy area
        std::int32_t count; // -1: a value; otherwise an element array of count slots
    };

    bool InRegion(const void* p) const {
        return static_cast<const std::byte*>(p) >= m_pMark &&
               static_cast<const std::byte*>(p) < m_pEnd;
    }
    // Where a copy at `copy` will be once the copies are moved down.
    std::byte* Final(std::byte* copy) const { return m_pMark + (copy - m_pCopies); }

    CValue* Forward(CValue* value) {
        if (value == nullptr || !InRegion(value))
            return value;
        if (RawKind(value) == kForwardedKind) {
            CValue* moved = nullptr;
            std::memcpy(&moved, static_cast<const void*>(value), sizeof moved);
            return moved;
        }
        std::byte* copy = Copy(value);
        auto* moved = reinterpret_cast<CValue*>(Final(copy));
        std::memcpy(static_cast<void*>(value), &moved, sizeof moved);
        const int forwarded = kForwardedKind;
        std::memcpy(reinterpret_cast<std::byte*>(value) + KindOffset(), &forwarded,
                    sizeof forwarded);
        // Only lists and typed values point to other values: a scalar's copy is final.
        if (HasPointers(reinterpret_cast<CValue*>(copy)->kind))
            m_pending.push_back({copy, -1});
        return moved;
    }

    template <class T> std::byte* CopyAs(const CValue* value) {
        void* copy = m_arena.Allocate(Aligned(sizeof(T)));
        ::new (copy) T(*static_cast<const T*>(value));
        return static_cast<std::byte*>(copy);
    }

    std::byte* Copy(const CValue* value) {
        switch (value->kind) {
        case kKindDataList:
        case kKindParList:
        case kKindDelayList: {
            void* copy = m_arena.Allocate(Aligned(sizeof(CListValue)));
            const auto* list = AsList(value);
            ::new (copy) CListValue(list->kind, *list);
            return static_cast<std::byte*>(copy);
        }
        case kKindFuncRef:
        case kKindTypeRef:
        case kKindDelayed:
            return CopyAs<CRefValue>(value);
        case kKindTyped:
            return CopyAs<CTypedValue>(value);
        case kKindInt:
            return CopyAs<CIntValue>(value);
        case kKindReal:
            return CopyAs<CRealValue>(value);
        case kKindBool:
            return CopyAs<CBoolValue>(value);
        case kKindChar:
            return CopyAs<CCharValue>(value);
        case kKindError:
            return CopyAs<CErrorValue>(value);
        default:
            return CopyAs<CSignValue>(value);
        }
    }

    static bool HasPointers(int kind) {
        return kind == kKindDataList || kind == kKindParList || kind == kKindDelayList ||
               kind == kKindTyped;
    }

    // The pointers of a copied value, turned to the final addresses of their targets.
    void Scan(CValue* copy) {
        switch (copy->kind) {
        case kKindDataList:
        case kKindParList:
        case kKindDelayList: {
            auto* list = AsList(copy);
            if (list->count > 0)
                list->elements = ForwardArray(list->elements, list->count);
            break;
        }
        case kKindTyped: {
            auto* typed = AsTyped(copy);
            typed->type = Forward(typed->type);
            typed->value = Forward(typed->value);
            break;
        }
        default:
            break;
        }
    }

    void ScanArray(CValue** slots, std::int32_t count) {
        for (std::int32_t i = 0; i < count; ++i)
            slots[i] = Forward(slots[i]);
    }

    // Element arrays may be shared by several lists: each is copied once.
    CValue** ForwardArray(CValue** elements, std::int32_t count) {
        std::uintptr_t& header = CListValue::HeaderOf(elements);
        if (!InRegion(&header))
            return elements;
        if ((header & kForwardedArray) == kForwardedArray)
            return reinterpret_cast<CValue**>(header & ~kForwardedArray);
        const std::size_t bytes = (static_cast<std::size_t>(count) + 1) * sizeof(CValue*);
        auto* block = static_cast<std::byte*>(m_arena.Allocate(bytes));
        std::memcpy(block, &header, bytes);
        auto* moved = reinterpret_cast<CValue**>(Final(block) + sizeof(CValue*));
        header = reinterpret_cast<std::uintptr_t>(moved) | kForwardedArray;
        m_pending.push_back({block + sizeof(CValue*), count});
        return moved;
    }

    CArena& m_arena;
    std::byte* m_pMark;
    std::byte* m_pEnd;
    std::byte* m_pCopies;
    static thread_local std::vector<Pending> m_pending;
};

thread_local std::vector<CEvacuation::Pending> CEvacuation::m_pending;

} // namespace

// The innermost region of this thread; regions nest with the evaluation's calls.
static thread_local CRegion* t_pInnermost = nullptr;

CRegion::CRegion()
    : m_arena(CArena::Current()), m_pMark(m_arena.Top()), m_pOuter(t_pInnermost),
      m_nDepth(t_nDepth + 1) {
    t_pInnermost = this;
    t_nDepth = m_nDepth;
}

CRegion::~CRegion() {
    t_pInnermost = m_pOuter;
    t_nDepth = m_nDepth - 1;
}

void CRegion::Survived(std::size_t bytes) {
    if (m_pOuter != nullptr && &m_pOuter->m_arena == &m_arena)
        m_pOuter->m_nSurvivors += bytes;
}

void CRegion::Evacuate(CValue** roots, std::size_t count) {
    CEvacuation(m_arena, m_pMark).Run(roots, count);
}

int CRegion::CurrentDepth() {
    return t_nDepth;
}

int CRegion::CallDepth() {
    return t_nCalls;
}

void CRegion::NoteStore(int frameDepth) {
    if (frameDepth < t_nDepth)
        CArena::Current().Pin();
}

CCallRegion::CCallRegion() {
    ++t_nCalls;
    ++t_nCallsEntered;
}

CCallRegion::~CCallRegion() {
    --t_nCalls;
}

CValue* CCallRegion::Keep(CValue* result) {
    const auto size = static_cast<std::size_t>(m_arena.Top() - m_pMark);
    const std::size_t fresh = size > m_nSurvivors ? size - m_nSurvivors : 0;
    std::size_t survivors = m_nSurvivors;
    // A view's blocks lie between those of other threads: a region that spans blocks is
    // left to the regions around the parallel list.
    if (m_pMark >= m_arena.Pinned() && fresh >= kReclaimThreshold && fresh >= m_nSurvivors &&
        m_arena.CanMoveDownTo(m_pMark)) {
        Evacuate(&result, 1);
        survivors = static_cast<std::size_t>(m_arena.Top() - m_pMark);
    }
    // What stays of this region and is known to be alive counts so in the caller's region.
    Survived(survivors);
    return result;
}

CSpreadRegion::CSpreadRegion(CValue** slots) : m_pSlots(slots), m_nCalls(t_nCallsEntered) {
}

CSpreadRegion::~CSpreadRegion() {
    Survived(m_nKept + m_nSurvivors);
}

// The window is copied only when functions were called in it and it is mostly garbage
// (inner calls moved less there than is left); otherwise it is kept as it is. Either way
// a new window opens at the top: each byte is looked at in one window only, so the
// copying costs at most what the spread allocates.
void CSpreadRegion::Collect(std::int32_t filled) {
    const auto size = static_cast<std::size_t>(Top() - m_pMark);
    std::size_t kept = size;
    if (t_nCallsEntered != m_nCalls && m_pMark >= m_arena.Pinned() &&
        m_arena.CanMoveDownTo(m_pMark) && size - std::min(size, m_nSurvivors) >= m_nSurvivors) {
        Evacuate(m_pSlots + m_nFirst, static_cast<std::size_t>(filled - m_nFirst));
        kept = static_cast<std::size_t>(Top() - m_pMark);
    }
    m_nKept += kept;
    m_pMark = Top();
    m_nFirst = filled;
    m_nSurvivors = 0;
    m_nCalls = t_nCallsEntered;
}

CCallDepthBase::CCallDepthBase(int depth, int calls)
    : m_nPrevious(t_nDepth), m_nPreviousCalls(t_nCalls), m_pPreviousInnermost(t_pInnermost) {
    t_nDepth = depth;
    t_nCalls = calls;
    t_pInnermost = nullptr;
}

CCallDepthBase::~CCallDepthBase() {
    t_nDepth = m_nPrevious;
    t_nCalls = m_nPreviousCalls;
    t_pInnermost = m_pPreviousInnermost;
}
