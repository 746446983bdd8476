// The language commands of a document: Translate, Run, Debug, Abort debug, Abort run.

#include "ide/MainFrame.h"
#include "ide/OutputBar.h"
#include "ide/QueuedCall.h"
#include "ide/ReportLines.h"
#include "ide/RunWorker.h"
#include "ide/ShellDialogs.h"
#include "ide/TextCodec.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"
#include "interpreter/DebugControl.h"
#include "interpreter/RunSession.h"
#include "output/OutputSink.h"
#include "translator/Parser.h"
#include "translator/TranslationReport.h"
#include "values/StackGuard.h"

#include <QComboBox>
#include <QFile>

void CTirvaneIDEDoc::OnTranslate() {
    WaitForOwnWorker(); // the module is about to be deleted
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

void CTirvaneIDEDoc::OnRun() {
    m_bRunning = true;
    g_bRunning = true;
    emit StateChanged();
    WaitForAllWorkers();
    if (!m_bRunning)
        return; // aborted while the previous run was ending
    // A stop request left over from an aborted run would stop this one at once.
    g_bStopRequested = false;
    if (!StartRun(false)) {
        m_bRunning = false;
        g_bRunning = false;
    }
    emit StateChanged();
}

void CTirvaneIDEDoc::OnDebug() {
    if (m_bDebugging) {
        m_pFrame->OutputBar()->ShowChannel(kChannelDebug);
        ReleaseStep();
        return;
    }
    m_bDebugging = true;
    g_bDebugging = true;
    emit StateChanged();
    WaitForAllWorkers();
    if (!m_bDebugging)
        return;
    SetStepLine(0); // a step of the ended session may have come in while it ended
    g_OutputSink.Clear(kChannelDebug);
    m_pFrame->OutputBar()->ShowChannel(kChannelDebug);
    g_bStopRequested = false;
    if (!StartRun(true)) {
        m_bDebugging = false;
        g_bDebugging = false;
    }
    emit StateChanged();
}

void CTirvaneIDEDoc::OnAbortDebug() {
    m_bDebugging = false;
    g_bDebugging = false;
    SetStepLine(0);
    RequestStop();
    if (m_pRunThread != nullptr)
        m_pRunThread->Abandon();
    emit StateChanged();
}

void CTirvaneIDEDoc::OnAbortRun() {
    ClearRunFlags();
    RequestStop();
    if (m_pRunThread != nullptr)
        m_pRunThread->Abandon();
    emit StateChanged();
}

bool CTirvaneIDEDoc::StartRun(bool debug) {
    QComboBox* list = m_pFrame->FunctionList();
    const int index = list->currentIndex();
    if (index < 0) {
        ShowStopBox(QStringLiteral("Неправильное имя запускаемой функции!"),
                    QStringLiteral("Неизвестно имя запускаемой функции."));
        return false;
    }
    auto session = std::make_unique<CRunSession>(m_pModule, ToCp1251(list->itemText(index)), index,
                                                 debug, this);
    CMessageBox box;
    if (!PrepareArgument(*session, &box)) {
        ShowStopBox(box);
        return false;
    }
    m_bRunDebug = debug;
    return StartWorker(std::move(session));
}

bool CTirvaneIDEDoc::PrepareArgument(CRunSession& session, CMessageBox* box) {
    try {
        return session.PrepareArgument(box);
    } catch (...) {
        *box = UnexpectedExceptionBox();
        return false;
    }
}

bool CTirvaneIDEDoc::StartWorker(std::unique_ptr<CRunSession> session) {
    auto worker =
        std::make_unique<CRunWorker>(std::move(session), this, [this] { OnWorkerEnded(); });
    COutputBar* bar = m_pFrame->OutputBar();
    const bool started =
        worker->Start([bar] { PostToGuiThread(bar, [bar] { bar->ShowChannel(kChannelResult); }); });
    if (!started) {
        ShowStopBox(QStringLiteral("Ошибка интерпретации"),
                    QStringLiteral("Не удалось запустить поток выполнения программы."));
        return false;
    }
    m_pRunThread = std::move(worker);
    m_runTime.start();
    emit RunStarted(m_bRunDebug);
    return true;
}

// On the GUI thread, after the worker printed its result: the run's values go with the
// session. An aborted run no longer owns the flags, which a new run may already hold.
void CTirvaneIDEDoc::OnWorkerEnded() {
    if (m_pRunThread == nullptr)
        return;
    const std::unique_ptr<CRunWorker> worker = std::move(m_pRunThread);
    CMessageBox box;
    const CRunSession::Outcome outcome = worker->Finish(&box);
    if (!worker->Abandoned())
        ClearRunFlags();
    emit StateChanged();
    emit RunEnded(m_bRunDebug, m_runTime.elapsed(), int(outcome));
    if (outcome == CRunSession::Outcome::Failed)
        ShowStopBox(box);
}

void CTirvaneIDEDoc::ClearRunFlags() {
    m_bRunning = false;
    m_bDebugging = false;
    g_bRunning = false;
    g_bDebugging = false;
    SetStepLine(0);
}

// Closing a document ends its run first.
void CTirvaneIDEDoc::StopRun() {
    if (!m_bRunning && !m_bDebugging)
        return;
    ClearRunFlags();
    RequestStop();
    if (m_pRunThread != nullptr)
        m_pRunThread->Abandon();
    emit StateChanged();
}

void CTirvaneIDEDoc::WaitForOwnWorker() {
    if (m_pRunThread == nullptr)
        return;
    m_pFrame->ShowWaitNote();
    CRunWorker::WaitUntil([this] { return m_pRunThread == nullptr; });
    m_pFrame->ClearWaitNote();
}

void CTirvaneIDEDoc::WaitForAllWorkers() {
    if (CRunWorker::LiveCount() == 0)
        return;
    m_pFrame->ShowWaitNote();
    CRunWorker::WaitUntil([] { return CRunWorker::LiveCount() == 0; });
    m_pFrame->ClearWaitNote();
}
