#include "ide/ChildFrame.h"

#include "ide/Commands.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"
#include "ide/ToolbarIcons.h"
#include "interpreter/RunController.h"

#include <QCloseEvent>

CChildFrame::CChildFrame(CTirvaneIDEDoc* doc, CTirvaneIDEView* view, QWidget* parent)
    : QMdiSubWindow(parent), m_pDoc(doc), m_pView(view) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(CommandIcon(ID_FILE_NEW));
    setWidget(m_pView);
    m_pDoc->AttachWindow();
    connect(m_pDoc, &CTirvaneIDEDoc::TitleChanged, this, &CChildFrame::UpdateTitle);
    connect(m_pDoc, &CTirvaneIDEDoc::ModifiedChanged, this, &QWidget::setWindowModified);
    setWindowModified(m_pDoc->IsModified());
    UpdateTitle();
}

// The view goes first, while the text it shows still exists; the document goes after the
// window, once nothing can reach it.
CChildFrame::~CChildFrame() {
    disconnect(m_pDoc, nullptr, this, nullptr);
    setWidget(nullptr);
    delete m_pView;
    m_pView = nullptr;
    if (m_pDoc->DetachWindow() == 0)
        m_pDoc->setParent(this);
}

// With several windows on one document each title carries its window's number.
void CChildFrame::UpdateTitle() {
    const auto& views = m_pDoc->Views();
    QString title = m_pDoc->Title();
    if (views.size() > 1)
        title += QStringLiteral(":%1").arg(views.indexOf(m_pView) + 1);
    setWindowTitle(title + QStringLiteral("[*]"));
}

void CChildFrame::OnActivate(bool active) {
    if (!active) {
        m_pDoc->ClearFunctionList();
        return;
    }
    m_pDoc->FillFunctionList();
    if (m_pView != nullptr)
        m_pView->UpdatePosition();
}

void CChildFrame::CloseWithoutAsking() {
    m_bAgreed = true;
    close();
}

// Only the document's last window asks to save it and ends its run. A close that arrives
// while a command waits for a run to end is refused: the window may still be in use further
// up the stack.
void CChildFrame::closeEvent(QCloseEvent* event) {
    if (m_bClosing || CRunController::Waiting()) {
        event->ignore();
        return;
    }
    if (m_bAgreed || m_pDoc->Views().size() > 1) {
        AcceptClose(event);
        return;
    }
    m_bClosing = true;
    const bool canClose = m_pDoc->CanClose();
    m_bClosing = false;
    if (!canClose) {
        event->ignore();
        return;
    }
    AcceptClose(event);
}

// The window is deleted later; from now on the document's other windows decide.
void CChildFrame::AcceptClose(QCloseEvent* event) {
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted())
        m_pDoc->RemoveView(m_pView);
}
