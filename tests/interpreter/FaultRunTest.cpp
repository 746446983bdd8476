// Runs that push the limits: runaway recursion on a small stack, an abort in the middle of a
// long built-in, a thousand runs in one process, and the application budget of the fuzzers.
// Each run ends with its result or its error box, and leaves nothing behind. Deep recursion
// and the memory limit are in tests/golden/cases/limits.tvn.

#include "TestSupport.h"

#include "interpreter/DebugControl.h"
#include "interpreter/RunSession.h"
#include "model/Scope.h"
#include "output/ThreadSanitizer.h"
#include "translator/Parser.h"
#include "translator/ParserSupport.h"
#include "translator/Scanner.h"
#include "values/StackGuard.h"
#include "values/TaskPool.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#ifdef TIRVANE_SANITIZED
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

using namespace test;

namespace {

// ThreadSanitizer fails on call stacks of more than 65,536 frames, and its allocator keeps
// its own books: its build runs the threaded tests only.
#ifdef TIRVANE_THREAD_SANITIZER
#define SKIP_UNDER_THREAD_SANITIZER() GTEST_SKIP() << "not under ThreadSanitizer"
#else
#define SKIP_UNDER_THREAD_SANITIZER() static_cast<void>(0)
#endif

constexpr std::size_t kMiB = std::size_t(1) << 20;

constexpr const char* kProgram =
    // n, n-1, ..., 0: one level of recursion per step; the result is 0.
    "down << funcdef n {\n"
    "  (n, 0) : > : int >> positive ;\n"
    "  (positive, 1) : + >> branch ;\n"
    "  ({0}, {(n, 1) : - : down}) : branch : . >> return\n"
    "}\n"
    "runaway << funcdef x { x : runaway >> return }\n"
    "funcdef n { (1, n) : .. : out : out >> return } >> twice\n"
    "funcdef n { (1, n) : .. >> return } >> upto\n"
    "funcdef n { ((1, n) : .. : [] : down, \"done\") >> return } >> work\n"
    // "in" evaluates {n} with the delayed term itself as n: forcing it never ends.
    "funcdef n { ({n}, {() : n}) : in >> r } >> selfish\n"
    "funcdef x { (1, 100000) : .. : [] : - : | >> return } >> spin\n"
    "funcdef n { (1, n) : .. : [] : spin >> return } >> spinning\n"
    "fib << funcdef n {\n"
    "  (n, 2) : < >> small ;\n"
    "  (2, small : int) : - >> branch ;\n"
    "  ({n}, {((n, 1) : - : fib, (n, 2) : - : fib) : +}) : branch : . >> return\n"
    "}\n";

// Memory in use by the process's allocator: what 1,000 runs must not make grow.
std::size_t AllocatedBytes() {
#ifdef TIRVANE_SANITIZED
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

// The process's address space, mapped or reserved, in KiB: a run's arena is a reservation.
std::size_t MappedKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmSize:", 0) == 0)
            return std::stoul(line.substr(7));
    return 0;
}

// A pane that asks for the stop the first time text arrives, from whatever thread writes.
class CStoppingPane : public CMemoryPane {
public:
    void AppendText(const std::string& text) override {
        if (!m_bStopped) {
            m_bStopped = true;
            RequestStop();
        }
        CMemoryPane::AppendText(text);
    }

private:
    bool m_bStopped = false;
};

class FaultRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source.emplace(kProgram);
        ASSERT_NO_THROW(m_parser.Translate(m_source->Path().c_str(), &m_module));
        ASSERT_NE(m_module, nullptr);
    }

    struct Ran {
        bool prepared = false;
        CRunSession::Outcome outcome = CRunSession::Outcome::Failed;
        CMessageBox box;
        std::string result; // channel 3
    };

    // The Run command: the argument is read on this thread, evaluated and run on a worker
    // with the given stack, as the run controller's worker does; with stopAfter, Abort is
    // pressed that long after the start.
    Ran Run(const std::string& function, const std::string& argument,
            std::size_t stack = kLargeStackSize,
            std::optional<std::chrono::milliseconds> stopAfter = std::nullopt) {
        g_OutputSink.Attach(&m_argumentPane, kChannelArgument);
        m_argumentPane.SetText(argument);
        CRunSession session(m_module, function, 1, false);
        Ran ran;
        ran.prepared = session.ReadArgument(&ran.box);
        if (ran.prepared) {
            CLargeStackThread worker;
            EXPECT_TRUE(worker.Start([&] { ran.outcome = session.Execute({}, &ran.box); }, stack));
            if (stopAfter) {
                std::this_thread::sleep_for(*stopAfter);
                session.Control().RequestStop();
            }
            worker.Join();
        }
        ran.result = m_capture.Text(kChannelResult);
        return ran;
    }

    std::optional<TempSource> m_source;
    CScanner m_scanner;
    CParser m_parser{&m_scanner};
    CModuleNode* m_module = nullptr;
    SinkCapture m_capture{kChannelResult};
    CMemoryPane m_argumentPane;
};

// A runaway recursion ends with the stack error: on a smaller worker stack than the real
// one the stack guard ends it; on the real one calls nest at most 125,000 deep, however
// little their frames take, so a recursion the stack could still hold ends there.
TEST_F(FaultRunTest, RunawayRecursionEndsWithTheStackError) {
    const struct {
        const char* function;
        const char* argument;
        std::size_t stack;
    } cases[] = {{"runaway", "1", 64 * kMiB}, {"down", "130000", kLargeStackSize}};
    for (const auto& c : cases) {
        const Ran ran = Run(c.function, c.argument, c.stack);
        ASSERT_TRUE(ran.prepared);
        EXPECT_EQ(ran.outcome, CRunSession::Outcome::Failed) << c.function;
        EXPECT_EQ(ran.box.caption, W("Ошибка интерпретации"));
        EXPECT_EQ(ran.box.text, W("Переполнение стека: слишком глубокая рекурсия "));
        EXPECT_EQ(ran.result, "");
    }
}

// The first text "out" writes requests the stop: the built-in still prints the whole list,
// and the run ends at the next application, before the second "out".
TEST_F(FaultRunTest, AnAbortDuringALongBuiltinEndsTheRunAtTheNextApplication) {
    constexpr int kCount = 200000;
    CStoppingPane stopping;
    g_OutputSink.Attach(&m_argumentPane, kChannelArgument);
    g_OutputSink.Attach(&stopping, kChannelResult);
    CRunSession session(m_module, "twice", 1, false);
    m_argumentPane.SetText(std::to_string(kCount));
    CMessageBox box;
    ASSERT_TRUE(session.ReadArgument(&box));
    CRunSession::Outcome outcome = CRunSession::Outcome::Printed;
    RunOnLargeStack([&] { outcome = session.Execute({}, &box); });
    EXPECT_EQ(outcome, CRunSession::Outcome::Stopped);
    std::string whole = "(";
    for (int i = 1; i <= kCount; ++i)
        whole += std::to_string(i) + (i < kCount ? "," : ")");
    EXPECT_EQ(stopping.GetText(), whole + "\r\n");
    EXPECT_TRUE(session.Control().StopRequested());
}

// A result's text may be far longer than its memory: an abort while it prints ends the
// printing at its next piece of text, and the run as stopped.
TEST_F(FaultRunTest, AnAbortWhileTheResultPrintsEndsItAtTheNextPiece) {
    CStoppingPane stopping;
    g_OutputSink.Attach(&stopping, kChannelResult);
    const Ran ran = Run("upto", "200000");
    ASSERT_TRUE(ran.prepared);
    EXPECT_EQ(ran.outcome, CRunSession::Outcome::Stopped);
    const std::string text = stopping.GetText();
    EXPECT_EQ(text.rfind("(1,2,3,", 0), 0u);
    EXPECT_LT(text.size(), 200000u) << "the whole text is 1,288,898 bytes";
}

// Runs that would go on for ages without an application of their own: forcing a delayed
// term that yields itself applies nothing (found by fuzzing), and calls of integer
// functions count their stop checks themselves. An abort ends both.
TEST_F(FaultRunTest, AnAbortEndsRunsThatApplyNothingOrCountTheirOwnChecks) {
    for (const auto& [function, argument] : {std::pair{"selfish", ""}, std::pair{"fib", "60"}}) {
        const Ran ran = Run(function, argument, kLargeStackSize, std::chrono::milliseconds(100));
        ASSERT_TRUE(ran.prepared);
        EXPECT_EQ(ran.outcome, CRunSession::Outcome::Stopped) << function;
        EXPECT_EQ(ran.result, "");
    }
}

// A stop ends the threads of a list that would take hours, every list split over four
// threads. What parallel lists show when they end is in tests/golden/cases/dispatch.tvn.
TEST_F(FaultRunTest, AStopEndsTheThreadsOfAParallelList) {
    struct CEveryListSplit { // undone even when a check below gives up
        CEveryListSplit() {
            SetParallelJobs(4);
            SetSplitEveryList(true);
        }
        ~CEveryListSplit() {
            SetParallelJobs(0);
            SetSplitEveryList(false);
        }
    } split;
    const Ran spinning = Run("spinning", "100000", kLargeStackSize, std::chrono::milliseconds(100));
    ASSERT_TRUE(spinning.prepared);
    EXPECT_EQ(spinning.outcome, CRunSession::Outcome::Stopped);
}

// A list is split only where it pays: costly items go to both threads, a few cheap ones
// stay on the thread that met them, and one job means no split at all.
TEST_F(FaultRunTest, ListsAreSplitOnlyWhereItPays) {
    SKIP_UNDER_THREAD_SANITIZER(); // a minute there; the threads' races are checked above
    struct CJobs {
        ~CJobs() { SetParallelJobs(0); }
    } undo;
    const struct {
        int jobs;
        const char* function;
        const char* argument;
        int threads;
    } cases[] = {{2, "spinning", "12", 2}, {2, "work", "3", 1}, {1, "spinning", "12", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.function) + " with jobs " + std::to_string(c.jobs));
        SetParallelJobs(c.jobs);
        ResetThreadsUsed();
        EXPECT_EQ(Run(c.function, c.argument).outcome, CRunSession::Outcome::Printed);
        EXPECT_EQ(ThreadsUsed(), c.threads);
    }
}

TEST_F(FaultRunTest, AThousandRunsLeaveTheMemoryAsTenRunsLeftIt) {
    SKIP_UNDER_THREAD_SANITIZER();
    // The data list takes the parallel list's elements in; the string stays a list.
    std::string expected = "(";
    for (int i = 0; i < 20; ++i)
        expected += "0,";
    expected += "(\"done\"))\r\n";
    const auto runs = [&](int count) {
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(Run("work", "20").result, expected);
    };
    // The pool's threads (a large stack each) start at the first list split and stay; which
    // run splits first depends on timing, so one run that splits every list starts them.
    SetSplitEveryList(true);
    runs(1);
    SetSplitEveryList(false);
    runs(10);
    const std::size_t afterTen = AllocatedBytes();
    const std::size_t mappedAfterTen = MappedKiB();
    runs(990);
    const std::size_t afterThousand = AllocatedBytes();
    // A few allocations may come and go with the threads; nothing grows with the runs.
    EXPECT_LE(afterThousand, afterTen + 16 * 1024)
        << "after 10 runs: " << afterTen << " bytes, after 1,000: " << afterThousand;
    // Each run reserves gigabytes for its values; all of it is given back when it ends.
    ASSERT_GT(mappedAfterTen, 0u);
    EXPECT_LE(MappedKiB(), mappedAfterTen + 64 * 1024)
        << "KiB mapped after 10 runs: " << mappedAfterTen;
}

TEST_F(FaultRunTest, TheApplicationBudgetStopsARunAsAnAbortWould) {
    const struct {
        long long budget;
        CRunSession::Outcome outcome;
        const char* result;
    } cases[] = {
        {-1, CRunSession::Outcome::Printed, "0\r\n"},
        {1000, CRunSession::Outcome::Printed, "0\r\n"},
        // Exactly the checks of the 51 calls (ten per level, eight at the bottom).
        {508, CRunSession::Outcome::Printed, "0\r\n"},
        {507, CRunSession::Outcome::Stopped, ""},
        {100, CRunSession::Outcome::Stopped, ""},
        {0, CRunSession::Outcome::Stopped, ""},
    };
    for (const auto& c : cases) {
        g_OutputSink.Attach(&m_argumentPane, kChannelArgument);
        m_argumentPane.SetText("50");
        CRunSession session(m_module, "down", 1, false);
        CMessageBox box;
        ASSERT_TRUE(session.ReadArgument(&box));
        CRunSession::Outcome outcome = CRunSession::Outcome::Failed;
        session.Control().SetApplicationBudget(c.budget);
        RunOnLargeStack([&] { outcome = session.Execute({}, &box); });
        EXPECT_EQ(outcome, c.outcome) << c.budget;
        EXPECT_EQ(m_capture.Text(kChannelResult), c.result) << c.budget;
        EXPECT_FALSE(session.Control().StopRequested()) << c.budget;
    }
}

} // namespace
