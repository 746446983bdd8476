#pragma once
// The view of an output channel, which the user may also edit. A run may write millions of
// characters, on one line or on a hundred thousand; a text document lays every line out as
// it arrives and froze the window for seconds. This view keeps the text in one UTF-16
// buffer with the start of every shown line beside it, so that appending costs only the new
// text, and it lays out and paints only the lines in view. A line longer than kLineLimit is
// shown as several, cut after a blank or a comma near the limit where there is one, so that
// numbers and words stay whole; the text, its selection and a copy keep the line whole.
//
// An edit cuts again only the shown lines it touched, up to the next shown line it left
// alone, and moves the later line starts by the change: typing into a pane of millions of
// characters costs a move of the buffer, not a new scan of it. A shown line that ends where
// an unchanged one continues it may grow a little past the limit before it is cut again.

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QString>

#include <cstddef>
#include <deque>
#include <string_view>
#include <vector>

class COutputView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The longest line shown as one line.
    static constexpr int kLineLimit = 1000;

    explicit COutputView(QWidget* parent = nullptr);

    void Clear();
    // Text with "\n" line breaks, as Windows-1251 bytes or as UTF-16, added at the end
    // wherever the caret is.
    void AppendCp1251(std::string_view bytes);
    void Append(QStringView text);
    void ScrollToEnd();

    // The text, lines broken only where it has line breaks.
    const QString& Text() const { return m_text; }
    int LineCount() const { return static_cast<int>(m_starts.size()); }
    // The characters of the text, its line breaks left out.
    qsizetype Characters() const { return m_text.size() - m_breaks; }
    // A shown line (from 0), without its break.
    QStringView Line(int line) const;
    // The characters of the longest line shown since the view was cleared.
    qsizetype LongestLine() const { return m_longest; }
    // The shown line at a point of the viewport, -1 below the last, and the line's box there.
    int LineAt(const QPoint& point) const;
    QRect LineRect(int line) const;

    QString SelectedText() const;
    bool HasSelection() const { return m_anchor != m_caret; }
    void SelectAll();
    void Copy() const;
    // As the user edits: the selection goes, the caret follows the change.
    void Cut();
    void Paste();
    bool CanPaste() const;
    void Undo();
    bool CanUndo() const { return !m_undo.empty(); }

signals:
    // The user changed the text; output appended or a clear does not count.
    void Edited();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // One step the user can undo: the text removed at a position and the length put there,
    // and the selection before it.
    struct UndoStep {
        qsizetype at = 0;
        QString removed;
        qsizetype added = 0;
        qsizetype anchor = 0;
        qsizetype caret = 0;
        bool typed = false; // typing that the next typed character may join
    };

    void ReserveMore(qsizetype added);
    void CutLine(qsizetype& start, qsizetype end, qsizetype limit, std::vector<qsizetype>& starts);
    void BreakLines();
    void Replace(qsizetype from, qsizetype to, QStringView text);
    void Edit(qsizetype from, qsizetype to, QStringView text, bool typed = false);
    void ReplaceSelection(QStringView text, bool typed = false);
    void MoveCaret(qsizetype position, bool extend, bool keepColumn = false);
    qsizetype CharMove(bool forward) const;
    qsizetype WordMove(bool forward) const;
    qsizetype LineMove(int lines) const;
    void EnsureCaretVisible();
    void RestartBlink();
    void DragScroll();
    void UpdateScrollBars();
    qsizetype LineEnd(int line) const;
    int LineOf(qsizetype position) const;
    qreal CaretX(int line, qsizetype position) const;
    qsizetype PositionInLine(int line, qreal x) const;
    qsizetype PositionAt(const QPoint& point) const;
    void Select(qsizetype anchor, qsizetype caret);
    int LineHeight() const;
    int VisibleLines() const;
    QPointF LineOrigin(int line) const;

    QString m_text;
    // The start of every shown line in m_text; the last line is still open.
    std::vector<qsizetype> m_starts{0};
    qsizetype m_scanned = 0; // m_text is cut into lines up to here
    qsizetype m_longest = 0;
    qsizetype m_breaks = 0; // line breaks in m_text
    int m_widest = 0;       // pixels of the widest line painted so far
    qsizetype m_anchor = 0;
    qsizetype m_caret = 0;
    qreal m_goalX = -1;         // where moving up and down keeps the caret; -1: at the caret
    bool m_bFixedPitch = false; // every character of the font is as wide as a digit
    bool m_bCaretShown = false;
    bool m_bDragging = false;
    QPoint m_dragPoint; // the mouse while a selection is dragged
    QBasicTimer m_blink;
    QBasicTimer m_dragScroll;
    std::deque<UndoStep> m_undo;
};
