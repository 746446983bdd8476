#include "InterpretSupport.h"

#include "interpreter/DebugControl.h"
#include "model/Terms.h"
#include "translator/Scanner.h"
#include "values/Exeption.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <time.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using namespace test;
using namespace std::chrono_literals;

namespace {

class DebugTest : public InterpretFixture {
protected:
    template <class T, class... Args> T* Make(Args&&... args) {
        owned.push_back(std::make_unique<T>(std::forward<Args>(args)...));
        return static_cast<T*>(owned.back().get());
    }
    // An expression of the given terms, the line of a debugger marker set.
    CExpressionNode* Expression(std::initializer_list<CNode*> terms) {
        auto* expr = Make<CExpressionNode>(nullptr);
        for (CNode* term : terms)
            expr->AppendTerm(term);
        expr->line = 42;
        return expr;
    }
    CNode* IntTerm(int v) { return Make<CIntAtom>(v); }
    CNode* SignTerm(int code) { return Make<CSignAtom>(code); }

    std::vector<std::unique_ptr<CNode>> owned;
};

// Runs an expression with debugging on, on a thread of its own, as the worker does.
class CDebugWorker {
public:
    CDebugWorker(CExpressionNode* expr, CRunContext& run, CInterpreter& interp)
        : m_thread([=, this, &run, &interp] {
              CArenaScope scope(run.arena);
              run.debug = true;
              CValue* out = nullptr;
              try {
                  expr->Eval(nullptr, &out, run, &interp);
                  result = out;
              } catch (const CExeption& e) {
                  stopCode = e.m_nCode;
                  stopText = e.m_strText;
                  stopNode = e.m_pNode;
              }
              finished = true;
          }) {}
    ~CDebugWorker() {
        if (m_thread.joinable())
            m_thread.join();
    }
    void Join() { m_thread.join(); }
    pthread_t Handle() { return m_thread.native_handle(); }

    std::atomic<bool> finished{false};
    CValue* result = nullptr; // in the test's arena
    int stopCode = -1;
    std::string stopText = "unset";
    CNode* stopNode = reinterpret_cast<CNode*>(1);

private:
    std::thread m_thread;
};

// Each step waits for its release; the run's listener hears the line of each step.
TEST_F(DebugTest, EachStepWaitsUntilTheShellReleasesIt) {
    SinkCapture capture(kChannelDebug);
    struct : IRunListener {
        void StepStarted(int line) override { lines.push_back(line); }
        std::vector<int> lines;
    } listener;
    run.listener = &listener;
    run.control.ReleaseStep(); // a press while nothing waits has no lasting effect
    CDebugWorker worker(Expression({IntTerm(1), SignTerm(kTokMinus), SignTerm(kTokMinus)}), run,
                        interp);
    ASSERT_TRUE(Eventually([&] { return run.control.WaitingForStep(); }));
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(worker.finished);
    EXPECT_EQ(capture.Text(kChannelDebug), "1:- ");

    run.control.ReleaseStep();
    ASSERT_TRUE(Eventually([&] { return capture.Text(kChannelDebug) == "1:-  -> -1\r\n-1:- "; }));
    ASSERT_TRUE(Eventually([&] { return run.control.WaitingForStep(); }));
    CRunControl other;
    other.ReleaseStep(); // another run's release leaves this one paused
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(worker.finished);

    ReleaseStep(); // the release of every paused step
    worker.Join();
    EXPECT_EQ(capture.Text(kChannelDebug), "1:-  -> -1\r\n-1:-  -> 1\r\n");
    ASSERT_NE(worker.result, nullptr);
    EXPECT_EQ(Printed(worker.result), "1");
    EXPECT_EQ(listener.lines, (std::vector<int>{42, 42}));
}

TEST_F(DebugTest, APausedStepUsesNoProcessorTime) {
    SinkCapture capture(kChannelDebug);
    CDebugWorker worker(Expression({IntTerm(1), SignTerm(kTokMinus)}), run, interp);
    ASSERT_TRUE(Eventually([&] { return run.control.WaitingForStep(); }));
    clockid_t clock;
    ASSERT_EQ(pthread_getcpuclockid(worker.Handle(), &clock), 0);
    timespec before{}, after{};
    clock_gettime(clock, &before);
    std::this_thread::sleep_for(300ms);
    clock_gettime(clock, &after);
    const double used =
        double(after.tv_sec - before.tv_sec) + double(after.tv_nsec - before.tv_nsec) / 1e9;
    EXPECT_LT(used, 0.03) << "seconds of processor time while paused";
    run.control.ReleaseStep();
}

TEST_F(DebugTest, AStopDuringAPauseEndsTheRunWithCode19) {
    SinkCapture capture(kChannelDebug);
    CDebugWorker worker(Expression({IntTerm(1), SignTerm(kTokMinus), SignTerm(kTokMinus)}), run,
                        interp);
    ASSERT_TRUE(Eventually([&] { return run.control.WaitingForStep(); }));
    run.control.RequestStop();
    worker.Join();
    EXPECT_EQ(worker.stopCode, kErrUserStop);
    EXPECT_EQ(worker.stopText, "");
    EXPECT_EQ(worker.stopNode, nullptr);
    EXPECT_EQ(capture.Text(kChannelDebug), "1:- ") << "the trace so far stays";
    EXPECT_TRUE(run.control.StopRequested()) << "a stopped run stays stopped";
    EXPECT_FALSE(run.control.WaitingForStep()) << "no step is paused once the run has ended";
}

// A stop ends its run at the next application (one term is none), as does a budget of N
// applications at the (N+1)th; auto-release still honours a stop.
TEST_F(DebugTest, AStopOrTheBudgetEndsTheRunAtItsNextApplication) {
    CRunContext other;
    RequestStop(); // every run
    EXPECT_THROW(other.control.CheckStop(), CExeption);
    run.control.RequestStop();
    CValue* out = nullptr;
    try {
        Expression({IntTerm(1), SignTerm(kTokMinus)})->Eval(nullptr, &out, run, &interp);
        FAIL() << "no stop";
    } catch (const CExeption& e) {
        EXPECT_EQ(e.m_nCode, kErrUserStop);
    }
    EXPECT_TRUE(Expression({IntTerm(1)})->Eval(nullptr, &out, run, &interp));
    CRunContext later; // a new run starts unstopped
    later.control.SetApplicationBudget(2);
    EXPECT_NO_THROW(later.control.CheckStop());
    EXPECT_NO_THROW(later.control.CheckStop());
    EXPECT_THROW(later.control.CheckStop(), CExeption);
    later.control.SetApplicationBudget(-1);
    EXPECT_NO_THROW(later.control.CheckStop());

    CRunControl stopped, going;
    for (CRunControl* control : {&stopped, &going})
        control->SetAutoRelease(true);
    stopped.RequestStop();
    EXPECT_THROW(stopped.WaitForStep(), CExeption);
    going.WaitForStep();
    EXPECT_FALSE(going.WaitingForStep());
}

} // namespace
