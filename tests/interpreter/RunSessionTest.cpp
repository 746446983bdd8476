#include "InterpretSupport.h"

#include "interpreter/DebugControl.h"
#include "interpreter/RunSession.h"
#include "model/Scope.h"
#include "translator/Parser.h"
#include "translator/Scanner.h"
#include "values/Exeption.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

using namespace test;

namespace {

using Outcome = CRunSession::Outcome;

// The worker's part on a module whose start function "f" is scripted by the test.
class RunSessionExecuteTest : public ::testing::Test {
protected:
    void SetUp() override { g_bStopRequested = false; }
    void TearDown() override { g_bStopRequested = false; }

    void Define(CScriptedNode::Body body) {
        m_function = std::make_unique<CScriptedNode>("f", std::move(body));
        m_module.AddNamed("f", m_function.get());
    }

    Outcome Execute(const std::string& name = "f", int index = 1) {
        CRunSession session(&m_module, name, index, false);
        session.Params().argument = m_argument;
        m_nShown = 0;
        return session.Execute(
            [this] {
                ++m_nShown;
                m_strShownBefore = m_capture.Text(kChannelResult);
            },
            &box);
    }

    CModuleNode m_module;
    std::unique_ptr<CScriptedNode> m_function;
    SinkCapture m_capture{kChannelArgument};
    CArena m_argumentArena;
    CValue* m_argument = nullptr;
    CMessageBox box{"unset", "unset"};
    int m_nShown = 0;
    std::string m_strShownBefore = "unset";
};

TEST_F(RunSessionExecuteTest, ASuccessfulRunShowsTheResultChannelThenPrintsTheResult) {
    Define([](CValue* input, CValue** out) {
        *out = new CIntValue(static_cast<CIntValue*>(input)->value + 1);
        return true;
    });
    {
        CArenaScope scope(m_argumentArena);
        m_argument = new CIntValue(5);
    }
    EXPECT_EQ(Execute(), Outcome::Printed);
    EXPECT_EQ(m_capture.Text(kChannelResult), "6\r\n");
    EXPECT_EQ(m_nShown, 1);
    EXPECT_EQ(m_strShownBefore, "");
}

TEST_F(RunSessionExecuteTest, AnAbortThatCameInWhileTheWorkerStartedIsKept) {
    Define([](CValue* input, CValue** out) {
        *out = input;
        return true;
    });
    g_bStopRequested = true;
    Execute();
    EXPECT_TRUE(g_bStopRequested);
}

TEST_F(RunSessionExecuteTest, OutcomesOfRunsThatPrintNothing) {
    struct Case {
        const char* name;
        CScriptedNode::Body body;
        Outcome outcome;
        CMessageBox box;
    };
    CScriptedNode named("fact", [](CValue*, CValue**) { return false; });
    const Case cases[] = {
        {"run entry false",
         [](CValue*, CValue** out) {
             *out = new CIntValue(1);
             return false;
         },
         Outcome::NoResult,
         {"unset", "unset"}},
        {"user stop",
         [](CValue*, CValue**) -> bool { throw CExeption(nullptr, "", kErrUserStop); },
         Outcome::Stopped,
         {"unset", "unset"}},
        {"error with a node",
         [&named](CValue*, CValue**) -> bool {
             throw CExeption(&named, W("Отсутсвует return выражение в функции "), kErrNone);
         },
         Outcome::Failed,
         {W("Ошибка интерпретации"), W("Отсутсвует return выражение в функции fact")}},
        {"error without a node",
         [](CValue*, CValue**) -> bool { throw CExeption(nullptr, "text", kErrNone); },
         Outcome::Failed,
         {W("Ошибка интерпретации"), "text"}},
        {"memory limit",
         [](CValue*, CValue**) -> bool { throw CMemoryLimitError(); },
         Outcome::Failed,
         {W("Ошибка интерпретации"), W("Превышен предел памяти программы")}},
        {"anything else",
         [](CValue*, CValue**) -> bool { throw std::runtime_error("x"); },
         Outcome::Failed,
         {"Exception", "Exception"}},
    };
    for (const Case& c : cases) {
        Define(c.body);
        box = {"unset", "unset"};
        EXPECT_EQ(Execute(), c.outcome) << c.name;
        EXPECT_EQ(box.caption, c.box.caption) << c.name;
        EXPECT_EQ(box.text, c.box.text) << c.name;
        EXPECT_EQ(m_nShown, 0) << c.name;
        EXPECT_EQ(m_capture.Text(kChannelResult), "") << c.name;
    }
}

TEST_F(RunSessionExecuteTest, AnUnknownStartFunctionIsRefused) {
    EXPECT_EQ(Execute("missing"), Outcome::Failed);
    EXPECT_EQ(box.caption, W("Неправильное имя запускаемой функции!"));
    EXPECT_EQ(box.text, W("Неизвестно имя запускаемой функции."));
}

// The whole command on a translated program, the argument typed into channel 1.
class RunSessionTest : public ::testing::Test {
protected:
    static constexpr const char* kProgram = "funcdef x { x : - >> return } >> neg;\n"
                                            "funcdef { 7 >> return } >> seven;\n";

    void SetUp() override {
        g_bStopRequested = false;
        m_path = std::filesystem::temp_directory_path() /
                 ("tirvane-run-" + std::to_string(::getpid()) + ".tvn");
        std::ofstream(m_path, std::ios::binary) << kProgram;
        ASSERT_NO_THROW(m_parser.Translate(m_path.c_str(), &m_module));
        ASSERT_NE(m_module, nullptr);
        m_capture.emplace(kChannelTranslation);
    }
    void TearDown() override {
        g_bStopRequested = false;
        std::filesystem::remove(m_path);
    }

    // Prepares a session of function (index 0: "Вычисление аргумента") on argument.
    std::unique_ptr<CRunSession> Prepare(const std::string& function, const char* argument,
                                         bool debug = false) {
        const bool evaluateOnly = function.empty();
        auto session = std::make_unique<CRunSession>(
            m_module, evaluateOnly ? EvaluateArgumentEntry() : function, evaluateOnly ? 0 : 1,
            debug);
        m_capture->Pane(kChannelArgument).SetText(W(argument));
        box = {"unset", "unset"};
        prepared = session->PrepareArgument(&box);
        return session;
    }
    std::string Run(CRunSession& session) {
        m_capture->Pane(kChannelResult).SetText("");
        CMessageBox runBox;
        session.Execute({}, &runBox);
        return m_capture->Text(kChannelResult);
    }

    std::filesystem::path m_path;
    CScanner m_scanner;
    CParser m_parser{&m_scanner};
    CModuleNode* m_module = nullptr;
    std::optional<SinkCapture> m_capture;
    CMessageBox box;
    bool prepared = false;
};

TEST_F(RunSessionTest, TheArgumentIsEvaluatedAndHandedToTheRun) {
    struct Case {
        const char* name;
        const char* function; // empty: "Вычисление аргумента"
        const char* argument;
        const char* printed;
    };
    const Case cases[] = {
        {"argument only", "", "(1, 2)", "(1,2)\r\n"},
        {"function on argument", "neg", "5", "-5\r\n"},
        {"application inside the argument", "neg", "[(2, 3) : +]", "-5\r\n"},
        {"no argument", "seven", "", "7\r\n"},
        {"block", "neg", "block { (2, 3) : + >> break }", "-5\r\n"},
    };
    for (const Case& c : cases) {
        auto session = Prepare(c.function, c.argument);
        ASSERT_TRUE(prepared) << c.name << ": " << box.caption << " / " << box.text;
        EXPECT_EQ(Run(*session), c.printed) << c.name;
    }
}

TEST_F(RunSessionTest, ArgumentFailuresGiveTheirMessageBoxes) {
    struct Case {
        const char* name;
        const char* function;
        const char* argument;
        CMessageBox box;
    };
    const Case cases[] = {
        {"empty argument to evaluate",
         "",
         "",
         {W("Ошибка интерпретации аргумента !"), W("Пустая строка аргумента")}},
        {"syntax", "neg", ")", {W("Ошибка аргумента"), W("Ошибка синтаксиса аргумента!")}},
        {"unknown name",
         "neg",
         "nosuchname",
         {W("Ошибка аргумента"), W("Ошибка синтаксиса аргумента!")}},
        {"evaluation error names the temporary function",
         "neg",
         "block { 1 >> x }",
         {W("Ошибка интерпретации аргумента !"),
          W("Отсутсвует break выражение\nв одном из блоков функции function")}},
    };
    for (const Case& c : cases) {
        auto session = Prepare(c.function, c.argument);
        EXPECT_FALSE(prepared) << c.name;
        EXPECT_EQ(box.caption, c.box.caption) << c.name;
        EXPECT_EQ(box.text, c.box.text) << c.name;
    }
}

TEST_F(RunSessionTest, AStopLeftOverStopsTheArgumentWithAnEmptyText) {
    g_bStopRequested = true;
    auto session = Prepare("neg", "[(2, 3) : +]");
    EXPECT_FALSE(prepared);
    EXPECT_EQ(box.caption, W("Ошибка интерпретации аргумента !"));
    EXPECT_EQ(box.text, "");
}

TEST_F(RunSessionTest, ARunWithoutAnArgumentValueFailsWhereTheParameterIsUsed) {
    auto session = Prepare("neg", "");
    ASSERT_TRUE(prepared);
    CMessageBox runBox;
    EXPECT_EQ(session->Execute({}, &runBox), CRunSession::Outcome::Failed);
    EXPECT_EQ(runBox.caption, W("Ошибка интерпретации"));
    EXPECT_EQ(runBox.text, W("Аргумент функции не инициализирован в функции: neg"));
}

TEST_F(RunSessionTest, PreparingSelectsTheChannelTheRunWritesTo) {
    m_capture->Pane(kChannelDebug).SetText("old trace");
    g_OutputSink.Select(kChannelDebug);
    g_OutputSink.Write("old trace");
    auto plain = Prepare("neg", "5");
    ASSERT_TRUE(prepared);
    EXPECT_EQ(g_OutputSink.CurrentChannel(), kChannelArgument);
    EXPECT_EQ(m_capture->Text(kChannelDebug), "old trace");
    auto debug = Prepare("neg", "5", true);
    ASSERT_TRUE(prepared);
    EXPECT_EQ(g_OutputSink.CurrentChannel(), kChannelDebug);
    EXPECT_EQ(m_capture->Text(kChannelDebug), "");
}

} // namespace
