#pragma once
// Run, Debug and their aborts for one document (the IDE) or one program (the runner),
// without windows: who may start what, the argument's text, the worker with its large
// stack, releasing a step, stopping, waiting for an aborted worker, and the report of how
// a run ended. The shell around it only shows boxes, channels and the time (IRunHost).
//
// Threads: every member is called on the host's thread (the GUI thread in the IDE). The
// worker hands its news back through IRunHost::Post. Only one run or debug session exists
// in the application at a time (the commands' rule: one set of panes shows one run); after
// an abort, a new Run or Debug waits until the aborted worker has ended. The core itself
// would run them at once: every run has its own context.

#include "interpreter/RunSession.h"

#include <functional>
#include <memory>
#include <string>

class CModuleNode;

// Which language commands are available.
struct CommandStates {
    bool translate = false;
    bool run = false;
    bool abortRun = false;
    bool debug = false; // while debugging, Debug releases the next step
    bool abortDebug = false;
};

// How a run ended.
struct CRunReport {
    CRunSession::Outcome outcome = CRunSession::Outcome::NoResult;
    CMessageBox box; // for Failed and Refused
    bool debug = false;
};

// The shell's side of a controller.
class IRunHost {
public:
    virtual ~IRunHost() = default;
    // Any thread: calls fn later on the host's thread, in the order posted. A call still
    // queued when the controller goes must be dropped.
    virtual void Post(std::function<void()> fn) = 0;
    // Serves posted calls on the host's thread until done() holds, asking done() after each.
    virtual void WaitUntil(const std::function<bool()>& done) = 0;
    // A box that stops a command before its worker started.
    virtual void ShowBox(const CMessageBox& box) = 0;
    // Brings a channel's pane to the front.
    virtual void ShowChannel(int /*channel*/) {}
    // The controller's flags changed.
    virtual void FlagsChanged() {}
    // No debug step is paused any longer: a marked step line goes.
    virtual void StepEnded() {}
    // On the worker: a debug step starts to wait at the expression on line.
    virtual void StepStarted(int /*line*/) {}
    virtual void WorkerStarted(bool /*debug*/) {}
    // The worker has ended and is joined; the run's values are released.
    virtual void WorkerEnded(const CRunReport& /*report*/) {}
};

class CRunController {
public:
    explicit CRunController(IRunHost& host);
    CRunController(const CRunController&) = delete;
    CRunController& operator=(const CRunController&) = delete;
    // A worker still alive is stopped and joined: it may not outlive the module.
    ~CRunController();

    // The start function: the function list's entry and its index there (0: "Вычисление
    // аргумента", -1: nothing selected).
    void Run(CModuleNode* module, const std::string& function, int index);
    // Starts a debug session, or, during one, releases the next step.
    void Debug(CModuleNode* module, const std::string& function, int index);
    void AbortRun();
    void AbortDebug();
    // Before the module changes or goes (Translate, closing): ends this controller's run
    // or session and waits for its worker.
    void EndRun();
    // Waits for this controller's worker, without stopping it (the runner).
    void WaitForWorker();

    bool Running() const { return m_bRunning; }
    bool Debugging() const { return m_bDebugging; }
    bool HasWorker() const { return m_pWorker != nullptr; }
    CommandStates States(bool translated) const;

    // The enabling rules, from a document's flags and the application's run flags.
    static CommandStates StatesFor(bool translated, bool running, bool debugging, bool anyRunning,
                                   bool anyDebugging);
    // Workers started and not yet ended, in the whole application.
    static int LiveWorkers();
    // A command waits for an aborted worker: windows must not close under it.
    static bool Waiting();

private:
    struct Worker;

    bool Start(CModuleNode* module, const std::string& function, int index, bool debug,
               CMessageBox* refusal);
    void OnWorkerEnded();
    void ClearFlags();
    void Abandon();
    void StopWorker();
    void WaitForAllWorkers();

    IRunHost& m_host;
    bool m_bRunning = false;
    bool m_bDebugging = false;
    std::unique_ptr<Worker> m_pWorker; // the last run, until its end has been handled
};

// A host for a thread that does nothing else while a run goes on (the runner, tests):
// posted calls wait in a queue and run in WaitUntil.
class CQueuedRunHost : public IRunHost {
public:
    CQueuedRunHost();
    ~CQueuedRunHost() override;
    void Post(std::function<void()> fn) override;
    void WaitUntil(const std::function<bool()>& done) override;

private:
    struct Queue;
    std::unique_ptr<Queue> m_pQueue;
};
