#include "ide/OutputPane.h"

#include "ide/QueuedCall.h"
#include "ide/TextCodec.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>

COutputPane::COutputPane(QPlainTextEdit* edit) : QObject(edit), m_pEdit(edit) {
    connect(edit->document(), &QTextDocument::contentsChange, this, &COutputPane::OnContentsChange);
}

COutputPane::~COutputPane() = default;

bool COutputPane::OnGuiThread() const {
    return QThread::currentThread() == thread();
}

void COutputPane::SetText(const std::string& text) {
    std::unique_lock lock(m_mutex);
    m_strMirror = text;
    m_nLines = CountLineBreaks(text) + 1;
    m_pending = Pending{true, false, text};
    m_bUserEdited = false;
    if (OnGuiThread()) {
        // A clear from a command shows at once; nothing queued before it matters any more.
        Pending pending = std::move(m_pending);
        m_pending = {};
        lock.unlock();
        Apply(std::move(pending));
        return;
    }
    QueueFlush(lock);
}

void COutputPane::AppendText(const std::string& text) {
    std::unique_lock lock(m_mutex);
    m_strMirror += text;
    m_nLines += CountLineBreaks(text);
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
    std::lock_guard lock(m_mutex);
    return m_nLines;
}

std::string COutputPane::GetText() const {
    if (OnGuiThread()) {
        const_cast<COutputPane*>(this)->Flush();
        if (m_bUserEdited)
            SyncMirrorWithWidget();
    }
    std::lock_guard lock(m_mutex);
    return m_strMirror;
}

void COutputPane::SyncMirrorWithWidget() const {
    std::string text = WidgetTextToCore(m_pEdit->document()->toRawText());
    std::lock_guard lock(m_mutex);
    m_nLines = CountLineBreaks(text) + 1;
    m_strMirror = std::move(text);
    m_bUserEdited = false;
}

void COutputPane::QueueFlush(std::unique_lock<std::mutex>& lock) {
    if (m_bFlushQueued)
        return;
    m_bFlushQueued = true;
    lock.unlock();
    PostToGuiThread(this, [this] { Flush(); });
}

void COutputPane::Flush() {
    Pending pending;
    {
        std::lock_guard lock(m_mutex);
        pending = std::move(m_pending);
        m_pending = {};
        m_bFlushQueued = false;
    }
    Apply(std::move(pending));
}

void COutputPane::Apply(Pending pending) {
    if (!pending.replace && pending.text.empty() && !pending.scroll)
        return;
    m_bApplying = true;
    if (pending.replace) {
        m_bPendingCR = false;
        m_pEdit->setPlainText(FromCp1251(NormaliseLineBreaks(pending.text, m_bPendingCR)));
    } else if (!pending.text.empty()) {
        QTextCursor end(m_pEdit->document());
        end.movePosition(QTextCursor::End);
        end.insertText(FromCp1251(NormaliseLineBreaks(pending.text, m_bPendingCR)));
    }
    m_bApplying = false;
    if (pending.scroll) {
        QScrollBar* bar = m_pEdit->verticalScrollBar();
        bar->setValue(bar->maximum());
    }
}

void COutputPane::OnContentsChange(int, int removed, int added) {
    if (!m_bApplying && (removed > 0 || added > 0))
        m_bUserEdited = true;
}
