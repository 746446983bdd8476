#pragma once
// The elements of a parallel list are independent, so their evaluation may go on several
// threads at once: a pool of threads with large stacks, and RunInOrder, which spreads a
// range of items over them with an outcome no program can tell from evaluating the items
// one after another. Each thread allocates through a view of the caller's arena (so the
// values stay in the run's arena and under its limit), and writes into a capture of its
// piece, played back in the items' order. An item that throws cancels every later item;
// every earlier one runs to its end; the exception of the first failing item is the one
// that comes back.

#include "output/OutputCapture.h"
#include "values/Reclaim.h"

#include <atomic>
#include <cstdint>
#include <functional>

class COutputSink;
class CValue;

// The threads a parallel evaluation may use, the calling thread included: 1 evaluates
// everything in order on the calling thread; 0 means one per core (the default).
void SetParallelJobs(int jobs);
// The number in effect, at least 1.
int ParallelJobs();
int CoreCount();

// For tests: every list is split from its first element, whatever its elements cost, so
// that small programs take the parallel path too. Starts as TIRVANE_SPLIT_EVERY_LIST=1
// in the environment says.
void SetSplitEveryList(bool on);
bool SplitEveryList();

// The most threads that evaluated items at once since the last reset: a run's report.
void ResetThreadsUsed();
int ThreadsUsed();

namespace task_detail {
struct CPieceState {
    const std::atomic<std::int64_t>* firstFailed = nullptr;
    std::int64_t item = 0;
};
inline thread_local CPieceState t_piece;
} // namespace task_detail

// True on a thread that evaluates an item of RunInOrder: nested lists stay sequential.
inline bool InParallelPiece() {
    return task_detail::t_piece.firstFailed != nullptr;
}

// True when the item this thread evaluates comes after one that failed: the stop checks
// of the evaluation end it.
inline bool PieceCancelled() {
    const task_detail::CPieceState& piece = task_detail::t_piece;
    return piece.firstFailed != nullptr &&
           piece.firstFailed->load(std::memory_order_relaxed) < piece.item;
}

// Thrown by an item that can only be evaluated in order, on the thread that started the
// list (it needs what an earlier item may leave behind). RunInOrder then stops there like
// at a failure, and the caller evaluates the rest itself.
struct CInOrderOnly {};

// Where one thread has got to in a piece of RunInOrder: the piece's function evaluates its
// items in order and calls Start before each.
class CPieceCursor {
public:
    CPieceCursor(const std::atomic<std::int64_t>& firstFailed, COutputCapture& capture,
                 CSpreadRegion* region, std::int64_t first)
        : m_firstFailed(firstFailed), m_capture(capture), m_pRegion(region), m_nFirst(first),
          m_nItem(first - 1) {}

    // Before item i, the item after the last one started: false when an item before it
    // failed, and the piece ends there.
    bool Start(std::int64_t i) {
        if (i > m_firstFailed.load(std::memory_order_relaxed))
            return false;
        if (m_pRegion != nullptr && i > m_nFirst)
            m_pRegion->Filled(static_cast<std::int32_t>(i - m_nFirst));
        task_detail::t_piece.item = i;
        m_mark = m_capture.Here();
        m_nItem = i;
        return true;
    }

    // The item started last, and the capture as it stood before it.
    std::int64_t Item() const { return m_nItem; }
    const COutputCapture::Mark& StartMark() const { return m_mark; }

private:
    const std::atomic<std::int64_t>& m_firstFailed;
    COutputCapture& m_capture;
    CSpreadRegion* m_pRegion;
    std::int64_t m_nFirst;
    std::int64_t m_nItem;
    COutputCapture::Mark m_mark;
};

// Calls range(begin, end, slot, cursor) for pieces of consecutive items that together make
// [first, count), on up to `threads` threads (the caller's among them; slot numbers the
// thread from 0); range evaluates the items of its piece in order, each after
// cursor.Start(i), and stops where Start says. Returns when all are done. Each thread
// allocates through a view of the caller's current arena, goes on with the caller's depth
// of calls and regions, and writes into the capture of its piece
// (COutputCapture::Current()); when results are given (the slots the items fill,
// results[i] by item i), a piece gives back what its items left behind between them, as a
// spread does (CSpreadRegion);
// the captures are played back on the calling thread in item order, texts to sink and
// marks to onMark. If items throw, the first one's exception is rethrown once every item
// before it has finished and its text has been played back. Returns count, or the item
// that threw CInOrderOnly (none of its text is played back).
std::int64_t
RunInOrder(std::int64_t first, std::int64_t count, int threads,
           const std::function<void(std::int64_t, std::int64_t, int, CPieceCursor&)>& range,
           COutputSink& sink, const std::function<void(const void*)>& onMark,
           CValue** results = nullptr);
