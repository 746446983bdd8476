#include "lsp/TextDocument.h"

#include "output/Encoding.h"

#include <algorithm>

namespace {

// One code point of well-formed UTF-8 at in[at], or U+FFFD for one byte that is not.
char32_t DecodeAt(std::string_view in, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(in[i]); };
    const unsigned char lead = byte(at);
    const std::size_t length = lead < 0x80    ? 1
                               : lead >= 0xF0 ? 4
                               : lead >= 0xE0 ? 3
                               : lead >= 0xC0 ? 2
                                              : 0;
    if (length == 0 || at + length > in.size() || lead > 0xF4) {
        ++at;
        return 0xFFFD;
    }
    char32_t cp = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            ++at;
            return 0xFFFD;
        }
        cp = (cp << 6) | (byte(at + i) & 0x3F);
    }
    at += length;
    return cp;
}

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

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t cp = DecodeAt(utf8, at);
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

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
