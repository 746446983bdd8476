#include "ide/OutputPane.h"

#include "ide/QueuedCall.h"
#include "ide/TextCodec.h"

#include <QAbstractUndoItem>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>

#include <algorithm>
#include <thread>
#include <vector>

namespace {

// The user state of a block that continues the line of the block before it.
constexpr int kContinuation = 1;
// How long one slice of queued text may keep the GUI thread, and how much text it converts
// at a time before it looks at the clock again.
constexpr qint64 kSliceMs = 12;
constexpr std::size_t kChunkBytes = 32 * 1024;
// The most memory a shown backlog lends to the queue.
constexpr std::size_t kSpareBytes = 1024 * 1024;
// A worker's text is shown at most this often: each showing lays out the pane's last
// lines again, and many small ones cost more than the text itself.
constexpr int kShowIntervalMs = 20;
// A long line is cut after a blank or a comma among its last characters before the limit,
// so that numbers and words stay whole, or else at the limit.
constexpr std::size_t kCutSearch = 64;
constexpr auto kLimit = static_cast<std::size_t>(COutputPane::kShownLineLength);

template <typename Char> bool IsCutAfter(Char c) {
    return c == ' ' || c == ',';
}

// Where line is best cut within its first room characters; 0: nowhere near the limit.
template <typename Char> std::size_t FindCut(std::basic_string_view<Char> line, std::size_t room) {
    const std::size_t floor = room > kCutSearch ? room - kCutSearch : 0;
    for (std::size_t i = std::min(room, line.size()); i > floor; --i) {
        if (IsCutAfter(line[i - 1]))
            return i;
    }
    return 0;
}

// Text as the widget shows it: lines with only "\n" breaks, those longer than the limit cut
// into several. lineLength is the length of the widget's line the text continues, before
// and after. Program output arrives as code page bytes, pasted text as UTF-16.
template <typename Char> struct ShownText {
    std::basic_string<Char> text;
    std::vector<bool> softBreaks; // per break in text: true where a long line was cut
};

template <typename Char>
ShownText<Char> CutLongLines(std::basic_string_view<Char> text, std::size_t& lineLength,
                             bool cutFirst) {
    ShownText<Char> shown;
    shown.text.reserve(text.size() + text.size() / kLimit + 2);
    if (cutFirst) {
        shown.text += Char('\n');
        shown.softBreaks.push_back(true);
        lineLength = 0;
    }
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t lineFeed = text.find(Char('\n'), pos);
        const std::size_t end = lineFeed == text.npos ? text.size() : lineFeed;
        while (lineLength + (end - pos) > kLimit) {
            const std::size_t room = lineLength < kLimit ? kLimit - lineLength : 0;
            std::size_t cut = room == 0 ? 0 : FindCut(text.substr(pos, end - pos), room);
            if (cut == 0)
                cut = room;
            shown.text.append(text.substr(pos, cut));
            shown.text += Char('\n');
            shown.softBreaks.push_back(true);
            pos += cut;
            lineLength = 0;
        }
        shown.text.append(text.substr(pos, end - pos));
        lineLength += end - pos;
        pos = end;
        if (lineFeed != text.npos) {
            shown.text += Char('\n');
            shown.softBreaks.push_back(false);
            lineLength = 0;
            ++pos;
        }
    }
    return shown;
}

// Marks the blocks after the soft breaks, from the block where the text went in; returns
// the numbers of the marked blocks.
std::vector<int> MarkContinuations(QTextBlock block, const std::vector<bool>& softBreaks) {
    std::vector<int> marked;
    if (std::find(softBreaks.begin(), softBreaks.end(), true) == softBreaks.end())
        return marked;
    for (const bool soft : softBreaks) {
        block = block.next();
        if (soft) {
            block.setUserState(kContinuation);
            marked.push_back(block.blockNumber());
        }
    }
    return marked;
}

// An undo step keeps the text of a paste but not the states of its blocks: a redo marks
// the cuts again.
class CContinuationMarks : public QAbstractUndoItem {
public:
    CContinuationMarks(QTextDocument* document, std::vector<int> blocks)
        : m_pDocument(document), m_blocks(std::move(blocks)) {}
    void undo() override {}
    void redo() override {
        for (const int number : m_blocks)
            m_pDocument->findBlockByNumber(number).setUserState(kContinuation);
    }

private:
    QTextDocument* m_pDocument;
    std::vector<int> m_blocks;
};

} // namespace

COutputPane::COutputPane(QPlainTextEdit* edit) : QObject(edit), m_pEdit(edit) {
    connect(edit->document(), &QTextDocument::contentsChange, this, &COutputPane::OnContentsChange);
    m_showTimer.setSingleShot(true);
    connect(&m_showTimer, &QTimer::timeout, this, &COutputPane::Drain);
}

COutputPane::COutputPane(COutputView* view) : QObject(view), m_pView(view) {
    connect(view, &COutputView::Edited, this, [this] { m_bUserEdited = true; });
    m_showTimer.setSingleShot(true);
    connect(&m_showTimer, &QTimer::timeout, this, &COutputPane::Drain);
}

COutputPane::~COutputPane() = default;

QWidget* COutputPane::Widget() const {
    if (m_pView != nullptr)
        return m_pView;
    return m_pEdit;
}

bool COutputPane::OnGuiThread() const {
    return QThread::currentThread() == thread();
}

void COutputPane::SetText(const std::string& text) {
    const std::lock_guard mirror(m_mirrorMutex);
    m_strMirror = text;
    m_nLines = CountLineBreaks(text) + 1;
    std::unique_lock lock(m_mutex);
    m_pending = Pending{true, false, text};
    m_bUserEdited = false;
    if (!OnGuiThread()) {
        QueueFlush(lock);
        return;
    }
    // A clear from a command shows at once; nothing queued before it matters any more.
    lock.unlock();
    TakePending();
    ShowSlice();
}

// The GUI thread takes the queue's lock only. A worker writing a value at a time takes that
// lock again right after it let it go, before the GUI thread waiting for it has woken:
// without a turn of its own, the GUI thread waited a tenth of a second or more while a long
// result was printed, and longer while the worker grew the mirror under the same lock.
void COutputPane::AppendText(const std::string& text) {
    const std::lock_guard mirror(m_mirrorMutex);
    m_strMirror += text;
    m_nLines += CountLineBreaks(text);
    while (m_bGuiWaiting.load(std::memory_order_relaxed))
        std::this_thread::yield();
    std::unique_lock lock(m_mutex);
    m_pending.text += text;
    QueueFlush(lock);
}

void COutputPane::ScrollDown(int lines) {
    if (lines <= 0)
        return;
    std::unique_lock lock(m_mutex);
    m_pending.scroll = true;
    QueueFlush(lock);
}

int COutputPane::GetLineCount() const {
    const std::lock_guard lock(m_mirrorMutex);
    return m_nLines;
}

// On the GUI thread the widget is brought up to date first, as a reader there expects to
// find in it what it reads.
std::string COutputPane::GetText() const {
    if (OnGuiThread()) {
        const_cast<COutputPane*>(this)->ShowAll();
        if (m_bUserEdited)
            SyncMirrorWithWidget();
    }
    const std::lock_guard lock(m_mirrorMutex);
    return m_strMirror;
}

std::unique_lock<std::mutex> COutputPane::LockFromGui() const {
    m_bGuiWaiting.store(true, std::memory_order_relaxed);
    std::unique_lock lock(m_mutex);
    m_bGuiWaiting.store(false, std::memory_order_relaxed);
    return lock;
}

bool COutputPane::Shown() const {
    const std::unique_lock lock = LockFromGui();
    return !m_bFlushQueued && m_backlog.empty();
}

// The widget's lines, with the cuts of long lines joined again; a view keeps them whole.
void COutputPane::SyncMirrorWithWidget() const {
    QString raw;
    if (m_pView == nullptr) {
        const QTextBlock first = m_pEdit->document()->begin();
        for (QTextBlock block = first; block.isValid(); block = block.next()) {
            if (block != first && block.userState() != kContinuation)
                raw += u'\n';
            raw += block.text();
        }
    }
    std::string text = WidgetTextToCore(m_pView != nullptr ? m_pView->Text() : raw);
    const std::lock_guard lock(m_mirrorMutex);
    m_nLines = CountLineBreaks(text) + 1;
    m_strMirror = std::move(text);
    m_bUserEdited = false;
}

// One call at a time is queued; the text written until it runs goes with it.
void COutputPane::QueueFlush(std::unique_lock<std::mutex>& lock) {
    if (m_bFlushQueued)
        return;
    m_bFlushQueued = true;
    const bool fromWorker = !OnGuiThread();
    lock.unlock();
    PostToGuiThread(this, [this, fromWorker] { Flush(fromWorker); });
}

// Text from the GUI thread shows at once; a worker's waits for the interval since the last
// showing to pass, gathering what the worker writes meanwhile.
void COutputPane::Flush(bool fromWorker) {
    if (fromWorker && m_lastShown.isValid()) {
        const qint64 wait = kShowIntervalMs - m_lastShown.elapsed();
        if (wait > 0) {
            m_showTimer.start(static_cast<int>(wait));
            return;
        }
    }
    Drain();
}

void COutputPane::ShowQueued() {
    if (!m_showTimer.isActive())
        return;
    m_showTimer.stop();
    Drain();
}

void COutputPane::Drain() {
    TakePending();
    ShowSlice();
}

// Moves the queued changes behind the text still to be shown (GUI thread).
void COutputPane::TakePending() {
    // A piece shown to its end lends its memory to the queue, so that the worker appends to
    // pages already there instead of faulting fresh ones in under the lock.
    std::string spare = std::move(m_strSpare);
    m_strSpare = {};
    Pending pending;
    {
        const std::unique_lock lock = LockFromGui();
        pending = std::move(m_pending);
        m_pending = {};
        m_pending.text.swap(spare);
        m_bFlushQueued = false;
    }
    m_bScroll = m_bScroll || pending.scroll;
    if (pending.replace) {
        ClearWidget();
        m_backlog.clear();
        m_nBacklogPos = 0;
    }
    // Kept as a piece of its own: joining it to the backlog copied megabytes at a time.
    if (!pending.text.empty())
        m_backlog.push_back(std::move(pending.text));
}

// Shows up to most bytes of the backlog's first piece.
void COutputPane::ShowPiece(std::size_t most) {
    std::string& piece = m_backlog.front();
    const std::size_t size = std::min(most, piece.size() - m_nBacklogPos);
    Show(std::string_view(piece).substr(m_nBacklogPos, size));
    m_nBacklogPos += size;
    if (m_nBacklogPos < piece.size())
        return;
    if (piece.capacity() <= kSpareBytes) {
        piece.clear();
        m_strSpare = std::move(piece);
    }
    m_backlog.pop_front();
    m_nBacklogPos = 0;
}

// Shows queued text for a slice of time, and asks for another slice when some is left. For
// an edit the slice is one edit of the document, so that it lays out and repaints once.
void COutputPane::ShowSlice() {
    QElapsedTimer clock;
    clock.start();
    if (!m_backlog.empty()) {
        QTextCursor edit;
        if (m_pEdit != nullptr) {
            edit = QTextCursor(m_pEdit->document());
            edit.beginEditBlock();
        }
        m_bApplying = true;
        while (!m_backlog.empty() && !clock.hasExpired(kSliceMs))
            ShowPiece(kChunkBytes);
        if (m_pEdit != nullptr)
            edit.endEditBlock();
        m_bApplying = false;
        m_lastShown.start();
    }
    if (m_bScroll) {
        QScrollBar* bar =
            m_pView != nullptr ? m_pView->verticalScrollBar() : m_pEdit->verticalScrollBar();
        bar->setValue(bar->maximum());
    }
    std::unique_lock lock = LockFromGui();
    if (!m_backlog.empty()) {
        QueueFlush(lock);
        return;
    }
    m_bScroll = false;
}

void COutputPane::ShowAll() {
    TakePending();
    m_bApplying = true;
    while (!m_backlog.empty())
        ShowPiece(std::string::npos);
    m_bApplying = false;
}

void COutputPane::ClearWidget() {
    m_bPendingCR = false;
    if (m_pView != nullptr) {
        m_pView->Clear();
        return;
    }
    m_bApplying = true;
    m_pEdit->setPlainText(QString());
    m_bApplying = false;
    m_bPendingCR = false;
}

// Appends text to the widget, long lines cut, and marks the blocks that continue a line.
void COutputPane::Show(std::string_view bytes) {
    if (bytes.empty())
        return;
    if (m_pView != nullptr) {
        m_pView->AppendCp1251(NormaliseLineBreaks(bytes, m_bPendingCR));
        return;
    }
    QTextBlock last = m_pEdit->document()->lastBlock();
    auto lineLength = static_cast<std::size_t>(std::max(0, last.length() - 1));
    std::string text = NormaliseLineBreaks(bytes, m_bPendingCR);
    const bool cutFirst = TakeBackTail(last, text, lineLength);
    const ShownText shown = CutLongLines(std::string_view(text), lineLength, cutFirst);
    QTextCursor end(m_pEdit->document());
    end.movePosition(QTextCursor::End);
    end.insertText(FromCp1251(shown.text));
    MarkContinuations(last, shown.softBreaks);
}

// Text arriving in pieces may reach the limit where the new piece has no blank or comma
// near it. The shown line is then cut after its own last one, and what follows it there
// moves to the start of text. True when the line is to be cut before text.
bool COutputPane::TakeBackTail(const QTextBlock& last, std::string& text, std::size_t& lineLength) {
    if (lineLength > kLimit || lineLength + kCutSearch <= kLimit)
        return false;
    const std::size_t room = kLimit - lineLength;
    if (std::min(text.find('\n'), text.size()) <= room ||
        FindCut(std::string_view(text), room) != 0)
        return false;
    const QString shown = last.text();
    const qsizetype floor = std::max<qsizetype>(0, shown.size() - qsizetype(kCutSearch - room));
    qsizetype cut = shown.size();
    while (cut > floor && !IsCutAfter(shown[cut - 1].toLatin1()))
        --cut;
    if (cut == floor)
        return false;
    QTextCursor tail(last);
    tail.setPosition(last.position() + int(cut));
    tail.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    tail.removeSelectedText();
    text.insert(0, ToCp1251(shown.mid(cut)));
    lineLength = 0;
    return true;
}

void COutputPane::OnContentsChange(int, int removed, int added) {
    if (!m_bApplying && (removed > 0 || added > 0))
        m_bUserEdited = true;
}

// A paste goes in cut as program output is; text without long lines goes in as the widget
// itself would put it.
void CPaneEdit::insertFromMimeData(const QMimeData* source) {
    if (isReadOnly() || source == nullptr || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QChar::ParagraphSeparator, u'\n');
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    auto lineLength = static_cast<std::size_t>(cursor.positionInBlock());
    const std::u16string_view pasted(reinterpret_cast<const char16_t*>(text.utf16()),
                                     static_cast<std::size_t>(text.size()));
    const auto shown = CutLongLines(pasted, lineLength, false);
    const QTextBlock first = cursor.block();
    cursor.insertText(QString::fromUtf16(shown.text.data(), qsizetype(shown.text.size())));
    std::vector<int> marked = MarkContinuations(first, shown.softBreaks);
    if (!marked.empty())
        document()->appendUndoItem(new CContinuationMarks(document(), std::move(marked)));
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}
