#include "ide/TextCodec.h"

#include "output/Encoding.h"

#include <QHash>

#include <algorithm>
#include <optional>
#include <span>
#include <utility>

// Text of ASCII bytes alone (numbers, most program output) is the same in every one of
// these encodings and needs no converter.
QString FromCp1251(std::string_view bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; }))
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const std::string utf8 = Cp1251ToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToCp1251(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToCp1251(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

std::string NormaliseLineBreaks(std::string_view bytes, bool& pendingCR) {
    std::string out;
    out.reserve(bytes.size() + 1);
    for (const char c : bytes) {
        if (pendingCR) {
            pendingCR = false;
            out += '\n';
            if (c == '\n')
                continue;
        }
        if (c == '\r')
            pendingCR = true;
        else
            out += c;
    }
    return out;
}

QString CoreTextToWidget(std::string_view bytes) {
    bool pendingCR = false;
    std::string text = NormaliseLineBreaks(bytes, pendingCR);
    if (pendingCR)
        text += '\n';
    return FromCp1251(text);
}

namespace {

// QTextDocument keeps paragraph separators (U+2029) in its raw text; a plain "\n" or a
// line separator (U+2028) may come from pasted text.
bool IsBreak(QChar c) {
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n';
}

void AppendWithBreaks(QString& out, QStringView text, const QString& lineBreak) {
    for (const QChar c : text) {
        if (IsBreak(c))
            out += lineBreak;
        else
            out += c;
    }
}

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

} // namespace

// Every character of the text converts to one byte: where the byte is a "?" that the text
// did not hold, the character had no byte of its own.
std::optional<LostCharacter> FirstLostCharacter(const QString& rawText) {
    const std::string bytes = ToCp1251(rawText);
    if (bytes.find('?') == std::string::npos)
        return std::nullopt;
    int line = 1;
    std::size_t byte = 0;
    for (qsizetype i = 0; i < rawText.size() && byte < bytes.size(); ++i, ++byte) {
        char32_t c = rawText[i].unicode();
        if (rawText[i].isHighSurrogate() && i + 1 < rawText.size() &&
            rawText[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(rawText[i], rawText[i + 1]);
            ++i;
        }
        if (IsBreak(rawText[i]))
            ++line;
        else if (bytes[byte] == '?' && c != U'?')
            return LostCharacter{c, line};
    }
    return std::nullopt;
}

std::string WidgetTextToCore(const QString& rawText, std::string_view lineBreak) {
    QString text;
    text.reserve(rawText.size() + rawText.size() / 16);
    AppendWithBreaks(text, rawText, Latin1(lineBreak));
    return ToCp1251(text);
}

namespace {

using LinePairs = std::vector<std::pair<int, int>>;

// Beyond this many lines added and removed since the file was read, the text counts as
// rewritten and its changed lines pair up by position (see MatchLines): the search below
// costs time and memory that grow with the square of this number.
constexpr int kMaxEdits = 1000;

// A line of the file as read and a line of the editor are the same line when their hashes
// are: with 64 bits a false match is too rare to matter, and the text need not be kept.
std::vector<std::size_t> LineHashes(const QString& text, QChar separator) {
    std::vector<std::size_t> hashes;
    for (const QStringView line : QStringView(text).tokenize(separator))
        hashes.push_back(qHash(line));
    return hashes;
}

// trace[d] holds, for the diagonals -d-1 .. d+1, how far the search had come on each
// before it tried d edits; walking back through it yields the lines left unchanged.
LinePairs TraceBack(const std::vector<std::vector<int>>& trace, int x, int y) {
    LinePairs pairs;
    for (int d = int(trace.size()) - 1; d >= 0; --d) {
        const auto reach = [&](int k) { return trace[std::size_t(d)][std::size_t(k + d + 1)]; };
        const int k = x - y;
        const int prevK = (k == -d || (k != d && reach(k - 1) < reach(k + 1))) ? k + 1 : k - 1;
        const int prevX = reach(prevK);
        const int prevY = prevX - prevK;
        while (x > prevX && y > prevY)
            pairs.emplace_back(--x, --y);
        x = prevX;
        y = prevY;
    }
    std::reverse(pairs.begin(), pairs.end());
    return pairs;
}

// The lines a shortest script of additions and removals from `before` to `after` leaves
// alone (Myers' greedy search), or nothing when it needs more than kMaxEdits.
std::optional<LinePairs> UnchangedLines(std::span<const std::size_t> before,
                                        std::span<const std::size_t> after) {
    const int n = int(before.size());
    const int m = int(after.size());
    const int limit = std::min(n + m, kMaxEdits);
    std::vector<int> reach(std::size_t(2 * limit + 3), 0);
    const auto at = [&](int k) -> int& { return reach[std::size_t(k + limit + 1)]; };
    std::vector<std::vector<int>> trace;
    for (int d = 0; d <= limit; ++d) {
        trace.emplace_back(reach.begin() + (limit - d), reach.begin() + (limit + d + 3));
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1) : at(k - 1) + 1;
            int y = x - k;
            while (x < n && y < m && before[std::size_t(x)] == after[std::size_t(y)]) {
                ++x;
                ++y;
            }
            at(k) = x;
            if (x >= n && y >= m)
                return TraceBack(trace, n, m);
        }
    }
    return std::nullopt;
}

// The unchanged lines of the whole text: the common head and tail directly (most saves
// touch one place), the middle by the search.
LinePairs AllUnchangedLines(const std::vector<std::size_t>& before,
                            const std::vector<std::size_t>& after) {
    const int n = int(before.size());
    const int m = int(after.size());
    int head = 0;
    while (head < n && head < m && before[std::size_t(head)] == after[std::size_t(head)])
        ++head;
    int tail = 0;
    while (tail < n - head && tail < m - head &&
           before[std::size_t(n - 1 - tail)] == after[std::size_t(m - 1 - tail)])
        ++tail;
    LinePairs pairs;
    for (int i = 0; i < head; ++i)
        pairs.emplace_back(i, i);
    const auto middle =
        UnchangedLines(std::span(before).subspan(std::size_t(head), std::size_t(n - head - tail)),
                       std::span(after).subspan(std::size_t(head), std::size_t(m - head - tail)));
    if (middle) {
        for (const auto& [x, y] : *middle)
            pairs.emplace_back(head + x, head + y);
    }
    for (int i = tail; i > 0; --i)
        pairs.emplace_back(n - i, m - i);
    return pairs;
}

// For each line of the editor, the line of the file as read that it stands for, -1 for an
// added line. Between two unchanged lines the changed ones pair up from the bottom: a line
// edited in place is the line it was, a line split by Enter leaves its old end on its lower
// part, and two lines joined keep the lower one's end.
std::vector<int> MatchLines(const std::vector<std::size_t>& before,
                            const std::vector<std::size_t>& after) {
    LinePairs pairs = AllUnchangedLines(before, after);
    pairs.emplace_back(int(before.size()), int(after.size()));
    std::vector<int> match(after.size(), -1);
    int fromX = 0;
    int fromY = 0;
    for (const auto& [x, y] : pairs) {
        for (int i = 1; x - i >= fromX && y - i >= fromY; ++i)
            match[std::size_t(y - i)] = x - i;
        if (y < int(after.size()))
            match[std::size_t(y)] = x;
        fromX = x + 1;
        fromY = y + 1;
    }
    return match;
}

} // namespace

std::string_view CLineEnds::Text(EEnd end) {
    switch (end) {
    case EEnd::Lf:
        return "\n";
    case EEnd::Cr:
        return "\r";
    case EEnd::CrLf:
        break;
    }
    return "\r\n";
}

// The ends are classified as CoreTextToWidget breaks the lines, so that they and the
// editor's lines correspond one to one.
CLineEnds::CLineEnds(std::string_view bytes, const QString& widgetText) {
    std::size_t count = 0;
    const auto add = [&](EEnd end) {
        if (count++ == 0) {
            m_main = end;
        } else if (!m_ends.empty() || end != m_main) {
            if (m_ends.empty())
                m_ends.assign(count - 1, m_main);
            m_ends.push_back(end);
        }
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            add(EEnd::Lf);
        } else if (bytes[i] == '\r') {
            const bool pair = i + 1 < bytes.size() && bytes[i + 1] == '\n';
            add(pair ? EEnd::CrLf : EEnd::Cr);
            i += pair ? 1 : 0;
        }
    }
    if (!m_ends.empty())
        m_lines = LineHashes(widgetText, u'\n');
}

std::string_view CLineEnds::MainEnd() const {
    return Text(m_main);
}

std::string CLineEnds::ToFile(const QString& rawText) const {
    if (AllAlike())
        return WidgetTextToCore(rawText, MainEnd());
    const QString main = Latin1(MainEnd());
    const std::vector<std::size_t> lines = LineHashes(rawText, QChar(QChar::ParagraphSeparator));
    const std::vector<int> match = MatchLines(m_lines, lines);
    QString text;
    text.reserve(rawText.size() + qsizetype(lines.size()));
    std::size_t index = 0;
    for (const QStringView line : QStringView(rawText).tokenize(QChar(QChar::ParagraphSeparator))) {
        AppendWithBreaks(text, line, main);
        if (index + 1 < lines.size()) {
            const int old = match[index];
            const bool known = old >= 0 && std::size_t(old) < m_ends.size();
            text += known ? Latin1(Text(m_ends[std::size_t(old)])) : main;
        }
        ++index;
    }
    return ToCp1251(text);
}
