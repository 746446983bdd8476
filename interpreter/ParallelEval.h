#pragma once
// The items of a parallel list (the applications of a spread, the elements of a parallel
// list term) are independent, so a run that writes no trace may evaluate them on several
// threads (values/TaskPool.h) with the outcome of evaluating them in order. A list is
// split only where it pays: its first items are evaluated in order while the time they
// take is measured (after 1, 2, 4, ... items), and the rest goes to the pool once it
// promises enough work in items that are not too cheap to hand out. Lists inside a share
// stay on their thread.

#include <cstdint>
#include <functional>

class CRunContext;
class CValue;

class CListSplit {
public:
    // An item: evaluates item i in the context given (the run's own, or a thread's share)
    // into its slot; false when it failed.
    using Item = std::function<bool(std::int32_t, CRunContext&)>;

    // falseEnds: an item that fails ends the list there (no later item is evaluated), as
    // for the elements of a list term; otherwise the failure is only noted, as in a spread.
    CListSplit(CRunContext& run, std::int32_t count, bool falseEnds);

    // Before item next, in order: whether items [next, count) should go to the pool now.
    bool Now(std::int32_t next) { return next == m_nNextCheck && Decide(next); }

    // Evaluates items [first, count) on the pool, results[i] being item i's slot. Returns
    // where the caller goes on in order: count, or an item that needs what an earlier one
    // leaves behind (from there on nothing was evaluated, as far as anyone can tell). An
    // exception of an item is rethrown, the first in order. *failed: the first item that
    // failed before that point, or count.
    std::int32_t Run(std::int32_t first, CValue** results, const Item& item, std::int32_t* failed);

private:
    bool Decide(std::int32_t next);

    CRunContext& m_run;
    std::int32_t m_nCount;
    bool m_bFalseEnds;
    std::int32_t m_nNextCheck = -1; // never, unless the list may be split
    std::int64_t m_nStart = 0;      // nanoseconds on the steady clock
    std::int32_t m_nLastCheck = 0;
    std::int64_t m_nLastCheckNs = 0;
    std::int32_t m_nTimedFrom = -1; // timed by the thread's processor time from this item
    std::int64_t m_nTimedNs = 0;
};
