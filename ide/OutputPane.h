#pragma once
// A pane of the output sink. The sink calls it from the GUI thread and from a run's worker.
// Changes are queued to the GUI thread in the order they were made, so a worker never waits
// for the window. A mirror of the text answers GetText and GetLineCount on any thread.
//
// The program's output goes to a COutputView, which appends in time of the new text, lays
// out only the lines in view and lets the user edit the text. The argument is typed by the
// user and goes to a QPlainTextEdit; there the window must stay responsive however long the
// lines pasted or written into it:
// - Qt lays a block of text out as a whole, and a line of millions of characters froze the
//   window for seconds and then drew its glyphs over each other. The widget therefore shows
//   a line longer than kShownLineLength as several; each continuation block is marked, and
//   the text read back from the widget joins them again.
// For both:
// - Queued text reaches the widget in slices of a few milliseconds. Between two slices the
//   event loop handles input, timers and the end of a run, so a stop request is acted on
//   at once, not after everything written so far has been shown.
// - A worker's text is gathered for a short interval before it is shown, so that a flood
//   of small writes reaches the widget as a few large pieces.

#include "ide/OutputView.h"
#include "output/OutputSink.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPlainTextEdit>
#include <QTimer>

#include <atomic>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

class QTextBlock;

// The widget of a pane: text pasted or dropped into it is cut for display as written text
// is, so that a long line typed elsewhere does not freeze the window either.
class CPaneEdit : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void insertFromMimeData(const QMimeData* source) override;
};

class COutputPane : public QObject, public IOutputPane {
    Q_OBJECT
public:
    // The longest line the widget shows as one line.
    static constexpr int kShownLineLength = COutputView::kLineLimit;

    explicit COutputPane(QPlainTextEdit* edit);
    explicit COutputPane(COutputView* view);
    ~COutputPane() override;

    void SetText(const std::string& text) override;
    // On the GUI thread: shows everything queued, then, once the user has edited the
    // widget, returns its text, lines ended by "\r\n". Otherwise: the text written so far.
    std::string GetText() const override;
    int GetLineCount() const override;
    void ScrollDown(int lines) override;
    void AppendText(const std::string& text) override;

    // The pane's widget; Edit() for a pane the user types into, View() for the others.
    QWidget* Widget() const;
    QPlainTextEdit* Edit() const { return m_pEdit; }
    COutputView* View() const { return m_pView; }
    // GUI thread: starts showing a worker's text without waiting for the interval (its run
    // has ended).
    void ShowQueued();
    // GUI thread: everything written has reached the widget.
    bool Shown() const;

private:
    struct Pending {
        bool replace = false; // the text replaces the widget's text instead of extending it
        bool scroll = false;
        std::string text;
    };

    void QueueFlush(std::unique_lock<std::mutex>& lock);
    void Flush(bool fromWorker);
    void Drain();
    void TakePending();
    void ShowSlice();
    void ShowPiece(std::size_t most);
    void ShowAll();
    void Show(std::string_view bytes);
    bool TakeBackTail(const QTextBlock& last, std::string& text, std::size_t& lineLength);
    void ClearWidget();
    void OnContentsChange(int position, int removed, int added);
    void SyncMirrorWithWidget() const;
    bool OnGuiThread() const;

    QPlainTextEdit* m_pEdit = nullptr;
    COutputView* m_pView = nullptr;

    std::unique_lock<std::mutex> LockFromGui() const;

    // The mirror, under its own lock, so that the GUI thread taking the queue never waits
    // while a worker grows the mirror.
    mutable std::mutex m_mirrorMutex;
    mutable std::string m_strMirror;
    mutable int m_nLines = 1;
    // The queue. The GUI thread waits for it; a worker writing in a tight loop lets it go
    // first.
    mutable std::mutex m_mutex;
    mutable std::atomic<bool> m_bGuiWaiting{false};
    Pending m_pending;
    bool m_bFlushQueued = false;
    // GUI thread only: when queued text was last shown, and the wait for the next showing.
    QElapsedTimer m_lastShown;
    QTimer m_showTimer;

    // GUI thread only: text taken from the queue and not yet shown, in the pieces it was
    // taken in, the first from m_nBacklogPos on; and a shown piece's memory for the queue.
    std::deque<std::string> m_backlog;
    std::size_t m_nBacklogPos = 0;
    std::string m_strSpare;
    bool m_bScroll = false;
    bool m_bPendingCR = false;
    bool m_bApplying = false;
    mutable std::atomic<bool> m_bUserEdited{false};
};
