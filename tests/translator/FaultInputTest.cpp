// Hostile program files and argument texts: very large and very deeply nested texts. Each
// must end in a module (a value) or one clear report line (a message box), never in a crash.
// Bytes no editor writes, odd line ends and tokens at the token record's limit are in
// tests/golden/cases/translate-inputs.tvn.

#include "ParserSupport.h"

#include "TwinRun.h"
#include "values/StackGuard.h"

#include <gtest/gtest.h>

using namespace test;

namespace {

const std::string kStackReport =
    "Трансляция...\r\nОшибка в строке 1 : Переполнение стека: слишком глубокая рекурсия\r\n";

std::string Repeat(const std::string& text, std::size_t times) {
    std::string result;
    result.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        result += text;
    return result;
}

class FaultInputTest : public ::testing::Test {
protected:
    CScanner m_scanner;
    CParser m_parser{&m_scanner};
};

TEST_F(FaultInputTest, TenMegabyteProgramTranslates) {
    std::string program;
    int functions = 0;
    while (program.size() < 10u << 20) {
        program += "funcdef x { (x, " + std::to_string(functions) + ") : + >> return } >> f" +
                   std::to_string(functions) + "\n";
        ++functions;
    }
    const Translation result = TranslateText(m_parser, program);
    ASSERT_TRUE(result.ok) << result.report.substr(0, 200);
    EXPECT_EQ(result.report, SuccessReport(functions + 1));
    EXPECT_EQ(result.module->named.size(), static_cast<std::size_t>(functions));
}

// Every nesting rule of the parser, 10,000 deep, on an ordinary thread's stack: either the
// program translates or the report names the stack, and the parser stays usable. On the
// large stack the runner translates with, the same nesting translates (cli.translate_deep).
TEST_F(FaultInputTest, TenThousandNestedBracketsNeverOverflowTheParser) {
    constexpr std::size_t kDepth = 10000;
    const auto nested = [](const char* open, const char* inner, const char* close) {
        return Repeat(open, kDepth) + inner + Repeat(close, kDepth);
    };
    const std::string translated = SuccessReport(1);
    const std::string unclosed = "Трансляция...\r\nОшибка в строке 1 : Пропущен терм (атом, "
                                 "список, блок или идентификатор)\r\n";
    const struct {
        const char* name;
        std::string program;
        const std::string& report; // the report when the stack suffices
    } cases[] = {
        {"data lists", "funcdef x { " + nested("(", "x", ")") + " } >> f", translated},
        {"parallel lists", "funcdef x { " + nested("[", "x", "]") + " } >> f", translated},
        {"delay lists", "funcdef x { " + nested("{", "x", "}") + " } >> f", translated},
        {"blocks", "funcdef x { " + nested("block { ", "x >> break", " } >> break") + " } >> f",
         translated},
        {"applications", "f << funcdef x { f " + Repeat("^ f ", kDepth) + "^ x }", translated},
        {"constant lists", "const " + nested("(", "1", ")") + " >> c", translated},
        {"constant applications", "const c " + Repeat("^ c ", kDepth) + "^ 1 >> c", translated},
        {"unclosed brackets", "funcdef x { " + Repeat("(", kDepth), unclosed},
    };
    for (const auto& c : cases) {
        const Translation result = TranslateText(m_parser, c.program);
        if (result.report != kStackReport) {
            EXPECT_EQ(result.report, c.report) << c.name;
        }
        EXPECT_TRUE(TranslateText(m_parser, "funcdef x { x } >> f").ok) << c.name;
    }
}

// Argument texts that the "Аргумент" pane may hold: parsed and evaluated on the run's
// worker, whose stack, however large, must not overflow.
class FaultArgumentTest : public FaultInputTest {
protected:
    void SetUp() override {
        m_module = TranslateText(m_parser, "funcdef x { x : | >> return } >> count").module;
        ASSERT_NE(m_module, nullptr);
    }

    // Runs "Вычисление аргумента" or the function on a large stack, as the Run command does.
    twin::CRunRecord Evaluate(const std::string& argument, const std::string& function = {},
                              std::size_t stack = 0) {
        return twin::RunOnce(m_module, function, function.empty() ? 0 : 1, argument, false,
                             {-1, stack});
    }
    static bool Printed(const twin::CRunRecord& run) {
        return run.outcome == CRunSession::Outcome::Printed;
    }

    CModuleNode* m_module = nullptr;
};

TEST_F(FaultArgumentTest, TenThousandNestedBracketsInAnArgumentGiveAValueOrABox) {
    constexpr std::size_t kDepth = 10000;
    const std::string nestedData = Repeat("(", kDepth) + "7" + Repeat(")", kDepth);
    const struct {
        std::string argument;
        std::string printed; // when the stack suffices
    } cases[] = {
        {nestedData, nestedData + "\r\n"},
        // A parallel list of one element is that element.
        {Repeat("[", kDepth) + "7" + Repeat("]", kDepth), "7\r\n"},
    };
    for (const auto& c : cases) {
        const twin::CRunRecord result = Evaluate(c.argument);
        const char open = c.argument[0];
        if (Printed(result)) {
            EXPECT_EQ(result.result, c.printed) << open;
        } else {
            EXPECT_FALSE(result.box.caption.empty()) << open;
            EXPECT_FALSE(result.box.text.empty()) << open;
        }
    }
    const twin::CRunRecord unclosed = Evaluate(Repeat("(", kDepth));
    EXPECT_FALSE(Printed(unclosed));
    EXPECT_EQ(unclosed.box.caption, W("Ошибка аргумента"));
}

TEST_F(FaultArgumentTest, AnArgumentNestedBeyondTheStackReportsTheStackNotItsSyntax) {
    constexpr std::size_t kDepth = 1000000; // beyond a worker's stack of 64 MiB
    constexpr std::size_t kStack = std::size_t(64) << 20;
    for (const char* brackets : {"()", "[]"}) {
        const std::string argument = Repeat(std::string(1, brackets[0]), kDepth) + "7" +
                                     Repeat(std::string(1, brackets[1]), kDepth);
        const twin::CRunRecord result = Evaluate(argument, {}, kStack);
        EXPECT_FALSE(Printed(result)) << brackets;
        EXPECT_EQ(result.box.caption, W("Ошибка аргумента")) << brackets;
        EXPECT_EQ(result.box.text, W("Переполнение стека: слишком глубокая рекурсия ")) << brackets;
    }
    // A syntax error is still reported as one.
    const twin::CRunRecord wrong = Evaluate("(7,");
    EXPECT_EQ(wrong.box.text, W("Ошибка синтаксиса аргумента!"));
    EXPECT_EQ(Evaluate("(7)").result, "(7)\r\n");
}

TEST_F(FaultArgumentTest, AMegabyteArgumentIsEvaluatedWhole) {
    constexpr int kOnes = 350000; // "1, " three bytes each: just over 1 MB
    std::string list = "(" + Repeat("1, ", kOnes - 1) + "1)";
    ASSERT_GT(list.size(), 1u << 20);
    const twin::CRunRecord counted = Evaluate(list, "count");
    ASSERT_TRUE(Printed(counted)) << Cp1251ToUtf8(counted.box.text);
    EXPECT_EQ(counted.result, std::to_string(kOnes) + "\r\n");
    const twin::CRunRecord printed = Evaluate(list);
    ASSERT_TRUE(Printed(printed));
    EXPECT_EQ(printed.result, "(" + Repeat("1,", kOnes - 1) + "1)\r\n");
}

} // namespace
