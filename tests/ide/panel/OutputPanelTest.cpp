// The output panel as the user and the sink see it: tabs, panes, writes from both threads.

#include "IdeTestSupport.h"

#include "ide/Commands.h"
#include "ide/OutputBar.h"
#include "ide/TextCodec.h"
#include "interpreter/RunController.h"
#include "output/Encoding.h"
#include "output/OutputSink.h"
#include "output/ThreadSanitizer.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

namespace idetest {
namespace {

using OutputPanelTest = FrameTest;

// The text a pane shows, breaks left out, is the text written to its channel without its
// line ends: nothing lost, nothing doubled, whatever the pane cut for display.
void ExpectShowsAllWritten(const QString& text, int channel) {
    QString shown = text;
    shown.remove(u'\n');
    std::string written = g_OutputSink.Buffer(channel);
    std::erase_if(written, [](char c) { return c == '\r' || c == '\n'; });
    EXPECT_EQ(shown, FromCp1251(written));
}

TEST_F(OutputPanelTest, StartsWithTranslationTabShownAndResultChannelCurrent) {
    QTabBar* tabs = frame->OutputBar()->Tabs();
    ASSERT_EQ(tabs->count(), kChannelCount);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Трансляция"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Аргумент"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Отладка"));
    EXPECT_EQ(tabs->tabText(3), QStringLiteral("Результат"));
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(g_OutputSink.CurrentChannel(), kChannelResult);
    for (int channel = 0; channel < kChannelCount; ++channel) {
        EXPECT_EQ(Pane(channel)->isVisible(), channel == 0) << channel;
        EXPECT_TRUE(PaneText(channel).isEmpty()) << channel;
    }
}

TEST_F(OutputPanelTest, ClickingArgumentTabPutsCaretIntoItsPane) {
    QTabBar* tabs = frame->OutputBar()->Tabs();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(kChannelArgument).center());
    EXPECT_EQ(tabs->currentIndex(), kChannelArgument);
    EXPECT_TRUE(Pane(kChannelArgument)->isVisible());
    EXPECT_FALSE(Pane(kChannelTranslation)->isVisible());
    EXPECT_EQ(frame->focusWidget(), Pane(kChannelArgument));

    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(kChannelDebug).center());
    EXPECT_TRUE(Pane(kChannelDebug)->isVisible());
    EXPECT_FALSE(Pane(kChannelArgument)->isVisible());
}

TEST_F(OutputPanelTest, ShowChannelSwitchesTabWithoutChangeNotification) {
    QSignalSpy spy(frame->OutputBar()->Tabs(), &QTabBar::currentChanged);
    g_OutputSink.Select(kChannelTranslation);
    frame->OutputBar()->ShowChannel(kChannelDebug);
    EXPECT_EQ(frame->OutputBar()->ShownChannel(), kChannelDebug);
    EXPECT_TRUE(Pane(kChannelDebug)->isVisible());
    EXPECT_FALSE(Pane(kChannelTranslation)->isVisible());
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(g_OutputSink.CurrentChannel(), kChannelTranslation);
}

TEST_F(OutputPanelTest, WritesShowInThePaneAsTheSinkBuffersThem) {
    struct Case {
        const char* name;
        std::function<void()> write;
        QString shown;
    };
    const Case cases[] = {
        {"line continued", [] { g_OutputSink.Write("ab").Write('c'); }, QStringLiteral("abc")},
        {"line break", [] { g_OutputSink.Write("a").Write(g_szNewLine).Write("b"); },
         QStringLiteral("a\nb")},
        {"break split over writes", [] { g_OutputSink.Write("a\r").Write("\nb"); },
         QStringLiteral("a\nb")},
        {"Cyrillic", [] { g_OutputSink.Write(Cp(u8"Проверено строк : ")).Write(3); },
         QStringLiteral("Проверено строк : 3")},
    };
    for (const Case& c : cases) {
        g_OutputSink.Clear(kChannelResult);
        g_OutputSink.Select(kChannelResult);
        c.write();
        EXPECT_EQ(PaneText(kChannelResult), c.shown) << c.name;
        EXPECT_EQ(FromCp1251(g_OutputSink.Buffer(kChannelResult)).remove(u'\r'), c.shown) << c.name;
    }
}

TEST_F(OutputPanelTest, ReadReturnsTheTypedArgumentExactly) {
    QPlainTextEdit* pane = ArgumentPane();
    TypeText(pane, QStringLiteral("(1,"));
    QTest::keyClick(pane, Qt::Key_Return);
    TypeText(pane, QStringLiteral(" 'я')"));
    g_OutputSink.Select(kChannelArgument);
    std::string text;
    g_OutputSink.Read(text);
    EXPECT_EQ(text, Cp(u8"(1,\r\n 'я')"));
    EXPECT_EQ(g_OutputSink.Buffer(kChannelArgument), text);
}

TEST_F(OutputPanelTest, OnlyTheDebugChannelFollowsItsEnd) {
    for (int channel : {kChannelTranslation, kChannelDebug}) {
        g_OutputSink.Select(channel);
        for (int line = 0; line < 300; ++line)
            g_OutputSink.Write("line ").Write(line).Write(g_szNewLine);
    }
    QCoreApplication::processEvents();
    frame->OutputBar()->ShowChannel(kChannelDebug);
    QCoreApplication::processEvents();
    QScrollBar* debug = Pane(kChannelDebug)->verticalScrollBar();
    EXPECT_GT(debug->maximum(), 0);
    EXPECT_EQ(debug->value(), debug->maximum());
    EXPECT_EQ(Pane(kChannelTranslation)->verticalScrollBar()->value(), 0);
}

// A worker writes a long output while the GUI thread keeps running: every line arrives,
// in order, and the window keeps up.
TEST_F(OutputPanelTest, ManyWritesFromAWorkerArriveInOrderAndFast) {
    constexpr int kLines = 100000;
    g_OutputSink.Clear(kChannelResult);
    g_OutputSink.Select(kChannelResult);
    std::atomic<int> linesSeenByWorker = 0;
    QElapsedTimer timer;
    timer.start();
    std::thread worker([&] {
        for (int line = 0; line < kLines; ++line)
            g_OutputSink.Write(line).Write(g_szNewLine);
        linesSeenByWorker = frame->OutputBar()->Pane(kChannelResult)->GetLineCount();
    });
    while (linesSeenByWorker == 0 && timer.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    worker.join();
    ASSERT_TRUE(WaitFor([&] { return frame->OutputBar()->Pane(kChannelResult)->Shown(); }));
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_EQ(linesSeenByWorker, kLines + 1);
    const COutputView* pane = View(kChannelResult);
    ASSERT_EQ(pane->LineCount(), kLines + 1);
    for (int line : {0, 1, 4999, 77777, kLines - 1})
        EXPECT_EQ(pane->Line(line), QString::number(line));
}

TEST_F(OutputPanelTest, ClearAfterQueuedWritesLeavesThePaneEmpty) {
    g_OutputSink.Select(kChannelResult);
    std::thread worker([] { g_OutputSink.Write("from the worker").Write(g_szNewLine); });
    worker.join();
    g_OutputSink.Clear(kChannelResult);
    EXPECT_TRUE(PaneText(kChannelResult).isEmpty());
    g_OutputSink.Write("after");
    EXPECT_EQ(PaneText(kChannelResult), QStringLiteral("after"));
}

// However long a line, a pane shows it as lines of a bounded length, cut after a comma
// where one is near; the argument's text read back is the text written or pasted, also
// once the user has typed into the pane, and after the paste is undone and redone.
TEST_F(OutputPanelTest, LongLinesAreShownCutAndReadBackWhole) {
    constexpr int kLimit = COutputPane::kShownLineLength;
    const std::string digits(3 * kLimit + 17, '7');
    std::string list = "(";
    for (int i = 1; i <= 2000; ++i)
        list += std::to_string(i) + ",";
    list.back() = ')';
    struct Case {
        const char* name;
        std::string text;
        std::size_t piece; // written and shown this many characters at a time
        int shownLines;    // 0: not checked
        bool pasted = false;
    };
    const Case cases[] = {
        {"one write", digits, digits.size(), 4},
        {"pieces that straddle the cuts", digits, 333, 4},
        {"between short lines", "a\r\n" + digits + "\r\nb", 5, 6},
        {"a line exactly as long as the limit", std::string(kLimit, 'x') + "\r\ny", 1000, 2},
        {"a list", list, 7, 0},
        {"a pasted list", list, 0, 0, true},
    };
    QPlainTextEdit* pane = ArgumentPane();
    // The lines a pane shows: the argument's edit and an output channel's view.
    const auto shownLines = [&](int channel) {
        QStringList lines;
        if (channel == kChannelArgument) {
            for (QTextBlock block = pane->document()->begin(); block.isValid();
                 block = block.next())
                lines << block.text();
        } else {
            for (int line = 0; line < View(channel)->LineCount(); ++line)
                lines << View(channel)->Line(line).toString();
        }
        return lines;
    };
    for (const Case& c : cases) {
        for (const int channel : {kChannelResult, kChannelArgument}) {
            g_OutputSink.Clear(channel);
            g_OutputSink.Select(channel);
            if (c.pasted && channel == kChannelArgument) {
                QApplication::clipboard()->setText(FromCp1251(c.text));
                pane->paste();
            }
            for (std::size_t at = 0; !c.pasted && at < c.text.size(); at += c.piece) {
                g_OutputSink.Write(c.text.substr(at, c.piece));
                QCoreApplication::processEvents();
            }
            const QString shown = PaneText(channel);
            const QStringList lines = shownLines(channel);
            if (c.shownLines > 0) {
                EXPECT_EQ(lines.size(), c.shownLines) << c.name;
            }
            for (qsizetype line = 0; line < lines.size(); ++line) {
                EXPECT_LE(lines[line].size(), kLimit) << c.name;
                if (c.text == list && line + 1 < lines.size()) {
                    EXPECT_TRUE(lines[line].endsWith(u','))
                        << c.name << ": " << lines[line].right(9).toStdString();
                }
            }
            if (!c.pasted)
                ExpectShowsAllWritten(shown, channel);
        }
        std::string read;
        EXPECT_EQ(g_OutputSink.Read(read), c.text) << c.name;

        pane->moveCursor(QTextCursor::End);
        TypeText(pane, QStringLiteral("!"));
        EXPECT_EQ(g_OutputSink.Read(read), c.text + "!") << c.name;
        if (c.pasted) {
            while (pane->document()->isUndoAvailable())
                pane->undo();
            EXPECT_EQ(g_OutputSink.Read(read), "") << c.name;
            while (pane->document()->isRedoAvailable())
                pane->redo();
            EXPECT_EQ(g_OutputSink.Read(read), c.text + "!") << c.name;
        }
    }
}

// What is selected in an output pane in it, by keys or by dragging across a line
// cut for display, copies as the text written, its cut left out.
TEST_F(OutputPanelTest, OutputSelectionCopiesTheWrittenText) {
    const std::string longLine(COutputPane::kShownLineLength + 20, 'z');
    g_OutputSink.Clear(kChannelResult);
    g_OutputSink.Select(kChannelResult);
    g_OutputSink.Write(Cp(u8"один")).Write(g_szNewLine).Write(longLine).Write(g_szNewLine);
    frame->OutputBar()->ShowChannel(kChannelResult);
    COutputView* view = View(kChannelResult);
    ASSERT_EQ(PaneText(kChannelResult), QStringLiteral("один\n") + FromCp1251(longLine) + u'\n');
    ASSERT_EQ(view->LineCount(), 4);

    frame->activateWindow();
    view->setFocus();
    frame->UpdateCommands();
    EXPECT_FALSE(IsEnabled(ID_EDIT_COPY));
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    frame->UpdateCommands();
    EXPECT_TRUE(IsEnabled(ID_EDIT_COPY));
    EXPECT_TRUE(IsEnabled(ID_EDIT_CUT));
    frame->Action(ID_EDIT_COPY)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), view->Text());
    // From after the first letter of the first line to after the first of the long line's
    // continuation.
    const QFontMetrics metrics(view->font());
    const QPoint from =
        view->LineRect(0).topLeft() + QPoint(metrics.horizontalAdvance(u'о') + 1, 2);
    const QPoint to = view->LineRect(2).topLeft() + QPoint(metrics.horizontalAdvance(u'z') - 1, 2);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
    QMouseEvent drag(QEvent::MouseMove, to, view->viewport()->mapToGlobal(to), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drag);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, to);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("дин\n") + QString(COutputPane::kShownLineLength + 1, u'z'));
}

// The result pane is edited as the argument's is, also inside a line cut for display, and a
// drag past its bottom scrolls it while the mouse stands still. Read sees the edited text;
// output written afterwards goes to the end, and Ctrl+Z takes the last edit back.
TEST_F(OutputPanelTest, TheResultPaneIsEditedAndReadBackWhole) {
    OpenTranslated(QStringLiteral("range.tvn"),
                   QStringLiteral("funcdef n { (1, n) : .. >> return } >> range\n"));
    ASSERT_TRUE(Start(ID_RUN, QStringLiteral("range"), QStringLiteral("2000")));
    ASSERT_TRUE(WaitForRunEnd());
    COutputView* view = View(kChannelResult);
    QString expected = PaneText(kChannelResult);
    const qsizetype cut = view->Line(0).size();
    const QString unchanged = view->Line(2).toString();
    ASSERT_GT(view->LineCount(), 8);
    frame->activateWindow();
    view->setFocus();
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, view->LineRect(0).topLeft());
    const QPoint below(8, view->viewport()->height() + 40);
    QMouseEvent drag(QEvent::MouseMove, below, view->viewport()->mapToGlobal(below), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drag);
    EXPECT_TRUE(WaitFor(
        [&] { return view->verticalScrollBar()->value() == view->verticalScrollBar()->maximum(); },
        5000));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(view->SelectedText(), expected);

    Keys(view, {Qt::ControlModifier | Qt::Key_Home, Qt::Key_Down});
    TypeText(view, QStringLiteral("xyz"));
    Keys(view,
         {Qt::Key_Backspace, Qt::Key_Left, Qt::Key_Delete, Qt::ControlModifier | Qt::Key_End});
    TypeText(view, QStringLiteral("я\r1"));
    expected.insert(cut, u'x');
    expected += QStringLiteral("я\n1");
    QString shown;
    for (int line = 0; line < view->LineCount(); ++line)
        shown += view->Line(line);
    EXPECT_EQ(shown, QString(expected).remove(u'\n'));
    EXPECT_EQ(view->Line(2), unchanged);
    g_OutputSink.Select(kChannelResult);
    std::string read;
    EXPECT_EQ(FromCp1251(g_OutputSink.Read(read)), QString(expected).replace(u'\n', "\r\n"));

    Keys(view, {Qt::ControlModifier | Qt::Key_Home});
    g_OutputSink.Write("tail");
    expected += QStringLiteral("tail");
    EXPECT_EQ(PaneText(kChannelResult), expected);
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    expected.remove(expected.size() - 5, 1);
    EXPECT_EQ(FromCp1251(g_OutputSink.Read(read)), QString(expected).replace(u'\n', "\r\n"));
}

// A run that floods the panel through "out" stops as soon as it is asked to: the window
// keeps handling commands during the flood and does not first show everything written.
// Afterwards the panes catch up with all of it.
TEST_F(OutputPanelTest, StopDuringAFloodOfOutEndsTheRunPromptly) {
    OpenProgram(
        QStringLiteral("flood.tvn"),
        QStringLiteral("burst << funcdef n { (1, 1000) : .. : out >> shown ; n >> return }\n"
                       "bursts << funcdef n { ((1, 1000) : .. : [] : burst) : | >> return }\n"
                       "flood << funcdef n { ((1, n) : .. : [] : bursts) : | >> return }\n"));
    ASSERT_TRUE(Press(ID_TRANSLATE));
    SelectFunction(QStringLiteral("flood"));
    TypeArgument(QStringLiteral("1000"));
    ASSERT_TRUE(Press(ID_RUN));
    const auto written = [] {
        std::size_t size = 0;
        for (int channel = 0; channel < kChannelCount; ++channel)
            size += g_OutputSink.Buffer(channel).size();
        return size;
    };
    ASSERT_TRUE(WaitFor([&] { return written() > 2000000; }, 120000));
    ASSERT_EQ(CRunController::LiveWorkers(), 1);

    QElapsedTimer stop;
    stop.start();
    ASSERT_TRUE(Press(ID_ABORT_RUN));
    qint64 ended = 0;
    ASSERT_TRUE(WaitFor([&] {
        ended = stop.elapsed();
        return CRunController::LiveWorkers() == 0;
    }));
#ifdef TIRVANE_THREAD_SANITIZER
    constexpr qint64 kPrompt = 1000; // the tool slows every thread several times over
#else
    constexpr qint64 kPrompt = 200;
#endif
    EXPECT_LT(ended, kPrompt);
    EXPECT_TRUE(boxes.empty());

    for (int channel = 0; channel < kChannelCount; ++channel) {
        ASSERT_TRUE(WaitFor([&] { return frame->OutputBar()->Pane(channel)->Shown(); }, 120000));
        ExpectShowsAllWritten(PaneText(channel), channel);
    }
}

} // namespace
} // namespace idetest
