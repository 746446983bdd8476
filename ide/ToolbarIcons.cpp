#include "ide/ToolbarIcons.h"

#include "ide/Commands.h"

#include <QApplication>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <functional>
#include <utility>

namespace {

using Drawing = std::function<void(QPainter&)>;

constexpr double kGrid = 17.0;

// Paints a drawing made for a square grid at whatever size and device pixel ratio the
// tool bar asks for; disabled pictures are greyed the style's way.
class CVectorIconEngine : public QIconEngine {
public:
    CVectorIconEngine(Drawing drawing, double grid) : m_drawing(std::move(drawing)), m_grid(grid) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio =
            painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1;
        painter->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, ratio));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        QPixmap pixmap(size * scale);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            const double side = std::min(pixmap.width(), pixmap.height());
            painter.scale(side / m_grid, side / m_grid);
            m_drawing(painter);
        }
        pixmap.setDevicePixelRatio(scale);
        if (mode == QIcon::Disabled) {
            QStyleOption option;
            option.palette = QGuiApplication::palette();
            pixmap = QApplication::style()->generatedIconPixmap(QIcon::Disabled, pixmap, &option);
        }
        return pixmap;
    }

    QIconEngine* clone() const override { return new CVectorIconEngine(m_drawing, m_grid); }

private:
    Drawing m_drawing;
    double m_grid;
};

QIcon MakeIcon(Drawing drawing, double grid = kGrid) {
    return QIcon(new CVectorIconEngine(std::move(drawing), grid));
}

QPen Outline(const QColor& color, double width = 1.0) {
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// A sheet of paper with a folded corner.
void Sheet(QPainter& p, const QRectF& r) {
    QPainterPath path;
    const double fold = 4;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(Outline(QColor(80, 80, 90)));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.setBrush(QColor(215, 215, 225));
    p.drawPolygon(
        QPolygonF({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                   QPointF(r.right(), r.top() + fold)}));
}

void TextLines(QPainter& p, double left, double right, double top, int count, double step,
               const QColor& color = QColor(70, 90, 150)) {
    p.setPen(Outline(color, 1.0));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(left, top + i * step), QPointF(right - (i % 2) * 2, top + i * step));
}

void DrawNew(QPainter& p) {
    Sheet(p, QRectF(3.5, 1.5, 10, 14));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 200, 0));
    QPainterPath star;
    star.addEllipse(QPointF(12.5, 12.5), 3, 3);
    p.drawPath(star);
    p.setPen(Outline(QColor(200, 120, 0), 1.2));
    p.drawLine(QPointF(12.5, 10.5), QPointF(12.5, 14.5));
    p.drawLine(QPointF(10.5, 12.5), QPointF(14.5, 12.5));
}

void DrawOpen(QPainter& p) {
    p.setPen(Outline(QColor(150, 100, 10)));
    p.setBrush(QColor(240, 200, 90));
    p.drawPolygon(QPolygonF({QPointF(1.5, 4.5), QPointF(6, 4.5), QPointF(7.5, 6), QPointF(13.5, 6),
                             QPointF(13.5, 14.5), QPointF(1.5, 14.5)}));
    p.setBrush(QColor(255, 225, 130));
    p.drawPolygon(
        QPolygonF({QPointF(1.5, 14.5), QPointF(4.5, 8.5), QPointF(16, 8.5), QPointF(13.5, 14.5)}));
}

void DrawSave(QPainter& p) {
    p.setPen(Outline(QColor(20, 40, 100)));
    p.setBrush(QColor(60, 100, 190));
    QPainterPath body;
    body.moveTo(2, 2);
    body.lineTo(13, 2);
    body.lineTo(15, 4);
    body.lineTo(15, 15);
    body.lineTo(2, 15);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 2, 8, 5));
    p.setBrush(QColor(200, 210, 230));
    p.drawRect(QRectF(4.5, 10, 8, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 40, 100));
    p.drawRect(QRectF(9.5, 3, 2, 3));
}

void DrawCut(QPainter& p) {
    p.setPen(Outline(QColor(60, 60, 70), 1.3));
    p.drawLine(QPointF(5, 1.5), QPointF(10.5, 11));
    p.drawLine(QPointF(12, 1.5), QPointF(6.5, 11));
    p.setBrush(Qt::NoBrush);
    p.setPen(Outline(QColor(190, 30, 30), 1.5));
    p.drawEllipse(QPointF(5, 13), 2.4, 2.4);
    p.drawEllipse(QPointF(12, 13), 2.4, 2.4);
}

void DrawCopy(QPainter& p) {
    Sheet(p, QRectF(1.5, 1.5, 9, 11));
    TextLines(p, 3.5, 8.5, 5, 3, 2.5);
    Sheet(p, QRectF(6.5, 4.5, 9, 11));
    TextLines(p, 8.5, 13.5, 8, 3, 2.5);
}

void DrawPaste(QPainter& p) {
    p.setPen(Outline(QColor(110, 70, 20)));
    p.setBrush(QColor(200, 150, 80));
    p.drawRoundedRect(QRectF(1.5, 2.5, 11, 13), 1.5, 1.5);
    p.setBrush(QColor(160, 160, 170));
    p.drawRoundedRect(QRectF(4.5, 1, 5, 3), 1, 1);
    Sheet(p, QRectF(7.5, 6.5, 8, 9.5));
    TextLines(p, 9.5, 13.5, 10, 2, 2.5);
}

void DrawUndo(QPainter& p) {
    p.setBrush(Qt::NoBrush);
    p.setPen(Outline(QColor(30, 80, 170), 2));
    QPainterPath arc;
    arc.moveTo(4.5, 7);
    arc.cubicTo(QPointF(8, 3.5), QPointF(15, 4.5), QPointF(14, 10.5));
    arc.cubicTo(QPointF(13.5, 13), QPointF(11, 14), QPointF(9, 14));
    p.drawPath(arc);
    p.setPen(Outline(QColor(30, 80, 170), 1));
    p.setBrush(QColor(30, 80, 170));
    p.drawPolygon(QPolygonF({QPointF(1.5, 4), QPointF(7.5, 4.5), QPointF(3, 10)}));
}

void DrawFind(QPainter& p) {
    p.setPen(Outline(QColor(40, 40, 50), 1.4));
    p.setBrush(QColor(200, 230, 255, 220));
    p.drawEllipse(QPointF(7, 7), 4.8, 4.8);
    p.setPen(Outline(QColor(100, 60, 20), 2.6));
    p.drawLine(QPointF(10.6, 10.6), QPointF(15, 15));
}

void DrawPrint(QPainter& p) {
    p.setPen(Outline(QColor(60, 60, 70)));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 8, 6));
    p.setBrush(QColor(170, 170, 180));
    p.drawRoundedRect(QRectF(1.5, 6.5, 14, 6.5), 1.2, 1.2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 8, 5));
    TextLines(p, 6, 11, 12.5, 2, 1.8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 170, 0));
    p.drawEllipse(QPointF(13.3, 8.7), 0.9, 0.9);
}

// A text whose marked line an arrow points at: the place of a definition.
void DrawDefinition(QPainter& p) {
    Sheet(p, QRectF(5.5, 1.5, 10, 14));
    TextLines(p, 7.5, 13.5, 4.5, 1, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 220, 90));
    p.drawRect(QRectF(6.5, 6.5, 8, 3));
    TextLines(p, 7.5, 13.5, 8, 1, 0, QColor(150, 40, 0));
    TextLines(p, 7.5, 13.5, 11.5, 2, 2);
    p.setPen(Outline(QColor(0, 120, 0), 1.8));
    p.drawLine(QPointF(1, 8), QPointF(5, 8));
    p.setPen(Outline(QColor(0, 120, 0), 1));
    p.setBrush(QColor(0, 120, 0));
    p.drawPolygon(QPolygonF({QPointF(4, 5.5), QPointF(7, 8), QPointF(4, 10.5)}));
}

// A card with an information sign: what a function holds.
void DrawProperties(QPainter& p) {
    p.setPen(Outline(QColor(70, 70, 80)));
    p.setBrush(QColor(250, 250, 245));
    p.drawRect(QRectF(1.5, 2.5, 14, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 70, 160));
    p.drawRect(QRectF(2, 3, 13, 2.5));
    TextLines(p, 3.5, 9, 8, 3, 2);
    p.setBrush(QColor(30, 110, 200));
    p.drawEllipse(QPointF(12, 11), 3.2, 3.2);
    p.setPen(Outline(Qt::white, 1.3));
    p.drawLine(QPointF(12, 10.5), QPointF(12, 12.8));
    p.drawPoint(QPointF(12, 8.9));
}

void DrawTranslate(QPainter& p) {
    TextLines(p, 2, 9, 4, 4, 3, QColor(0, 0, 128));
    p.setPen(Outline(QColor(0, 140, 0), 2));
    p.drawPolyline(QPolygonF({QPointF(8.5, 10), QPointF(11.5, 13.5), QPointF(16, 4.5)}));
}

QPolygonF PlayTriangle(double left) {
    return QPolygonF({QPointF(left, 3), QPointF(left + 9, 8.5), QPointF(left, 14)});
}

void DrawRun(QPainter& p) {
    p.setPen(Outline(QColor(0, 100, 0)));
    p.setBrush(QColor(0, 175, 0));
    p.drawPolygon(PlayTriangle(4.5));
}

Drawing StopDrawing(const QColor& color) {
    return [color](QPainter& p) {
        p.setPen(Outline(color.darker(150)));
        p.setBrush(color);
        p.drawRoundedRect(QRectF(3.5, 3.5, 10, 10), 1.5, 1.5);
    };
}

void DrawDebug(QPainter& p) {
    p.setPen(Outline(QColor(0, 0, 128)));
    p.setBrush(QColor(60, 90, 220));
    p.drawPolygon(PlayTriangle(2));
    p.drawRect(QRectF(12, 3, 2.5, 11));
}

void DrawAbout(QPainter& p) {
    QRadialGradient fill(QPointF(7, 6), 9);
    fill.setColorAt(0, QColor(110, 160, 255));
    fill.setColorAt(1, QColor(20, 60, 170));
    p.setPen(Outline(QColor(10, 40, 120)));
    p.setBrush(fill);
    p.drawEllipse(QPointF(8.5, 8.5), 7, 7);
    p.setPen(Outline(Qt::white, 1.8));
    p.setBrush(Qt::NoBrush);
    QPainterPath mark;
    mark.moveTo(6.2, 6.5);
    mark.cubicTo(QPointF(6.2, 3.6), QPointF(11, 3.6), QPointF(10.8, 6.3));
    mark.cubicTo(QPointF(10.7, 8), QPointF(8.5, 8), QPointF(8.5, 10.2));
    p.drawPath(mark);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8.5, 12.7), 1.1, 1.1);
}

Drawing DrawingOf(int id) {
    switch (id) {
    case ID_FILE_NEW:
        return DrawNew;
    case ID_FILE_OPEN:
        return DrawOpen;
    case ID_FILE_SAVE:
        return DrawSave;
    case ID_EDIT_CUT:
        return DrawCut;
    case ID_EDIT_COPY:
        return DrawCopy;
    case ID_EDIT_PASTE:
        return DrawPaste;
    case ID_EDIT_UNDO:
        return DrawUndo;
    case ID_EDIT_FIND:
        return DrawFind;
    case ID_FILE_PRINT:
        return DrawPrint;
    case ID_FUNC_DEFINITION:
        return DrawDefinition;
    case ID_FUNC_PROPERTIES:
        return DrawProperties;
    case ID_TRANSLATE:
        return DrawTranslate;
    case ID_RUN:
        return DrawRun;
    case ID_ABORT_RUN:
        return StopDrawing(QColor(210, 20, 20));
    case ID_DEBUG:
        return DrawDebug;
    case ID_ABORT_DEBUG:
        return StopDrawing(QColor(235, 140, 0));
    case ID_APP_ABOUT:
        return DrawAbout;
    default:
        return {};
    }
}

} // namespace

QIcon CommandIcon(int id) {
    Drawing drawing = DrawingOf(id);
    return drawing ? MakeIcon(std::move(drawing)) : QIcon();
}

namespace {

constexpr double kEmblemGrid = 128.0;

// Square brackets of a parallel list around the letter T, on a blue tile.
void DrawEmblem(QPainter& p) {
    QLinearGradient tile(QPointF(0, 0), QPointF(128, 128));
    tile.setColorAt(0, QColor(52, 110, 230));
    tile.setColorAt(1, QColor(16, 42, 120));
    p.setPen(QPen(QColor(10, 30, 90), 2));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(5, 5, 118, 118), 24, 24);

    QLinearGradient shine(QPointF(0, 5), QPointF(0, 64));
    shine.setColorAt(0, QColor(255, 255, 255, 70));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawRoundedRect(QRectF(8, 8, 112, 56), 21, 21);

    QPen bracket(QColor(255, 176, 40), 9);
    bracket.setJoinStyle(Qt::MiterJoin);
    bracket.setCapStyle(Qt::FlatCap);
    p.setPen(bracket);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(
        QPolygonF({QPointF(35, 28), QPointF(23, 28), QPointF(23, 100), QPointF(35, 100)}));
    p.drawPolyline(
        QPolygonF({QPointF(93, 28), QPointF(105, 28), QPointF(105, 100), QPointF(93, 100)}));

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRect(QRectF(41, 37, 50, 13));
    p.drawRect(QRectF(60, 50, 13, 47));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(39, 34, 50, 13));
    p.drawRect(QRectF(58, 47, 13, 47));
}

} // namespace

void PaintEmblem(QPainter& painter, double side) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(side / kEmblemGrid, side / kEmblemGrid);
    DrawEmblem(painter);
    painter.restore();
}

QIcon EmblemIcon() {
    return MakeIcon(DrawEmblem, kEmblemGrid);
}
