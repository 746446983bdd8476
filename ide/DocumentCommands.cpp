// The language commands of a document: Translate, and the thin shell around the run
// controller for Run, Debug, Abort debug and Abort run.

#include "ide/MainFrame.h"
#include "ide/OutputBar.h"
#include "ide/QueuedCall.h"
#include "ide/ReportLines.h"
#include "ide/ShellDialogs.h"
#include "ide/TextCodec.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"
#include "output/OutputSink.h"
#include "translator/Parser.h"
#include "translator/TranslationReport.h"
#include "values/StackGuard.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

namespace {

// How often a wait for an aborted worker wakes when no event comes.
constexpr int kWaitPollMs = 20;

} // namespace

void CTirvaneIDEDoc::OnTranslate() {
    m_runner.EndRun(); // the module is about to be deleted
    const bool saved = Save();
    ClearFunctionList();
    // A failed save leaves the file on disk older than the text in the editor: translating
    // it would report on text the user no longer sees.
    if (m_strPathName.isEmpty() || (!saved && IsModified()))
        return;
    g_OutputSink.Clear(kChannelTranslation);
    m_pFrame->OutputBar()->ShowChannel(kChannelTranslation);
    g_OutputSink.Select(kChannelTranslation);
    m_pFrame->SetReportDocument(this);
    MarkErrorLine(0);
    m_pModule = nullptr;
    const std::string path = QFile::encodeName(m_strPathName).toStdString();
    bool translated = false;
    try {
        // Deeply nested program text must not exhaust the GUI thread's stack.
        RunOnLargeStack([&] { translated = TranslateWithReport(*m_pParser, path, &m_pModule); });
    } catch (...) {
        m_pModule = nullptr;
        ShowStopBox(UnexpectedExceptionBox());
    }
    if (translated) {
        FillFunctionList();
        m_bTranslated = true;
    } else {
        ShowTranslationError();
    }
    emit StateChanged();
}

// The editor goes to the line the report names, marks it and puts the caret there.
void CTirvaneIDEDoc::ShowTranslationError() {
    const QString report = FromCp1251(m_pFrame->OutputBar()->Pane(kChannelTranslation)->GetText());
    const int line = ReportedErrorLine(report);
    if (line > 0)
        m_pFrame->ShowErrorLine(this, line);
}

std::string CTirvaneIDEDoc::SelectedFunction(int* index) const {
    const QComboBox* list = m_pFrame->FunctionList();
    *index = list->currentIndex();
    return *index < 0 ? std::string() : ToCp1251(list->itemText(*index));
}

void CTirvaneIDEDoc::OnRun() {
    int index = 0;
    const std::string function = SelectedFunction(&index);
    m_runner.Run(m_pModule, function, index);
}

void CTirvaneIDEDoc::OnDebug() {
    int index = 0;
    const std::string function = SelectedFunction(&index);
    m_runner.Debug(m_pModule, function, index);
}

void CTirvaneIDEDoc::OnAbortDebug() {
    m_runner.AbortDebug();
}

void CTirvaneIDEDoc::OnAbortRun() {
    m_runner.AbortRun();
}

// Calls from the worker are dropped once the document is gone.
void CTirvaneIDEDoc::Post(std::function<void()> fn) {
    PostToGuiThread(this, std::move(fn));
}

// On the worker. Only the line of the last step before the call runs is ever seen, so one
// call is queued at a time; it clears its mark before reading the line, so a step stored
// after that read queues a call of its own. A step that arrives after its session was
// aborted marks nothing.
void CTirvaneIDEDoc::StepStarted(int line) {
    m_nLatestStep = line;
    if (m_bStepQueued.exchange(true))
        return;
    Post([this] {
        m_bStepQueued = false;
        if (Flags().debugging)
            SetStepLine(m_nLatestStep);
    });
}

// Keeps the window painting and queued work flowing (not user input, so no command can
// slip in) under a wait cursor; any event handled may be the worker's end, so done() is
// asked after each one.
void CTirvaneIDEDoc::WaitUntil(const std::function<bool()>& done) {
    if (done())
        return;
    m_pFrame->ShowWaitNote();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QTimer poll;
    poll.start(kWaitPollMs);
    while (!done())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    QApplication::restoreOverrideCursor();
    m_pFrame->ClearWaitNote();
}

void CTirvaneIDEDoc::ShowBox(const CMessageBox& box) {
    ShowStopBox(box);
}

void CTirvaneIDEDoc::ShowChannel(int channel) {
    m_pFrame->OutputBar()->ShowChannel(channel);
}

void CTirvaneIDEDoc::WorkerStarted(bool debug) {
    m_runTime.start();
    emit RunStarted(debug, m_strTitle);
}

// What the run wrote shows now, not after the panes' interval for a running worker.
void CTirvaneIDEDoc::WorkerEnded(const CRunReport& report) {
    for (int channel = 0; channel < kChannelCount; ++channel)
        m_pFrame->OutputBar()->Pane(channel)->ShowQueued();
    emit RunEnded(report.debug, m_runTime.elapsed(), int(report.outcome));
    if (report.outcome == CRunSession::Outcome::Failed ||
        report.outcome == CRunSession::Outcome::Refused)
        ShowStopBox(report.box);
}
