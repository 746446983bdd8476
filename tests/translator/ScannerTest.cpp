#include "ParserSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Tokens = std::vector<std::pair<int, std::string>>;

struct Scanned {
    Tokens tokens; // up to and including the end of text or the failed token (kTokNothing)
    std::string note;
};

Scanned ScanAll(CScanner& scanner) {
    Scanned result;
    testing::internal::CaptureStdout();
    for (int i = 0; i < 10000; ++i) {
        Token tok{};
        scanner.GetToken(tok);
        result.tokens.emplace_back(tok.code, tok.text);
        if (tok.code == kTokEnd || tok.code == kTokNothing)
            break;
    }
    result.note = testing::internal::GetCapturedStdout();
    return result;
}

// The argument scanner over a memory pane on the "Аргумент" channel of the global sink.
class ScannerTest : public testing::Test {
protected:
    void SetUp() override {
        g_OutputSink.Attach(&m_pane, kChannelArgument);
        SetScannerNotes(WriteScannerNoteToStdout);
    }
    void TearDown() override {
        SetScannerNotes(nullptr);
        g_OutputSink.Attach(nullptr, kChannelArgument);
    }

    Scanned Scan(const std::string& text) {
        m_pane.SetText(text);
        CArgumentScanner scanner;
        EXPECT_TRUE(scanner.Open(nullptr));
        return ScanAll(scanner);
    }

    CMemoryPane m_pane;
};

// Each row's tokens are followed by the end of text, and no row writes a note. A naming
// arrow joins its name across blanks and comments; byte FF is an ordinary character.
TEST_F(ScannerTest, ScansEveryKindOfToken) {
    const std::pair<std::string, Tokens> cases[] = {
        {"", {}},
        {"x<<", {{kTokLeftNaming, "x"}}},
        {"x <<", {{kTokLeftNaming, "x"}}},
        {"x[]", {{kTokIdentifier, "x"}, {kTokEmptyPar, "[]"}}},
        {">>y", {{kTokRightNaming, "y"}}},
        {">> 5", {{kTokRightArrow, ">>"}, {kTokInteger, "5"}}},
        {"=< <=", {{kTokLessEqual, "=<"}, {kTokLessEqual, "<="}}},
        {"=> >=", {{kTokGreaterEqual, "=>"}, {kTokGreaterEqual, ">="}}},
        {"< > =", {{kTokLess, "<"}, {kTokGreater, ">"}, {kTokEqual, "="}}},
        {"<< !=", {{kTokLeftArrow, "<<"}, {kTokNotEqual, "!="}}},
        {"() ( )", {{kTokEmptyData, "()"}, {kTokLParen, "("}, {kTokRParen, ")"}}},
        {"{} [", {{kTokEmptyDelay, "{}"}, {kTokLBracket, "["}}},
        {"{x", {{kTokLBrace, "{"}, {kTokIdentifier, "x"}}},
        {". .. / *", {{kTokDot, "."}, {kTokRange, ".."}, {kTokSlash, "/"}, {kTokStar, "*"}}},
        {"#%+,", {{kTokHash, "#"}, {kTokPercent, "%"}, {kTokPlus, "+"}, {kTokComma, ","}}},
        {":;?]",
         {{kTokColon, ":"}, {kTokSemicolon, ";"}, {kTokQuestion, "?"}, {kTokRBracket, "]"}}},
        {"^|}", {{kTokCaret, "^"}, {kTokBar, "|"}, {kTokRBrace, "}"}}},
        {"-5", {{kTokInteger, "-5"}}},
        {"- 5", {{kTokMinus, "-"}, {kTokInteger, "5"}}},
        {"-.5", {{kTokReal, "-.5"}}},
        {"a-1", {{kTokIdentifier, "a"}, {kTokInteger, "-1"}}},
        {"1.5e+3", {{kTokReal, "1.5e+3"}}},
        {"1. 1e 2E-1;",
         {{kTokReal, "1."}, {kTokReal, "1e"}, {kTokReal, "2E-1"}, {kTokSemicolon, ";"}}},
        {"12)", {{kTokInteger, "12"}, {kTokRParen, ")"}}},
        {"'a' '''", {{kTokCharacter, "a"}, {kTokCharacter, "'"}}},
        {"true false dup", {{kTokBoolean, "true"}, {kTokBoolean, "false"}, {kTokDup, "dup"}}},
        {"int value block True",
         {{kKwInt, "int"}, {kKwValue, "value"}, {kKwBlock, "block"}, {kTokIdentifier, "True"}}},
        {"a.b a..b",
         {{kTokIdentifier, "a.b"}, {kTokIdentifier, "a."}, {kTokDot, "."}, {kTokIdentifier, "b"}}},
        {"_x1", {{kTokIdentifier, "_x1"}}},
        {R"("a\qb")", {{kTokString, R"(a\b)"}}},
        {R"("")", {{kTokString, ""}}},
        {R"("\"\\\b\n\r\t\v")", {{kTokString, "\"\\\b\n\r\t\v"}}},
        {"$ x", {{kTokIdentifier, "x"}}},
        {"x // comment", {{kTokIdentifier, "x"}}},
        {"/**/x /*/ */y", {{kTokIdentifier, "x"}, {kTokIdentifier, "y"}}},
        {"\xCF\xF0\xE8 x", {{kTokIdentifier, "x"}}},
        {"\x80x\x7Fy",
         {{kTokIdentifier, "x"}, {kTokIdentifier, "y"}}}, // the edges of the ASCII range

        {"f /* c */\r\n <<", {{kTokLeftNaming, "f"}}},
        {">> // c\n y", {{kTokRightNaming, "y"}}},
        {"a b <<", {{kTokIdentifier, "a"}, {kTokLeftNaming, "b"}}},
        {"a >> b", {{kTokIdentifier, "a"}, {kTokRightNaming, "b"}}},
        {">> >> b", {{kTokRightArrow, ">>"}, {kTokRightNaming, "b"}}},
        {"int <<", {{kKwInt, "int"}, {kTokLeftArrow, "<<"}}},
        {"x : f << g",
         {{kTokIdentifier, "x"}, {kTokColon, ":"}, {kTokLeftNaming, "f"}, {kTokIdentifier, "g"}}},

        {"\"\xFF\xFFz\"", {{kTokString, "\xFF\xFFz"}}},
        {"/* \xFF */ x // \xFF\ny", {{kTokIdentifier, "x"}, {kTokIdentifier, "y"}}},
        {"x\xFFy", {{kTokIdentifier, "x"}, {kTokIdentifier, "y"}}},
        {"'\xFF'", {{kTokCharacter, "\xFF"}}},
    };
    for (auto [text, tokens] : cases) {
        tokens.emplace_back(kTokEnd, "");
        const Scanned scanned = Scan(text);
        EXPECT_EQ(scanned.tokens, tokens) << text;
        EXPECT_EQ(scanned.note, "") << text;
    }
}

TEST_F(ScannerTest, FailedScanWritesNoteAndYieldsCodeZero) {
    const std::pair<std::string, std::string> cases[] = {
        {"x = !a", "line 1, row 6"},
        {"!", "line 1, row 2"},
        {"'ab'", "line 1, row 1"},
        {"'a", "line 1, row 1"},
        {"x\n  \"abc\nd\"", "line 2, row 3"},
        {"\"abc", "line 1, row 1"},
        {"a /* b", "line 1, row 7"},
        {"1.2.3", "line 1, row 4"},
        {"1+2", "line 1, row 2"},
        {"1e5e", "line 1, row 4"},
        {"1x", "line 1, row 2"},
        {"1.e5", "line 1, row 3"},
        {"1e+-", "line 1, row 4"},
        {"a\r\n\r\n b !x", "line 3, row 5"},
        {"a\r !x", "line 1, row 5"},
        {"/*\n*/ !x", "line 2, row 5"},
        {"// abc\n  !x", "line 2, row 4"},
        {"'a' !x", "line 1, row 4"},
        {"5\n!x", "line 2, row 2"},
        {"\t\t!x", "line 1, row 2"},
    };
    for (const auto& [text, where] : cases) {
        const Scanned scanned = Scan(text);
        EXPECT_EQ(scanned.note, "Scaner error: " + where + "\n") << text;
        EXPECT_EQ(scanned.tokens.back().first, kTokNothing) << text;
    }
}

// Open reads the "Аргумент" channel afresh each time and starts over; CR LF ends one line.
TEST_F(ScannerTest, OpenReadsTheArgumentChannelAndStartsOver) {
    m_pane.SetText("x\ny");
    CArgumentScanner scanner;
    g_OutputSink.Select(kChannelResult);
    scanner.Open("ignored");
    EXPECT_EQ(g_OutputSink.CurrentChannel(), kChannelArgument);
    EXPECT_EQ(g_OutputSink.Buffer(kChannelArgument), "x\ny");
    Token tok{};
    scanner.GetToken(tok);
    ASSERT_EQ(tok.code, kTokIdentifier);
    m_pane.SetText("a\r\nb\r\n");
    scanner.Open(nullptr);
    EXPECT_EQ(ScanAll(scanner).tokens,
              (Tokens{{kTokIdentifier, "a"}, {kTokIdentifier, "b"}, {kTokEnd, ""}}));
    int line = 0;
    int row = 0;
    scanner.GetPosition(line, row);
    EXPECT_EQ(line, 3);
    EXPECT_EQ(row, 1);
}

// A program file is read byte for byte; Open starts over, and fails on a missing file.
TEST(FileScannerTest, ReadsTheFileByteForByteAndOpenStartsOver) {
    const test::TempSource file("f <<\r\n\"\xFF\" /* \xFF */ \xFF y\r\n");
    CScanner scanner;
    ASSERT_TRUE(scanner.Open(file.Path().c_str()));
    Token tok{};
    scanner.GetToken(tok);
    ASSERT_TRUE(scanner.Open(file.Path().c_str()));
    EXPECT_EQ(
        ScanAll(scanner).tokens,
        (Tokens{
            {kTokLeftNaming, "f"}, {kTokString, "\xFF"}, {kTokIdentifier, "y"}, {kTokEnd, ""}}));
    int line = 0;
    int row = 0;
    scanner.GetPosition(line, row);
    EXPECT_EQ(line, 3);
    scanner.Close();
    scanner.Close();
    EXPECT_FALSE(scanner.Open((file.Path() + ".missing").c_str()));
    scanner.GetToken(tok);
    EXPECT_EQ(tok.code, kTokEnd);
}

} // namespace
