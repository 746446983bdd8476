#pragma once
// A pane of the output sink shown on a terminal stream: Windows-1251 text is printed as
// UTF-8 and the sink's "\r\n" line ends as "\n". What is printed is not kept: a terminal
// cannot take it back, and a long trace would otherwise stay in memory to the end.

#include "output/OutputSink.h"

#include <cstdio>
#include <mutex>
#include <string>

class CTerminalPane : public IOutputPane {
public:
    explicit CTerminalPane(std::FILE* stream);
    ~CTerminalPane() override;
    CTerminalPane(const CTerminalPane&) = delete;
    CTerminalPane& operator=(const CTerminalPane&) = delete;

    void SetText(const std::string& text) override;
    std::string GetText() const override;
    int GetLineCount() const override;
    void ScrollDown(int lines) override;
    void AppendText(const std::string& text) override;
    bool PassesTextOn() const override { return true; }

private:
    void Print(const std::string& text);

    std::FILE* m_pStream;
    mutable std::mutex m_mutex;
    int m_nLines = 1;
    bool m_bPendingReturn = false; // a "\r" whose "\n" may come with the next text
};
