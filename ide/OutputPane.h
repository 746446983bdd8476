#pragma once
// A pane of the output sink over a QPlainTextEdit. The sink calls it from the GUI thread
// and from a run's worker. Changes are queued to the GUI thread in the order they were made
// and applied once per event-loop turn, so a worker never waits for the window and a long
// output costs one widget update per turn instead of one per write. A mirror of the text
// answers GetText and GetLineCount on any thread.

#include "output/OutputSink.h"

#include <QObject>

#include <atomic>
#include <mutex>
#include <string>

class QPlainTextEdit;

class COutputPane : public QObject, public IOutputPane {
    Q_OBJECT
public:
    explicit COutputPane(QPlainTextEdit* edit);
    ~COutputPane() override;

    void SetText(const std::string& text) override;
    // On the GUI thread: the widget's text as the user may have edited it, lines ended by
    // "\r\n". Elsewhere: the text written so far.
    std::string GetText() const override;
    int GetLineCount() const override;
    void ScrollDown(int lines) override;
    void AppendText(const std::string& text) override;

    QPlainTextEdit* Edit() const { return m_pEdit; }
    // Applies every queued change now (GUI thread).
    void Flush();

private:
    struct Pending {
        bool replace = false; // the text replaces the widget's text instead of extending it
        bool scroll = false;
        std::string text;
    };

    void QueueFlush(std::unique_lock<std::mutex>& lock);
    void Apply(Pending pending);
    void OnContentsChange(int position, int removed, int added);
    void SyncMirrorWithWidget() const;
    bool OnGuiThread() const;

    QPlainTextEdit* m_pEdit;

    mutable std::mutex m_mutex;
    mutable std::string m_strMirror;
    mutable int m_nLines = 1;
    Pending m_pending;
    bool m_bFlushQueued = false;

    // GUI thread only.
    bool m_bPendingCR = false;
    bool m_bApplying = false;
    mutable std::atomic<bool> m_bUserEdited{false};
};
