// The editor's marks and its gutter: the current line, matching brackets, the line of a
// translation error, the line a debug session stands at, and the line numbers.

#include "ide/BracketMatch.h"
#include "ide/EditorColours.h"
#include "ide/LineNumberArea.h"
#include "ide/SyntaxHighlighter.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"

#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>

namespace {

// The extra selections carry their kind, so that the marks can be read back.
constexpr int kMarkProperty = QTextFormat::UserProperty + 1;
constexpr int kGutterPadding = 4;
constexpr int kMarkerWidth = 12;

} // namespace

void CTirvaneIDEView::GoToLine(int line) {
    PlaceCaretOnLine(line);
    centerCursor();
    setFocus(Qt::OtherFocusReason);
}

void CTirvaneIDEView::PlaceCaretOnLine(int line) {
    const int last = document()->blockCount();
    const QTextBlock block = document()->findBlockByNumber(std::clamp(line, 1, last) - 1);
    setTextCursor(QTextCursor(block));
    ensureCursorVisible();
}

QRect CTirvaneIDEView::LineRect(int line) const {
    const QTextBlock block = document()->findBlockByNumber(line - 1);
    if (!block.isValid())
        return {};
    return blockBoundingGeometry(block).translated(contentOffset()).toAlignedRect();
}

void CTirvaneIDEView::ShowLine(int line) {
    const QRect box = LineRect(line);
    if (box.isNull() || (box.top() >= 0 && box.bottom() < viewport()->height()))
        return;
    // Scroll by lines, so that the line stands a third down the window.
    const int visible = std::max(1, viewport()->height() / std::max(1, box.height()));
    verticalScrollBar()->setValue(std::max(0, line - 1 - visible / 3));
}

QTextEdit::ExtraSelection CTirvaneIDEView::LineSelection(int line, const QColor& colour,
                                                         LineMark kind) const {
    QTextEdit::ExtraSelection selection;
    selection.format.setBackground(colour);
    selection.format.setProperty(QTextFormat::FullWidthSelection, true);
    selection.format.setProperty(kMarkProperty, int(kind));
    selection.cursor = QTextCursor(document()->findBlockByNumber(line - 1));
    return selection;
}

void CTirvaneIDEView::AddBracketMarks(QList<QTextEdit::ExtraSelection>* selections) const {
    const std::optional<BracketMatch> match = MatchBracketAt(document(), textCursor().position());
    if (!match)
        return;
    const EditorColours colours = EditorColoursFor(palette());
    for (int position : {match->position, match->partner}) {
        if (position < 0)
            continue;
        QTextEdit::ExtraSelection selection;
        selection.format.setBackground(match->matches ? colours.bracketMatch
                                                      : colours.bracketMismatch);
        selection.format.setProperty(kMarkProperty, int(LineMark::Bracket));
        selection.cursor = QTextCursor(document());
        selection.cursor.setPosition(position);
        selection.cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
        selections->append(selection);
    }
}

// Later selections paint over earlier ones: the debug line wins over the error line, and
// both over the current line.
void CTirvaneIDEView::RefreshMarks() {
    const EditorColours colours = EditorColoursFor(palette());
    QList<QTextEdit::ExtraSelection> selections;
    selections.append(
        LineSelection(textCursor().blockNumber() + 1, colours.currentLine, LineMark::Current));
    if (const int line = m_pDoc->ErrorLine(); line > 0)
        selections.append(LineSelection(line, colours.errorLine, LineMark::Error));
    if (const int line = m_pDoc->StepLine(); line > 0 && line <= blockCount())
        selections.append(LineSelection(line, colours.stepLine, LineMark::Step));
    AddBracketMarks(&selections);
    setExtraSelections(selections);
    if (m_pGutter != nullptr)
        m_pGutter->update();
}

QList<int> CTirvaneIDEView::Marked(LineMark kind) const {
    QList<int> marked;
    for (const QTextEdit::ExtraSelection& selection : extraSelections()) {
        if (selection.format.property(kMarkProperty).toInt() != int(kind))
            continue;
        if (kind == LineMark::Bracket)
            marked.append(selection.cursor.selectionStart());
        else
            marked.append(selection.cursor.blockNumber() + 1);
    }
    return marked;
}

int CTirvaneIDEView::GutterWidth() const {
    const int digits = int(QString::number(std::max(1, blockCount())).size());
    return kGutterPadding * 2 + kMarkerWidth +
           fontMetrics().horizontalAdvance(u'9') * std::max(digits, 2);
}

void CTirvaneIDEView::UpdateGutterWidth() {
    setViewportMargins(GutterWidth(), 0, 0, 0);
}

void CTirvaneIDEView::UpdateGutter(const QRect& rect, int dy) {
    if (dy != 0)
        m_pGutter->scroll(0, dy);
    else
        m_pGutter->update(0, rect.y(), m_pGutter->width(), rect.height());
    if (rect.contains(viewport()->rect()))
        UpdateGutterWidth();
}

void CTirvaneIDEView::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    m_pGutter->setGeometry(area.left(), area.top(), GutterWidth(), area.height());
}

// A new desktop theme brings the other colour set.
void CTirvaneIDEView::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        m_pDoc->Highlighter()->SetColours(EditorColoursFor(palette()));
        RefreshMarks();
    }
}

int CTirvaneIDEView::LineAtGutterY(int y) const {
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(contentOffset());
        if (box.top() > y)
            break;
        if (y < box.bottom())
            return block.blockNumber() + 1;
    }
    return 0;
}

namespace {

void PaintStepArrow(QPainter& painter, const QRectF& box, const QColor& colour) {
    const qreal h = std::min(box.height() - 4, qreal(kMarkerWidth - 2));
    const QPointF tip(box.left() + kGutterPadding + h * 0.8, box.center().y());
    QPainterPath arrow;
    arrow.moveTo(tip.x() - h * 0.8, tip.y() - h / 2);
    arrow.lineTo(tip);
    arrow.lineTo(tip.x() - h * 0.8, tip.y() + h / 2);
    arrow.closeSubpath();
    painter.fillPath(arrow, colour);
}

void PaintErrorDot(QPainter& painter, const QRectF& box, const QColor& colour) {
    const qreal d = std::min(box.height() - 6, qreal(kMarkerWidth - 4));
    painter.setBrush(colour);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(box.left() + kGutterPadding, box.center().y() - d / 2, d, d));
}

} // namespace

void CTirvaneIDEView::PaintGutter(QWidget* gutter, const QRect& rect) {
    const EditorColours colours = EditorColoursFor(palette());
    QPainter painter(gutter);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect, colours.gutterBackground);
    painter.setFont(font());
    const int current = textCursor().blockNumber() + 1;
    const int width = gutter->width() - kGutterPadding;
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(contentOffset());
        if (box.top() > rect.bottom())
            break;
        if (!block.isVisible() || box.bottom() < rect.top())
            continue;
        const int line = block.blockNumber() + 1;
        const QRectF row(0, box.top(), gutter->width(), box.height());
        if (line == m_pDoc->ErrorLine())
            PaintErrorDot(painter, row, colours.errorMarker);
        if (line == m_pDoc->StepLine())
            PaintStepArrow(painter, row, colours.stepMarker);
        painter.setPen(line == current ? colours.gutterCurrentText : colours.gutterText);
        painter.drawText(QRectF(0, box.top(), width, box.height()),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(line));
    }
}
