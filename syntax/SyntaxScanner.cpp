#include "syntax/SyntaxScanner.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<const char16_t*, 24> kKeywords = {
    u"block", u"bool",    u"const", u"dup",  u"else",     u"error",   u"false",     u"true",
    u"float", u"funcdef", u"int",   u"nil",  u"prefunc",  u"signal",  u"start",     u"typedef",
    u"type",  u"in",      u"out",   u"char", u"datalist", u"parlist", u"delaylist", u"value"};

bool IsLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// One line at a time; the spans go out in order.
class CLineScanner {
public:
    CLineScanner(std::u16string_view line, std::vector<SyntaxSpan>* spans)
        : m_line(line), m_spans(spans) {}

    LineState Scan(LineState state) {
        if (state == LineState::BlockComment && !CloseComment(0))
            return LineState::BlockComment;
        while (m_pos < Size()) {
            if (!Token())
                return LineState::BlockComment;
        }
        return LineState::Code;
    }

private:
    int Size() const { return int(m_line.size()); }
    char16_t At(int i) const { return i < Size() ? m_line[std::size_t(i)] : u'\0'; }

    void Add(int start, int end, SyntaxKind kind) {
        if (end > start)
            m_spans->push_back({start, end - start, kind});
        m_pos = end;
    }

    // A comment that begins at m_pos runs to the first "*/" at or after searchFrom, or to
    // the line's end; false then.
    bool CloseComment(int searchFrom) {
        const std::size_t end = m_line.find(u"*/", std::size_t(searchFrom));
        if (end == std::u16string_view::npos) {
            Add(m_pos, Size(), SyntaxKind::Comment);
            return false;
        }
        Add(m_pos, int(end) + 2, SyntaxKind::Comment);
        return true;
    }

    // False when a block comment stays open at the line's end. Blanks, other characters the
    // translator skips and comments leave a ">>" waiting for its name.
    bool Token() {
        const char16_t c = At(m_pos);
        const char16_t next = At(m_pos + 1);
        if (c == u'/' && next == u'/') {
            Add(m_pos, Size(), SyntaxKind::Comment);
            return true;
        }
        if (c == u'/' && next == u'*')
            return CloseComment(m_pos + 2);
        if (c <= u' ' || c >= 0x7f) {
            ++m_pos;
            return true;
        }
        const bool named = m_bAfterRightArrow;
        m_bAfterRightArrow = false;
        if (IsLetter(c))
            Word(named);
        else if (IsDigit(c) || (c == u'-' && (IsDigit(next) || next == u'.')))
            Number();
        else if (c == u'"')
            String();
        else if (c == u'\'')
            Character();
        else
            Sign(c, next);
        return true;
    }

    // An identifier keeps single dots: "a.b" is one name, "a..b" is "a." then "." and "b".
    void Word(bool named) {
        const int start = m_pos;
        int end = start + 1;
        while (IsLetter(At(end)) || IsDigit(At(end)) || (At(end) == u'.' && At(end - 1) != u'.'))
            ++end;
        const std::u16string_view word =
            m_line.substr(std::size_t(start), std::size_t(end - start));
        if (IsLanguageKeyword(word))
            Add(start, end, SyntaxKind::Keyword);
        else if (named || ArrowFollows(end))
            Add(start, end, SyntaxKind::NamedName);
        else
            m_pos = end;
    }

    bool ArrowFollows(int from) const {
        while (At(from) == u' ' || At(from) == u'\t')
            ++from;
        return At(from) == u'<' && At(from + 1) == u'<';
    }

    // Digits, one point, one exponent with its sign; a leading "-" belongs to the number.
    void Number() {
        const int start = m_pos;
        int end = start + 1;
        bool point = At(start) == u'.';
        bool exponent = false;
        for (;; ++end) {
            const char16_t c = At(end);
            if (IsDigit(c))
                continue;
            if (c == u'.' && !point && !exponent) {
                point = true;
                continue;
            }
            if ((c == u'e' || c == u'E') && !exponent && IsDigit(At(end - 1))) {
                exponent = true;
                continue;
            }
            if ((c == u'+' || c == u'-') && (At(end - 1) == u'e' || At(end - 1) == u'E'))
                continue;
            break;
        }
        Add(start, end, SyntaxKind::Number);
    }

    // Escapes are a backslash and one letter; an unclosed string runs to the line's end.
    void String() {
        int end = m_pos + 1;
        while (end < Size() && At(end) != u'"')
            end += At(end) == u'\\' ? 2 : 1;
        Add(m_pos, std::min(end + 1, Size()), SyntaxKind::String);
    }

    // One character between apostrophes, without escapes.
    void Character() {
        const int end = At(m_pos + 2) == u'\'' ? m_pos + 3 : std::min(m_pos + 2, Size());
        Add(m_pos, end, SyntaxKind::Character);
    }

    void Sign(char16_t c, char16_t next) {
        if ((c == u'>' && next == u'>') || (c == u'<' && next == u'<')) {
            m_bAfterRightArrow = c == u'>';
            Add(m_pos, m_pos + 2, SyntaxKind::NamingArrow);
        } else if (IsPair(c, next) || IsTwoCharSign(c, next)) {
            Add(m_pos, m_pos + 2, SyntaxKind::Sign);
        } else if (std::u16string_view(u"()[]{}").find(c) != std::u16string_view::npos) {
            Add(m_pos, m_pos + 1, SyntaxKind::Bracket);
        } else if (std::u16string_view(u"+-*/%.<>|#=?^:").find(c) != std::u16string_view::npos) {
            Add(m_pos, m_pos + 1, SyntaxKind::Sign);
        } else {
            ++m_pos; // "," and ";" stay plain
        }
    }

    static bool IsPair(char16_t c, char16_t next) {
        return (c == u'(' && next == u')') || (c == u'[' && next == u']') ||
               (c == u'{' && next == u'}');
    }

    static bool IsTwoCharSign(char16_t c, char16_t next) {
        return (c == u'.' && next == u'.') || (c == u'!' && next == u'=') ||
               ((c == u'<' || c == u'>') && next == u'=') ||
               (c == u'=' && (next == u'<' || next == u'>'));
    }

    std::u16string_view m_line;
    std::vector<SyntaxSpan>* m_spans;
    int m_pos = 0;
    bool m_bAfterRightArrow = false;
};

} // namespace

bool IsLanguageKeyword(std::u16string_view word) {
    for (const char16_t* keyword : kKeywords) {
        if (word == keyword)
            return true;
    }
    return false;
}

LineState ScanSyntaxLine(std::u16string_view line, LineState state,
                         std::vector<SyntaxSpan>* spans) {
    return CLineScanner(line, spans).Scan(state);
}
