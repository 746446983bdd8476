#pragma once
// An open program as the language server holds it: the client's UTF-8 text, the same text
// in Windows-1251 for the core, and each line in UTF-16, the unit of the protocol's
// columns. A character of the code page is one byte of the Windows-1251 text, so a byte
// offset there is a character count; columns come from the UTF-16 lines.

#include "output/Utf16.h"

#include <string>
#include <string_view>
#include <vector>

struct TextPosition {
    int line = 0;      // from 0
    int character = 0; // UTF-16 code units from the line's start
    bool operator==(const TextPosition&) const = default;
};

class CTextDocument {
public:
    explicit CTextDocument(std::string utf8 = {});

    const std::string& Utf8() const { return m_utf8; }
    const std::string& Cp1251() const { return m_cp1251; }
    int LineCount() const { return static_cast<int>(m_lineStarts.size()); }
    // The line without its line end.
    std::u16string_view Line(int line) const;
    std::string LineUtf8(int line) const { return Utf16ToUtf8(Line(line)); }

    // Between offsets of the Windows-1251 text and protocol positions; out-of-range
    // arguments are clamped.
    TextPosition PositionOf(int offset) const;
    int OffsetOf(TextPosition position) const;

private:
    std::string m_utf8;
    std::string m_cp1251;
    std::vector<int> m_lineStarts; // offsets in m_cp1251
    std::vector<std::u16string> m_lines;
};
