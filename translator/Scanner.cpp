#include "translator/Scanner.h"

#include "output/OutputSink.h"
#include "values/Arena.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace {

// Appends one byte to the token's text; a token never grows past the record's 255 bytes.
bool Append(Token& tok, std::size_t& length, int c) {
    if (length >= CScanner::kMaxTokenLength)
        return false;
    tok.text[length++] = static_cast<char>(c);
    tok.text[length] = '\0';
    return true;
}

// The byte an escape letter stands for inside a string, or -1 for an unknown letter.
int EscapedByte(int letter) {
    switch (letter) {
    case '"':
        return '"';
    case '0':
        return 0;
    case '\\':
        return '\\';
    case 'b':
        return '\b';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'v':
        return '\v';
    default:
        return -1;
    }
}

// The keywords by a perfect hash of a name's first two bytes and length: a name costs one
// probe and at most one comparison. The table is made from g_aKeywords, so a keyword is
// still written in one place; a new keyword that collides stops the process at start-up.
class CKeywordTable {
public:
    CKeywordTable() {
        for (const KeywordEntry& entry : g_aKeywords) {
            const std::size_t length = std::strlen(entry.name);
            Slot& slot = m_slots[Hash(entry.name, length)];
            if (slot.name != nullptr) {
                std::fprintf(stderr, "keywords %s and %s share a slot\n", slot.name, entry.name);
                std::abort();
            }
            slot = {entry.name, length, entry.code};
        }
    }
    int Find(const char* text, std::size_t length) const {
        if (length < 2)
            return kTokIdentifier; // no keyword is shorter
        const Slot& slot = m_slots[Hash(text, length)];
        if (slot.length == length && std::memcmp(slot.name, text, length) == 0)
            return slot.code;
        return kTokIdentifier;
    }

private:
    struct Slot {
        const char* name = nullptr;
        std::size_t length = 0;
        int code = kTokIdentifier;
    };
    static std::size_t Hash(const char* text, std::size_t length) {
        const auto first = static_cast<unsigned char>(text[0]);
        const auto second = static_cast<unsigned char>(text[1]);
        return (first + 3 * second + 17 * length) % kSlots;
    }
    static constexpr std::size_t kSlots = 64;
    Slot m_slots[kSlots];
};

const CKeywordTable g_keywordTable;

// The bytes that begin no token: ScanToken would take each alone as a token of nothing (a
// blank, a control byte, a byte above 127, or one of a few signs the language does not
// use). NextToken passes over them without a call each.
constexpr std::array<bool, 256> MakeSkippable() {
    std::array<bool, 256> skip{};
    for (int c = 0; c < 256; ++c) {
        const unsigned char cls = scanner_detail::kCharClasses[static_cast<unsigned>(c)];
        skip[c] = cls == kClassControl || c == ' ' || c == '$' || c == '&' || c == '@' ||
                  c == '\\' || c == '`' || c == '~' || c == 127;
    }
    return skip;
}
constexpr std::array<bool, 256> kSkippable = MakeSkippable();

// The signs that are a token by themselves whatever follows them, by their token code;
// kTokNothing for every other byte. NextToken takes them without going through ScanToken.
constexpr std::array<int, 256> MakeSingleSigns() {
    std::array<int, 256> codes{};
    for (int& code : codes)
        code = kTokNothing;
    codes['#'] = kTokHash;
    codes['%'] = kTokPercent;
    codes[')'] = kTokRParen;
    codes['*'] = kTokStar;
    codes['+'] = kTokPlus;
    codes[','] = kTokComma;
    codes[':'] = kTokColon;
    codes[';'] = kTokSemicolon;
    codes['?'] = kTokQuestion;
    codes[']'] = kTokRBracket;
    codes['^'] = kTokCaret;
    codes['|'] = kTokBar;
    codes['}'] = kTokRBrace;
    return codes;
}
constexpr std::array<int, 256> kSingleSigns = MakeSingleSigns();

// A token's text is copied up to its end, not the whole record, in a loop: most tokens are
// a few bytes, for which two library calls (the length, the copy) cost more than the bytes.
void CopyToken(Token& to, const Token& from) {
    to.code = from.code;
    for (std::size_t i = 0; i < sizeof to.text; ++i) {
        to.text[i] = from.text[i];
        if (from.text[i] == '\0')
            break;
    }
}

ScannerNoteWriter g_pfnNoteWriter = nullptr;

} // namespace

void SetScannerNotes(ScannerNoteWriter writer) {
    g_pfnNoteWriter = writer;
}

void WriteScannerNoteToStdout(const std::string& note) {
    std::fwrite(note.data(), 1, note.size(), stdout);
}

void WriteScannerNoteToStderr(const std::string& note) {
    std::fwrite(note.data(), 1, note.size(), stderr);
}

CScanner::CScanner() = default;

CScanner::~CScanner() {
    CScanner::Close();
}

// The whole file is read at once, straight into the memory it is scanned from: one read
// instead of a library call per character. A read error ends the text where it happened,
// as the end of the file would.
bool CScanner::Open(const char* name) {
    Close();
    Reset();
    if (name == nullptr)
        return false;
    std::FILE* file = std::fopen(name, "rb");
    if (file == nullptr)
        return false;
    // Room for the whole file and a byte, so that the read that finds the end needs no more;
    // a file that grows meanwhile is read on into a larger room.
    std::size_t capacity = std::size_t(1) << 16;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        if (size > 0)
            capacity = static_cast<std::size_t>(size) + 1;
        std::rewind(file);
    }
    m_file = CFileText(capacity);
    std::size_t used = 0;
    for (;;) {
        if (used == m_file.Capacity()) {
            CFileText larger(2 * used);
            std::memcpy(larger.Data(), m_file.Data(), used);
            m_file = std::move(larger);
        }
        const std::size_t got = std::fread(m_file.Data() + used, 1, m_file.Capacity() - used, file);
        if (got == 0)
            break;
        used += got;
    }
    std::fclose(file);
    m_view = {m_file.Data(), used};
    return true;
}

void CScanner::Close() {
    m_text.clear();
    m_text.shrink_to_fit();
    m_file = CFileText();
    m_view = {};
    m_nTextPosition = 0;
}

// A large text is given whole huge pages: a few page faults instead of one every 4 KiB.
CScanner::CFileText::CFileText(std::size_t capacity) : m_nCapacity(capacity) {
    void* memory = AllocateWithHugePages(m_nCapacity);
    if (memory == nullptr)
        throw std::bad_alloc();
    m_pData.reset(static_cast<char*>(memory));
}

void CScanner::Reset() {
    current = kNothingRead;
    charClass = kClassOther;
    line = 1;
    row = 0;
    pushedCount = 0;
}

int CScanner::LookupKeyword(const char* text, std::size_t length) {
    return g_keywordTable.Find(text, length);
}

bool CScanner::ScanToken(Token& tok) {
    for (;;) {
        tok.text[0] = '\0';
        tok.code = kTokNothing;
        if (current == kNothingRead)
            ReadNext();
        if (current == kEndOfText) {
            tok.code = kTokEnd;
            return true;
        }
        if (charClass == kClassLetter)
            return ScanIdentifier(tok);
        if (charClass == kClassDigit)
            return ScanNumber(tok);
        if (current == '"')
            return ScanString(tok);
        if (current == '\'')
            return ScanCharacter(tok);
        const int first = current;
        tok.text[0] = static_cast<char>(first);
        tok.text[1] = '\0';
        tok.code = kSingleSigns[static_cast<unsigned>(first)];
        ReadNext();
        if (first != '/' || current != '*')
            return ScanSign(tok, first);
        // A block comment stands for nothing: scan on after it (a loop, so that a long run
        // of comments cannot exhaust the stack).
        if (!SkipBlockComment())
            return false;
    }
}

// The signs that depend on the character after them; current is that character.
bool CScanner::ScanSign(Token& tok, int first) {
    switch (first) {
    case '!':
        if (current != '=')
            return false;
        TakeSecond(tok, '=', kTokNotEqual);
        return true;
    case '(':
        if (current == ')')
            TakeSecond(tok, ')', kTokEmptyData);
        else
            tok.code = kTokLParen;
        return true;
    case '-':
        if (charClass == kClassDigit || current == '.')
            return ScanNumber(tok);
        tok.code = kTokMinus;
        return true;
    case '.':
        if (current == '.')
            TakeSecond(tok, '.', kTokRange);
        else
            tok.code = kTokDot;
        return true;
    case '/':
        if (current == '/')
            return SkipLineComment(tok);
        tok.code = kTokSlash;
        return true;
    case '<':
        if (current == '<')
            TakeSecond(tok, '<', kTokLeftArrow);
        else if (current == '=')
            TakeSecond(tok, '=', kTokLessEqual);
        else
            tok.code = kTokLess;
        return true;
    case '=':
        if (current == '<')
            TakeSecond(tok, '<', kTokLessEqual);
        else if (current == '>')
            TakeSecond(tok, '>', kTokGreaterEqual);
        else
            tok.code = kTokEqual;
        return true;
    case '>':
        if (current == '=')
            TakeSecond(tok, '=', kTokGreaterEqual);
        else if (current == '>')
            TakeSecond(tok, '>', kTokRightArrow);
        else
            tok.code = kTokGreater;
        return true;
    case '[':
        if (current == ']')
            TakeSecond(tok, ']', kTokEmptyPar);
        else
            tok.code = kTokLBracket;
        return true;
    case '{':
        if (current == '}')
            TakeSecond(tok, '}', kTokEmptyDelay);
        else
            tok.code = kTokLBrace;
        return true;
    default:
        return true;
    }
}

void CScanner::TakeSecond(Token& tok, char second, int code) {
    tok.text[1] = second;
    tok.text[2] = '\0';
    tok.code = code;
    ReadNext();
}

// The comment's characters are not classified, so only its closing line feed is counted.
bool CScanner::SkipLineComment(Token& tok) {
    const char* text = m_view.data();
    const std::size_t size = m_view.size();
    if (m_nTextPosition < size) {
        const void* feed = std::memchr(text + m_nTextPosition, '\n', size - m_nTextPosition);
        m_nTextPosition = feed != nullptr
                              ? static_cast<std::size_t>(static_cast<const char*>(feed) - text)
                              : size;
    }
    ReadNext();
    tok.text[0] = '\0';
    tok.code = kTokNothing;
    return true;
}

// current is the "*" that opens the comment; it cannot also close it.
bool CScanner::SkipBlockComment() {
    bool afterStar = false;
    for (;;) {
        ReadNext();
        if (current == kEndOfText)
            return false;
        if (afterStar && current == '/')
            break;
        afterStar = current == '*';
    }
    ReadNext();
    return true;
}

// No escapes: the one character between the apostrophes is taken as it is.
bool CScanner::ScanCharacter(Token& tok) {
    const int c = ReadChar();
    if (c == kEndOfText || ReadChar() != '\'')
        return false;
    tok.text[0] = static_cast<char>(c);
    tok.text[1] = '\0';
    tok.code = kTokCharacter;
    ReadNext();
    return true;
}

// A name may hold single dots (a.b), never two in a row, so that "a..b" is still a range.
// Its characters are read straight from the text in a loop of locals: none of them is a
// line feed, a tab or a form feed, so each counts one row, and the counters are moved once
// at the end (stores through the scanner would be repeated per character, since text
// bytes may alias its members).
[[gnu::always_inline]] inline bool CScanner::ScanIdentifier(Token& tok) {
    m_nTokenStart = m_nTextPosition - 1;
    const char* text = m_view.data();
    const std::size_t size = m_view.size();
    std::size_t position = m_nTextPosition; // just after current
    std::size_t length = 0;
    char last = static_cast<char>(current);
    tok.text[length++] = last;
    bool fits = true;
    while (position < size) {
        const char c = text[position];
        const unsigned char cls = scanner_detail::kCharClasses[static_cast<unsigned char>(c)];
        if (cls != kClassLetter && cls != kClassDigit && (c != '.' || last == '.'))
            break;
        if (length >= kMaxTokenLength) {
            fits = false;
            break;
        }
        tok.text[length++] = c;
        last = c;
        ++position;
    }
    tok.text[length] = '\0';
    row += static_cast<int>(position - m_nTextPosition);
    m_nTextPosition = position;
    ReadNext();
    if (!fits)
        return false;
    tok.code = LookupKeyword(tok.text, length);
    if (tok.code == kKwDup)
        tok.code = kTokDup;
    else if (tok.code == kKwTrue || tok.code == kKwFalse)
        tok.code = kTokBoolean;
    return true;
}

// Entered on the first digit, or on the digit or point after a "-" already in the text.
bool CScanner::ScanNumber(Token& tok) {
    // The token holds nothing yet, or the "-" before the number.
    std::size_t length = tok.text[0] != '\0' ? 1 : 0;
    bool point = current == '.';
    bool exponent = false;
    if (!Append(tok, length, current))
        return false;
    ReadNext();
    for (;;) {
        const char last = tok.text[length - 1];
        if (charClass == kClassControl) {
            if (current != kEndOfText)
                ReadNext(); // the blank after a number is consumed with it
            break;
        }
        if (charClass == kClassLetter) {
            if ((current != 'e' && current != 'E') || exponent || last < '0' || last > '9')
                return false;
            exponent = true;
        } else if (current == '+' || current == '-') {
            if (last != 'e' && last != 'E')
                return false;
        } else if (current == '.') {
            if (point || exponent)
                return false;
            point = true;
        } else if (charClass != kClassDigit) {
            break;
        }
        if (!Append(tok, length, current))
            return false;
        ReadNext();
    }
    tok.code = point || exponent ? kTokReal : kTokInteger;
    return true;
}

bool CScanner::ScanString(Token& tok) {
    const int startLine = line;
    const int startRow = row;
    std::size_t length = 0;
    ReadNext();
    while (current != '"') {
        if (current == '\n' || current == kEndOfText) {
            line = startLine; // the note points at the opening quote
            row = startRow;
            return false;
        }
        int c = current;
        if (c == '\\') {
            ReadNext();
            c = EscapedByte(current);
            if (c < 0)
                c = '\\'; // an unknown escape keeps its backslash and drops its letter
        }
        if (!Append(tok, length, c))
            return false;
        ReadNext();
    }
    tok.code = kTokString;
    ReadNext();
    return true;
}

// Passes over current and the bytes after it that begin no token, counting them in locals
// (see ScanIdentifier), and leaves current on the first that begins one.
[[gnu::always_inline]] inline void CScanner::SkipBlanks() {
    const char* text = m_view.data();
    const std::size_t size = m_view.size();
    std::size_t position = m_nTextPosition;
    int lines = line;
    int rows = row;
    while (position < size) {
        const auto c = static_cast<unsigned char>(text[position]);
        if (!kSkippable[c])
            break;
        if (c == '\n') {
            ++lines;
            rows = 0;
        } else if (c != '\t' && c != '\f') {
            ++rows;
        }
        ++position;
    }
    line = lines;
    row = rows;
    m_nTextPosition = position;
    ReadNext();
}

// Out of the way of the scanning loop, which then keeps fewer registers.
void CScanner::NoteError() const {
    if (g_pfnNoteWriter != nullptr)
        g_pfnNoteWriter("Scaner error: line " + std::to_string(line) + ", row " +
                        std::to_string(row) + "\n");
}

void CScanner::NextToken(Token& tok) {
    ScanNext(tok);
}

// Names and the signs that stand alone, most of the tokens, are taken here; the rest
// goes through ScanToken. Inline in GetToken, which reads every token of a translation.
[[gnu::always_inline]] inline void CScanner::ScanNext(Token& tok) {
    for (;;) {
        if (current >= 0 && kSkippable[static_cast<unsigned>(current)])
            SkipBlanks();
        m_nTokenStart = CurrentOffset();
        bool scanned = false;
        if (charClass == kClassLetter) {
            scanned = ScanIdentifier(tok);
        } else if (current >= 0 && kSingleSigns[static_cast<unsigned>(current)] != kTokNothing) {
            tok.text[0] = static_cast<char>(current);
            tok.text[1] = '\0';
            tok.code = kSingleSigns[static_cast<unsigned>(current)];
            ReadNext();
            return;
        } else {
            scanned = ScanToken(tok);
        }
        if (!scanned) {
            NoteError();
            tok.code = kTokNothing;
            return;
        }
        if (tok.code != kTokNothing)
            return;
    }
}

// A name and an adjacent naming arrow make one token, also across blanks and comments.
void CScanner::GetToken(Token& tok) {
    if (pushedCount == 0) {
        ScanNext(tok);
    } else {
        CopyToken(tok, pushed);
        --pushedCount;
    }
    if (tok.code != kTokIdentifier && tok.code != kTokRightArrow)
        return;
    // The token after is read straight into the push-back: it is copied only when taken.
    ScanNext(pushed);
    if (tok.code == kTokIdentifier) {
        if (pushed.code == kTokLeftArrow)
            tok.code = kTokLeftNaming;
        else
            ++pushedCount;
    } else if (pushed.code == kTokIdentifier) {
        CopyToken(tok, pushed);
        tok.code = kTokRightNaming;
    } else {
        ++pushedCount;
    }
}

CArgumentScanner::CArgumentScanner(COutputPanelSink* sink)
    : m_sink(sink != nullptr ? *sink : g_OutputSink) {
}

CArgumentScanner::~CArgumentScanner() = default;

// The argument is whatever the user typed into the "Аргумент" channel.
bool CArgumentScanner::Open(const char*) {
    Reset();
    std::string text;
    m_sink.Select(kChannelArgument);
    m_sink.Read(text);
    UseText(std::move(text));
    return true;
}

void CArgumentScanner::Close() {
}
