#pragma once
// A document window in the MDI area: one view of a document. A document may have several
// windows ("Новое окно"); it lives as long as one of them.

#include <QMdiSubWindow>

class CTirvaneIDEDoc;
class CTirvaneIDEView;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    // The view becomes the window's widget; the last window of a document deletes it.
    CChildFrame(CTirvaneIDEDoc* doc, CTirvaneIDEView* view, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CTirvaneIDEDoc* Document() const { return m_pDoc; }
    CTirvaneIDEView* View() const { return m_pView; }

    // The function list follows the active document and keeps each one's selection; the
    // status bar shows the caret of the active window.
    void OnActivate(bool active);

    // Closes the window once the document has agreed to close (File Close).
    void CloseWithoutAsking();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void UpdateTitle();
    void AcceptClose(QCloseEvent* event);

    CTirvaneIDEDoc* m_pDoc;
    CTirvaneIDEView* m_pView;
    bool m_bClosing = false;
    bool m_bAgreed = false;
};
