#include "interpreter/ParallelEval.h"

#include "interpreter/RunContext.h"
#include "values/Arena.h"
#include "values/TaskPool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <vector>

namespace {

// The least work worth handing out: waking the pool's threads, their views of the arena
// and the captures of their pieces cost some tens of microseconds.
constexpr std::int64_t kWorthSplittingNs = 200'000;
// About what copying one element's slot costs.
constexpr std::int64_t kSlotCopyNs = 2;
// The cheapest item worth handing out: an item on the pool costs a few nanoseconds more
// (its capture mark, its region, the check of an earlier failure), which the application
// of a built-in to two numbers (about 100 ns) hardly feels.
constexpr std::int64_t kCheapestItemNs = 50;
// The first items of a list are slower than the rest (cold caches, fresh pages: a huge
// page costs some hundred microseconds to clear), so the cost of an item is taken from
// this many, unless the first ones took long enough for such noise not to matter (the
// thread's processor time then confirms it over as many items again).
constexpr std::int32_t kFewestTimedItems = 4;
constexpr std::int64_t kLongFirstItemsNs = 1'000'000;
// Every value is at least 16 bytes, and an item of a microsecond makes several: items
// that allocate less than this on average are timed only from kAlwaysTimedItems on,
// where a list of them may be long enough to pay and a clock read costs nothing beside
// the items.
constexpr std::size_t kLeastItemBytes = 48;
constexpr std::int32_t kAlwaysTimedItems = 1024;
// An item that allocates this much takes some microseconds at least, more than the system
// call that reads the thread's processor time.
constexpr std::size_t kCostlyItemBytes = std::size_t(64) << 10;

std::int64_t ThreadProcessorNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

std::int64_t ClockNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A share's "out" values are marks in its piece's capture, handed to the run's listener
// when the piece is played back.
class CCaptureListener : public IRunListener {
public:
    void ValuePrinted(const CValue* value) override {
        if (COutputCapture* capture = COutputCapture::Current())
            capture->AppendMark(value);
    }
};

CCaptureListener g_captureListener;

// An item that failed where a failure ends the list.
struct CFailedItem {
    std::int64_t item;
};

void LowerTo(std::atomic<std::int32_t>& value, std::int32_t item) {
    std::int32_t seen = value.load();
    while (item < seen && !value.compare_exchange_weak(seen, item)) {
    }
}

} // namespace

bool MayFillInPieces(const CRunContext& run) {
    return !run.debug && !InParallelPiece() && ParallelJobs() > 1;
}

void FillInPieces(const CRunContext& run, std::int64_t count, std::int64_t itemNs,
                  const std::function<std::size_t(std::int64_t, std::int64_t)>& bytes,
                  const std::function<void(std::int64_t, std::int64_t)>& fill) {
    if (count < 2 || !MayFillInPieces(run) ||
        (count * itemNs < kWorthSplittingNs && !SplitEveryList())) {
        fill(0, count);
        return;
    }
    CArena& arena = CArena::Current();
    const int threads = static_cast<int>(std::min<std::int64_t>(ParallelJobs(), count));
    RunInOrder(
        0, count, threads,
        [&](std::int64_t begin, std::int64_t end, int, CPieceCursor&) {
            CArena piece(arena, bytes(begin, end));
            CArenaScope scope(piece);
            fill(begin, end);
        },
        run.output, [](const void*) {});
}

CSlotCopies SlotCopies(const CRunContext& run) {
    if (!MayFillInPieces(run))
        return {};
    // Shorter lists are copied in place, without the pieces' bookkeeping.
    return {
        SplitEveryList() ? 2 : kWorthSplittingNs / kSlotCopyNs,
        [&run](std::int64_t count, const std::function<void(std::int64_t, std::int64_t)>& copy) {
            FillInPieces(
                run, count, kSlotCopyNs, [](std::int64_t, std::int64_t) { return std::size_t(0); },
                copy);
        }};
}

CRunContext::CRunContext(CRunContext& outer)
    : frames(outer.frames), control(&outer.control),
      listener(outer.listener != nullptr ? &g_captureListener : nullptr), arena(outer.arena),
      output(m_capture) {
}

CRunContext& CRunContext::Share(int slot) {
    while (static_cast<int>(m_shares.size()) <= slot)
        m_shares.push_back(std::unique_ptr<CRunContext>(new CRunContext(*this)));
    return *m_shares[static_cast<std::size_t>(slot)];
}

CListSplit::CListSplit(CRunContext& run, std::int32_t count, bool falseEnds, std::int64_t itemNs)
    : m_run(run), m_nCount(count), m_bFalseEnds(falseEnds) {
    if (count < 1 || run.debug || InParallelPiece() || ParallelJobs() < 2)
        return;
    if (SplitEveryList() || (count > 1 && count * itemNs >= kWorthSplittingNs)) {
        m_nNextCheck = 0;
    } else if (count > 2) {
        m_nNextCheck = 1;
        m_pArena = &CArena::Current();
        m_nLastCheckBytes = m_pArena->BytesAllocated();
    }
}

// Reading a clock costs half as much as the application of a built-in to two numbers, and
// most lists are short or have such items, so the clocks are read early only for items
// that allocate enough to be worth timing, and for the rest once a list has shown itself
// long. The steady clock is cheap to read but counts the time other
// programs took the processor; an item that seems costly by it is timed again by the
// thread's own processor time (a system call) over as many items again before the list is
// split.
bool CListSplit::Decide(std::int32_t next) {
    m_nNextCheck = -1;
    if (next == 0)
        return true; // split from the start
    const std::int64_t left = m_nCount - next;
    if (left < 2)
        return false;
    const std::size_t bytes = m_pArena->BytesAllocated();
    const std::size_t made = bytes - m_nLastCheckBytes;
    const std::int32_t items = next - m_nLastCheck;
    m_nLastCheckBytes = bytes;
    m_nLastCheck = next;
    m_nNextCheck = next < m_nCount - next ? next * 2 : -1;
    if (m_nTimedFrom < 0 && next < kAlwaysTimedItems &&
        made < kLeastItemBytes * std::size_t(items)) {
        m_nClockFrom = -1;
        return false;
    }
    return Timed(next, left, items, made);
}

bool CListSplit::Timed(std::int32_t next, std::int64_t left, std::int32_t items, std::size_t made) {
    if (m_nTimedFrom >= 0) {
        const std::int64_t used = (ThreadProcessorNs() - m_nTimedNs) / (next - m_nTimedFrom);
        if (used >= kCheapestItemNs && used * left >= kWorthSplittingNs)
            return true;
        m_nTimedFrom = -1;
        m_nClockFrom = -1;
    } else if (m_nClockFrom < 0) {
        // Timed from here, if the next check can still split the list; items that allocate
        // that much are costly whatever the clock would say, and go straight to the
        // thread's processor time.
        if (m_nNextCheck >= 0 && m_nCount - m_nNextCheck >= 2) {
            m_nClockFrom = next;
            m_nClockFromNs = m_nLastCheckNs = ClockNs();
            if (made >= kCostlyItemBytes * std::size_t(items)) {
                m_nTimedFrom = next;
                m_nTimedNs = ThreadProcessorNs();
            }
        }
    } else {
        const std::int64_t now = ClockNs();
        // The items since the last check: the first ones are the slowest.
        const std::int64_t each = (now - m_nLastCheckNs) / items;
        if ((next >= kFewestTimedItems || now - m_nClockFromNs >= kLongFirstItemsNs) &&
            each >= kCheapestItemNs && each * left >= kWorthSplittingNs) {
            m_nTimedFrom = next;
            m_nTimedNs = ThreadProcessorNs();
        }
        m_nLastCheckNs = now;
    }
    return false;
}

void CListSplit::Failed(std::int64_t item) {
    if (m_bFalseEnds)
        throw CFailedItem{item};
    LowerTo(m_nFirstFailed, static_cast<std::int32_t>(item));
}

std::int32_t CListSplit::RunPieces(std::int32_t first, CValue** results, const Piece& piece,
                                   std::int32_t* failed, CElementSurvey& survey) {
    m_nNextCheck = -1;
    const int threads =
        static_cast<int>(std::min<std::int64_t>(ParallelJobs(), std::int64_t(m_nCount) - first));
    std::vector<CRunContext*> shares; // made here, on the run's thread
    for (int slot = 0; slot < threads; ++slot)
        shares.push_back(&m_run.Share(slot));
    std::vector<CElementSurvey> noted(static_cast<std::size_t>(threads));
    m_nFirstFailed = m_nCount;
    std::int64_t end = m_nCount;
    try {
        end = RunInOrder(
            first, m_nCount, threads,
            [&](std::int64_t begin, std::int64_t stop, int slot, CPieceCursor& cursor) {
                const auto at = static_cast<std::size_t>(slot);
                piece(begin, stop, *shares[at], cursor, noted[at]);
            },
            m_run.output,
            [&](const void* mark) {
                if (m_run.listener != nullptr)
                    m_run.listener->ValuePrinted(static_cast<const CValue*>(mark));
            },
            results);
    } catch (const CFailedItem& failure) {
        *failed = static_cast<std::int32_t>(failure.item);
        return m_nCount;
    }
    if (end == m_nCount) {
        for (const CElementSurvey& each : noted)
            survey.Merge(each);
    } else {
        // The threads noted items after end too, which count as never evaluated.
        for (std::int64_t i = first; i < end; ++i)
            survey.Note(results[i]);
    }
    const std::int32_t failure = m_nFirstFailed.load();
    *failed = failure < end ? failure : m_nCount;
    return static_cast<std::int32_t>(end);
}
