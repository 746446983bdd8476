#pragma once
// The scanner: program text (a file) or argument text (channel 1 of the sink) to tokens.
// It never throws: a malformed token writes a note on standard output and yields code 0.

#include "values/Codes.h"

#include <cstdio>
#include <string>
#include <utility>

struct Token {
    char text[256]; // zero-terminated, at most 255 bytes
    int code;
};

enum CharClass : int { kClassOther = 0, kClassControl = 1, kClassLetter = 3, kClassDigit = 4 };

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
    virtual int ReadChar();
    virtual bool ScanString(Token& tok);
    virtual bool Open(const char* name);
    virtual bool ScanNumber(Token& tok);
    virtual void NextToken(Token& tok);
    virtual bool ScanIdentifier(Token& tok);
    virtual void GetToken(Token& tok);
    virtual bool ScanToken(Token& tok);
    virtual void GetPosition(int& line, int& row);
    virtual void Close();
    virtual int LookupKeyword(const char* text);
    virtual int Classify(int c);

protected:
    void ReadNext(); // current := ReadChar(); charClass := Classify(current)
    void Reset();    // look-ahead, counters and push-back as before the first token
    // Scans text from its start, as Open does with a file's bytes.
    void UseText(std::string text) {
        m_text = std::move(text);
        m_nTextPosition = 0;
    }

private:
    bool ScanCharacter(Token& tok);
    bool ScanSign(Token& tok, int first);
    bool SkipLineComment(Token& tok);
    bool SkipBlockComment();
    void TakeSecond(Token& tok, char second, int code);
    static int SingleSignCode(int c);

protected:
    Token saved{};
    Token pushed{};
    int charClass = kClassOther;
    int current = kNothingRead;
    int pushedCount = 0;
    int line = 1;
    int row = 0;

private:
    std::string m_text; // the whole file, as read by Open
    std::size_t m_nTextPosition = 0;
};

// Reads the text of the "Аргумент" channel of the output sink.
class CArgumentScanner : public CScanner {
public:
    CArgumentScanner();
    ~CArgumentScanner() override;
    int ReadChar() override;
    bool Open(const char* name) override;
    void Close() override;

private:
    std::string m_strText;
    std::size_t m_nPosition = 0;
};
