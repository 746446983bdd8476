#include "output/MemoryPane.h"

void CMemoryPane::SetText(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_strText = text;
    m_nLines = 1 + CountLineBreaks(text);
}

std::string CMemoryPane::GetText() const {
    std::lock_guard lock(m_mutex);
    return m_strText;
}

int CMemoryPane::GetLineCount() const {
    std::lock_guard lock(m_mutex);
    return m_nLines;
}

void CMemoryPane::ScrollDown(int lines) {
    std::lock_guard lock(m_mutex);
    m_nScrolled += lines;
}

void CMemoryPane::AppendText(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_strText += text;
    m_nLines += CountLineBreaks(text);
}

int CMemoryPane::ScrolledLines() const {
    std::lock_guard lock(m_mutex);
    return m_nScrolled;
}
