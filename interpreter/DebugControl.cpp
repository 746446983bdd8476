// The step handshake and the stop request. A paused step sleeps on a condition variable;
// the shell's flag writes wake it, and a short timed wait re-reads the flags in case a
// writer changed one without waking it.

#include "interpreter/DebugControl.h"

#include "values/Exeption.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

std::atomic<bool> g_bRunning{false};
std::atomic<bool> g_bDebugging{false};
std::atomic<bool> g_bStopRequested{false};
std::atomic<bool> g_bWaitingForStep{false};

namespace {

constexpr auto kRecheckInterval = std::chrono::milliseconds(50);

std::mutex g_waitMutex;
std::condition_variable g_waitCondition;
std::atomic<bool> g_bAutoRelease{false};

// Per thread, so that a bound set for one worker never stops another's run.
thread_local bool tl_bBudgeted = false;
thread_local long long tl_nBudget = 0;

// A listener set from one thread and called from the worker: the pair is read under a
// lock, the call made outside it.
template <typename Listener, typename Arg> class CListenerSlot {
public:
    void Set(Listener listener, void* context) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pListener = listener;
        m_pContext = context;
    }
    void Notify(Arg arg) {
        Listener listener = nullptr;
        void* context = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            listener = m_pListener;
            context = m_pContext;
        }
        if (listener != nullptr)
            listener(arg, context);
    }

private:
    std::mutex m_mutex;
    Listener m_pListener = nullptr;
    void* m_pContext = nullptr;
};

CListenerSlot<StepListener, int> g_stepListener;
CListenerSlot<OutListener, const CValue*> g_outListener;

[[noreturn]] void ThrowStop() {
    throw CExeption(nullptr, "", kErrUserStop);
}

} // namespace

// Taking the mutex orders the notification after a waiter's flag test, so that no wake-up
// falls between the test and the wait.
void WakeDebugWaiters() {
    std::lock_guard<std::mutex> lock(g_waitMutex);
    g_waitCondition.notify_all();
}

void ReleaseStep() {
    g_bWaitingForStep = false;
    WakeDebugWaiters();
}

void RequestStop() {
    g_bStopRequested = true;
    WakeDebugWaiters();
}

void SetAutoRelease(bool on) {
    g_bAutoRelease = on;
}

void CheckStopRequest() {
    if (g_bStopRequested)
        ThrowStop();
    if (tl_bBudgeted && tl_nBudget-- <= 0)
        ThrowStop();
}

void SetApplicationBudget(long long applications) {
    tl_bBudgeted = applications >= 0;
    tl_nBudget = applications;
}

void WaitForStep() {
    g_bWaitingForStep = true;
    if (g_bAutoRelease) {
        g_bWaitingForStep = false;
        CheckStopRequest();
        return;
    }
    std::unique_lock<std::mutex> lock(g_waitMutex);
    while (g_bWaitingForStep) {
        if (g_bStopRequested) {
            g_bWaitingForStep = false; // the run ends here: no step is paused any more
            ThrowStop();
        }
        g_waitCondition.wait_for(lock, kRecheckInterval);
    }
}

void SetStepListener(StepListener listener, void* context) {
    g_stepListener.Set(listener, context);
}

void NotifyStepListener(int line) {
    g_stepListener.Notify(line);
}

void SetOutListener(OutListener listener, void* context) {
    g_outListener.Set(listener, context);
}

void NotifyOutListener(const CValue* value) {
    g_outListener.Notify(value);
}
