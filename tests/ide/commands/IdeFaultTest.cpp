// Faults of the IDE's sessions: windows closed and the application quit while a run or a
// debug session goes on, and two documents at work at the same time. After each, no worker may be
// left, no flag set, no box shown that the user did not cause, and the next run must print its
// exact result.

#include "IdeTestSupport.h"

#include "interpreter/RunController.h"

#include <QPointer>

#include <utility>

namespace idetest {
namespace {

// fib 40 runs for minutes: long enough for every abort to find it at work; fib 20 ends
// in a few hundredths of a second.
const QString kProgram =
    QStringLiteral("fib << funcdef n {\n"
                   "  (n, 2) : < >> small ;\n"
                   "  (2, small : int) : - >> branch ;\n"
                   "  ({n}, {([(n, 1) : -, (n, 2) : -] : fib) : +}) : branch : . >> return\n"
                   "};\n"
                   "funcdef x { (x, 2) : * >> return } >> double");
const QString kLongArgument = QStringLiteral("40");

QString SuccessReport(int lines) {
    return QStringLiteral("Трансляция...\nПроверено строк : %1\nСинтаксических ощибок не найдено\n")
        .arg(lines);
}

// The sanitized build runs the interpreter and the parser several times slower: a smaller
// program and shorter runs keep the same order of events there.
#ifdef TIRVANE_SANITIZED
constexpr int kBigProgramFunctions = 4000;
constexpr int kFirstRunLength = 12;
constexpr int kLastRunLength = 22;
#else
constexpr int kBigProgramFunctions = 20000;
constexpr int kFirstRunLength = 16;
constexpr int kLastRunLength = 26;
#endif

// One function a line, each with a name of its own: the translation takes a while and
// fills a long function list.
QString BigProgram(QStringList* functionList) {
    QStringList lines;
    QStringList names;
    for (int i = 0; i < kBigProgramFunctions; ++i) {
        const QString name = QStringLiteral("f%1").arg(i);
        lines << QStringLiteral("%1 << funcdef x { (x, %2) : + >> return }").arg(name).arg(i);
        names << name;
    }
    names.sort(); // the module's table is in byte order
    *functionList = QStringList{kEvaluateArgument} + names;
    return lines.join(QStringLiteral(";\n"));
}

class IdeFaultTest : public FrameTest {
protected:
    CTirvaneIDEDoc* OpenFib(const QString& name) {
        CTirvaneIDEDoc* doc = OpenTranslated(name, kProgram);
        EXPECT_EQ(PaneText(kChannelTranslation), SuccessReport(6));
        return doc;
    }

    // Debugs double 5 up to its first step.
    void StartDebugPause() {
        ASSERT_TRUE(Start(ID_DEBUG, QStringLiteral("double"), QStringLiteral("5")));
        ASSERT_TRUE(WaitFor([] { return AnyStepWaiting(); }));
        ASSERT_TRUE(WaitFor([this] { return PaneText(kChannelDebug) == "(5,2):* "; }))
            << PaneText(kChannelDebug).toStdString();
    }

    // The next run in the active document prints exactly its result.
    void ExpectNextRunPrints42() {
        ASSERT_TRUE(Start(ID_RUN, QStringLiteral("double"), QStringLiteral("21")));
        ASSERT_TRUE(WaitForRunEnd());
        EXPECT_EQ(PaneText(kChannelResult), QStringLiteral("42\n"));
        ExpectNothingLeft();
    }

    void ExpectNothingLeft() {
        EXPECT_EQ(CRunController::LiveWorkers(), 0);
        EXPECT_FALSE(g_bRunning);
        EXPECT_FALSE(g_bDebugging);
        EXPECT_EQ(boxes, std::vector<StopBox>{});
    }

    // Closed windows and their documents are deleted later; this is later.
    static void DeleteClosedWindows() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
};

// A close during a run, or right after its abort, is the controller's (RunControllerTest);
// here a close during a debug pause, and a quit during a run with another document open.
TEST_F(IdeFaultTest, ClosingADocumentDuringADebugPauseLeavesNoWorker) {
    QPointer<CTirvaneIDEDoc> doc = OpenFib(QStringLiteral("close.tvn"));
    StartDebugPause();
    ASSERT_TRUE(frame->ActiveChild()->close());
    ExpectNothingLeft();
    DeleteClosedWindows();
    EXPECT_TRUE(frame->MdiArea()->subWindowList().isEmpty());
    EXPECT_TRUE(doc.isNull());
    EXPECT_TRUE(PaneText(kChannelResult).isEmpty());
    OpenFib(QStringLiteral("next.tvn"));
    ExpectNextRunPrints42();
}

TEST_F(IdeFaultTest, QuittingDuringARunEndsItAndClosesEveryWindow) {
    QPointer<CTirvaneIDEDoc> idle = OpenFib(QStringLiteral("idle.tvn"));
    QPointer<CTirvaneIDEDoc> running = OpenFib(QStringLiteral("running.tvn"));
    // fib 40, a run that will not end by itself.
    ASSERT_TRUE(Start(ID_RUN, QStringLiteral("fib"), kLongArgument));
    EXPECT_TRUE(g_bRunning);
    QTest::qWait(20);
    EXPECT_EQ(CRunController::LiveWorkers(), 1);
    ASSERT_TRUE(frame->close());
    ExpectNothingLeft();
    EXPECT_FALSE(frame->isVisible());
    DeleteClosedWindows();
    EXPECT_TRUE(frame->MdiArea()->subWindowList().isEmpty());
    EXPECT_TRUE(idle.isNull());
    EXPECT_TRUE(running.isNull());
    // The next start of the application runs as the first did.
    Restart();
    OpenFib(QStringLiteral("again.tvn"));
    ExpectNextRunPrints42();
}

int Fibonacci(int n) {
    int a = 0;
    int b = 1;
    for (int i = 0; i < n; ++i)
        b = std::exchange(a, b) + b;
    return a;
}

// The translation holds the window while the other document's worker ends its run and
// prints the result. Runs of growing length end before, while and after the parser reads
// the program; each text must reach its own pane whenever it comes.
TEST_F(IdeFaultTest, TranslatingOneDocumentWhileAnotherRunsKeepsBothOutputs) {
    QStringList bigFunctions;
    CTirvaneIDEDoc* big = OpenProgram(QStringLiteral("big.tvn"), BigProgram(&bigFunctions));
    ASSERT_NE(big, nullptr);
    CTirvaneIDEDoc* running = OpenFib(QStringLiteral("running.tvn"));
    for (int n = kFirstRunLength; n <= kLastRunLength; n += 2) {
        SCOPED_TRACE(n);
        Activate(big);
        if (big->Flags().translated)
            TypeText(big->View(), QStringLiteral(" ")); // so that Translate is offered again
        Activate(running);
        ASSERT_TRUE(Start(ID_RUN, QStringLiteral("fib"), QString::number(n)));
        Activate(big);
        ASSERT_TRUE(Press(ID_TRANSLATE));
        EXPECT_EQ(PaneText(kChannelTranslation), SuccessReport(kBigProgramFunctions));
        EXPECT_EQ(FunctionListItems(), bigFunctions);
        EXPECT_TRUE(big->Flags().translated);
        ASSERT_TRUE(WaitForRunEnd());
        EXPECT_EQ(PaneText(kChannelResult), QStringLiteral("%1\n").arg(Fibonacci(n)));
        ExpectNothingLeft();
    }

    // The translated document runs its own functions.
    ASSERT_TRUE(Start(ID_RUN, QStringLiteral("f41"), QStringLiteral("1")));
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(PaneText(kChannelResult), QStringLiteral("42\n"));
    Activate(running);
    ExpectNextRunPrints42();
}

// A Translate of another document between two steps must not take the trace with it.
TEST_F(IdeFaultTest, TranslatingAnotherDocumentDuringADebugPauseKeepsTheTraceInItsPane) {
    CTirvaneIDEDoc* other = OpenProgram(QStringLiteral("other.tvn"), kProgram);
    CTirvaneIDEDoc* debugged = OpenFib(QStringLiteral("debugged.tvn"));
    StartDebugPause();
    Activate(other);
    ASSERT_TRUE(Press(ID_TRANSLATE));
    EXPECT_EQ(PaneText(kChannelTranslation), SuccessReport(6));
    Activate(debugged);
    ASSERT_TRUE(Press(ID_DEBUG)); // the next step
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(PaneText(kChannelDebug), QStringLiteral("(5,2):*  -> 10\n"));
    EXPECT_EQ(PaneText(kChannelResult), QStringLiteral("10\n"));
    EXPECT_EQ(PaneText(kChannelTranslation), SuccessReport(6));
    ExpectNothingLeft();
}

} // namespace
} // namespace idetest
