#pragma once
// The gutter at the left of the editor: line numbers, the current line's number brighter,
// and a mark beside the line of a translation error and beside the line a debug session
// has stopped at. The view paints it; this widget only takes the room.

#include <QWidget>

class CTirvaneIDEView;

class CLineNumberArea : public QWidget {
    Q_OBJECT
public:
    explicit CLineNumberArea(CTirvaneIDEView* view);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    CTirvaneIDEView* m_pView;
};
