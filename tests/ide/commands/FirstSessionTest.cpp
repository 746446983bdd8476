// A newcomer's first session, from the guide alone: open the guide, write the factorial of
// its section on conditions, make a mistake and be taken to it, run, and step through the
// run watching the marker. With TIRVANE_IDE_SCREENSHOTS set to a folder, each moment is
// saved there (guide.png, error.png, run.png, debug.png): under Xvfb, for docs/screenshots.

#include "IdeTestSupport.h"

#include "ide/HelpWindow.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>

namespace idetest {
namespace {

class FirstSessionTest : public FrameTest {
protected:
    // The whole screen where there is one (a help window beside the main window), else the
    // main window.
    void Snapshot(const char* name, QWidget* window = nullptr) {
        const QString folder = qEnvironmentVariable("TIRVANE_IDE_SCREENSHOTS");
        if (folder.isEmpty())
            return;
        QTest::qWait(200);
        const QString path = QDir(folder).filePath(QString::fromUtf8(name) + ".png");
        QWidget* shown = window != nullptr ? window : frame.get();
        EXPECT_TRUE(shown->grab().save(path)) << path.toStdString();
    }

    // The guide's program that defines the named function, its test comments left out.
    static QString GuideProgram(const QString& definition) {
        const QString text =
            QString::fromUtf8(ReadBytes(QStringLiteral(TIRVANE_SOURCE_DIR "/docs/language.md")));
        const QRegularExpression block(QStringLiteral("```tirvane\\n(.*?)```"),
                                       QRegularExpression::DotMatchesEverythingOption);
        for (auto it = block.globalMatch(text); it.hasNext();) {
            const QString program = it.next().captured(1);
            if (!program.contains(definition))
                continue;
            QStringList lines;
            for (const QString& line : program.split(u'\n')) {
                if (!line.startsWith(QStringLiteral("// ")))
                    lines << line;
            }
            return lines.join(u'\n').trimmed() + u'\n';
        }
        return {};
    }
};

TEST_F(FirstSessionTest, GuideFactorialMistakeRunAndSteps) {
    frame->resize(1100, 780);
    frame->NewDocument();

    // The guide: F1 outside the editor opens its first page with the contents.
    frame->OutputBar()->setFocus();
    frame->Action(ID_HELP)->trigger();
    CHelpWindow* help = frame->HelpWindow();
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(help->isVisible());
    EXPECT_TRUE(help->Browser()->toPlainText().contains(QStringLiteral("Среда разработки")));
    help->resize(1000, 720);
    // The first program, as the contents lead a newcomer there.
    const QList<QTreeWidgetItem*> items = help->Contents()->findItems(
        QStringLiteral("Первая программа"), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(items.size(), 1);
    help->Contents()->setCurrentItem(items.first());
    emit help->Contents()->itemClicked(items.first(), 0);
    EXPECT_TRUE(
        help->Browser()->textCursor().block().text().contains(QStringLiteral("Первая программа")));
    Snapshot("guide", help);
    help->close();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));

    // The factorial of the guide, typed with a closing bracket forgotten on its line 2.
    const QString factorial = GuideProgram(QStringLiteral("fact << funcdef n"));
    ASSERT_FALSE(factorial.isEmpty());
    const QString line2 = factorial.section(u'\n', 1, 1);
    ASSERT_TRUE(line2.contains(QStringLiteral(": int) : -"))) << line2.toStdString();
    QString mistaken = factorial;
    mistaken.replace(QStringLiteral(": int) : -"), QStringLiteral(": int : -"));
    CTirvaneIDEView* view = frame->ActiveView();
    view->setFocus();
    view->insertPlainText(mistaken);

    saveAsAnswer = dir.filePath(QStringLiteral("fact.tvn"));
    QTest::keyClick(view, Qt::Key_F7);
    CTirvaneIDEDoc* doc = frame->ActiveDocument();
    EXPECT_TRUE(PaneText(kChannelTranslation).contains(QStringLiteral("Ошибка в строке 2 : ")))
        << PaneText(kChannelTranslation).toStdString();
    EXPECT_EQ(doc->ErrorLine(), 2);
    EXPECT_EQ(view->textCursor().blockNumber() + 1, 2);
    Snapshot("error");

    // Put right where the caret stands, translated, run.
    view->selectAll();
    view->insertPlainText(factorial);
    QTest::keyClick(view, Qt::Key_F7);
    EXPECT_TRUE(PaneText(kChannelTranslation).contains(QStringLiteral("ощибок не найдено")));
    SelectFunction(QStringLiteral("fact"));
    TypeArgument(QStringLiteral("5"));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F5);
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(PaneText(kChannelResult), QStringLiteral("120\n"));
    Snapshot("run");

    // Debugging: the marker stands on the line of the step (the steps themselves are the
    // navigation tests' business).
    TypeArgument(QStringLiteral("3"));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F10);
    for (int step = 0; step < 3; ++step) {
        ASSERT_TRUE(WaitFor([] { return AnyStepWaiting(); })) << step;
        ASSERT_TRUE(WaitFor([&] { return doc->StepLine() > 0; })) << step;
        QTest::keyClick(view, Qt::Key_F10);
    }
    ASSERT_TRUE(WaitFor([&] { return AnyStepWaiting() && doc->StepLine() > 0; }));
    EXPECT_EQ(view->Marked(LineMark::Step), QList<int>{doc->StepLine()});
    Snapshot("debug");
    QTest::keyClick(view, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(doc->StepLine(), 0);
}

} // namespace
} // namespace idetest
