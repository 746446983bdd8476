#pragma once
// The worker of one Run or Debug: a large-stack thread that executes a prepared run
// session. When the run is over the worker tells its owner on the GUI thread, which then
// joins the thread and releases the session (and with it the run's arena) through Finish.
// It writes on the output channel that was current when it started (the debug trace's, or
// the argument's for "out") and on the one it selects itself (the result's), whatever
// channel the window selects meanwhile for another document's Translate.
//
// At most one run evaluates a module at a time: before a new run, a Translate or a close
// waits (WaitUntil) for an aborted worker that has not yet seen the stop request.

#include "interpreter/RunSession.h"
#include "values/StackGuard.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

class CRunWorker {
public:
    // ended runs on the GUI thread, queued to receiver, when the session has finished.
    CRunWorker(std::unique_ptr<CRunSession> session, QObject* receiver,
               std::function<void()> ended);
    CRunWorker(const CRunWorker&) = delete;
    CRunWorker& operator=(const CRunWorker&) = delete;
    ~CRunWorker();

    // showResultChannel runs on the worker just before the result is printed. False when
    // the thread could not be started.
    bool Start(std::function<void()> showResultChannel);

    // GUI thread, after the ended notification: joins the thread and releases the session.
    // Returns the outcome; box receives the error box of a failed run.
    CRunSession::Outcome Finish(CMessageBox* box);

    // The run was aborted: its end no longer concerns the command flags.
    void Abandon() { m_bAbandoned = true; }
    bool Abandoned() const { return m_bAbandoned; }

    // Workers started and not yet finished, in the whole application.
    static int LiveCount();
    // Keeps the window painting and queued work flowing (not user input, so no command can
    // slip in) until done() holds, under a wait cursor.
    static void WaitUntil(const std::function<bool()>& done);
    // A WaitUntil is in progress: windows must not close under the waiting command.
    static bool Waiting();

private:
    void Body(const std::function<void()>& showResultChannel);

    std::unique_ptr<CRunSession> m_pSession;
    QObject* m_pReceiver;
    std::function<void()> m_ended;
    CLargeStackThread m_thread;
    CRunSession::Outcome m_outcome = CRunSession::Outcome::NoResult;
    CMessageBox m_box;
    bool m_bAbandoned = false;
    bool m_bLive = false;
};
