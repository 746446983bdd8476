#include "cli/TerminalPane.h"

#include "output/Encoding.h"

CTerminalPane::CTerminalPane(std::FILE* stream) : m_pStream(stream) {
}

CTerminalPane::~CTerminalPane() {
    if (m_bPendingReturn)
        std::fputc('\r', m_pStream);
    std::fflush(m_pStream);
}

// A terminal cannot take text back: an empty text only starts the count of lines again,
// any other text is printed whole.
void CTerminalPane::SetText(const std::string& text) {
    std::lock_guard lock(m_mutex);
    Print(text);
    m_nLines = 1 + CountLineBreaks(text);
}

std::string CTerminalPane::GetText() const {
    return {};
}

int CTerminalPane::GetLineCount() const {
    std::lock_guard lock(m_mutex);
    return m_nLines;
}

void CTerminalPane::ScrollDown(int) {
}

void CTerminalPane::AppendText(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_nLines += CountLineBreaks(text);
    Print(text);
}

void CTerminalPane::Print(const std::string& text) {
    if (text.empty())
        return;
    std::string out;
    out.reserve(text.size() + 1);
    if (m_bPendingReturn && text.front() != '\n')
        out += '\r';
    m_bPendingReturn = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 == text.size()) {
            m_bPendingReturn = true;
            continue;
        }
        if (text[i] == '\r' && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    const std::string utf8 = Cp1251ToUtf8(out);
    // Every pane and the notes share one stream, so its buffer keeps them in order; error
    // texts on the other stream flush it first.
    std::fwrite(utf8.data(), 1, utf8.size(), m_pStream);
}
