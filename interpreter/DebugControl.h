#pragma once
// The stop request and the debug step handshake of a run, and what a run tells whoever
// watches it. Each run has its own CRunControl, so that stopping or releasing one run
// never touches another. A paused step waits without using a processor: the shell's
// calls wake it (ReleaseStep, RequestStop), and the wait also re-reads the flags now and
// then.

#include <atomic>
#include <condition_variable>
#include <mutex>

class CValue;

// The application's command flags (which commands are enabled), kept by the shells'
// run controllers. No run reads them.
extern std::atomic<bool> g_bRunning;
extern std::atomic<bool> g_bDebugging;

// Told by a run on the run's own thread. Set before the run starts.
class IRunListener {
public:
    virtual ~IRunListener() = default;
    // A debug step starts to wait, with the source line of the expression being traced;
    // the IDE marks that line.
    virtual void StepStarted(int /*line*/) {}
    // "out" has printed value: a tool that compares runs collects what they print.
    virtual void ValuePrinted(const CValue* /*value*/) {}
};

class CRunControl {
public:
    CRunControl();
    // The control of one thread's share of a parallel list of owner's run: it stops when
    // owner stops, spends owner's budget, and also ends an item that comes after one that
    // failed (PieceCancelled). It never pauses: shares of lists run untraced only.
    explicit CRunControl(CRunControl* owner);
    ~CRunControl();
    CRunControl(const CRunControl&) = delete;
    CRunControl& operator=(const CRunControl&) = delete;

    // Shell side, any thread.
    void RequestStop(); // the run ends with code 19 at its next check; wakes a paused step
    void ReleaseStep(); // the paused step goes on; a release while nothing waits is lost
    bool StopRequested() const { return m_bStop; }
    bool WaitingForStep() const { return m_bWaiting; }
    // For a trace that never pauses (the runner's --trace): each step is released as soon
    // as it starts to wait. Runs made later take the setting of SetAutoRelease below.
    void SetAutoRelease(bool on) { m_bAutoRelease = on; }
    // A bound on the run's applications, for fuzzing and tests: after `applications` more
    // stop checks, every further check stops the run (code 19) as a user's abort would. A
    // negative count removes the bound. Set before the run starts.
    void SetApplicationBudget(long long applications);

    // Run side. Throw CExeption code 19 when a stop is requested.
    void CheckStop() {
        if (m_bStop.load(std::memory_order_relaxed) || m_bSlowCheck)
            SlowCheck();
    }
    // A stop request only, with no budget spent: between the pieces of a long result's text.
    void CheckStopRequest() {
        if (m_bStop.load(std::memory_order_relaxed) || (m_pOwner != nullptr && m_pOwner->m_bStop))
            Stopped();
    }
    // For a stretch of evaluation that counts its stop checks itself and spends them at
    // its end (the compiled form of functions): how many checks the budget still allows
    // (no budget: the most a count can be), whether a check now would stop the run, and
    // the spending, false with nothing spent when the budget no longer allows them all.
    long long ChecksAllowed() const;
    bool StopPending() const {
        return m_bStop.load(std::memory_order_relaxed) || (m_pOwner != nullptr && OwnerStops());
    }
    bool SpendChecks(long long checks);
    // Marks the step as waiting and blocks until the shell releases it.
    void WaitForStep();

private:
    [[noreturn]] void Stopped();
    bool OwnerStops() const; // a share's: its owner stops, or its item is cancelled
    // The checks of a budget or of a share of a parallel list.
    void SlowCheck();

    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bWaiting{false};
    std::atomic<bool> m_bAutoRelease{false};
    CRunControl* m_pOwner = nullptr;
    bool m_bSlowCheck = false; // budgeted, or a share's control; set before the run
    bool m_bBudgeted = false;
    std::atomic<long long> m_nBudget{0}; // spent by every thread of the run
    std::mutex m_mutex;
    std::condition_variable m_wake;
};

// Every run in progress in the process: the runner's interrupt, a new run that must wait
// for an aborted one, tests.
void RequestStop(); // stops every run in progress
void ReleaseStep(); // releases every paused step
bool AnyStepWaiting();
// The auto-release setting of runs made from now on.
void SetAutoRelease(bool on);
