// The main window's command handlers: files, printing, editing, windows and help.

#include "ide/AboutDlg.h"
#include "ide/ChildFrame.h"
#include "ide/FindDialog.h"
#include "ide/HelpWindow.h"
#include "ide/MainFrame.h"
#include "ide/OutputBar.h"
#include "ide/ShellDialogs.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QWhatsThis>

#include <algorithm>
#include <array>

void CMainFrame::OnFileNew() {
    NewDocument();
}

void CMainFrame::OnFileOpen() {
    const QString path = AskOpenFileName(this);
    if (!path.isEmpty())
        OpenDocument(path);
}

// Closes the document with all its windows, asking once to save it.
void CMainFrame::OnFileClose() {
    CTirvaneIDEDoc* doc = ActiveDocument();
    if (doc == nullptr || !doc->CanClose())
        return;
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList()) {
        auto* child = qobject_cast<CChildFrame*>(window);
        if (child != nullptr && child->Document() == doc)
            child->CloseWithoutAsking();
    }
}

void CMainFrame::OnFileSave() {
    if (CTirvaneIDEDoc* doc = ActiveDocument())
        doc->Save();
}

void CMainFrame::OnFileSaveAs() {
    if (CTirvaneIDEDoc* doc = ActiveDocument())
        doc->SaveAs();
}

void CMainFrame::OnRecentFile(int index) {
    if (index >= m_recentFiles.Files().size())
        return;
    const QString path = m_recentFiles.Files()[index];
    if (OpenDocument(path) == nullptr) {
        m_recentFiles.Remove(index); // gone or unreadable: the list forgets it
        UpdateRecentFileMenu();
    }
}

QPrinter* CMainFrame::Printer() {
    if (m_pPrinter == nullptr)
        m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return m_pPrinter.get();
}

void CMainFrame::OnFilePrint() {
    CTirvaneIDEView* view = ActiveView();
    if (view == nullptr)
        return;
    QPrinter* printer = Printer();
    printer->setDocName(view->Document()->Title());
    if (AskPrint(this, printer))
        view->PrintText(printer);
}

void CMainFrame::OnFilePrintPreview() {
    CTirvaneIDEView* view = ActiveView();
    if (view == nullptr)
        return;
    QPrintPreviewDialog dialog(Printer(), this);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    dialog.setWindowTitle(QStringLiteral("Просмотр документа - ") + view->Document()->Title());
    connect(&dialog, &QPrintPreviewDialog::paintRequested, view, &CTirvaneIDEView::PrintText);
    dialog.exec();
}

void CMainFrame::OnFilePrintSetup() {
    AskPageSetup(this, Printer());
}

QPlainTextEdit* CMainFrame::EditTarget() const {
    auto* focused = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget());
    if (focused != nullptr && (focused->window() == this))
        return focused;
    return ActiveView();
}

// An output view with the focus takes the edit commands instead of the editor.
COutputView* CMainFrame::FocusedOutputView() const {
    auto* focused = qobject_cast<COutputView*>(QApplication::focusWidget());
    return focused != nullptr && focused->window() == this ? focused : nullptr;
}

void CMainFrame::UpdateEditCommands() {
    if (const COutputView* view = FocusedOutputView()) {
        Action(ID_EDIT_UNDO)->setEnabled(view->CanUndo());
        Action(ID_EDIT_CUT)->setEnabled(view->HasSelection());
        Action(ID_EDIT_COPY)->setEnabled(view->HasSelection());
        Action(ID_EDIT_PASTE)->setEnabled(view->CanPaste());
        return;
    }
    const QPlainTextEdit* target = EditTarget();
    const bool editable = target != nullptr && !target->isReadOnly();
    const bool selected = target != nullptr && target->textCursor().hasSelection();
    Action(ID_EDIT_UNDO)->setEnabled(editable && target->document()->isUndoAvailable());
    Action(ID_EDIT_CUT)->setEnabled(editable && selected);
    Action(ID_EDIT_COPY)->setEnabled(selected);
    Action(ID_EDIT_PASTE)->setEnabled(editable && target->canPaste());
}

void CMainFrame::OnEditUndo() {
    if (COutputView* view = FocusedOutputView())
        view->Undo();
    else if (QPlainTextEdit* target = EditTarget())
        target->undo();
}

void CMainFrame::OnEditCut() {
    if (COutputView* view = FocusedOutputView())
        view->Cut();
    else if (QPlainTextEdit* target = EditTarget())
        target->cut();
}

void CMainFrame::OnEditCopy() {
    if (const COutputView* view = FocusedOutputView())
        view->Copy();
    else if (QPlainTextEdit* target = EditTarget())
        target->copy();
}

void CMainFrame::OnEditPaste() {
    if (COutputView* view = FocusedOutputView())
        view->Paste();
    else if (QPlainTextEdit* target = EditTarget())
        target->paste();
}

// One find dialog, modeless, searching whichever view is active.
void CMainFrame::OnEditFind() {
    CTirvaneIDEView* view = ActiveView();
    if (view == nullptr)
        return;
    if (m_pFindDialog == nullptr) {
        m_pFindDialog = new CFindDialog([this] { return ActiveView(); }, this);
        connect(m_pFindDialog, &CFindDialog::NotFound, this, &CMainFrame::ReportNotFound);
    }
    ShowSearchDialog(m_pFindDialog, view,
                     [this](const QString& selected) { m_pFindDialog->SetText(selected); });
}

void CMainFrame::ReportNotFound(const QString& text) {
    QApplication::beep();
    statusBar()->showMessage(QStringLiteral("Текст \"%1\" не найден").arg(text), 4000);
}

// A selection within one line is what the user means to search for.
void CMainFrame::ShowSearchDialog(QDialog* dialog, CTirvaneIDEView* view,
                                  const std::function<void(const QString&)>& takeSelection) {
    const QString selected = view->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        takeSelection(selected);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void CMainFrame::OnFuncDefinition() {
    if (CTirvaneIDEView* view = ActiveView())
        view->OnFuncDefinition();
}

void CMainFrame::OnFuncProperties() {
    if (CTirvaneIDEView* view = ActiveView())
        view->OnFuncProperties();
}

// A second window on the active document: its own caret over the same text.
void CMainFrame::OnWindowNew() {
    CTirvaneIDEDoc* doc = ActiveDocument();
    if (doc == nullptr)
        return;
    auto* view = new CTirvaneIDEView(doc);
    AddChild(doc, view);
}

// Each window steps one title bar down and right of the one before and takes the rest of
// the area, so that every title stays in sight and the texts are as large as they can be.
void CMainFrame::OnWindowCascade() {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList(QMdiArea::StackingOrder)) {
        if (!window->isMinimized())
            windows.append(window);
    }
    const int step = CascadeStep();
    const QSize area = m_pMdiArea->viewport()->size();
    const int spread = step * int(windows.size() - 1);
    const QSize size(std::max(area.width() - spread, area.width() / 2),
                     std::max(area.height() - spread, area.height() / 2));
    int offset = 0;
    for (QMdiSubWindow* window : windows) {
        window->showNormal();
        window->setGeometry(QRect(QPoint(offset, offset), size));
        offset = (offset + step) % std::max(area.height() - size.height() + step, step);
    }
}

void CMainFrame::OnWindowTile() {
    m_pMdiArea->tileSubWindows();
}

// Minimised windows line up along the bottom of the document area.
void CMainFrame::OnWindowArrange() {
    int left = 0;
    const int bottom = m_pMdiArea->viewport()->height();
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized())
            continue;
        if (left > 0 && left + window->width() > m_pMdiArea->viewport()->width())
            left = 0;
        window->move(left, bottom - window->height());
        left += window->width();
    }
}

void CMainFrame::OnNextPane() {
    MovePaneFocus(1);
}

void CMainFrame::OnPrevPane() {
    MovePaneFocus(-1);
}

// The panes of the window are the active editor and the output panel's shown pane.
void CMainFrame::MovePaneFocus(int step) {
    CTirvaneIDEView* view = ActiveView();
    if (view == nullptr)
        return;
    const std::array<QWidget*, 2> panes = {view,
                                           m_pOutputBar->PaneWidget(m_pOutputBar->ShownChannel())};
    const int count = static_cast<int>(panes.size());
    int current = 0;
    for (int i = 0; i < count; ++i) {
        if (panes[static_cast<std::size_t>(i)]->hasFocus())
            current = i;
    }
    panes[static_cast<std::size_t>(((current + step) % count + count) % count)]->setFocus();
}

void CMainFrame::OnAppAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}

CHelpWindow* CMainFrame::ShowHelpWindow() {
    if (m_pHelpWindow == nullptr) {
        m_pHelpWindow = new CHelpWindow(this);
        connect(m_pHelpWindow, &CHelpWindow::ExampleRequested, this, [this](const QString& name) {
            if (OpenExample(name) != nullptr)
                activateWindow();
        });
    }
    m_pHelpWindow->show();
    m_pHelpWindow->raise();
    m_pHelpWindow->activateWindow();
    return m_pHelpWindow;
}

void CMainFrame::OnHelpFinder() {
    ShowHelpWindow()->ShowContents();
}

// F1 in the editor looks up the word at the caret; elsewhere it opens the guide.
void CMainFrame::OnHelp() {
    CTirvaneIDEView* view = ActiveView();
    QString word;
    if (view != nullptr && view->hasFocus())
        word = view->WordAtCaret();
    CHelpWindow* help = ShowHelpWindow();
    if (word.isEmpty() || !help->ShowTopic(word))
        help->ShowContents();
}

// The pointer turns into a question mark; what it clicks next explains itself.
void CMainFrame::OnContextHelp() {
    QWhatsThis::enterWhatsThisMode();
}
