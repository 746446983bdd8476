#include "translator/Scanner.h"
#include "output/MemoryPane.h"
#include "output/OutputSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using Tokens = std::vector<std::pair<int, std::string>>;

struct Scanned {
    Tokens tokens; // up to and including the end of text or the failed token (code 0)
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
    void SetUp() override { g_OutputSink.Attach(&m_pane, kChannelArgument); }
    void TearDown() override { g_OutputSink.Attach(nullptr, kChannelArgument); }

    Scanned Scan(const std::string& text) {
        m_pane.SetText(text);
        CArgumentScanner scanner;
        EXPECT_TRUE(scanner.Open(nullptr));
        return ScanAll(scanner);
    }

    CMemoryPane m_pane;
};

TEST_F(ScannerTest, ScansEveryKindOfToken) {
    const std::pair<std::string, Tokens> cases[] = {
        {"", {{1, ""}}},
        {"x<<", {{52, "x"}, {1, ""}}},
        {"x <<", {{52, "x"}, {1, ""}}},
        {"x[]", {{35, "x"}, {8, "[]"}, {1, ""}}},
        {">>y", {{51, "y"}, {1, ""}}},
        {">> 5", {{23, ">>"}, {43, "5"}, {1, ""}}},
        {"=< <= => >=", {{16, "=<"}, {16, "<="}, {17, "=>"}, {17, ">="}, {1, ""}}},
        {"< > = << !=", {{12, "<"}, {13, ">"}, {18, "="}, {22, "<<"}, {19, "!="}, {1, ""}}},
        {"() ( ) {} [", {{7, "()"}, {30, "("}, {29, ")"}, {9, "{}"}, {32, "["}, {1, ""}}},
        {"{x", {{34, "{"}, {35, "x"}, {1, ""}}},
        {". .. / *", {{10, "."}, {11, ".."}, {5, "/"}, {4, "*"}, {1, ""}}},
        {"#%+,:;?]^|}",
         {{15, "#"},
          {6, "%"},
          {2, "+"},
          {24, ","},
          {27, ":"},
          {28, ";"},
          {20, "?"},
          {31, "]"},
          {26, "^"},
          {14, "|"},
          {33, "}"},
          {1, ""}}},
        {"-5", {{43, "-5"}, {1, ""}}},
        {"- 5", {{3, "-"}, {43, "5"}, {1, ""}}},
        {"-.5", {{44, "-.5"}, {1, ""}}},
        {"a-1", {{35, "a"}, {43, "-1"}, {1, ""}}},
        {"1.5e+3", {{44, "1.5e+3"}, {1, ""}}},
        {"1. 1e 2E-1;", {{44, "1."}, {44, "1e"}, {44, "2E-1"}, {28, ";"}, {1, ""}}},
        {"12)", {{43, "12"}, {29, ")"}, {1, ""}}},
        {"'a' '''", {{47, "a"}, {47, "'"}, {1, ""}}},
        {"true false dup", {{45, "true"}, {45, "false"}, {21, "dup"}, {1, ""}}},
        {"int value block True",
         {{62, "int"}, {76, "value"}, {53, "block"}, {35, "True"}, {1, ""}}},
        {"a.b a..b", {{35, "a.b"}, {35, "a."}, {10, "."}, {35, "b"}, {1, ""}}},
        {"_x1", {{35, "_x1"}, {1, ""}}},
        {R"("a\qb")", {{50, R"(a\b)"}, {1, ""}}},
        {R"("")", {{50, ""}, {1, ""}}},
        {R"("\"\\\b\n\r\t\v")", {{50, "\"\\\b\n\r\t\v"}, {1, ""}}},
        {"$ x", {{35, "x"}, {1, ""}}},
        {"x // comment", {{35, "x"}, {1, ""}}},
        {"/**/x /*/ */y", {{35, "x"}, {35, "y"}, {1, ""}}},
        {"\xCF\xF0\xE8 x", {{35, "x"}, {1, ""}}},
        {"\x80x\x7Fy", {{35, "x"}, {35, "y"}, {1, ""}}}, // the edges of the ASCII range
    };
    for (const auto& [text, tokens] : cases) {
        const Scanned scanned = Scan(text);
        EXPECT_EQ(scanned.tokens, tokens) << text;
        EXPECT_EQ(scanned.note, "") << text;
    }
}

TEST_F(ScannerTest, NamingArrowJoinsAcrossBlanksAndComments) {
    const std::pair<std::string, Tokens> cases[] = {
        {"f /* c */\r\n <<", {{52, "f"}, {1, ""}}},
        {">> // c\n y", {{51, "y"}, {1, ""}}},
        {"a b <<", {{35, "a"}, {52, "b"}, {1, ""}}},
        {"a >> b", {{35, "a"}, {51, "b"}, {1, ""}}},
        {">> >> b", {{23, ">>"}, {51, "b"}, {1, ""}}},
        {"int <<", {{62, "int"}, {22, "<<"}, {1, ""}}},
        {"x : f << g", {{35, "x"}, {27, ":"}, {52, "f"}, {35, "g"}, {1, ""}}},
    };
    for (const auto& [text, tokens] : cases)
        EXPECT_EQ(Scan(text).tokens, tokens) << text;
}

TEST_F(ScannerTest, ByteFFIsAnOrdinaryCharacter) {
    const std::pair<std::string, Tokens> cases[] = {
        {"\"\xFF\xFFz\"", {{50, "\xFF\xFFz"}, {1, ""}}},
        {"/* \xFF */ x // \xFF\ny", {{35, "x"}, {35, "y"}, {1, ""}}},
        {"x\xFFy", {{35, "x"}, {35, "y"}, {1, ""}}},
        {"'\xFF'", {{47, "\xFF"}, {1, ""}}},
    };
    for (const auto& [text, tokens] : cases)
        EXPECT_EQ(Scan(text).tokens, tokens) << text;
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

TEST_F(ScannerTest, CountsLinesOfCrLfText) {
    m_pane.SetText("a\r\nb\r\n");
    CArgumentScanner scanner;
    scanner.Open(nullptr);
    EXPECT_EQ(ScanAll(scanner).tokens, (Tokens{{35, "a"}, {35, "b"}, {1, ""}}));
    int line = 0;
    int row = 0;
    scanner.GetPosition(line, row);
    EXPECT_EQ(line, 3);
    EXPECT_EQ(row, 1);
}

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
    scanner.Open(nullptr);
    EXPECT_EQ(ScanAll(scanner).tokens, (Tokens{{35, "x"}, {35, "y"}, {1, ""}}));
}

class FileScannerTest : public testing::Test {
protected:
    void TearDown() override { std::filesystem::remove(m_path); }

    std::string Write(const std::string& bytes) {
        std::ofstream(m_path, std::ios::binary) << bytes;
        return m_path.string();
    }

    std::filesystem::path m_path = std::filesystem::temp_directory_path() /
                                   ("tirvane-scanner-" + std::to_string(::getpid()) + ".tvn");
};

TEST_F(FileScannerTest, ReadsTheFileByteForByte) {
    CScanner scanner;
    ASSERT_TRUE(scanner.Open(Write("f <<\r\n\"\xFF\" /* \xFF */ \xFF y\r\n").c_str()));
    EXPECT_EQ(ScanAll(scanner).tokens, (Tokens{{52, "f"}, {50, "\xFF"}, {35, "y"}, {1, ""}}));
    int line = 0;
    int row = 0;
    scanner.GetPosition(line, row);
    EXPECT_EQ(line, 3);
    scanner.Close();
    scanner.Close();
}

TEST_F(FileScannerTest, OpenStartsOverAndFailsOnAMissingFile) {
    CScanner scanner;
    const std::string path = Write("a\nb");
    ASSERT_TRUE(scanner.Open(path.c_str()));
    Token tok{};
    scanner.GetToken(tok);
    ASSERT_TRUE(scanner.Open(path.c_str()));
    EXPECT_EQ(ScanAll(scanner).tokens, (Tokens{{35, "a"}, {35, "b"}, {1, ""}}));
    EXPECT_FALSE(scanner.Open((path + ".missing").c_str()));
    scanner.GetToken(tok);
    EXPECT_EQ(tok.code, kTokEnd);
}

} // namespace
