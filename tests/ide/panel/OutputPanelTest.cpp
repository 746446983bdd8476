// The output panel as the user and the sink see it: tabs, panes, writes from both threads.

#include "IdeTestSupport.h"

#include "ide/OutputBar.h"
#include "ide/TextCodec.h"
#include "output/Encoding.h"
#include "output/OutputSink.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <atomic>
#include <thread>

namespace idetest {
namespace {

using OutputPanelTest = FrameTest;

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
        {"float", [] { g_OutputSink.Write(1.5f); }, QStringLiteral("1.500000e+000")},
        {"int", [] { g_OutputSink.Write(-7); }, QStringLiteral("-7")},
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
    QPlainTextEdit* pane = Pane(kChannelArgument);
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
    QCoreApplication::processEvents();
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_EQ(linesSeenByWorker, kLines + 1);
    QPlainTextEdit* pane = Pane(kChannelResult);
    ASSERT_EQ(pane->blockCount(), kLines + 1);
    for (int line : {0, 1, 4999, 77777, kLines - 1})
        EXPECT_EQ(pane->document()->findBlockByNumber(line).text(), QString::number(line));
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

} // namespace
} // namespace idetest
