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
        *out = new CIntValue(AsInt(input)->value + 1);
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
    CRunSession session(&m_module, "f", 1, false);
    session.Control().RequestStop();
    session.Execute({}, &box);
    EXPECT_TRUE(session.Control().StopRequested());
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

} // namespace
