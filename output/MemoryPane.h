#pragma once
// A pane that keeps its text in memory: for tests and for the runner's channels that are
// read back instead of shown.

#include "output/OutputSink.h"

#include <mutex>

class CMemoryPane : public IOutputPane {
public:
    void SetText(const std::string& text) override;
    std::string GetText() const override;
    int GetLineCount() const override;
    void ScrollDown(int lines) override;
    void AppendText(const std::string& text) override;

    // Lines scrolled by ScrollDown so far, for tests of the sink's scrolling.
    int ScrolledLines() const;

private:
    mutable std::mutex m_mutex;
    std::string m_strText;
    int m_nLines = 1;
    int m_nScrolled = 0;
};
