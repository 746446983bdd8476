#pragma once
// The scanner: program text (a file) or argument text (channel 1 of the sink) to tokens.
// It never throws: a malformed token writes a note on standard output and yields code 0.

#include <cstdio>
#include <string>

// Token codes. The same numbering names operators, list and value kinds and keywords.
enum TokenCode : int {
    kTokNothing = 0,
    kTokEnd = 1,
    kTokPlus = 2,
    kTokMinus = 3,
    kTokStar = 4,
    kTokSlash = 5,
    kTokPercent = 6,
    kTokEmptyData = 7,  // "()"
    kTokEmptyPar = 8,   // "[]"
    kTokEmptyDelay = 9, // "{}"
    kTokDot = 10,
    kTokRange = 11, // ".."
    kTokLess = 12,
    kTokGreater = 13,
    kTokBar = 14,
    kTokHash = 15,
    kTokLessEqual = 16,
    kTokGreaterEqual = 17,
    kTokEqual = 18,
    kTokNotEqual = 19,
    kTokQuestion = 20,
    kTokDup = 21,
    kTokLeftArrow = 22,  // "<<"
    kTokRightArrow = 23, // ">>"
    kTokComma = 24,
    kTokCaret = 26,
    kTokColon = 27,
    kTokSemicolon = 28,
    kTokRParen = 29,
    kTokLParen = 30,
    kTokRBracket = 31,
    kTokLBracket = 32,
    kTokRBrace = 33,
    kTokLBrace = 34,
    kTokIdentifier = 35,
    kTokInteger = 43,
    kTokReal = 44,
    kTokBoolean = 45,
    kTokCharacter = 47,
    kTokString = 50,
    kTokRightNaming = 51, // ">> name"
    kTokLeftNaming = 52,  // "name <<"
    // keywords
    kKwBlock = 53,
    kKwBool = 54,
    kKwDup = 55,
    kKwConst = 56,
    kKwElse = 57,
    kKwError = 58,
    kKwFalse = 59,
    kKwFloat = 60,
    kKwFuncdef = 61,
    kKwInt = 62,
    kKwNil = 63,
    kKwPrefunc = 64,
    kKwSignal = 65,
    kKwStart = 66,
    kKwTrue = 67,
    kKwType = 68,
    kKwIn = 69,
    kKwOut = 70,
    kKwChar = 71,
    kKwDatalist = 72,
    kKwParlist = 73,
    kKwDelaylist = 74,
    kKwTypedef = 75,
    kKwValue = 76
};

struct Token {
    char text[256]; // zero-terminated, at most 255 bytes
    int code;
};

// The keyword table: name, code; the value printer reads names through KeywordText.
struct KeywordEntry {
    const char* name;
    int code;
};
extern const KeywordEntry g_aKeywords[24];
// The text of keyword code 53..76, or null.
const char* KeywordText(int code);

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
    std::FILE* file = nullptr;
    int current = kNothingRead;
    int pushedCount = 0;
    int line = 1;
    int row = 0;
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
