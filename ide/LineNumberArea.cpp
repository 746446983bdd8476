#include "ide/LineNumberArea.h"

#include "ide/TirvaneIDEView.h"

#include <QMouseEvent>

CLineNumberArea::CLineNumberArea(CTirvaneIDEView* view) : QWidget(view), m_pView(view) {
    setObjectName(QStringLiteral("LineNumberArea"));
}

QSize CLineNumberArea::sizeHint() const {
    return {m_pView->GutterWidth(), 0};
}

void CLineNumberArea::paintEvent(QPaintEvent* event) {
    m_pView->PaintGutter(this, event->rect());
}

// A click on a number puts the caret at the start of that line.
void CLineNumberArea::mousePressEvent(QMouseEvent* event) {
    const int line = m_pView->LineAtGutterY(event->position().toPoint().y());
    if (line > 0)
        m_pView->PlaceCaretOnLine(line);
}
