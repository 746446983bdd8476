// Translate, Run and Debug driven through the tool bar and the keys like a user would, and
// where they take the user: the line of a translation error (after Translate and by a double
// click on the report), the line each debug step stands at, how long a run took. What the run
// controller decides is tested without windows.

#include "IdeTestSupport.h"

#include "ide/RunClock.h"
#include "interpreter/RunSession.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QStatusBar>
#include <QTabBar>

namespace idetest {
namespace {

// Four lines, no line break after the last: the scanner stops on line 4.
const QString kGoodProgram = QStringLiteral("answer << funcdef { 42 >> return };\n"
                                            "funcdef x { (x, 2) : * >> return } >> double;\n"
                                            "funcdef x { (x, 1) : + : out >> return } >> inc;\n"
                                            "loop << funcdef x { x : loop >> return }");

using DocumentCommandsTest = FrameTest;

TEST_F(DocumentCommandsTest, FunctionListRemembersTheSelectionOfEachDocumentAndRunsIt) {
    CTirvaneIDEDoc* first = OpenTranslated(QStringLiteral("good.tvn"), kGoodProgram);
    EXPECT_EQ(FunctionListSelection(), -1); // the list was empty when Translate began
    SelectFunction(QStringLiteral("inc"));

    // An edit offers Translate again, and no Run nor Debug of the old translation; a later
    // Translate restores the index that was selected when it began.
    TypeText(first->View(), QStringLiteral(" "));
    frame->UpdateCommands();
    EXPECT_FALSE(IsEnabled(ID_RUN));
    EXPECT_FALSE(IsEnabled(ID_DEBUG));
    ASSERT_TRUE(Press(ID_TRANSLATE));
    EXPECT_EQ(FunctionListSelection(), 3);

    CTirvaneIDEDoc* second = OpenProgram(QStringLiteral("second.tvn"),
                                         QStringLiteral("funcdef x { x >> return } >> id"));
    ASSERT_TRUE(Press(ID_TRANSLATE));
    EXPECT_EQ(FunctionListItems(), QStringList({kEvaluateArgument, "id"}));
    SelectFunction(kEvaluateArgument);

    Activate(first);
    EXPECT_EQ(FunctionListItems().size(), 5);
    EXPECT_EQ(frame->FunctionList()->currentText(), QStringLiteral("inc"));
    Activate(second);
    EXPECT_EQ(frame->FunctionList()->currentText(), kEvaluateArgument);

    // "out" writes the result's pane, never the argument the user typed, and the result is
    // shown; the boxes of refused commands are the controller's (RunControllerTest).
    Activate(first);
    ASSERT_TRUE(Start(ID_RUN, QStringLiteral("inc"), QStringLiteral("5")));
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(PaneText(kChannelResult), QStringLiteral("6\n6\n"));
    EXPECT_EQ(PaneText(kChannelArgument), QStringLiteral("5"));
    EXPECT_EQ(frame->OutputBar()->ShownChannel(), kChannelResult);
    EXPECT_FALSE(g_bRunning);
    EXPECT_TRUE(IsEnabled(ID_RUN));
    EXPECT_FALSE(IsEnabled(ID_ABORT_RUN));

    frame->MdiArea()->closeAllSubWindows();
    EXPECT_TRUE(FunctionListItems().isEmpty());
}

// One application per line of the body, evaluated in the order of their names.
const QString kSteps = QStringLiteral("funcdef x {\n"
                                      "  (x, 1) : + >> a ;\n"
                                      "  (a, 2) : * >> b ;\n"
                                      "  (b, 3) : - >> return\n"
                                      "} >> calc;\n"
                                      // Some hundred million steps, none of them deep.
                                      "spin << funcdef n { ((1, 1000) : .. : [] : calc) : | "
                                      ">> return }\n"
                                      "funcdef x { ((1, 1000000) : .. : [] : spin) : | >> "
                                      "return } >> loop\n");

class NavigationTest : public FrameTest {
protected:
    int CaretLine(CTirvaneIDEDoc* doc) const { return doc->View()->textCursor().blockNumber() + 1; }

    bool LineVisible(CTirvaneIDEView* view, int line) const {
        const QRect box = view->LineRect(line);
        return box.top() >= 0 && box.bottom() < view->viewport()->height();
    }

    // Double-clicks the 1-based line of the "Трансляция" pane.
    void DoubleClickReportLine(int line) {
        COutputView* pane = View(kChannelTranslation);
        QTest::mouseDClick(pane->viewport(), Qt::LeftButton, {},
                           pane->LineRect(line - 1).center() + QPoint(4, 0));
    }
};

// Translate's report replaces the old one on its channel, which comes to the front. A good
// translation fills the function list and offers Run; a failed one takes the caret to the
// marked error line, scrolled into sight, as a double click on the report's line does.
TEST_F(NavigationTest, TranslateReportsAndTakesTheCaretToTheMarkedErrorLine) {
    QString longProgram;
    for (int i = 1; i <= 150; ++i)
        longProgram += QStringLiteral("funcdef x { x >> return } >> f%1;\n").arg(i);
    longProgram += QStringLiteral("funcdef x { y >> return } >> broken\n");
    for (int i = 0; i < 40; ++i)
        longProgram += QStringLiteral("// end\n");
    const auto error = [](int line, const QString& message) {
        return QStringLiteral("Трансляция...\nОшибка в строке %1 : %2\n").arg(line).arg(message);
    };
    const QString unknown = QStringLiteral("Неизвестный идентификатор : ");
    struct Case {
        const char* name;
        QString program;
        int line; // of the error; 0: none
        QString report;
        QStringList functions = {};
    };
    const Case cases[] = {
        // clang-format off
        {"good program", kGoodProgram, 0,
         QStringLiteral("Трансляция...\nПроверено строк : 4\nСинтаксических ощибок не найдено\n"),
         {kEvaluateArgument, "answer", "double", "inc", "loop"}},
        {"unknown name on line 3, named",
         QStringLiteral("funcdef x {\n  (x, 1) : + >> a ;\n  zz >> return\n} >> f\n"), 3,
         error(3, unknown + "\"zz\"")},
        {"missing brace on line 2", QStringLiteral("funcdef x { x >> return } >> f;\nfuncdef x {\n"),
         3, error(3, QStringLiteral("Пропущен терм (атом, список, блок или идентификатор)"))},
        {"far down a long program", longProgram, 151, error(151, unknown + "\"y\"")},
        // clang-format on
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTirvaneIDEDoc* doc = OpenProgram(QStringLiteral("p%1.tvn").arg(++n), c.program);
        ASSERT_NE(doc, nullptr);
        doc->View()->moveCursor(QTextCursor::Start);
        g_OutputSink.Select(kChannelTranslation);
        g_OutputSink.Write("old report");
        frame->OutputBar()->ShowChannel(kChannelResult);
        ASSERT_TRUE(Press(ID_TRANSLATE));
        EXPECT_EQ(PaneText(kChannelTranslation), c.report);
        EXPECT_EQ(frame->OutputBar()->ShownChannel(), kChannelTranslation);
        EXPECT_EQ(FunctionListItems(), c.functions);
        EXPECT_EQ(doc->Flags().translated, c.line == 0);
        EXPECT_EQ(IsEnabled(ID_TRANSLATE), c.line != 0);
        EXPECT_EQ(IsEnabled(ID_RUN), c.line == 0);
        EXPECT_EQ(doc->ErrorLine(), c.line);
        EXPECT_EQ(CaretLine(doc), std::max(c.line, 1));
        EXPECT_EQ(doc->View()->Marked(LineMark::Error), c.line ? QList<int>{c.line} : QList<int>{});
        EXPECT_TRUE(LineVisible(doc->View(), std::max(c.line, 1)));
    }

    // A double click on the report's error line goes there from another document;
    // "Трансляция..." names no line.
    CTirvaneIDEDoc* doc = frame->ActiveDocument();
    CTirvaneIDEDoc* other = OpenProgram(QStringLiteral("other.tvn"), kSteps);
    PlaceCaret(doc->View(), 1);
    DoubleClickReportLine(1);
    EXPECT_EQ(frame->ActiveDocument(), other);
    EXPECT_EQ(CaretLine(doc), 1);
    DoubleClickReportLine(2);
    EXPECT_EQ(frame->ActiveDocument(), doc);
    EXPECT_EQ(CaretLine(doc), 151);

    // The mark moves with its line and goes with a good translation.
    PlaceCaret(doc->View(), 1);
    QTest::keyClick(doc->View(), Qt::Key_Return);
    EXPECT_EQ(doc->ErrorLine(), 152);
    doc->View()->selectAll();
    TypeText(doc->View(), QStringLiteral("funcdef x { x >> return } >> f"));
    ASSERT_TRUE(Press(ID_TRANSLATE));
    EXPECT_EQ(doc->ErrorLine(), 0);
    EXPECT_TRUE(doc->View()->Marked(LineMark::Error).isEmpty());
}

// The steps' trace and the session's result are the controller's (RunControllerTest).
TEST_F(NavigationTest, DebugMarkerMovesWithEachStepAndGoesWhenTheSessionEnds) {
    CTirvaneIDEDoc* doc = OpenTranslated(QStringLiteral("steps.tvn"), kSteps);
    ASSERT_TRUE(Start(ID_DEBUG, QStringLiteral("calc"), QStringLiteral("5")));
    std::vector<int> lines;
    for (int step = 0; step < 3; ++step) {
        ASSERT_TRUE(WaitFor([] { return AnyStepWaiting(); })) << step;
        ASSERT_TRUE(WaitFor([&] { return doc->StepLine() == step + 2; }, 5000))
            << "step " << step << " marks line " << doc->StepLine();
        lines.push_back(doc->StepLine());
        EXPECT_EQ(doc->View()->Marked(LineMark::Step), QList<int>{step + 2});
        // The next step, not a second session; its trace comes to the front.
        frame->OutputBar()->ShowChannel(kChannelTranslation);
        ASSERT_TRUE(Press(ID_DEBUG));
        EXPECT_EQ(frame->OutputBar()->ShownChannel(), kChannelDebug);
    }
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(lines, (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(doc->StepLine(), 0);
    EXPECT_TRUE(doc->View()->Marked(LineMark::Step).isEmpty());

    // An aborted session takes its marker away at once.
    ASSERT_TRUE(Press(ID_DEBUG));
    ASSERT_TRUE(WaitFor([&] { return doc->StepLine() == 2; }));
    ASSERT_TRUE(Press(ID_ABORT_DEBUG));
    EXPECT_EQ(doc->StepLine(), 0);
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(doc->StepLine(), 0);
}

TEST_F(NavigationTest, StatusBarCountsTheRunAndTheResultTabTellsHowLongItTook) {
    OpenTranslated(QStringLiteral("clock.tvn"), kSteps);
    QLabel* clock = frame->RunClock()->Pane();
    EXPECT_FALSE(clock->isVisible());

    ASSERT_TRUE(Start(ID_DEBUG, QStringLiteral("calc"), QStringLiteral("2")));
    ASSERT_TRUE(WaitFor([] { return AnyStepWaiting(); }));
    EXPECT_TRUE(clock->isVisible());
    QTest::qWait(250);
    EXPECT_TRUE(clock->text().startsWith(QStringLiteral("Идёт отладка «clock.tvn»: 0,")))
        << clock->text().toStdString();
    EXPECT_NE(clock->text(), QStringLiteral("Идёт отладка «clock.tvn»: 0,0 с"));
    // The aborts belong to the running document: in another one they are greyed, and the
    // clock still names the document that runs.
    CTirvaneIDEDoc* debugged = frame->ActiveDocument();
    OpenProgram(QStringLiteral("other.tvn"), kSteps);
    EXPECT_FALSE(IsEnabled(ID_ABORT_DEBUG));
    EXPECT_TRUE(clock->text().contains(QStringLiteral("«clock.tvn»")));
    ASSERT_TRUE(frame->ActiveChild()->close());
    ASSERT_EQ(frame->ActiveDocument(), debugged);
    ASSERT_TRUE(Press(ID_ABORT_DEBUG));
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_FALSE(clock->isVisible());
    EXPECT_TRUE(frame->statusBar()->currentMessage().startsWith(
        QStringLiteral("Отладка прервана через 0,")))
        << frame->statusBar()->currentMessage().toStdString();

    // F5, F7, F10 and Shift+F10 in the editor are a newcomer's first session
    // (FirstSessionTest); Shift+F5 ends a run that would go on for minutes.
    SelectFunction(QStringLiteral("loop"));
    frame->activateWindow();
    debugged->View()->setFocus();
    QTest::keyClick(debugged->View(), Qt::Key_F5);
    QTest::qWait(20);
    EXPECT_TRUE(debugged->Flags().running);
    QTest::keyClick(debugged->View(), Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_FALSE(debugged->Flags().running);
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_FALSE(debugged->IsModified()); // the keys typed nothing into the text
    SelectFunction(QStringLiteral("calc"));
    ASSERT_TRUE(Press(ID_RUN));
    ASSERT_TRUE(WaitForRunEnd());
    const QString message = frame->statusBar()->currentMessage();
    EXPECT_TRUE(message.startsWith(QStringLiteral("Выполнение завершено за ")))
        << message.toStdString();
    EXPECT_EQ(frame->OutputBar()->Tabs()->tabToolTip(kChannelResult),
              QStringLiteral("Последний запуск: ") + message);
    EXPECT_EQ(PaneText(kChannelResult), QStringLiteral("3\n"));
}

TEST(RunClockTest, DurationsReadInSecondsAndMinutes) {
    const struct {
        qint64 ms;
        bool tenths;
        QString text;
    } cases[] = {
        {0, false, QStringLiteral("0,000 с")},
        {1250, false, QStringLiteral("1,250 с")},
        {1250, true, QStringLiteral("1,2 с")},
        {59999, false, QStringLiteral("59,999 с")},
        {61500, false, QStringLiteral("1 мин 01,500 с")},
        {125040, true, QStringLiteral("2 мин 05,0 с")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CRunClock::FormatDuration(c.ms, c.tenths), c.text) << c.ms;
    // A run that printed and a debug session stopped: the status bar case above.
    using Outcome = CRunSession::Outcome;
    EXPECT_EQ(CRunClock::EndText(false, 10, int(Outcome::Failed)),
              QStringLiteral("Выполнение завершилось ошибкой через 0,010 с"));
    EXPECT_EQ(CRunClock::EndText(true, 10, int(Outcome::NoResult)),
              QStringLiteral("Отладка завершена без результата за 0,010 с"));
}

} // namespace
} // namespace idetest
