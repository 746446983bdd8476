#pragma once
// A document window in the MDI area: one document shown by one view.

#include <QMdiSubWindow>

class CTirvaneIDEDoc;
class CTirvaneIDEView;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    // Takes ownership of the document; the view becomes the window's widget.
    CChildFrame(CTirvaneIDEDoc* doc, CTirvaneIDEView* view, QWidget* parent = nullptr);

    CTirvaneIDEDoc* Document() const { return m_pDoc; }
    CTirvaneIDEView* View() const { return m_pView; }

    // The function list follows the active document and keeps each one's selection.
    void OnActivate(bool active);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void UpdateTitle();

    CTirvaneIDEDoc* m_pDoc;
    CTirvaneIDEView* m_pView;
    bool m_bClosing = false;
};
