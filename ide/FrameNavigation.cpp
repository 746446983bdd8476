// Taking the user to places: the line of a translation error, the line a debug session
// stands at, a line by its number, text to replace, and the example programs.

#include "ide/ChildFrame.h"
#include "ide/Examples.h"
#include "ide/MainFrame.h"
#include "ide/OutputBar.h"
#include "ide/QueuedCall.h"
#include "ide/ReportLines.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"
#include "output/OutputSink.h"

#include <QFileInfo>
#include <QInputDialog>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextBlock>

void CMainFrame::SetReportDocument(CTirvaneIDEDoc* doc) {
    m_pReportDoc = doc;
}

void CMainFrame::ShowErrorLine(CTirvaneIDEDoc* doc, int line) {
    CChildFrame* shown = ActiveChild();
    if (shown == nullptr || shown->Document() != doc) {
        for (QMdiSubWindow* window : m_pMdiArea->subWindowList()) {
            auto* child = qobject_cast<CChildFrame*>(window);
            if (child != nullptr && child->Document() == doc) {
                m_pMdiArea->setActiveSubWindow(child);
                shown = child;
                break;
            }
        }
    }
    if (shown == nullptr || shown->Document() != doc)
        return;
    doc->MarkErrorLine(line);
    shown->View()->GoToLine(line);
}

// The report belongs to the document last translated, while it is open; its error line
// leads there.
bool CMainFrame::OnReportDoubleClick(QMouseEvent* event) {
    const COutputView* report = m_pOutputBar->PaneView(kChannelTranslation);
    const QString text = report->Line(report->LineAt(event->position().toPoint())).toString();
    const int line = ReportedErrorLine(text);
    CTirvaneIDEDoc* doc = m_pReportDoc != nullptr ? m_pReportDoc.data() : ActiveDocument();
    if (line <= 0 || doc == nullptr)
        return false;
    ShowErrorLine(doc, line);
    return true;
}

void CMainFrame::OnEditGoToLine() {
    CTirvaneIDEView* view = ActiveView();
    if (view == nullptr)
        return;
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("GoToLineDialog"));
    dialog.setWindowTitle(QStringLiteral("Переход к строке"));
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setLabelText(QStringLiteral("Номер строки (1 - %1):").arg(view->blockCount()));
    dialog.setIntRange(1, view->blockCount());
    dialog.setIntValue(view->textCursor().blockNumber() + 1);
    dialog.setOkButtonText(QStringLiteral("Перейти"));
    dialog.setCancelButtonText(QStringLiteral("Отмена"));
    if (dialog.exec() == QDialog::Accepted)
        view->GoToLine(dialog.intValue());
}

// One replace dialog, modeless, working on whichever view is active.
void CMainFrame::OnEditReplace() {
    CTirvaneIDEView* view = ActiveView();
    if (view == nullptr)
        return;
    if (m_pReplaceDialog == nullptr) {
        m_pReplaceDialog = new CReplaceDialog([this] { return ActiveView(); }, this);
        connect(m_pReplaceDialog, &CReplaceDialog::NotFound, this, &CMainFrame::ReportNotFound);
        connect(m_pReplaceDialog, &CReplaceDialog::Replaced, this, [this](int count) {
            statusBar()->showMessage(QStringLiteral("Заменено: %1").arg(count), 4000);
        });
    }
    ShowSearchDialog(m_pReplaceDialog, view, [this](const QString& selected) {
        m_pReplaceDialog->SetTexts(selected, QString());
    });
}

// Untitled, so that Translate asks where to save it and the original stays as it is.
CTirvaneIDEDoc* CMainFrame::OpenExample(const QString& name) {
    const QByteArray bytes = ExampleBytes(name);
    if (bytes.isEmpty())
        return nullptr;
    auto* doc = new CTirvaneIDEDoc(this);
    auto* view = new CTirvaneIDEView(doc);
    doc->OpenUntitled(bytes, QFileInfo(name).completeBaseName());
    AddChild(doc, view);
    view->moveCursor(QTextCursor::Start);
    return doc;
}
