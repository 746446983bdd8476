// A user's session with an example program: open, translate, pick a function, type an
// argument, run, then debug a few steps and abort. With TIRVANE_IDE_SCREENSHOTS set to a
// folder, the window is saved there at each stage for a look.

#include "IdeTestSupport.h"

#include "ide/Commands.h"
#include "ide/OutputBar.h"
#include "interpreter/DebugControl.h"
#include "output/OutputSink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>

namespace idetest {
namespace {

class ExampleWalkThroughTest : public FrameTest {
protected:
    void Snapshot(const char* stage) {
        const QString folder = qEnvironmentVariable("TIRVANE_IDE_SCREENSHOTS");
        if (folder.isEmpty())
            return;
        QCoreApplication::processEvents();
        frame->grab().save(QDir(folder).filePath(QStringLiteral("%1.png").arg(stage)));
    }
};

TEST_F(ExampleWalkThroughTest, FactorialExampleTranslatesRunsAndDebugs) {
    frame->resize(1000, 720);
    // Translate saves the file first: work on a copy.
    const QString copy = dir.filePath(QStringLiteral("factorial.tvn"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TIRVANE_SOURCE_DIR "/examples/factorial.tvn"), copy));
    ASSERT_NE(frame->OpenDocument(copy), nullptr);

    // The scanner counts the line after the last line break too.
    QFile source(copy);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const qsizetype lines = source.readAll().count('\n') + 1;
    ASSERT_TRUE(Press(ID_TRANSLATE));
    EXPECT_EQ(PaneText(kChannelTranslation), QStringLiteral("Трансляция...\nПроверено строк : %1\n"
                                                            "Синтаксических ощибок не найдено\n")
                                                 .arg(lines));
    EXPECT_TRUE(FunctionListItems().contains(QStringLiteral("factorials")));
    Snapshot("1-translated");

    SelectFunction(QStringLiteral("factorials"));
    TypeArgument(QStringLiteral("5"));
    ASSERT_TRUE(Press(ID_RUN));
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(PaneText(kChannelResult), QStringLiteral("[1,1,2,6,24,120]\n"));
    Snapshot("2-run");

    SelectFunction(QStringLiteral("fact"));
    TypeArgument(QStringLiteral("3"));
    ASSERT_TRUE(Press(ID_DEBUG));
    for (int step = 0; step < 3; ++step) {
        ASSERT_TRUE(WaitFor([] { return g_bWaitingForStep.load(); })) << step;
        ASSERT_TRUE(Press(ID_DEBUG)) << step;
    }
    ASSERT_TRUE(WaitFor([] { return g_bWaitingForStep.load(); }));
    EXPECT_FALSE(PaneText(kChannelDebug).isEmpty());
    Snapshot("3-debugging");
    ASSERT_TRUE(Press(ID_ABORT_DEBUG));
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_TRUE(PaneText(kChannelResult).isEmpty());
    EXPECT_TRUE(boxes.empty());
    Snapshot("4-aborted");
}

} // namespace
} // namespace idetest
