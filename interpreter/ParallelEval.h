#pragma once
// The items of a parallel list (the applications of a spread, the elements of a parallel
// list term) are independent, so a run that writes no trace may evaluate them on several
// threads (values/TaskPool.h) with the outcome of evaluating them in order. A list is
// split only where it pays: its first items are evaluated in order while what they cost is
// measured (after 1, 2, 4, ... items), and the rest goes to the pool once it promises
// enough work in items that are not too cheap to hand out. Lists inside a share stay on
// their thread.

#include "values/TaskPool.h"
#include "values/Value.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>

class CArena;
class CRunContext;
class CValue;

// The whole-list built-ins (a range, a transposition, dup) fill lists whose items cost some
// nanoseconds each, too little to time: a run that writes no trace fills a list long
// enough to pay (count items of about itemNs each) in pieces on the pool. fill(begin, end)
// fills items [begin, end) in the current arena; bytes(begin, end) is what that allocates
// at the least, taken for each piece in one block of the run's arena (what it needs
// beyond comes in blocks as for any thread of the pool), so that where it is exact the
// pieces use no more of the arena than one thread would. Otherwise fill(0, count) runs on
// this thread. An exception of a piece is rethrown, the first in order.
// Whether FillInPieces may split a list here at all (not in a debug session or a trace,
// not inside a piece, not with one job): what it needs to know may be left uncounted.
bool MayFillInPieces(const CRunContext& run);
// About what a sign applied straight to two numbers costs (no pair list made), an item of
// FillInPieces or of a spread.
constexpr std::int64_t kPairOperationNs = 5;
void FillInPieces(const CRunContext& run, std::int64_t count, std::int64_t itemNs,
                  const std::function<std::size_t(std::int64_t, std::int64_t)>& bytes,
                  const std::function<void(std::int64_t, std::int64_t)>& fill);

// Normalisation's copies of element slots (Normalize), in pieces on the pool where a
// whole-list built-in would be; empty where no list is split.
CSlotCopies SlotCopies(const CRunContext& run);

class CListSplit {
public:
    // falseEnds: an item that fails ends the list there (no later item is evaluated), as
    // for the elements of a list term; otherwise the failure is only noted, as in a spread.
    // itemNs: the least an item costs, when that is known without timing (an application
    // of a built-in): a list whose items at that cost make enough work is split from its
    // first item.
    CListSplit(CRunContext& run, std::int32_t count, bool falseEnds, std::int64_t itemNs = 0);

    // Before item next, in order: whether items [next, count) should go to the pool now.
    bool Now(std::int32_t next) { return next == m_nNextCheck && Decide(next); }
    // Whether the list goes to the pool from its first item.
    bool FromStart() const { return m_nNextCheck == 0; }

    // Evaluates items [first, count) on the pool: item(i, context) evaluates item i in the
    // context given (a thread's share of the run) into results[i], its slot, and says
    // whether it succeeded. Returns where the caller goes on in order: count, or an item
    // that needs what an earlier one leaves behind (from there on nothing was evaluated, as
    // far as anyone can tell). An exception of an item is rethrown, the first in order.
    // *failed: the first item that failed before that point, or count. survey notes the
    // results of the items before that point.
    template <class Item>
    std::int32_t Run(std::int32_t first, CValue** results, const Item& item, std::int32_t* failed,
                     CElementSurvey& survey) {
        // Each thread goes through its pieces of consecutive items in a loop of its own,
        // and notes their results while they are at hand, in a survey on its own stack (the
        // threads' surveys share a cache line).
        return RunPieces(
            first, results,
            [&](std::int64_t begin, std::int64_t end, CRunContext& share, CPieceCursor& cursor,
                CElementSurvey& noted) {
                CElementSurvey piece;
                for (std::int64_t i = begin; i < end && cursor.Start(i); ++i) {
                    if (!item(static_cast<std::int32_t>(i), share))
                        Failed(i);
                    piece.Note(results[i]);
                }
                noted.Merge(piece);
            },
            failed, survey);
    }

private:
    using Piece = std::function<void(std::int64_t, std::int64_t, CRunContext&, CPieceCursor&,
                                     CElementSurvey&)>;

    bool Decide(std::int32_t next);
    // Decide for items that allocate enough to be timed: reads the clocks.
    bool Timed(std::int32_t next, std::int64_t left, std::int32_t items, std::size_t made);
    std::int32_t RunPieces(std::int32_t first, CValue** results, const Piece& piece,
                           std::int32_t* failed, CElementSurvey& survey);
    // Item i failed: ends the list when failures end it, else is noted.
    void Failed(std::int64_t item);

    CRunContext& m_run;
    std::int32_t m_nCount;
    bool m_bFalseEnds;
    std::int32_t m_nNextCheck = -1; // never, unless the list may be split
    CArena* m_pArena = nullptr;     // where the items allocate
    std::int32_t m_nLastCheck = 0;
    std::size_t m_nLastCheckBytes = 0;
    std::int32_t m_nClockFrom = -1; // timed on the steady clock from this item
    std::int64_t m_nClockFromNs = 0;
    std::int64_t m_nLastCheckNs = 0;
    std::int32_t m_nTimedFrom = -1; // timed by the thread's processor time from this item
    std::int64_t m_nTimedNs = 0;
    std::atomic<std::int32_t> m_nFirstFailed{0};
};
