#include "InterpretSupport.h"

#include "interpreter/DebugControl.h"
#include "interpreter/RunSession.h"
#include "model/Scope.h"
#include "output/OutputSink.h"
#include "translator/Parser.h"
#include "translator/ParserSupport.h"
#include "translator/Scanner.h"
#include "values/Exeption.h"
#include "values/StackGuard.h"

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

TEST_F(RunSessionExecuteTest, TheOutcomeOfARunAndWhatItShows) {
    struct Case {
        const char* name;
        CScriptedNode::Body body;
        Outcome outcome;
        CMessageBox box;
        const char* start = "f";
    };
    CScriptedNode named("fact", [](CValue*, CValue**) { return false; });
    const auto throws = [](auto error) {
        return [error](CValue*, CValue**) -> bool { throw error; };
    };
    const auto unset = CMessageBox{"unset", "unset"};
    const Case cases[] = {
        // clang-format off
        {"run entry false", [](CValue*, CValue** out) { *out = new CIntValue(1); return false; },
         Outcome::NoResult, unset},
        {"user stop", throws(CExeption(nullptr, "", kErrUserStop)), Outcome::Stopped, unset},
        {"error with a node",
         throws(CExeption(&named, W("Отсутсвует return выражение в функции "), kErrNone)),
         Outcome::Failed, {W("Ошибка интерпретации"), W("Отсутсвует return выражение в функции fact")}},
        {"error without a node", throws(CExeption(nullptr, "text", kErrNone)), Outcome::Failed,
         {W("Ошибка интерпретации"), "text"}},
        {"anything else", throws(std::runtime_error("x")), Outcome::Failed,
         {"Exception", "Exception"}},
        {"unknown start function", [](CValue*, CValue**) { return true; }, Outcome::Failed,
         {W("Неправильное имя запускаемой функции!"), W("Неизвестно имя запускаемой функции.")},
         "missing"},
        // clang-format on
    };
    for (const Case& c : cases) {
        Define(c.body);
        box = unset;
        EXPECT_EQ(Execute(c.start), c.outcome) << c.name;
        EXPECT_EQ(box.caption, c.box.caption) << c.name;
        EXPECT_EQ(box.text, c.box.text) << c.name;
        EXPECT_EQ(m_nShown, 0) << c.name;
        EXPECT_EQ(m_capture.Text(kChannelResult), "") << c.name;
    }
    // A run that prints shows the result channel first, then prints the result.
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

    // An abort that came in while the worker started is kept.
    CRunSession session(&m_module, "f", 1, false);
    session.Params().argument = m_argument;
    session.Control().RequestStop();
    session.Execute({}, &box);
    EXPECT_TRUE(session.Control().StopRequested());
}

// Recursion, named values, constants computed on demand, delayed lists and "out".
constexpr const char* kSharedProgram =
    "fib << funcdef n {\n"
    "  (n, 2) : < >> small ;\n"
    "  (2, small : int) : - >> branch ;\n"
    "  ({n}, {([(n, 1) : -, (n, 2) : -] : fib) : +}) : branch : . >> return\n"
    "};\n"
    "const (2, 3, 5, 7, 11) >> primes\n"
    "const primes : | >> count\n"
    "funcdef n {\n"
    "  (n, 1) : + >> next ;\n"
    "  (primes : n, (next, next) : *) : out >> pair ;\n"
    "  (pair, {(n, 2) : *, (next, n) : -} : .) >> return\n"
    "} >> square;\n"
    "funcdef k { ([1, 2, 3, 4] : square, (count, k) : *) >> return } >> squares;\n"
    "funcdef k { ((count, k) : *, primes : k, k : fib) >> return } >> scaled;\n";

// Runs of one translated module on several threads at once print, each into its own sink,
// exactly what they print one after the other: traced and untraced, the same function
// twice at once.
TEST(RunSessionSharingTest, RunsOfOneModuleAtOnceMatchRunsOneAfterTheOther) {
    CScanner scanner;
    CParser parser(&scanner);
    const Translation translation = TranslateText(parser, kSharedProgram);
    ASSERT_TRUE(translation.ok) << translation.report;
    const struct {
        const char* function;
        const char* argument;
        bool debug;
    } cases[] = {{"fib", "16", false},  {"fib", "7", true},      {"squares", "2", false},
                 {"scaled", "3", true}, {"squares", "3", false}, {"fib", "16", false}};
    constexpr std::size_t kCount = std::size(cases);
    // Each run's sink: its result channel, then its trace.
    struct Run {
        COutputPanelSink sink;
        std::unique_ptr<CRunSession> session;
        Outcome outcome = Outcome::Failed;
        CMessageBox box;
        std::string Printed() const {
            return sink.Buffer(kChannelResult) + "|" + sink.Buffer(kChannelDebug);
        }
    };
    const auto prepare = [&](Run& run, std::size_t i) {
        run.sink.Select(kChannelArgument);
        run.sink.Write(cases[i].argument);
        run.session = std::make_unique<CRunSession>(translation.module, cases[i].function, 1,
                                                    cases[i].debug, nullptr, &run.sink);
        run.session->Control().SetAutoRelease(true);
        ASSERT_TRUE(run.session->ReadArgument(&run.box)) << cases[i].function;
    };
    Run alone[kCount];
    for (std::size_t i = 0; i < kCount; ++i) {
        prepare(alone[i], i);
        RunOnLargeStack([&] { alone[i].outcome = alone[i].session->Execute({}, &alone[i].box); });
        EXPECT_EQ(alone[i].outcome, Outcome::Printed) << cases[i].function;
    }
    EXPECT_EQ(alone[0].sink.Buffer(kChannelResult), "987\r\n");
    EXPECT_EQ(alone[2].sink.Buffer(kChannelResult).substr(0, 6), "(2,4)\r");
    EXPECT_NE(alone[1].sink.Buffer(kChannelDebug), "") << "a traced run writes its trace";

    Run together[kCount];
    CLargeStackThread threads[kCount];
    for (std::size_t i = 0; i < kCount; ++i)
        prepare(together[i], i);
    for (std::size_t i = 0; i < kCount; ++i) {
        ASSERT_TRUE(threads[i].Start(
            [&, i] { together[i].outcome = together[i].session->Execute({}, &together[i].box); }));
    }
    for (std::size_t i = 0; i < kCount; ++i) {
        threads[i].Join();
        EXPECT_EQ(together[i].outcome, alone[i].outcome) << cases[i].function;
        EXPECT_EQ(together[i].Printed(), alone[i].Printed()) << cases[i].function;
    }
}

} // namespace
