#include "ide/RunWorker.h"

#include "ide/QueuedCall.h"

#include "interpreter/DebugControl.h"
#include "output/OutputSink.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <exception>

namespace {

std::atomic<int> s_nLive{0};
int s_nWaiting = 0; // GUI thread only

constexpr int kWaitPollMs = 20;

} // namespace

CRunWorker::CRunWorker(std::unique_ptr<CRunSession> session, QObject* receiver,
                       std::function<void()> ended)
    : m_pSession(std::move(session)), m_pReceiver(receiver), m_ended(std::move(ended)) {
}

// A worker still running here would use a session about to be freed: stop it and wait.
CRunWorker::~CRunWorker() {
    if (m_bLive)
        Finish(nullptr);
}

// The session made its channel current on this thread; the worker keeps it as its own.
bool CRunWorker::Start(std::function<void()> showResultChannel) {
    const int channel = g_OutputSink.CurrentChannel();
    m_bLive = m_thread.Start([this, channel, show = std::move(showResultChannel)] {
        COutputPanelSink::UseOwnChannel(channel);
        Body(show);
    });
    if (m_bLive)
        ++s_nLive;
    return m_bLive;
}

// The worker's whole life: every exception ends here as an outcome, and the owner hears of
// the end through its own event queue.
void CRunWorker::Body(const std::function<void()>& showResultChannel) {
    try {
        m_outcome = m_pSession->Execute(showResultChannel, &m_box);
    } catch (...) {
        m_outcome = CRunSession::Outcome::Failed;
        m_box = UnexpectedExceptionBox();
    }
    PostToGuiThread(m_pReceiver, m_ended);
}

CRunSession::Outcome CRunWorker::Finish(CMessageBox* box) {
    if (m_bLive) {
        m_thread.Join();
        m_bLive = false;
        --s_nLive;
    }
    m_pSession.reset();
    if (box != nullptr)
        *box = m_box;
    return m_outcome;
}

int CRunWorker::LiveCount() {
    return s_nLive;
}

// Any event handled may be the worker's end, so done() is asked after each one, and the
// command goes on at once. Only aborted runs are waited for: the timer wakes the wait now
// and then to renew the stop request, should anything have cleared it meanwhile.
void CRunWorker::WaitUntil(const std::function<bool()>& done) {
    if (done())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QTimer poll;
    poll.start(kWaitPollMs);
    ++s_nWaiting;
    while (!done()) {
        RequestStop();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    }
    --s_nWaiting;
    QApplication::restoreOverrideCursor();
}

bool CRunWorker::Waiting() {
    return s_nWaiting > 0;
}
