#pragma once
// The read-only view of an output channel. A run may write millions of characters, on one
// line or on a hundred thousand; a text document lays every line out as it arrives and
// froze the window for seconds. This view keeps the text in one UTF-16 buffer with the
// start of every shown line beside it, so that appending costs only the new text, and it
// lays out and paints only the lines in view. A line longer than kLineLimit is shown as
// several, cut after a blank or a comma near the limit where there is one, so that numbers
// and words stay whole; the text, its selection and a copy keep the line whole.

#include <QAbstractScrollArea>
#include <QString>

#include <cstddef>
#include <string_view>
#include <vector>

class COutputView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The longest line shown as one line.
    static constexpr int kLineLimit = 1000;

    explicit COutputView(QWidget* parent = nullptr);

    void Clear();
    // Text with "\n" line breaks, as Windows-1251 bytes or as UTF-16.
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
    // The characters of the longest shown line.
    qsizetype LongestLine() const { return m_longest; }
    // The shown line at a point of the viewport, -1 below the last, and the line's box there.
    int LineAt(const QPoint& point) const;
    QRect LineRect(int line) const;

    QString SelectedText() const;
    void SelectAll();
    void Copy() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void BreakLines();
    void UpdateScrollBars();
    qsizetype LineEnd(int line) const;
    int LineOf(qsizetype position) const;
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
    bool m_bFixedPitch = false; // every character of the font is as wide as a digit
};
