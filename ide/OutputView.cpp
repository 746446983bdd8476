#include "ide/OutputView.h"

#include "ide/TextCodec.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

// The space around the text, as a text document leaves it.
constexpr int kMargin = 4;
// A long line is cut after a blank or a comma among its last characters before the limit.
constexpr qsizetype kCutSearch = 64;
constexpr auto kLimit = static_cast<qsizetype>(COutputView::kLineLimit);

bool IsCutAfter(QChar c) {
    return c == u' ' || c == u',';
}

// UTF-16 of every Windows-1251 byte, so that program output converts in one pass.
const std::array<char16_t, 256>& Cp1251Table() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> made{};
        for (int byte = 0; byte < 256; ++byte) {
            const char c = static_cast<char>(byte);
            const QString one = FromCp1251(std::string_view(&c, 1));
            made[static_cast<std::size_t>(byte)] = one.isEmpty() ? u'?' : one.at(0).unicode();
        }
        return made;
    }();
    return table;
}

// Asked of the glyphs: the font's own flag is false for some fonts of one width.
bool IsFixedPitch(const QFontMetrics& metrics) {
    const int digit = metrics.horizontalAdvance(u'0');
    return std::all_of(std::begin(u"iW .,ж"), std::end(u"iW .,ж") - 1,
                       [&](char16_t c) { return metrics.horizontalAdvance(QChar(c)) == digit; });
}

bool IsWordCharacter(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

COutputView::COutputView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    m_bFixedPitch = IsFixedPitch(fontMetrics());
}

void COutputView::Clear() {
    m_text.clear();
    m_text.squeeze();
    m_starts.assign(1, 0);
    m_starts.shrink_to_fit();
    m_scanned = 0;
    m_longest = 0;
    m_breaks = 0;
    m_widest = 0;
    m_anchor = m_caret = 0;
    UpdateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

void COutputView::AppendCp1251(std::string_view bytes) {
    if (bytes.empty())
        return;
    const qsizetype size = m_text.size();
    const auto added = static_cast<qsizetype>(bytes.size());
    // Grown by half at least, so that many small pieces append in linear time.
    if (size + added > m_text.capacity())
        m_text.reserve(std::max(size + added, m_text.capacity() + m_text.capacity() / 2));
    m_text.resize(size + added);
    const std::array<char16_t, 256>& table = Cp1251Table();
    auto* out = reinterpret_cast<char16_t*>(m_text.data()) + size;
    for (const char c : bytes)
        *out++ = table[static_cast<unsigned char>(c)];
    BreakLines();
}

void COutputView::Append(QStringView text) {
    if (text.isEmpty())
        return;
    if (m_text.size() + text.size() > m_text.capacity())
        m_text.reserve(
            std::max(m_text.size() + text.size(), m_text.capacity() + m_text.capacity() / 2));
    m_text.append(text);
    BreakLines();
}

// Finds the new line breaks and cuts the lines that have grown over the limit; the open
// last line is cut only once it has more than the limit, so text arriving in pieces is cut
// as it would be in one.
void COutputView::BreakLines() {
    const qsizetype size = m_text.size();
    while (m_scanned < size) {
        const qsizetype lineFeed = m_text.indexOf(u'\n', m_scanned);
        const qsizetype end = lineFeed < 0 ? size : lineFeed;
        while (end - m_starts.back() > kLimit) {
            const qsizetype start = m_starts.back();
            qsizetype cut = start + kLimit;
            for (qsizetype i = cut; i > start + kLimit - kCutSearch; --i) {
                if (IsCutAfter(m_text.at(i - 1))) {
                    cut = i;
                    break;
                }
            }
            m_longest = std::max(m_longest, cut - start);
            m_starts.push_back(cut);
        }
        m_longest = std::max(m_longest, end - m_starts.back());
        if (lineFeed < 0) {
            m_scanned = size;
            break;
        }
        m_starts.push_back(lineFeed + 1);
        m_scanned = lineFeed + 1;
        ++m_breaks;
    }
    UpdateScrollBars();
    viewport()->update();
}

void COutputView::ScrollToEnd() {
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

qsizetype COutputView::LineEnd(int line) const {
    const auto next = static_cast<std::size_t>(line) + 1;
    if (next == m_starts.size())
        return m_text.size();
    const qsizetype end = m_starts[next];
    return m_text.at(end - 1) == u'\n' ? end - 1 : end;
}

QStringView COutputView::Line(int line) const {
    if (line < 0 || line >= LineCount())
        return {};
    const qsizetype start = m_starts[static_cast<std::size_t>(line)];
    return QStringView(m_text).mid(start, LineEnd(line) - start);
}

int COutputView::LineOf(qsizetype position) const {
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), position);
    return static_cast<int>(after - m_starts.begin()) - 1;
}

int COutputView::LineHeight() const {
    return std::max(1, fontMetrics().height());
}

int COutputView::VisibleLines() const {
    return std::max(1, (viewport()->height() - kMargin) / LineHeight());
}

QPointF COutputView::LineOrigin(int line) const {
    return {double(kMargin - horizontalScrollBar()->value()),
            double(kMargin + (line - verticalScrollBar()->value()) * LineHeight())};
}

int COutputView::LineAt(const QPoint& point) const {
    const int line = verticalScrollBar()->value() + (point.y() - kMargin) / LineHeight();
    return point.y() < kMargin || line >= LineCount() ? -1 : line;
}

QRect COutputView::LineRect(int line) const {
    const QPointF origin = LineOrigin(line);
    const int width = fontMetrics().horizontalAdvance(Line(line).toString());
    return {origin.toPoint(), QSize(std::max(1, width), LineHeight())};
}

// Lines are counted in the vertical bar as a text document's view counts them; the width
// is the longest line's at the width of a digit until wider lines have been painted.
void COutputView::UpdateScrollBars() {
    const int visible = VisibleLines();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, LineCount() - visible));
    vertical->setPageStep(visible);
    const qsizetype digits = m_longest * fontMetrics().horizontalAdvance(u'0');
    const auto width = static_cast<int>(std::min<qsizetype>(
        std::max<qsizetype>(digits, m_widest) + 2 * kMargin, std::numeric_limits<int>::max()));
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, width - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(fontMetrics().averageCharWidth() * 2);
}

void COutputView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const qsizetype selectFrom = std::min(m_anchor, m_caret);
    const qsizetype selectTo = std::max(m_anchor, m_caret);
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    QTextCharFormat selected;
    selected.setBackground(palette().brush(group, QPalette::Highlight));
    selected.setForeground(palette().brush(group, QPalette::HighlightedText));
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    const int first = verticalScrollBar()->value();
    const int last = std::min(LineCount(), first + viewport()->height() / LineHeight() + 2);
    // In a font of one width, only the columns in view are laid out (twice as many, in case
    // a letter comes from a narrower font), not the up to 1,000 of each line.
    const int column = fontMetrics().horizontalAdvance(u'0');
    const bool clip = m_bFixedPitch && column > 0;
    const qsizetype firstColumn =
        clip ? std::max(0, horizontalScrollBar()->value() / column - 1) : 0;
    const qsizetype columns = clip ? 2 * (viewport()->width() / column + 2) : kLimit;
    int widest = m_widest;
    for (int line = first; line < last; ++line) {
        qsizetype start = m_starts[static_cast<std::size_t>(line)];
        qsizetype end = LineEnd(line);
        QPointF origin = LineOrigin(line);
        // A tab's width depends on where it stands: such a line is laid out whole.
        if (clip && !QStringView(m_text).mid(start, end - start).contains(u'\t')) {
            const qsizetype skipped = std::min(firstColumn, end - start);
            start += skipped;
            end = std::min(end, start + columns);
            origin.rx() += double(skipped * column);
        }
        QTextLayout layout(m_text.mid(start, end - start), font(), viewport());
        layout.setTextOption(option);
        layout.beginLayout();
        const QTextLine shown = layout.createLine();
        layout.endLayout();
        QList<QTextLayout::FormatRange> selections;
        if (selectFrom < end && selectTo > start) {
            const qsizetype from = std::max(selectFrom, start);
            selections.append({int(from - start), int(std::min(selectTo, end) - from), selected});
        }
        layout.draw(&painter, origin, selections);
        widest = std::max(widest, static_cast<int>(std::ceil(origin.x() + shown.naturalTextWidth() -
                                                             LineOrigin(line).x())));
    }
    if (widest > m_widest) {
        m_widest = widest;
        UpdateScrollBars();
    }
}

void COutputView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void COutputView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_bFixedPitch = IsFixedPitch(fontMetrics());
        m_widest = 0;
        UpdateScrollBars();
        viewport()->update();
    }
}

void COutputView::scrollContentsBy(int, int) {
    viewport()->update();
}

qsizetype COutputView::PositionAt(const QPoint& point) const {
    if (LineCount() == 0)
        return 0;
    const int row = (point.y() - kMargin) / LineHeight() - (point.y() < kMargin ? 1 : 0);
    const int line = std::clamp(verticalScrollBar()->value() + row, 0, LineCount() - 1);
    const qsizetype start = m_starts[static_cast<std::size_t>(line)];
    QTextLayout layout(Line(line).toString(), font(), viewport());
    layout.beginLayout();
    const QTextLine shown = layout.createLine();
    layout.endLayout();
    return start + shown.xToCursor(point.x() - LineOrigin(line).x());
}

void COutputView::Select(qsizetype anchor, qsizetype caret) {
    m_anchor = anchor;
    m_caret = caret;
    viewport()->update();
}

QString COutputView::SelectedText() const {
    const qsizetype from = std::min(m_anchor, m_caret);
    return m_text.mid(from, std::max(m_anchor, m_caret) - from);
}

void COutputView::SelectAll() {
    Select(0, m_text.size());
}

void COutputView::Copy() const {
    if (m_anchor != m_caret)
        QApplication::clipboard()->setText(SelectedText());
}

namespace {

bool IsViewKey(QKeyEvent* event) {
    for (const auto key :
         {QKeySequence::Copy, QKeySequence::SelectAll, QKeySequence::MoveToStartOfDocument,
          QKeySequence::MoveToEndOfDocument}) {
        if (event->matches(key))
            return true;
    }
    return false;
}

} // namespace

// The keys the view handles itself are its own, not the window's shortcuts.
bool COutputView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && IsViewKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void COutputView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Copy) {
        Copy();
    } else if (event == QKeySequence::SelectAll) {
        SelectAll();
    } else if (event == QKeySequence::MoveToStartOfDocument) {
        verticalScrollBar()->setValue(0);
    } else if (event == QKeySequence::MoveToEndOfDocument) {
        ScrollToEnd();
    } else {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void COutputView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const qsizetype position = PositionAt(event->position().toPoint());
    Select(event->modifiers() & Qt::ShiftModifier ? m_anchor : position, position);
}

// Dragging past the top or bottom scrolls a line at a time.
void COutputView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint point = event->position().toPoint();
    if (point.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    Select(m_anchor, PositionAt(point));
}

void COutputView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const qsizetype position = PositionAt(event->position().toPoint());
    const int line = LineOf(position);
    const qsizetype start = m_starts[static_cast<std::size_t>(line)];
    const qsizetype end = LineEnd(line);
    qsizetype from = position;
    qsizetype to = position;
    while (from > start && IsWordCharacter(m_text.at(from - 1)))
        --from;
    while (to < end && IsWordCharacter(m_text.at(to)))
        ++to;
    Select(from, to);
}

void COutputView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("Копировать"), this, &COutputView::Copy)
        ->setEnabled(m_anchor != m_caret);
    menu.addAction(QStringLiteral("Выделить все"), this, &COutputView::SelectAll)
        ->setEnabled(!m_text.isEmpty());
    menu.exec(event->globalPos());
}
