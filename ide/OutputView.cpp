#include "ide/OutputView.h"

#include "ide/TextCodec.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
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
// An edited line that an unchanged shown line continues is cut again only past this, so
// that typing into a full line does not push its last characters onto a line of their own.
constexpr qsizetype kEditedLimit = kLimit + kCutSearch;
constexpr std::size_t kUndoSteps = 100;
constexpr int kDragScrollMs = 40;

bool IsCutAfter(QChar c) {
    return c == u' ' || c == u',';
}

// Where a shown line from start that is longer than the limit ends.
qsizetype CutOf(const QString& text, qsizetype start) {
    for (qsizetype i = start + kLimit; i > start + kLimit - kCutSearch; --i) {
        if (IsCutAfter(text.at(i - 1)))
            return i;
    }
    return start + kLimit;
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

// The view keeps "\n" breaks only.
QString WithPlainBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (QChar& c : text) {
        if (c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
    }
    return text;
}

// What a key does in the view.
enum class Key {
    None,
    PreviousChar,
    NextChar,
    PreviousWord,
    NextWord,
    PreviousLine,
    NextLine,
    LineStart,
    LineEnd,
    Start,
    End,
    PreviousPage,
    NextPage,
    Undo,
    Cut,
    Copy,
    Paste,
    SelectAll,
    DeleteBack,
    DeleteForward,
    DeleteWordBack,
    DeleteWordForward,
    NewLine,
    Tab,
    Text,
};

struct KeyMeaning {
    Key key = Key::None;
    bool extend = false; // a move that extends the selection
};

KeyMeaning Meaning(QKeyEvent* event) {
    using S = QKeySequence;
    static constexpr struct {
        S::StandardKey sequence;
        Key key;
        bool extend;
    } kBindings[] = {
        {S::MoveToPreviousChar, Key::PreviousChar, false},
        {S::SelectPreviousChar, Key::PreviousChar, true},
        {S::MoveToNextChar, Key::NextChar, false},
        {S::SelectNextChar, Key::NextChar, true},
        {S::MoveToPreviousWord, Key::PreviousWord, false},
        {S::SelectPreviousWord, Key::PreviousWord, true},
        {S::MoveToNextWord, Key::NextWord, false},
        {S::SelectNextWord, Key::NextWord, true},
        {S::MoveToPreviousLine, Key::PreviousLine, false},
        {S::SelectPreviousLine, Key::PreviousLine, true},
        {S::MoveToNextLine, Key::NextLine, false},
        {S::SelectNextLine, Key::NextLine, true},
        {S::MoveToStartOfLine, Key::LineStart, false},
        {S::SelectStartOfLine, Key::LineStart, true},
        {S::MoveToEndOfLine, Key::LineEnd, false},
        {S::SelectEndOfLine, Key::LineEnd, true},
        {S::MoveToStartOfDocument, Key::Start, false},
        {S::SelectStartOfDocument, Key::Start, true},
        {S::MoveToEndOfDocument, Key::End, false},
        {S::SelectEndOfDocument, Key::End, true},
        {S::MoveToPreviousPage, Key::PreviousPage, false},
        {S::SelectPreviousPage, Key::PreviousPage, true},
        {S::MoveToNextPage, Key::NextPage, false},
        {S::SelectNextPage, Key::NextPage, true},
        {S::Undo, Key::Undo, false},
        {S::Cut, Key::Cut, false},
        {S::Copy, Key::Copy, false},
        {S::Paste, Key::Paste, false},
        {S::SelectAll, Key::SelectAll, false},
        {S::DeleteStartOfWord, Key::DeleteWordBack, false},
        {S::DeleteEndOfWord, Key::DeleteWordForward, false},
    };
    for (const auto& binding : kBindings) {
        if (event->matches(binding.sequence))
            return {binding.key, binding.extend};
    }
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
    switch (event->key()) {
    case Qt::Key_Insert:
        if (modifiers == Qt::ShiftModifier)
            return {Key::Paste};
        return {modifiers == Qt::ControlModifier ? Key::Copy : Key::None};
    case Qt::Key_Delete:
        if (modifiers == Qt::ShiftModifier)
            return {Key::Cut};
        return {modifiers == Qt::NoModifier ? Key::DeleteForward : Key::None};
    case Qt::Key_Backspace:
        return {(modifiers & ~Qt::ShiftModifier) == Qt::NoModifier ? Key::DeleteBack : Key::None};
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return {(modifiers & ~Qt::ShiftModifier) == Qt::NoModifier ? Key::NewLine : Key::None};
    case Qt::Key_Tab:
        return {modifiers == Qt::NoModifier ? Key::Tab : Key::None};
    default:
        break;
    }
    const QString text = event->text();
    const bool printable = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.category() != QChar::Other_Control;
    });
    // A letter with Alt is a menu's; Ctrl with Alt is AltGr on some keyboards, which types.
    const Qt::KeyboardModifiers held = modifiers & ~Qt::ShiftModifier;
    const bool typed = held == Qt::NoModifier || held == (Qt::ControlModifier | Qt::AltModifier);
    return {printable && typed ? Key::Text : Key::None};
}

} // namespace

COutputView::COutputView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
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
    m_goalX = -1;
    m_undo.clear();
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
    ReserveMore(added);
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
    ReserveMore(text.size());
    m_text.append(text);
    BreakLines();
}

// Grown by half at least, so that many small pieces append in linear time.
void COutputView::ReserveMore(qsizetype added) {
    const qsizetype needed = m_text.size() + added;
    if (needed > m_text.capacity())
        m_text.reserve(std::max(needed, m_text.capacity() + m_text.capacity() / 2));
}

// Cuts the line from start as long as more than limit characters are left before end,
// adding each cut to starts; start is left on the last piece.
void COutputView::CutLine(qsizetype& start, qsizetype end, qsizetype limit,
                          std::vector<qsizetype>& starts) {
    while (end - start > limit) {
        const qsizetype cut = CutOf(m_text, start);
        m_longest = std::max(m_longest, cut - start);
        starts.push_back(start = cut);
    }
    m_longest = std::max(m_longest, end - start);
}

// Finds the new line breaks and cuts the lines that have grown over the limit; the open
// last line is cut only once it has more than the limit, so text arriving in pieces is cut
// as it would be in one.
void COutputView::BreakLines() {
    const qsizetype size = m_text.size();
    while (m_scanned < size) {
        const qsizetype lineFeed = m_text.indexOf(u'\n', m_scanned);
        qsizetype start = m_starts.back();
        CutLine(start, lineFeed < 0 ? size : lineFeed, kLimit, m_starts);
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

// Puts text in place of [from, to) and cuts into lines again only from the shown line of
// from up to the first shown line that starts after to, whose start and everything after
// it stay as they were, moved by the change.
void COutputView::Replace(qsizetype from, qsizetype to, QStringView text) {
    const qsizetype delta = text.size() - (to - from);
    m_breaks += text.count(u'\n') - QStringView(m_text).mid(from, to - from).count(u'\n');
    const int first = LineOf(from);
    const auto kept = std::upper_bound(m_starts.begin() + first + 1, m_starts.end(), to);
    const auto keptIndex = kept - m_starts.begin();
    m_text.replace(from, to - from, text.data(), text.size());
    if (kept == m_starts.end()) {
        // The edit reaches the open last line, which is cut as appended text is.
        m_starts.resize(static_cast<std::size_t>(first) + 1);
        m_scanned = m_starts.back();
        m_breaks -= QStringView(m_text).mid(m_scanned).count(u'\n');
        BreakLines();
        return;
    }
    const qsizetype bound = *kept + delta;
    std::vector<qsizetype> fresh;
    qsizetype start = m_starts[static_cast<std::size_t>(first)];
    for (;;) {
        const qsizetype found = QStringView(m_text).mid(start, bound - start).indexOf(u'\n');
        const qsizetype end = found < 0 ? bound : start + found;
        CutLine(start, end, found < 0 ? kEditedLimit : kLimit, fresh);
        if (found < 0 || end + 1 == bound)
            break;
        fresh.push_back(start = end + 1);
    }
    for (auto line = static_cast<std::size_t>(keptIndex); line < m_starts.size(); ++line)
        m_starts[line] += delta;
    m_starts.erase(m_starts.begin() + first + 1, m_starts.begin() + keptIndex);
    m_starts.insert(m_starts.begin() + first + 1, fresh.begin(), fresh.end());
    m_scanned += delta;
    UpdateScrollBars();
    viewport()->update();
}

// Puts text in place of [from, to) as the user's edit, which can be undone; typing joins
// the step of the characters typed just before.
void COutputView::Edit(qsizetype from, qsizetype to, QStringView text, bool typed) {
    if (from == to && text.isEmpty())
        return;
    UndoStep* last = m_undo.empty() ? nullptr : &m_undo.back();
    if (typed && from == to && last != nullptr && last->typed && last->at + last->added == from) {
        last->added += text.size();
    } else {
        m_undo.push_back(
            {from, m_text.mid(from, to - from), text.size(), m_anchor, m_caret, typed});
        if (m_undo.size() > kUndoSteps)
            m_undo.pop_front();
    }
    Replace(from, to, text);
    MoveCaret(from + text.size(), false);
    emit Edited();
}

void COutputView::ReplaceSelection(QStringView text, bool typed) {
    Edit(std::min(m_anchor, m_caret), std::max(m_anchor, m_caret), text, typed);
}

void COutputView::Undo() {
    if (m_undo.empty())
        return;
    const UndoStep step = std::move(m_undo.back());
    m_undo.pop_back();
    Replace(step.at, step.at + step.added, step.removed);
    m_anchor = step.anchor;
    MoveCaret(step.caret, true);
    emit Edited();
}

void COutputView::Cut() {
    if (!HasSelection())
        return;
    Copy();
    ReplaceSelection({});
}

void COutputView::Paste() {
    const QString text = QApplication::clipboard()->text();
    if (!text.isEmpty())
        ReplaceSelection(WithPlainBreaks(text));
}

bool COutputView::CanPaste() const {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data != nullptr && data->hasText();
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

void COutputView::paintEvent(QPaintEvent* event) {
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
    // Only the lines the update needs: a blink of the caret repaints one.
    const QRect area = event->rect();
    const int top = verticalScrollBar()->value();
    const int first = top + std::max(0, (area.top() - kMargin) / LineHeight());
    const int last = std::min(LineCount(), top + (area.bottom() - kMargin) / LineHeight() + 2);
    const int caretLine = m_bCaretShown ? LineOf(m_caret) : -1;
    // In a font of one width, only the columns in view are laid out (twice as many, in case
    // a letter comes from a narrower font), not the up to 1,000 of each line.
    const int column = fontMetrics().horizontalAdvance(u'0');
    const bool clip = m_bFixedPitch && column > 0;
    const qsizetype firstColumn =
        clip ? std::max(0, horizontalScrollBar()->value() / column - 1) : 0;
    const qsizetype columns = clip ? 2 * (viewport()->width() / column + 2) : kEditedLimit;
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
        if (line == caretLine && m_caret >= start && m_caret <= end)
            layout.drawCursor(&painter, origin, int(m_caret - start), 1);
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

void COutputView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    RestartBlink();
    viewport()->update();
}

void COutputView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    m_blink.stop();
    m_bCaretShown = false;
    viewport()->update();
}

// The caret shows at once after each move and edit, then blinks.
void COutputView::RestartBlink() {
    if (!hasFocus())
        return;
    m_bCaretShown = true;
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0)
        m_blink.start(flash / 2, this);
    else
        m_blink.stop();
    viewport()->update();
}

void COutputView::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_blink.timerId()) {
        m_bCaretShown = !m_bCaretShown;
        const QPointF origin = LineOrigin(LineOf(m_caret));
        viewport()->update(QRect(0, int(origin.y()), viewport()->width(), LineHeight()));
    } else if (event->timerId() == m_dragScroll.timerId()) {
        DragScroll();
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

// The caret's distance from the start of its shown line, in pixels.
qreal COutputView::CaretX(int line, qsizetype position) const {
    QTextLayout layout(Line(line).toString(), font(), viewport());
    layout.beginLayout();
    const QTextLine shown = layout.createLine();
    layout.endLayout();
    return shown.cursorToX(int(position - m_starts[static_cast<std::size_t>(line)]));
}

qsizetype COutputView::PositionInLine(int line, qreal x) const {
    QTextLayout layout(Line(line).toString(), font(), viewport());
    layout.beginLayout();
    const QTextLine shown = layout.createLine();
    layout.endLayout();
    return m_starts[static_cast<std::size_t>(line)] + shown.xToCursor(x);
}

qsizetype COutputView::PositionAt(const QPoint& point) const {
    const int row = (point.y() - kMargin) / LineHeight() - (point.y() < kMargin ? 1 : 0);
    const int line = std::clamp(verticalScrollBar()->value() + row, 0, LineCount() - 1);
    return PositionInLine(line, point.x() - LineOrigin(line).x());
}

void COutputView::Select(qsizetype anchor, qsizetype caret) {
    m_anchor = anchor;
    m_caret = caret;
    RestartBlink();
    viewport()->update();
}

void COutputView::MoveCaret(qsizetype position, bool extend, bool keepColumn) {
    if (!keepColumn)
        m_goalX = -1;
    Select(extend ? m_anchor : position, position);
    EnsureCaretVisible();
}

void COutputView::EnsureCaretVisible() {
    const int line = LineOf(m_caret);
    QScrollBar* vertical = verticalScrollBar();
    if (line < vertical->value())
        vertical->setValue(line);
    else if (line >= vertical->value() + VisibleLines())
        vertical->setValue(line - VisibleLines() + 1);
    const int x = static_cast<int>(std::ceil(CaretX(line, m_caret)));
    if (x > m_widest) {
        m_widest = x;
        UpdateScrollBars();
    }
    QScrollBar* horizontal = horizontalScrollBar();
    const int width = std::max(1, viewport()->width() - 2 * kMargin);
    if (x < horizontal->value())
        horizontal->setValue(x - width / 4);
    else if (x > horizontal->value() + width)
        horizontal->setValue(x - width + width / 4);
}

// The position the caret reaches over lines shown lines, at the column it keeps.
qsizetype COutputView::LineMove(int lines) const {
    const int line = LineOf(m_caret);
    const int target = std::clamp(line + lines, 0, LineCount() - 1);
    return PositionInLine(target, m_goalX >= 0 ? m_goalX : CaretX(line, m_caret));
}

qsizetype COutputView::WordMove(bool forward) const {
    qsizetype position = m_caret;
    const qsizetype size = m_text.size();
    if (forward) {
        while (position < size && IsWordCharacter(m_text.at(position)))
            ++position;
        while (position < size && !IsWordCharacter(m_text.at(position)))
            ++position;
    } else {
        while (position > 0 && !IsWordCharacter(m_text.at(position - 1)))
            --position;
        while (position > 0 && IsWordCharacter(m_text.at(position - 1)))
            --position;
    }
    return position;
}

qsizetype COutputView::CharMove(bool forward) const {
    if (forward) {
        if (m_caret >= m_text.size())
            return m_caret;
        const bool pair = m_text.at(m_caret).isHighSurrogate() && m_caret + 1 < m_text.size();
        return m_caret + (pair ? 2 : 1);
    }
    if (m_caret == 0)
        return 0;
    const bool pair = m_text.at(m_caret - 1).isLowSurrogate() && m_caret > 1;
    return m_caret - (pair ? 2 : 1);
}

QString COutputView::SelectedText() const {
    const qsizetype from = std::min(m_anchor, m_caret);
    return m_text.mid(from, std::max(m_anchor, m_caret) - from);
}

void COutputView::SelectAll() {
    Select(0, m_text.size());
}

void COutputView::Copy() const {
    if (HasSelection())
        QApplication::clipboard()->setText(SelectedText());
}

// The keys the view handles itself are its own, not the window's shortcuts, and Tab is a
// character here, not a move to the next control.
bool COutputView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        Meaning(static_cast<QKeyEvent*>(event)).key != Key::None) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress &&
        Meaning(static_cast<QKeyEvent*>(event)).key == Key::Tab) {
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void COutputView::keyPressEvent(QKeyEvent* event) {
    const KeyMeaning meaning = Meaning(event);
    const qsizetype selectFrom = std::min(m_anchor, m_caret);
    const qsizetype selectTo = std::max(m_anchor, m_caret);
    const bool extend = meaning.extend;
    switch (meaning.key) {
    case Key::None:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    case Key::PreviousChar:
        MoveCaret(HasSelection() && !extend ? selectFrom : CharMove(false), extend);
        break;
    case Key::NextChar:
        MoveCaret(HasSelection() && !extend ? selectTo : CharMove(true), extend);
        break;
    case Key::PreviousWord:
        MoveCaret(WordMove(false), extend);
        break;
    case Key::NextWord:
        MoveCaret(WordMove(true), extend);
        break;
    case Key::PreviousLine:
    case Key::NextLine:
    case Key::PreviousPage:
    case Key::NextPage: {
        const bool page = meaning.key == Key::PreviousPage || meaning.key == Key::NextPage;
        const bool back = meaning.key == Key::PreviousLine || meaning.key == Key::PreviousPage;
        const int lines = (page ? VisibleLines() : 1) * (back ? -1 : 1);
        if (m_goalX < 0)
            m_goalX = CaretX(LineOf(m_caret), m_caret);
        if (page)
            verticalScrollBar()->setValue(verticalScrollBar()->value() + lines);
        MoveCaret(LineMove(lines), extend, true);
        break;
    }
    case Key::LineStart:
        MoveCaret(m_starts[static_cast<std::size_t>(LineOf(m_caret))], extend);
        break;
    case Key::LineEnd:
        MoveCaret(LineEnd(LineOf(m_caret)), extend);
        break;
    case Key::Start:
        MoveCaret(0, extend);
        break;
    case Key::End:
        MoveCaret(m_text.size(), extend);
        break;
    case Key::Undo:
        Undo();
        break;
    case Key::Cut:
        Cut();
        break;
    case Key::Copy:
        Copy();
        break;
    case Key::Paste:
        Paste();
        break;
    case Key::SelectAll:
        SelectAll();
        break;
    case Key::DeleteBack:
    case Key::DeleteForward:
    case Key::DeleteWordBack:
    case Key::DeleteWordForward:
        if (HasSelection()) {
            ReplaceSelection({});
        } else if (meaning.key == Key::DeleteBack || meaning.key == Key::DeleteWordBack) {
            Edit(meaning.key == Key::DeleteBack ? CharMove(false) : WordMove(false), m_caret, {});
        } else {
            Edit(m_caret, meaning.key == Key::DeleteForward ? CharMove(true) : WordMove(true), {});
        }
        break;
    case Key::NewLine:
        ReplaceSelection(u"\n");
        break;
    case Key::Tab:
        ReplaceSelection(u"\t", true);
        break;
    case Key::Text:
        ReplaceSelection(event->text(), true);
        break;
    }
    event->accept();
}

// A composed text goes in as typed text; what is being composed is not shown in the view.
void COutputView::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty())
        ReplaceSelection(WithPlainBreaks(event->commitString()), true);
    event->accept();
}

QVariant COutputView::inputMethodQuery(Qt::InputMethodQuery query) const {
    const int line = LineOf(m_caret);
    const qsizetype start = m_starts[static_cast<std::size_t>(line)];
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    case Qt::ImCursorRectangle: {
        const QPointF origin = LineOrigin(line) + QPointF(CaretX(line, m_caret), 0);
        return QRectF(origin, QSizeF(1, LineHeight())).translated(viewport()->pos());
    }
    case Qt::ImSurroundingText:
        return Line(line).toString();
    case Qt::ImCursorPosition:
        return int(m_caret - start);
    case Qt::ImAnchorPosition:
        return int(std::clamp(m_anchor - start, qsizetype(0), Line(line).size()));
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void COutputView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const qsizetype position = PositionAt(event->position().toPoint());
    m_goalX = -1;
    m_bDragging = true;
    Select(event->modifiers() & Qt::ShiftModifier ? m_anchor : position, position);
}

// Past an edge of the view, the drag goes on with a timer that scrolls towards the mouse,
// as long as the button is held, even when the mouse stands still.
void COutputView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_bDragging || !(event->buttons() & Qt::LeftButton))
        return;
    m_dragPoint = event->position().toPoint();
    if (viewport()->rect().contains(m_dragPoint))
        m_dragScroll.stop();
    else if (!m_dragScroll.isActive())
        m_dragScroll.start(kDragScrollMs, this);
    Select(m_anchor, PositionAt(m_dragPoint));
}

void COutputView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_bDragging = false;
    m_dragScroll.stop();
}

// A line further for each line's height the mouse is beyond the top or the bottom, and a
// few characters' width at a time beyond the sides.
void COutputView::DragScroll() {
    const QRect area = viewport()->rect();
    QScrollBar* vertical = verticalScrollBar();
    if (m_dragPoint.y() < area.top())
        vertical->setValue(vertical->value() - 1 - (area.top() - m_dragPoint.y()) / LineHeight());
    else if (m_dragPoint.y() > area.bottom())
        vertical->setValue(vertical->value() + 1 +
                           (m_dragPoint.y() - area.bottom()) / LineHeight());
    QScrollBar* horizontal = horizontalScrollBar();
    const int step = horizontal->singleStep();
    if (m_dragPoint.x() < area.left())
        horizontal->setValue(horizontal->value() - std::max(step, area.left() - m_dragPoint.x()));
    else if (m_dragPoint.x() > area.right())
        horizontal->setValue(horizontal->value() + std::max(step, m_dragPoint.x() - area.right()));
    Select(m_anchor, PositionAt(m_dragPoint));
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
    menu.setObjectName(QStringLiteral("OutputContextMenu"));
    menu.addAction(QStringLiteral("Отменить"), this, &COutputView::Undo)->setEnabled(CanUndo());
    menu.addSeparator();
    menu.addAction(QStringLiteral("Вырезать"), this, &COutputView::Cut)->setEnabled(HasSelection());
    menu.addAction(QStringLiteral("Копировать"), this, &COutputView::Copy)
        ->setEnabled(HasSelection());
    menu.addAction(QStringLiteral("Вставить"), this, &COutputView::Paste)->setEnabled(CanPaste());
    menu.addAction(QStringLiteral("Удалить"), this, [this] { ReplaceSelection({}); })
        ->setEnabled(HasSelection());
    menu.addSeparator();
    menu.addAction(QStringLiteral("Выделить все"), this, &COutputView::SelectAll)
        ->setEnabled(!m_text.isEmpty());
    menu.exec(event->globalPos());
}
