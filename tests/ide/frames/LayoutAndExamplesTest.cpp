// The window layout kept across restarts, the example programs of "Справка/Примеры",
// replace, go to line, and the guide's account of the environment.

#include "IdeTestSupport.h"
#include "UiTestSupport.h"

#include "ide/ChildFrame.h"
#include "ide/Commands.h"
#include "ide/Examples.h"
#include "ide/HelpWindow.h"
#include "ide/OutputBar.h"
#include "ide/ReplaceDialog.h"
#include "ide/SplitBar.h"
#include "ide/TextCodec.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"
#include "output/OutputSink.h"

#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QMdiArea>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>

namespace idetest {
namespace {

class LayoutAndExamplesTest : public FrameTest {
protected:
    CTirvaneIDEView* View() const { return frame->ActiveView(); }
};

TEST_F(LayoutAndExamplesTest, LayoutIsRememberedAcrossRestarts) {
    // The first start: everything shown, the panel at its first height, maximised.
    Restart(true);
    EXPECT_TRUE(frame->isMaximized());
    EXPECT_FALSE(frame->ToolBar()->isHidden());
    EXPECT_FALSE(frame->statusBar()->isHidden());
    EXPECT_EQ(frame->SplitBar()->LowerHeight(), 150);

    struct Case {
        const char* name;
        bool maximized, toolBar, statusBar;
        int panel;
    };
    const Case cases[] = {
        {"bars hidden, taller panel, normal window", false, false, false, 260},
        {"all shown, short panel, maximised", true, true, true, 40},
        {"tool bar only, normal window", false, true, false, 150},
    };
    for (const Case& c : cases) {
        frame->showNormal();
        frame->setGeometry(60, 50, 820, 610);
        if (c.maximized)
            frame->showMaximized();
        frame->Action(ID_VIEW_TOOLBAR)->setChecked(c.toolBar);
        frame->Action(ID_VIEW_STATUS_BAR)->setChecked(c.statusBar);
        frame->SplitBar()->SetLowerHeight(c.panel);
        Restart();
        EXPECT_EQ(frame->isMaximized(), c.maximized) << c.name;
        EXPECT_EQ(!frame->ToolBar()->isHidden(), c.toolBar) << c.name;
        EXPECT_EQ(frame->Action(ID_VIEW_TOOLBAR)->isChecked(), c.toolBar) << c.name;
        EXPECT_EQ(!frame->statusBar()->isHidden(), c.statusBar) << c.name;
        EXPECT_EQ(frame->SplitBar()->LowerHeight(), c.panel) << c.name;
        EXPECT_EQ(frame->OutputBar()->height(), c.panel) << c.name;
        if (!c.maximized) {
            EXPECT_EQ(frame->size(), QSize(820, 610)) << c.name;
        }
    }
}

TEST_F(LayoutAndExamplesTest, ExamplesOpenAsUntitledCopiesFromTheHelpMenusAndTheGuide) {
    const QStringList files = QDir(QStringLiteral(TIRVANE_SOURCE_DIR "/examples"))
                                  .entryList({"*.tvn"}, QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty());
    EXPECT_EQ(ExampleNames(), files);
    QStringList items;
    for (const QAction* action : frame->ExamplesMenu()->actions())
        items << action->text();
    EXPECT_EQ(items, files);
    EXPECT_EQ(ExampleSummary(QStringLiteral("factorial.tvn")),
              QStringLiteral("Факториал и число сочетаний."));

    // Both help menus offer it.
    const auto helpMenu = [this] { return frame->ShownMenus().last(); };
    EXPECT_TRUE(helpMenu()->actions().contains(frame->ExamplesMenu()->menuAction()));
    frame->ExamplesMenu()->actions().at(files.indexOf("factorial.tvn"))->trigger();
    CTirvaneIDEDoc* doc = frame->ActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(helpMenu()->actions().contains(frame->ExamplesMenu()->menuAction()));
    EXPECT_EQ(doc->Title(), QStringLiteral("factorial"));
    EXPECT_TRUE(doc->PathName().isEmpty());
    EXPECT_FALSE(doc->IsModified());
    QFile original(QStringLiteral(TIRVANE_SOURCE_DIR "/examples/factorial.tvn"));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    EXPECT_EQ(View()->toPlainText(),
              CoreTextToWidget(std::string_view(bytes.data(), std::size_t(bytes.size()))));

    // Translate asks where to keep the copy and saves it byte for byte.
    saveAsAnswer = dir.filePath(QStringLiteral("mine.tvn"));
    ASSERT_TRUE(Press(ID_TRANSLATE));
    EXPECT_EQ(saveAsAsked, 1);
    EXPECT_TRUE(PaneText(kChannelTranslation).contains(QStringLiteral("ощибок не найдено")));
    QFile saved(saveAsAnswer);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), bytes);
    EXPECT_EQ(frame->OpenExample(QStringLiteral("missing.tvn")), nullptr);

    // The guide's links to examples open them too.
    frame->Action(ID_HELP_FINDER)->trigger();
    emit frame->HelpWindow()->Browser()->anchorClicked(
        QUrl(QStringLiteral("../examples/quicksort.tvn")));
    EXPECT_EQ(frame->ActiveDocument()->Title(), QStringLiteral("quicksort"));
    frame->HelpWindow()->close();
}

TEST_F(LayoutAndExamplesTest, ReplaceChangesOneOccurrenceOrAllAsOneUndoStep) {
    OpenProgram(QStringLiteral("replace.tvn"),
                QStringLiteral("funcdef x { (x, 1) : + >> return } >> inc;\n"
                               "funcdef x { x : inc : inc >> return } >> inc2\n"));
    CTirvaneIDEView* view = View();
    frame->activateWindow();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_H, Qt::ControlModifier);
    CReplaceDialog* replace = frame->ReplaceDialog();
    ASSERT_NE(replace, nullptr);
    EXPECT_TRUE(replace->isVisible());
    EXPECT_EQ(replace->windowTitle(), QStringLiteral("Заменить"));
    const QString before = view->toPlainText();

    replace->SetTexts(QStringLiteral("inc"), QStringLiteral("next"));
    replace->SetOptions(true, true);
    view->moveCursor(QTextCursor::Start);
    ASSERT_TRUE(replace->ReplaceNext()); // finds the first
    EXPECT_EQ(view->toPlainText(), before);
    ASSERT_TRUE(replace->ReplaceNext()); // replaces it, finds the second
    EXPECT_TRUE(view->toPlainText().startsWith(
        QStringLiteral("funcdef x { (x, 1) : + >> return } >> next;\n")));
    EXPECT_EQ(replace->ReplaceAll(), 2); // "inc2" is not the whole word
    EXPECT_TRUE(
        view->toPlainText().endsWith(QStringLiteral("{ x : next : next >> return } >> inc2\n")));
    EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("Заменено: 2"));
    view->undo();
    EXPECT_TRUE(
        view->toPlainText().endsWith(QStringLiteral("{ x : inc : inc >> return } >> inc2\n")));
    EXPECT_TRUE(frame->ActiveDocument()->IsModified());
    replace->SetTexts(QStringLiteral("absent"), QString());
    EXPECT_EQ(replace->ReplaceAll(), 0);
}

TEST_F(LayoutAndExamplesTest, GoToLineAsksForTheNumberAndPutsTheCaretThere) {
    QString text;
    for (int i = 1; i <= 200; ++i)
        text += QStringLiteral("x%1 : f\n").arg(i);
    OpenProgram(QStringLiteral("lines.tvn"), text);
    CTirvaneIDEView* view = View();
    frame->activateWindow();
    view->setFocus();
    QString label;
    ASSERT_TRUE(WithModal([&] { QTest::keyClick(view, Qt::Key_G, Qt::ControlModifier); },
                          [&](QWidget* shown) {
                              auto* dialog = qobject_cast<QInputDialog*>(shown);
                              ASSERT_NE(dialog, nullptr);
                              label = dialog->labelText();
                              EXPECT_EQ(dialog->intMaximum(), 201);
                              dialog->setIntValue(150);
                              dialog->accept();
                          }));
    EXPECT_EQ(label, QStringLiteral("Номер строки (1 - 201):"));
    EXPECT_EQ(view->textCursor().blockNumber(), 149);
    EXPECT_EQ(view->textCursor().positionInBlock(), 0);
    EXPECT_LE(view->FirstVisibleLine(), 150);
    EXPECT_GT(view->FirstVisibleLine(), 100); // centred, not at the bottom edge

    // Cancelled: the caret stays.
    ASSERT_TRUE(WithModal([&] { frame->Action(ID_EDIT_GOTO_LINE)->trigger(); },
                          [](QWidget* shown) { static_cast<QDialog*>(shown)->reject(); }));
    EXPECT_EQ(view->textCursor().blockNumber(), 149);
}

// The guide tells a newcomer the environment's keys: each one the commands have.
TEST_F(LayoutAndExamplesTest, GuideNamesEveryKeyOfTheLanguageAndEditingCommands) {
    QFile guide(QStringLiteral(TIRVANE_SOURCE_DIR "/docs/language.md"));
    ASSERT_TRUE(guide.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(guide.readAll());
    for (int id : {ID_TRANSLATE, ID_RUN, ID_ABORT_RUN, ID_DEBUG, ID_ABORT_DEBUG, ID_EDIT_FIND,
                   ID_EDIT_REPLACE, ID_EDIT_GOTO_LINE, ID_HELP}) {
        const QAction* action = frame->Action(id);
        const QString key = action->shortcut().toString(QKeySequence::PortableText);
        EXPECT_TRUE(text.contains(key)) << key.toStdString();
        EXPECT_TRUE(text.contains(action->text().remove(QStringLiteral("...")))) << id;
    }
    for (const char* topic : {"Примеры", "Оглавление", "Трансляция"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(topic))) << topic;
}

} // namespace
} // namespace idetest
