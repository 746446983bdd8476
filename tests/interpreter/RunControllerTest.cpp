// Run, Debug and the aborts as the IDE and the runner command them, without windows: the
// controller on a translated program, its host recording what the shell would show.

#include "InterpretSupport.h"

#include "interpreter/DebugControl.h"
#include "interpreter/RunController.h"
#include "model/Scope.h"
#include "translator/ParserSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

using namespace test;

namespace {

using Outcome = CRunSession::Outcome;

// fib 40 runs for minutes: long enough for any abort to find it at work.
constexpr const char* kProgram =
    "fib << funcdef n {\n"
    "  (n, 2) : < >> small ;\n"
    "  (2, small : int) : - >> branch ;\n"
    "  ({n}, {([(n, 1) : -, (n, 2) : -] : fib) : +}) : branch : . >> return\n"
    "};\n"
    "funcdef x { x : - >> return } >> neg;\n"
    "funcdef x { (x, 1) : + >> return } >> inc2;\n"
    "funcdef x { (x, 1) : + : inc2 >> return } >> inc;\n";

class RecordingHost : public CQueuedRunHost {
public:
    void ShowBox(const CMessageBox& box) override {
        boxes.push_back(box);
        flagsBehindBox = flagsBehindBox || g_bRunning || g_bDebugging;
    }
    void ShowChannel(int channel) override { channels.push_back(channel); }
    void WorkerEnded(const CRunReport& report) override { reports.push_back(report); }

    std::vector<CMessageBox> boxes;
    bool flagsBehindBox = false; // a box shown while the tool bar offered Abort
    std::vector<int> channels;
    std::vector<CRunReport> reports;
};

class RunControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_module = TranslateText(m_parser, kProgram).module;
        ASSERT_NE(m_module, nullptr);
        m_capture.emplace(kChannelTranslation);
    }

    // Run or Debug of the function at the list's index, the argument typed first.
    void Command(CRunController& controller, const std::string& function, const char* argument,
                 bool debug = false, int index = 1) {
        m_capture->Pane(kChannelArgument).SetText(W(argument));
        if (debug)
            controller.Debug(m_module, function, index);
        else
            controller.Run(m_module, function, index);
    }
    // A whole Run: the result channel's text, or "" when nothing was printed.
    std::string RunToEnd(const std::string& function, const char* argument) {
        CRunController controller(host);
        Command(controller, function, argument);
        controller.WaitForWorker();
        EXPECT_FALSE(controller.Running());
        return m_capture->Text(kChannelResult);
    }

    CScanner m_scanner;
    CParser m_parser{&m_scanner};
    CModuleNode* m_module = nullptr;
    std::optional<SinkCapture> m_capture;
    RecordingHost host;
};

// Which commands are refused with a box before a worker starts; an argument the worker
// refuses is reported as its run's end instead. Either way the argument pane stays as the
// user typed it. The texts of the boxes are in tests/golden/cases/arguments.tvn, through the
// runner, which has the same controller.
TEST_F(RunControllerTest, RefusedCommandsAndArgumentsLeaveTheArgumentAsTyped) {
    struct Case {
        const char* name;
        std::string function;
        int index;
        const char* argument;
        CMessageBox box;
    };
    const CMessageBox unknown{W("Неправильное имя запускаемой функции!"),
                              W("Неизвестно имя запускаемой функции.")};
    const Case cases[] = {
        {"nothing selected", "", -1, "5", unknown},
        {"not a function of the module", "missing", 1, "5", unknown},
        {"empty argument to evaluate",
         EvaluateArgumentEntry(),
         0,
         "",
         {W("Ошибка интерпретации аргумента !"), W("Пустая строка аргумента")}},
    };
    for (const Case& c : cases) {
        for (const bool debug : {false, true}) {
            host.boxes.clear();
            CRunController controller(host);
            Command(controller, c.function, c.argument, debug, c.index);
            ASSERT_EQ(host.boxes.size(), 1u) << c.name;
            EXPECT_EQ(host.boxes[0].caption, c.box.caption) << c.name;
            EXPECT_EQ(host.boxes[0].text, c.box.text) << c.name;
            EXPECT_FALSE(host.flagsBehindBox) << c.name;
            EXPECT_FALSE(controller.HasWorker()) << c.name;
            EXPECT_FALSE(controller.Running() || controller.Debugging()) << c.name;
            EXPECT_FALSE(g_bRunning || g_bDebugging) << c.name;
            EXPECT_EQ(m_capture->Pane(kChannelArgument).GetText(), W(c.argument)) << c.name;
        }
    }
    host.boxes.clear();
    EXPECT_EQ(RunToEnd("neg", "block { 1 >> x }"), "");
    ASSERT_EQ(host.reports.size(), 1u);
    EXPECT_EQ(host.reports[0].outcome, Outcome::Refused);
    EXPECT_EQ(m_capture->Pane(kChannelArgument).GetText(), W("block { 1 >> x }"));
    EXPECT_TRUE(host.boxes.empty());
}

// An abort ends the argument's evaluation as silently as a run's, and the commands are free
// again at once; the next Run waits for the aborted worker and prints its own result. One
// run in the whole application: another document may translate, not start; closing a
// document (or translating it) during its run ends the run first, and so does the
// controller going.
TEST_F(RunControllerTest, AbortOrCloseDuringALongArgumentThenRunAgain) {
    auto controller = std::make_unique<CRunController>(host);
    CRunController other(host);
    Command(*controller, "neg", "(40 : fib)");
    ASSERT_TRUE(controller->HasWorker());
    EXPECT_FALSE(controller->States(true).run);
    EXPECT_TRUE(controller->States(true).abortRun);
    EXPECT_FALSE(controller->States(false).translate);
    const CommandStates states = other.States(true);
    EXPECT_FALSE(states.run || states.debug || states.abortRun);
    EXPECT_TRUE(other.States(false).translate);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    controller->AbortRun();
    EXPECT_FALSE(controller->Running());
    EXPECT_FALSE(g_bRunning);
    EXPECT_TRUE(controller->States(true).run);
    Command(*controller, "neg", "5");
    controller->WaitForWorker();
    ASSERT_EQ(host.reports.size(), 2u);
    EXPECT_EQ(host.reports[0].outcome, Outcome::Stopped);
    EXPECT_EQ(host.reports[0].box.caption, "");
    EXPECT_EQ(host.reports[1].outcome, Outcome::Printed);
    EXPECT_EQ(m_capture->Text(kChannelResult), "-5\r\n");

    Command(*controller, "neg", "(40 : fib)");
    controller->EndRun();
    EXPECT_FALSE(controller->HasWorker());
    EXPECT_FALSE(g_bRunning);
    ASSERT_EQ(host.reports.size(), 3u);
    EXPECT_EQ(host.reports[2].outcome, Outcome::Stopped);
    Command(*controller, "neg", "(40 : fib)");
    ASSERT_EQ(CRunController::LiveWorkers(), 1);
    controller.reset();
    EXPECT_EQ(CRunController::LiveWorkers(), 0);
    EXPECT_TRUE(host.boxes.empty());
}

// Each abort is followed at once by the next command, without waiting for the aborted
// worker: the command waits for it (a Translate, for its own), starts cleanly and leaves
// the next run unharmed. Some aborts find the evaluation deep at work, others the worker
// starting.
TEST_F(RunControllerTest, AbortFollowedAtOnceByACommandAHundredTimes) {
    enum Next { kRun, kDebug, kTranslate };
    for (const Next command : {kRun, kDebug, kTranslate}) {
        SCOPED_TRACE(command);
        CRunController controller(host);
        Command(controller, "fib", "40");
        for (int round = 0; round < 100; ++round) {
            if (round % 4 == 1)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            controller.AbortRun();
            if (command == kRun) {
                Command(controller, "fib", "40");
            } else if (command == kDebug) {
                Command(controller, "fib", "40", true);
                ASSERT_TRUE(controller.Debugging());
                controller.AbortDebug();
                Command(controller, "fib", "40");
            } else {
                controller.EndRun();
                ASSERT_EQ(CRunController::LiveWorkers(), 0);
                Command(controller, "fib", "40");
            }
            ASSERT_EQ(CRunController::LiveWorkers(), 1) << round;
            ASSERT_TRUE(controller.Running()) << round;
        }
        controller.AbortRun();
        EXPECT_EQ(RunToEnd("neg", "5"), "-5\r\n");
        EXPECT_TRUE(host.boxes.empty());
        EXPECT_FALSE(g_bRunning || g_bDebugging);
    }
}

TEST_F(RunControllerTest, DebugPausesAtEachApplicationUntilReleasedOrAborted) {
    for (const bool abort : {false, true}) {
        host.reports.clear();
        host.channels.clear();
        CRunController controller(host);
        Command(controller, "inc", "5", true);
        EXPECT_TRUE(controller.Debugging());
        EXPECT_EQ(host.channels, std::vector<int>{kChannelDebug});
        // Debug again never starts a second session: it releases the paused step.
        ASSERT_TRUE(Eventually([] { return AnyStepWaiting(); }));
        EXPECT_EQ(m_capture->Text(kChannelDebug), "(5,1):+ ");
        Command(controller, "inc", "5", true);
        ASSERT_TRUE(Eventually([] { return AnyStepWaiting(); }));
        if (abort) {
            controller.AbortDebug();
            EXPECT_FALSE(controller.Debugging());
        }
        while (controller.HasWorker() && !abort) {
            if (AnyStepWaiting())
                Command(controller, "inc", "5", true);
            host.WaitUntil([&] { return !controller.HasWorker() || AnyStepWaiting(); });
        }
        controller.WaitForWorker();
        ASSERT_EQ(host.reports.size(), 1u);
        EXPECT_TRUE(host.reports[0].debug);
        if (abort) {
            EXPECT_EQ(host.reports[0].outcome, Outcome::Stopped);
            EXPECT_EQ(m_capture->Text(kChannelResult), "");
        } else {
            EXPECT_EQ(host.reports[0].outcome, Outcome::Printed);
            EXPECT_EQ(m_capture->Text(kChannelDebug),
                      "(5,1):+  -> 6\r\n6:inc2 (6,1):+  -> 7\r\n -> 7\r\n");
            EXPECT_EQ(m_capture->Text(kChannelResult), "7\r\n");
        }
        EXPECT_FALSE(controller.Debugging());
        EXPECT_FALSE(g_bDebugging);
    }
}

// Each row: the document translated, running, debugging; any document running, debugging;
// then the commands offered: translate, run, abort run, debug, abort debug.
TEST(RunControllerStatesTest, FollowTheDocumentAndTheApplicationWideSession) {
    // clang-format off
    const std::pair<const char*, std::array<bool, 10>> cases[] = {
        {"edited",                    {0, 0, 0, 0, 0, /**/ 1, 0, 0, 0, 0}},
        {"translated",                {1, 0, 0, 0, 0, /**/ 0, 1, 0, 1, 0}},
        {"running",                   {1, 1, 0, 1, 0, /**/ 0, 0, 1, 0, 0}},
        {"debugging",                 {1, 0, 1, 0, 1, /**/ 0, 0, 0, 1, 1}},
        {"edited while running",      {0, 1, 0, 1, 0, /**/ 0, 0, 1, 0, 0}},
        {"another document runs",     {1, 0, 0, 1, 0, /**/ 0, 0, 0, 0, 0}},
        {"another document debugs",   {1, 0, 0, 0, 1, /**/ 0, 0, 0, 0, 0}},
        {"edited while another runs", {0, 0, 0, 1, 0, /**/ 1, 0, 0, 0, 0}},
    };
    // clang-format on
    for (const auto& [name, row] : cases) {
        const CommandStates s = CRunController::StatesFor(row[0], row[1], row[2], row[3], row[4]);
        EXPECT_EQ((std::array<bool, 5>{s.translate, s.run, s.abortRun, s.debug, s.abortDebug}),
                  (std::array<bool, 5>{row[5], row[6], row[7], row[8], row[9]}))
            << name;
    }
}

} // namespace
