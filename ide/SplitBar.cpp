#include "ide/SplitBar.h"

#include "ide/SplitDrag.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

CSplitBar::CSplitBar(QWidget* mdiClient, QWidget* parent)
    : QWidget(parent), m_pMdiClient(mdiClient), m_nLowerHeight(kInitialLowerHeight) {
    setObjectName(QStringLiteral("SplitBar"));
    setCursor(Qt::SizeVerCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    parent->installEventFilter(this);
    show();
}

void CSplitBar::SetLowerWindow(QWidget* window) {
    m_pLower = window;
    if (m_pLower != nullptr)
        m_pLower->show();
    Reposition();
}

void CSplitBar::SetLowerHeight(int height) {
    m_nLowerHeight = std::max(height, kMinLowerHeight);
    Reposition();
}

void CSplitBar::Reposition() {
    const QRect area = parentWidget()->rect();
    const SplitLayout layout = ComputeSplitLayout(area.top(), area.bottom() + 1, m_nLowerHeight);
    m_pMdiClient->setGeometry(area.left(), layout.mdiTop, area.width(), layout.mdiHeight);
    if (m_pLower != nullptr)
        m_pLower->setGeometry(area.left(), layout.lowerTop, area.width(), layout.lowerHeight);
    setGeometry(area.left(), layout.barTop, area.width(), kSplitBarHeight);
}

bool CSplitBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        Reposition();
    return QWidget::eventFilter(watched, event);
}

void CSplitBar::paintEvent(QPaintEvent*) {
    static const QColor kRows[kSplitBarHeight] = {QColor(192, 192, 192), QColor(192, 192, 192),
                                                  QColor(192, 192, 192), QColor(128, 128, 128),
                                                  QColor(0, 0, 0)};
    QPainter painter(this);
    for (int row = 0; row < kSplitBarHeight; ++row) {
        painter.setPen(kRows[row]);
        painter.drawLine(0, row, width() - 1, row);
    }
}

void CSplitBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_lastPoint = event->globalPosition().toPoint();
    // Qt keeps sending the moves to the pressed widget until the button is released.
    m_bDragging = true;
}

void CSplitBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    m_bDragging = false;
}

// The panel follows the pointer; the lower height is the one figure the layout keeps, so
// the windows are laid out from it after every step, also when it was held at its minimum.
void CSplitBar::mouseMoveEvent(QMouseEvent* event) {
    if (!m_bDragging)
        return;
    const QPoint point = event->globalPosition().toPoint();
    const QRect mdi = m_pMdiClient->geometry();
    const SplitDragStep step =
        DragSplit(m_nLowerHeight, mdi.top(), mdi.top() + mdi.height(), point.y() - m_lastPoint.y());
    m_nLowerHeight = step.lowerHeight;
    if (step.moved)
        m_lastPoint = point;
    Reposition();
    update();
}
