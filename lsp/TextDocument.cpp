#include "lsp/TextDocument.h"

#include "output/Encoding.h"

#include <algorithm>

namespace {

// Code points of a UTF-16 line up to a column, and back.
int CodePointsBefore(std::u16string_view line, int column) {
    int count = 0;
    for (int i = 0; i < column && i < static_cast<int>(line.size()); ++i) {
        const char16_t unit = line[static_cast<std::size_t>(i)];
        if (unit < 0xDC00 || unit > 0xDFFF) // the second half of a pair is not counted
            ++count;
    }
    return count;
}

int ColumnOfCodePoint(std::u16string_view line, int codePoints) {
    int column = 0;
    for (int seen = 0; seen < codePoints && column < static_cast<int>(line.size()); ++seen) {
        const char16_t unit = line[static_cast<std::size_t>(column)];
        column += unit >= 0xD800 && unit <= 0xDBFF ? 2 : 1;
    }
    return column;
}

} // namespace

CTextDocument::CTextDocument(std::string utf8)
    : m_utf8(std::move(utf8)), m_cp1251(Utf8ToCp1251(m_utf8)) {
    // Each code point of the UTF-8 text became one byte, so the UTF-16 lines and the
    // Windows-1251 lines break at the same places.
    const std::u16string all = Utf8ToUtf16(m_utf8);
    std::size_t begin = 0;
    int offset = 0;
    for (;;) {
        m_lineStarts.push_back(offset);
        const std::size_t end = all.find(u'\n', begin);
        std::u16string_view line = std::u16string_view(all).substr(
            begin, end == std::u16string::npos ? std::u16string::npos : end - begin);
        offset += CodePointsBefore(line, static_cast<int>(line.size())) + 1;
        if (!line.empty() && line.back() == u'\r')
            line.remove_suffix(1);
        m_lines.emplace_back(line);
        if (end == std::u16string::npos)
            break;
        begin = end + 1;
    }
}

std::u16string_view CTextDocument::Line(int line) const {
    if (line < 0 || line >= LineCount())
        return {};
    return m_lines[static_cast<std::size_t>(line)];
}

TextPosition CTextDocument::PositionOf(int offset) const {
    offset = std::clamp(offset, 0, static_cast<int>(m_cp1251.size()));
    const auto next = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset);
    const int line = static_cast<int>(next - m_lineStarts.begin()) - 1;
    const int codePoints = offset - m_lineStarts[static_cast<std::size_t>(line)];
    return {line, ColumnOfCodePoint(Line(line), codePoints)};
}

int CTextDocument::OffsetOf(TextPosition position) const {
    if (position.line < 0)
        return 0;
    if (position.line >= LineCount())
        return static_cast<int>(m_cp1251.size());
    const std::u16string_view line = Line(position.line);
    const int column = std::clamp(position.character, 0, static_cast<int>(line.size()));
    return m_lineStarts[static_cast<std::size_t>(position.line)] + CodePointsBefore(line, column);
}
