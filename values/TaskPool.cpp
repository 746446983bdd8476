// The pool's threads wait on a condition variable for a generation of work; the caller
// takes part as slot 0, so that a list never waits for a thread to wake that it could
// have evaluated itself. Items go to the threads in pieces of consecutive items, taken
// in order from a shared counter, several per thread, so that uneven items even out.

#include "values/TaskPool.h"

#include "output/OutputCapture.h"
#include "values/Arena.h"
#include "values/Reclaim.h"
#include "values/StackGuard.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

// More than any machine this runs on has cores; --jobs beyond it is cut down to it.
constexpr int kMostThreads = 64;
constexpr std::int64_t kPiecesPerThread = 8;
constexpr std::int64_t kNoFailure = std::numeric_limits<std::int64_t>::max();

std::atomic<int> g_nJobs{0};
std::atomic<int> g_nThreadsUsed{1};
std::atomic<bool> g_bSplitEveryList{[] {
    const char* value = std::getenv("TIRVANE_SPLIT_EVERY_LIST");
    return value != nullptr && value[0] == '1';
}()};

class CPool {
public:
    static CPool& Instance() {
        static CPool pool;
        return pool;
    }
    CPool() = default;
    CPool(const CPool&) = delete;
    CPool& operator=(const CPool&) = delete;
    ~CPool() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bStopping = true;
        }
        m_wake.notify_all();
        m_threads.clear(); // joins
    }

    // work(0) on the caller and work(1..helpers) on pool threads, at once as far as the
    // threads get a processor; returns when every call has returned. A helper that has
    // not woken by the time the caller's own call returns is not waited for: the caller
    // has taken every piece it found, so on a busy machine a list never waits for a thread
    // to be scheduled only to find nothing left. A second caller while the pool is busy
    // gets no helpers.
    void Run(int helpers, const std::function<void(int)>& work) {
        std::unique_lock<std::mutex> busy(m_runMutex, std::try_to_lock);
        if (!busy.owns_lock())
            helpers = 0;
        else
            helpers = Grow(helpers);
        if (helpers > 0) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_pWork = &work;
            m_nUnclaimed = helpers;
            m_nPending = 0;
            m_nNextSlot = 1;
            ++m_nGeneration;
        }
        if (helpers > 0)
            m_wake.notify_all();
        work(0);
        if (helpers > 0) {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_nUnclaimed = 0;
            m_done.wait(lock, [this] { return m_nPending == 0; });
            m_pWork = nullptr;
        }
    }

private:
    // Starts threads up to helpers; the number that can be had.
    int Grow(int helpers) {
        helpers = std::min(helpers, kMostThreads - 1);
        while (static_cast<int>(m_threads.size()) < helpers) {
            auto thread = std::make_unique<CLargeStackThread>();
            bool started = false;
            for (std::size_t size = kLargeStackSize; !started && size >= (std::size_t(64) << 20);
                 size /= 2)
                started = thread->Start([this] { Loop(); }, size);
            if (!started)
                break;
            m_threads.push_back(std::move(thread));
        }
        return std::min(helpers, static_cast<int>(m_threads.size()));
    }

    void Loop() {
        std::uint64_t seen = 0;
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock,
                        [&] { return m_bStopping || (m_nGeneration != seen && m_nUnclaimed > 0); });
            if (m_bStopping)
                return;
            seen = m_nGeneration;
            --m_nUnclaimed;
            ++m_nPending;
            const int slot = m_nNextSlot++;
            const std::function<void(int)>* work = m_pWork;
            lock.unlock();
            (*work)(slot);
            lock.lock();
            if (--m_nPending == 0)
                m_done.notify_all();
        }
    }

    std::mutex m_runMutex; // one list at a time has the helpers
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    const std::function<void(int)>* m_pWork = nullptr;
    int m_nUnclaimed = 0; // helpers still wanted for this generation
    int m_nPending = 0;   // helpers working on it
    int m_nNextSlot = 1;
    std::uint64_t m_nGeneration = 0;
    bool m_bStopping = false;
    std::vector<std::unique_ptr<CLargeStackThread>> m_threads; // last: joined first
};

struct CPiece {
    COutputCapture capture;
    std::exception_ptr error;
    bool inOrderOnly = false; // the error is CInOrderOnly: go on in order from there
};

void LowerTo(std::atomic<std::int64_t>& value, std::int64_t item) {
    std::int64_t seen = value.load();
    while (item < seen && !value.compare_exchange_weak(seen, item)) {
    }
}

void NoteThreadsUsed(int threads) {
    int seen = g_nThreadsUsed.load();
    while (threads > seen && !g_nThreadsUsed.compare_exchange_weak(seen, threads)) {
    }
}

} // namespace

// Asked at every list that might be split: the system is asked once.
int CoreCount() {
    static const int cores = [] {
        const unsigned count = std::thread::hardware_concurrency();
        return count == 0 ? 1 : static_cast<int>(std::min<unsigned>(count, kMostThreads));
    }();
    return cores;
}

void SetParallelJobs(int jobs) {
    g_nJobs = std::clamp(jobs, 0, kMostThreads);
}

int ParallelJobs() {
    const int jobs = g_nJobs.load();
    return jobs > 0 ? jobs : CoreCount();
}

void SetSplitEveryList(bool on) {
    g_bSplitEveryList = on;
}

bool SplitEveryList() {
    return g_bSplitEveryList.load(std::memory_order_relaxed);
}

void ResetThreadsUsed() {
    g_nThreadsUsed = 1;
}

int ThreadsUsed() {
    return g_nThreadsUsed.load();
}

std::int64_t
RunInOrder(std::int64_t first, std::int64_t count, int threads,
           const std::function<void(std::int64_t, std::int64_t, int, CPieceCursor&)>& range,
           COutputSink& sink, const std::function<void(const void*)>& onMark, CValue** results) {
    const std::int64_t items = count - first;
    if (items <= 0)
        return count;
    threads = static_cast<int>(std::clamp<std::int64_t>(threads, 1, items));
    const std::int64_t pieceCount = std::min(items, threads * kPiecesPerThread);
    auto begin = [&](std::int64_t piece) { return first + items * piece / pieceCount; };
    std::vector<CPiece> pieces(static_cast<std::size_t>(pieceCount));
    std::atomic<std::int64_t> next{0};
    std::atomic<std::int64_t> firstFailed{kNoFailure};
    std::atomic<int> working{0};
    CArena& parent = CArena::Current();
    std::vector<std::unique_ptr<CArena>> views;
    for (int t = 0; t < threads; ++t)
        views.push_back(std::make_unique<CArena>(parent));
    const int depth = CCallRegion::CurrentDepth();
    const int calls = CCallRegion::CallDepth();

    const std::function<void(int)> work = [&](int slot) {
        CArenaScope arena(*views[static_cast<std::size_t>(slot)]);
        CCallDepthBase base(depth, calls);
        bool counted = false;
        for (std::int64_t piece; (piece = next.fetch_add(1)) < pieceCount;) {
            const std::int64_t start = begin(piece);
            const std::int64_t end = begin(piece + 1);
            if (start > firstFailed.load())
                continue;
            if (!counted) {
                NoteThreadsUsed(working.fetch_add(1) + 1);
                counted = true;
            }
            CPiece& state = pieces[static_cast<std::size_t>(piece)];
            CCaptureScope capture(state.capture);
            std::optional<CSpreadRegion> region;
            if (results != nullptr)
                region.emplace(results + start);
            CPieceCursor cursor(firstFailed, state.capture, region ? &*region : nullptr, start);
            task_detail::t_piece = {&firstFailed, start};
            try {
                range(start, end, slot, cursor);
                if (region && cursor.Item() >= start)
                    region->Filled(static_cast<std::int32_t>(cursor.Item() - start + 1));
            } catch (const CInOrderOnly&) {
                state.inOrderOnly = true;
                state.capture.TruncateTo(cursor.StartMark());
                LowerTo(firstFailed, std::max(cursor.Item(), start));
            } catch (...) {
                state.error = std::current_exception();
                LowerTo(firstFailed, std::max(cursor.Item(), start));
            }
            task_detail::t_piece = {};
        }
    };
    CPool::Instance().Run(threads - 1, work);

    const std::int64_t failed = firstFailed.load();
    for (std::int64_t piece = 0; piece < pieceCount && begin(piece) <= failed; ++piece) {
        CPiece& state = pieces[static_cast<std::size_t>(piece)];
        state.capture.Replay(sink, onMark);
        if (failed != kNoFailure && begin(piece + 1) > failed) {
            if (state.inOrderOnly)
                return failed;
            std::rethrow_exception(state.error);
        }
    }
    return count;
}
