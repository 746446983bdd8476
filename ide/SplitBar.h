#pragma once
// The 5-pixel sizing bar between the MDI area (above) and the output panel (below). The
// user drags it to make the panel taller or shorter; the frame's client area is shared
// out again whenever it changes size.

#include <QPoint>
#include <QWidget>

class CSplitBar : public QWidget {
    Q_OBJECT
public:
    // mdiClient and the bar are children of the same client widget.
    explicit CSplitBar(QWidget* mdiClient, QWidget* parent);

    void SetLowerWindow(QWidget* window);
    QWidget* LowerWindow() const { return m_pLower; }
    int LowerHeight() const { return m_nLowerHeight; }
    // A height kept from an earlier session; never below the drag's minimum.
    void SetLowerHeight(int height);

    // Gives the MDI client the client area less the bar and the lower window.
    void Reposition();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QWidget* m_pMdiClient;
    QWidget* m_pLower = nullptr;
    QPoint m_lastPoint;
    int m_nLowerHeight;
    bool m_bDragging = false;
};
