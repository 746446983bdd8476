#include "output/MemoryPane.h"

#include <algorithm>

void CMemoryPane::SetText(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_strText = text;
}

std::string CMemoryPane::GetText() const {
    std::lock_guard lock(m_mutex);
    return m_strText;
}

// Counted as an edit control counts them: an empty text is one line.
int CMemoryPane::GetLineCount() const {
    std::lock_guard lock(m_mutex);
    return 1 + static_cast<int>(std::count(m_strText.begin(), m_strText.end(), '\n'));
}

void CMemoryPane::ScrollDown(int lines) {
    std::lock_guard lock(m_mutex);
    m_nScrolled += lines;
}

void CMemoryPane::AppendText(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_strText += text;
}

int CMemoryPane::ScrolledLines() const {
    std::lock_guard lock(m_mutex);
    return m_nScrolled;
}
