#pragma once
// Region reclamation: the memory of a run is given back at the end of each function call
// instead of only at the end of the run.
//
// A call's region is what the arena allocates between the call's start and its end. When
// the call returns, nothing outside the region can point into it except the call's result:
// values never change once handed out, callers fill their own new lists only after the
// call has returned, and frames pushed during the call are gone. The one way in from
// outside is a value stored into the frame of a scope activation older than the call (a
// constant computed on demand, or a named value of an enclosing function computed by a
// delayed term); such a store pins everything allocated so far, and no region that
// contains pinned space is reclaimed.
//
// So at the end of a call the objects of the region that the result reaches are copied,
// with their sharing kept, to the region's start, and the arena's top is set after them.
// A region is reclaimed only when it holds enough that is not known to survive (more than
// kReclaimThreshold, and more than what inner calls already moved there), so that the
// copying costs at most a small multiple of what the run allocates.

#include <cstddef>

class CArena;
class CValue;

class CCallRegion {
public:
    // Below this a region is left to its caller's region, to be reclaimed with it.
    static constexpr std::size_t kReclaimThreshold = std::size_t(64) << 10;

    CCallRegion();
    ~CCallRegion();
    CCallRegion(const CCallRegion&) = delete;
    CCallRegion& operator=(const CCallRegion&) = delete;

    // Ends the call with its result: the result where it now lives, after the region was
    // reclaimed or left as it is.
    CValue* Keep(CValue* result);

    // The number of calls in progress on this thread; frames remember it when pushed.
    static int CurrentDepth();
    // A value was stored into a frame pushed at depth: from an older activation, it pins
    // everything allocated so far.
    static void NoteStore(int frameDepth);

private:
    CArena& m_arena;
    std::byte* m_pMark;
    std::size_t m_nSurvivors = 0; // bytes that inner calls moved into this region
    int m_nDepth;
    CCallRegion* m_pOuter;
};
