#pragma once
// The elements of a parallel list are independent, so their evaluation may go on several
// threads at once: a pool of threads with large stacks, and RunInOrder, which spreads a
// range of items over them with an outcome no program can tell from evaluating the items
// one after another. Each thread allocates through a view of the caller's arena (so the
// values stay in the run's arena and under its limit), and writes into a capture of its
// piece, played back in the items' order. An item that throws cancels every later item;
// every earlier one runs to its end; the exception of the first failing item is the one
// that comes back.

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

// Calls item(i, slot) for i in [first, count) on up to `threads` threads (the caller's
// among them; slot numbers the thread from 0), pieces of consecutive items to each;
// returns when all are done. Each thread allocates through a view of the caller's
// current arena, goes on with the caller's depth of calls and regions, and writes into the
// capture of its piece (COutputCapture::Current()); when results are given (the slots the
// items fill, results[i] by item i), a piece gives back what its items left behind between
// them, as a spread does (CSpreadRegion);
// the captures are played back on the calling thread in item order, texts to sink and
// marks to onMark. If items throw, the first one's exception is rethrown once every item
// before it has finished and its text has been played back. Returns count, or the item
// that threw CInOrderOnly (none of its text is played back).
std::int64_t RunInOrder(std::int64_t first, std::int64_t count, int threads,
                        const std::function<void(std::int64_t, int)>& item, COutputSink& sink,
                        const std::function<void(const void*)>& onMark, CValue** results = nullptr);
