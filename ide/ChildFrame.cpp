#include "ide/ChildFrame.h"

#include "ide/RunWorker.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"

#include <QCloseEvent>

CChildFrame::CChildFrame(CTirvaneIDEDoc* doc, CTirvaneIDEView* view, QWidget* parent)
    : QMdiSubWindow(parent), m_pDoc(doc), m_pView(view) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_pDoc->setParent(this);
    setWidget(m_pView);
    connect(m_pDoc, &CTirvaneIDEDoc::TitleChanged, this, &CChildFrame::UpdateTitle);
    connect(m_pDoc, &CTirvaneIDEDoc::ModifiedChanged, this, &QWidget::setWindowModified);
    UpdateTitle();
}

void CChildFrame::UpdateTitle() {
    setWindowTitle(m_pDoc->Title() + QStringLiteral("[*]"));
}

void CChildFrame::OnActivate(bool active) {
    if (active)
        m_pDoc->FillFunctionList();
    else
        m_pDoc->ClearFunctionList();
}

// A close that arrives while a command waits for a run to end is refused: the window may
// still be in use further up the stack.
void CChildFrame::closeEvent(QCloseEvent* event) {
    if (m_bClosing || CRunWorker::Waiting()) {
        event->ignore();
        return;
    }
    m_bClosing = true;
    const bool canClose = m_pDoc->CanClose();
    m_bClosing = false;
    if (!canClose) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}
