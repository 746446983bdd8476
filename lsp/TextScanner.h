#pragma once
// The translator's scanner over a Windows-1251 text in memory instead of a file: an
// editor's text is translated as it stands, unsaved.

#include "translator/Scanner.h"

#include <string_view>

class CTextScanner : public CScanner {
public:
    explicit CTextScanner(std::string_view text) : m_text(text) { UseView(m_text); }

    // The name is not a file: the text is always there.
    bool Open(const char*) override {
        Reset();
        UseView(m_text);
        return true;
    }
    void Close() override {}

protected:
    std::string_view m_text;
};
