#include "TestSupport.h"

#include "output/OutputCapture.h"
#include "values/TaskPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace test;

void AppendMarkOrNotify(const int* id, std::vector<int>& direct);

namespace {

// What RunInOrder over items 0..count-1 shows: the text and marks played back, the item
// whose exception came back, and whether every value made lies in the caller's arena.
struct Outcome {
    std::string text;
    std::vector<int> marks;
    std::optional<int> thrown;
    bool valuesInArena = true;
};

// Every item writes "i," and marks i; an item of `failing` throws its number after
// writing, the later one first (the earlier waits), and every item after a failing one
// waits until it is cancelled, so that the run ends only if cancellation works.
Outcome RunItems(int count, int threads, std::vector<int> failing) {
    SinkCapture sink;
    CArena arena;
    CArenaScope scope(arena);
    std::vector<CValue*> made(static_cast<std::size_t>(count), nullptr);
    std::vector<int> ids(static_cast<std::size_t>(count));
    Outcome outcome;
    const int firstFailing = failing.empty() ? count : failing.front();
    try {
        RunInOrder(
            0, count, threads,
            [&](std::int64_t begin, std::int64_t end, int, CPieceCursor& cursor) {
                for (std::int64_t item = begin; item < end && cursor.Start(item); ++item) {
                    const int i = static_cast<int>(item);
                    ids[static_cast<std::size_t>(i)] = i;
                    made[static_cast<std::size_t>(i)] = Int(i);
                    CCaptureSink piece;
                    piece.Write(i).Write(",");
                    AppendMarkOrNotify(&ids[static_cast<std::size_t>(i)], outcome.marks);
                    for (int f : failing) {
                        if (f != i)
                            continue;
                        if (f == firstFailing && failing.size() > 1)
                            std::this_thread::sleep_for(std::chrono::milliseconds(50));
                        throw i;
                    }
                    const auto deadline =
                        std::chrono::steady_clock::now() + std::chrono::seconds(5);
                    while (i > firstFailing && !PieceCancelled() &&
                           std::chrono::steady_clock::now() < deadline)
                        std::this_thread::yield();
                }
            },
            g_OutputSink,
            [&](const void* mark) { outcome.marks.push_back(*static_cast<const int*>(mark)); });
    } catch (int i) {
        outcome.thrown = i;
    }
    outcome.text = sink.Text(kChannelResult);
    for (CValue* value : made)
        outcome.valuesInArena =
            outcome.valuesInArena && (value == nullptr || arena.Contains(value));
    return outcome;
}

std::string Numbers(int from, int to) {
    std::string text;
    for (int i = from; i < to; ++i)
        text += std::to_string(i) + ",";
    return text;
}

std::vector<int> Range(int from, int to) {
    std::vector<int> range;
    for (int i = from; i < to; ++i)
        range.push_back(i);
    return range;
}

} // namespace

// A mark goes into the capture of the item's thread; without one it is noted at once.
void AppendMarkOrNotify(const int* id, std::vector<int>& direct) {
    if (COutputCapture* capture = COutputCapture::Current())
        capture->AppendMark(id);
    else
        direct.push_back(*id);
}

TEST(TaskPool, ItemsShowTheSequentialOutcome) {
    struct Case {
        int count, threads;
        std::vector<int> failing;
        std::optional<int> thrown;
        int shownUpTo; // items 0..shownUpTo-1 are written and marked
    } cases[] = {
        {1, 4, {}, std::nullopt, 1},
        {100, 1, {}, std::nullopt, 100},
        {100, 4, {}, std::nullopt, 100},
        {1000, 2, {}, std::nullopt, 1000},
        {100, 4, {0}, 0, 1},
        {100, 4, {30}, 30, 31},
        {100, 4, {30, 70}, 30, 31}, // 70 fails first; the earlier failure wins
        {100, 4, {99}, 99, 100},
        {7, 3, {3, 4, 5}, 3, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " items on " + std::to_string(c.threads));
        const Outcome outcome = RunItems(c.count, c.threads, c.failing);
        EXPECT_EQ(outcome.text, Numbers(0, c.shownUpTo));
        EXPECT_EQ(outcome.marks, Range(0, c.shownUpTo));
        EXPECT_EQ(outcome.thrown, c.thrown);
        EXPECT_TRUE(outcome.valuesInArena);
    }
}

// Items long enough for every thread to wake and take some.
TEST(TaskPool, ReportsTheThreadsThatTookPart) {
    for (int threads : {1, 2, 3}) {
        ResetThreadsUsed();
        // Each thread's first item waits for the others to take one, so that a busy machine
        // that starts a helper late cannot leave the caller to do every item alone.
        std::atomic<int> slots{0};
        RunInOrder(
            0, 24, threads,
            [&](std::int64_t begin, std::int64_t end, int slot, CPieceCursor& cursor) {
                slots.fetch_or(1 << slot);
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                while (slots.load() != (1 << threads) - 1 &&
                       std::chrono::steady_clock::now() < deadline)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                for (std::int64_t i = begin; i < end && cursor.Start(i); ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
            },
            g_OutputSink, nullptr);
        EXPECT_EQ(ThreadsUsed(), threads);
    }
}
