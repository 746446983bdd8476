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
        if (m_bStop || (m_bBudgeted && m_nBudget-- <= 0))
            Stopped();
    }
    // Marks the step as waiting and blocks until the shell releases it.
    void WaitForStep();

private:
    [[noreturn]] void Stopped();

    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bWaiting{false};
    std::atomic<bool> m_bAutoRelease{false};
    bool m_bBudgeted = false; // run side only
    long long m_nBudget = 0;
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
