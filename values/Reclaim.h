#pragma once
// Region reclamation: the memory of a run is given back at the end of each function call
// and, in a spread, every so often between the elements, instead of only at the end of
// the run.
//
// A region is what the arena allocates after a mark. A call's region runs from the call's
// start to its end. When the call returns, nothing outside the region can point into it
// except the call's result: values never change once handed out, callers fill their own
// new lists only after the call has returned, and frames pushed during the call are gone.
// The one way in from outside is a value stored into the frame of an activation older
// than the region (a constant computed on demand, or a named value of an enclosing scope
// computed by a delayed term); such a store pins everything allocated so far, and no
// region that contains pinned space is reclaimed.
//
// So at the end of a call the objects of the region that the result reaches are copied,
// with their sharing kept, to the region's start, and the arena's top is set after them.
// A region is reclaimed only when it holds enough that is not known to survive (more than
// kReclaimThreshold, and more than what inner calls already moved there), so that the
// copying costs at most a small multiple of what the run allocates.
//
// A spread applies its elements one after another, and between two of them the only
// pointers into what the applications allocated are the results stored so far. Its
// region is a window that starts after the list it fills: when the window holds more than
// the threshold and user functions were called in it (built-ins allocate little besides
// their results), the results stored since the window opened are copied down to its start
// like a call's result, and a new window opens after them. What was kept is never looked
// at again, since older values cannot point to newer ones. Regions belong to a thread: each thread
// that evaluates has its own arena and its own nesting of regions.

#include "values/Arena.h"

#include <cstddef>
#include <cstdint>

class CValue;

// What the regions of a thread share: where a region starts, what is known to survive in
// it, and the region around it. Regions nest strictly, the innermost on top.
class CRegion {
public:
    // Below this a region is left to the region around it, to be reclaimed with it.
    static constexpr std::size_t kReclaimThreshold = std::size_t(64) << 10;

    CRegion(const CRegion&) = delete;
    CRegion& operator=(const CRegion&) = delete;

    // The number of regions (calls and spreads) open on this thread; frames remember it
    // when pushed.
    static int CurrentDepth();
    // The number of function calls in progress on this thread.
    static int CallDepth();
    // A value was stored into a frame pushed at depth: from an older activation, it pins
    // everything allocated so far.
    static void NoteStore(int frameDepth);

protected:
    CRegion();
    ~CRegion();
    // Bytes known to be alive now belong to the region around this one.
    void Survived(std::size_t bytes);
    // Copies what roots[0..count) reach in [m_pMark, top) down to m_pMark and releases the
    // rest; the roots then point to the copies.
    void Evacuate(CValue** roots, std::size_t count);

    CArena& m_arena;
    std::byte* m_pMark;
    std::size_t m_nSurvivors = 0; // bytes after m_pMark that inner calls moved there
    CRegion* m_pOuter;
    int m_nDepth;
};

// A function call's region, from the call's start to its result.
class CCallRegion : public CRegion {
public:
    using CRegion::kReclaimThreshold;

    CCallRegion();
    ~CCallRegion();

    // Ends the call with its result: the result where it now lives, after the region was
    // reclaimed or left as it is.
    CValue* Keep(CValue* result);
};

// A spread's region: the slots it fills are the roots. Made after the list whose slots
// they are, so that the list lies below the region.
class CSpreadRegion : public CRegion {
public:
    explicit CSpreadRegion(CValue** slots);
    ~CSpreadRegion();

    // Slots [0, filled) hold their results: a chance to give back what the applications
    // left behind. Cheap when there is little to give back.
    void Filled(std::int32_t filled) {
        if (static_cast<std::size_t>(Top() - m_pMark) >= kReclaimThreshold)
            Collect(filled);
    }

private:
    std::byte* Top() const { return m_arena.Top(); }
    void Collect(std::int32_t filled);

    CValue** m_pSlots;
    std::int32_t m_nFirst = 0; // slots before it point below the window
    std::size_t m_nKept = 0;   // bytes kept between the spread's start and the window
    std::uint64_t m_nCalls;    // calls entered on this thread when the window opened
};

// A thread that evaluates items of a parallel list (TaskPool.h) goes on with the calls of
// the thread that started the list: its calls count from that depth, and the regions of
// its calls belong to it alone.
class CCallDepthBase {
public:
    CCallDepthBase(int depth, int calls);
    ~CCallDepthBase();
    CCallDepthBase(const CCallDepthBase&) = delete;
    CCallDepthBase& operator=(const CCallDepthBase&) = delete;

private:
    int m_nPrevious;
    int m_nPreviousCalls;
    CRegion* m_pPreviousInnermost;
};
