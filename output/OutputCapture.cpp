#include "output/OutputCapture.h"

#include "output/OutputSink.h"

#include <algorithm>

namespace {
thread_local COutputCapture* t_pCapture = nullptr;
}

// Consecutive texts share one entry: "out" writes a value in many small pieces.
void COutputCapture::AppendText(std::string_view text) {
    if (!m_entries.empty() && m_entries.back().kind == Kind::Text)
        m_entries.back().text.append(text);
    else
        m_entries.push_back({Kind::Text, std::string(text)});
}

void COutputCapture::AppendNote(std::string_view text) {
    m_entries.push_back({Kind::Note, std::string(text)});
}

void COutputCapture::AppendMark(const void* mark) {
    m_entries.push_back({Kind::Mark, std::string(), mark});
}

void COutputCapture::TruncateTo(const Mark& mark) {
    m_entries.resize(std::min(m_entries.size(), mark.entries));
    if (!m_entries.empty() && m_entries.back().kind == Kind::Text)
        m_entries.back().text.resize(mark.lastText);
}

void COutputCapture::Replay(COutputSink& sink,
                            const std::function<void(const void*)>& onMark) const {
    for (const Entry& entry : m_entries) {
        switch (entry.kind) {
        case Kind::Text:
            sink.Write(entry.text);
            break;
        case Kind::Note:
            WriteConsoleNote(entry.text);
            break;
        case Kind::Mark:
            if (onMark)
                onMark(entry.mark);
            break;
        }
    }
}

COutputCapture* COutputCapture::Current() {
    return t_pCapture;
}

CCaptureScope::CCaptureScope(COutputCapture& capture) : m_pPrevious(t_pCapture) {
    t_pCapture = &capture;
}

CCaptureScope::~CCaptureScope() {
    t_pCapture = m_pPrevious;
}

void WriteConsoleNote(const std::string& text) {
    if (t_pCapture != nullptr) {
        t_pCapture->AppendNote(text);
        return;
    }
    WriteRunNote(text);
}

void CCaptureSink::WriteText(const std::string& text) {
    if (t_pCapture != nullptr)
        t_pCapture->AppendText(text);
}
