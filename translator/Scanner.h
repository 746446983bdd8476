#pragma once
// The scanner: program text (a file) or argument text (channel 1 of the sink) to tokens.
// It never throws: a malformed token yields code 0 and a note through ScannerNotes.

#include "values/Codes.h"

#include <array>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

class COutputPanelSink;

struct Token {
    char text[256]; // zero-terminated, at most 255 bytes
    int code;
};

enum CharClass : int { kClassOther = 0, kClassControl = 1, kClassLetter = 3, kClassDigit = 4 };

// Where the notes on malformed tokens go ("Scaner error: line L, row R" and a line feed).
// The scanner never writes anywhere itself: the program that uses it chooses, before it
// scans anything (the runner and the IDE: standard output; the language server: standard
// error, since its standard output is the protocol). Unset, the notes are dropped.
using ScannerNoteWriter = void (*)(const std::string& note);
void SetScannerNotes(ScannerNoteWriter writer);
// Writes notes on standard output, or on standard error.
void WriteScannerNoteToStdout(const std::string& note);
void WriteScannerNoteToStderr(const std::string& note);

namespace scanner_detail {
constexpr std::array<unsigned char, 256> MakeCharClasses() {
    std::array<unsigned char, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        if (c < 32 || c >= 128)
            classes[c] = kClassControl;
        else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_')
            classes[c] = kClassLetter;
        else if (c >= '0' && c <= '9')
            classes[c] = kClassDigit;
        else
            classes[c] = kClassOther;
    }
    return classes;
}
inline constexpr std::array<unsigned char, 256> kCharClasses = MakeCharClasses();
} // namespace scanner_detail

class CScanner {
public:
    // Characters are 0..255; kEndOfText ends the input. The byte 0xFF is an ordinary
    // character, and "nothing read yet" is a value no byte can take.
    static constexpr int kEndOfText = -1;
    static constexpr int kNothingRead = -2;
    static constexpr int kMaxTokenLength = 255;

    CScanner();
    CScanner(const CScanner&) = delete;
    CScanner& operator=(const CScanner&) = delete;

    virtual ~CScanner();
    // The next byte of the text, or kEndOfText.
    int ReadChar() {
        if (m_nTextPosition >= m_view.size())
            return kEndOfText;
        return static_cast<unsigned char>(m_view[m_nTextPosition++]);
    }
    // Only where the text comes from is chosen by a subclass: the scanning steps call one
    // another directly, without a virtual call between them.
    virtual bool Open(const char* name);
    virtual void Close();
    void NextToken(Token& tok);
    void GetToken(Token& tok);
    void GetPosition(int& outLine, int& outRow) const {
        outLine = line;
        outRow = row;
    }
    int Line() const { return line; }
    // The keyword code of a name, or kTokIdentifier.
    static int LookupKeyword(const char* text, std::size_t length);
    // The class of c (kEndOfText included); counts c into the line and row.
    int Classify(int c) {
        // A carriage return counts as a row; tabs and form feeds do not.
        if (c == '\n') {
            ++line;
            row = 0;
        } else if (c != '\t' && c != '\f') {
            ++row;
        }
        return c < 0 ? int(kClassControl)
                     : int(scanner_detail::kCharClasses[static_cast<unsigned>(c)]);
    }

protected:
    // current := ReadChar(); charClass := Classify(current)
    void ReadNext() {
        current = ReadChar();
        charClass = Classify(current);
    }
    void Reset(); // look-ahead, counters and push-back as before the first token
    // Scans text from its start, as Open does with a file's bytes.
    void UseText(std::string text) {
        m_text = std::move(text);
        m_view = m_text;
        m_nTextPosition = 0;
    }
    // Scans text that the caller keeps for as long as it is scanned, without a copy.
    void UseView(std::string_view text) {
        m_text.clear();
        m_view = text;
        m_nTextPosition = 0;
    }
    std::size_t TextPosition() const { return m_nTextPosition; }
    // The offset of the character in `current`, or of the next one when none is read.
    std::size_t CurrentOffset() const {
        return current == kNothingRead ? m_nTextPosition : m_nTextPosition - 1;
    }
    // Where the last token scanned began: the offset of its first character, or, for a
    // sign after a block comment, of the comment.
    std::size_t TokenStart() const { return m_nTokenStart; }
    std::size_t TextSize() const { return m_view.size(); }

private:
    void ScanNext(Token& tok);
    bool ScanToken(Token& tok);
    bool ScanIdentifier(Token& tok);
    bool ScanNumber(Token& tok);
    bool ScanString(Token& tok);
    bool ScanCharacter(Token& tok);
    bool ScanSign(Token& tok, int first);
    bool SkipLineComment(Token& tok);
    void SkipBlanks();
    [[gnu::cold, gnu::noinline]] void NoteError() const;
    bool SkipBlockComment();
    void TakeSecond(Token& tok, char second, int code);

protected:
    Token pushed{};
    int charClass = kClassOther;
    int current = kNothingRead;
    int pushedCount = 0;
    int line = 1;
    int row = 0;

private:
    // The bytes of a file as Open reads them, in memory of its own.
    class CFileText {
    public:
        CFileText() = default;
        explicit CFileText(std::size_t capacity);
        char* Data() const { return m_pData.get(); }
        std::size_t Capacity() const { return m_nCapacity; }

    private:
        struct CFree {
            void operator()(char* data) const { std::free(data); }
        };
        std::unique_ptr<char, CFree> m_pData;
        std::size_t m_nCapacity = 0;
    };

    std::string m_text;      // a text handed over by UseText
    CFileText m_file;        // the whole file, as read by Open
    std::string_view m_view; // the text being scanned: m_file's, m_text or a caller's
    std::size_t m_nTextPosition = 0;
    std::size_t m_nTokenStart = 0;
};

// Reads the text of the "Аргумент" channel of the output sink.
class CArgumentScanner : public CScanner {
public:
    // Reads the argument channel of sink, or of the process's sink.
    explicit CArgumentScanner(COutputPanelSink* sink = nullptr);
    ~CArgumentScanner() override;
    bool Open(const char* name) override;
    void Close() override;

private:
    COutputPanelSink& m_sink;
};
