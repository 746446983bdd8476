#include "ide/ToolbarIcons.h"

#include "ide/Commands.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 17;

QPixmap Canvas() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPolygonF PlayTriangle(double left) {
    return QPolygonF({QPointF(left, 3), QPointF(left + 9, 8.5), QPointF(left, 14)});
}

QIcon TranslateIcon() {
    QPixmap pixmap = Canvas();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 0, 128), 1.5));
    for (int y = 4; y <= 13; y += 3)
        painter.drawLine(QPointF(2, y), QPointF(9, y));
    painter.setPen(QPen(QColor(0, 128, 0), 2));
    painter.drawPolyline(QPolygonF({QPointF(9, 10), QPointF(11.5, 13), QPointF(16, 5)}));
    return QIcon(pixmap);
}

QIcon RunIcon() {
    QPixmap pixmap = Canvas();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0, 100, 0));
    painter.setBrush(QColor(0, 170, 0));
    painter.drawPolygon(PlayTriangle(4));
    return QIcon(pixmap);
}

QIcon StopIcon(const QColor& color) {
    QPixmap pixmap = Canvas();
    QPainter painter(&pixmap);
    painter.setPen(color.darker());
    painter.setBrush(color);
    painter.drawRect(4, 4, 9, 9);
    return QIcon(pixmap);
}

QIcon DebugIcon() {
    QPixmap pixmap = Canvas();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0, 0, 128));
    painter.setBrush(QColor(60, 90, 220));
    painter.drawPolygon(PlayTriangle(2));
    painter.drawRect(QRectF(12, 3, 2.5, 11));
    return QIcon(pixmap);
}

} // namespace

QIcon CommandIcon(int id) {
    switch (id) {
    case ID_TRANSLATE:
        return TranslateIcon();
    case ID_RUN:
        return RunIcon();
    case ID_ABORT_RUN:
        return StopIcon(QColor(210, 0, 0));
    case ID_DEBUG:
        return DebugIcon();
    case ID_ABORT_DEBUG:
        return StopIcon(QColor(230, 140, 0));
    default:
        return {};
    }
}
