// The main window: its two menus, the tool bar, the accelerators, the window commands,
// printing, find and replace, go to line, the about box, help, the example programs, the
// start-up and the layout kept across restarts.

#include "IdeTestSupport.h"

#include "ide/Examples.h"
#include "ide/FindDialog.h"
#include "ide/HelpWindow.h"
#include "ide/ReplaceDialog.h"
#include "ide/SplitBar.h"
#include "ide/TextCodec.h"
#include "ide/TirvaneIDEApp.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QHelpEvent>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolTip>
#include <QTreeWidget>
#include <QWidgetAction>
#include <QWindow>

namespace idetest {
namespace {

const QString kProgram = QStringLiteral("funcdef x {\n  (x, 1) : + >> return\n} >> inc;\n"
                                        "funcdef x {\n  (x, 2) : * >> return\n} >> twice\n");

using MainFrameTest = FrameTest;

// How many of an icon's pixels stand out (3 : 1 or more) against the background it is drawn
// on at the tool bar's size.
int DistinctPixels(const QIcon& icon, const QColor& background) {
    QImage image(QSize(17, 17), QImage::Format_ARGB32);
    image.fill(background);
    QPainter painter(&image);
    icon.paint(&painter, image.rect());
    painter.end();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += Contrast(QColor(image.pixel(x, y)), background) >= 3 ? 1 : 0;
    }
    return count;
}

// The actions of the menus, sub-menus included.
void CollectMenuActions(const QMenu* menu, QList<QAction*>* actions) {
    for (QAction* action : menu->actions()) {
        if (action->menu() != nullptr)
            CollectMenuActions(action->menu(), actions);
        else if (!action->isSeparator())
            actions->append(action);
    }
}

// Whichever menu is shown, every item tells what it does in the status bar and in a tip,
// every key stands for one command only and works, and every tool bar button has a picture
// that reads on a light and on a dark tool bar and a tip that names its key.
TEST_F(MainFrameTest, EveryCommandHasAPromptATipAKeyOfItsOwnAndAPictureThatReads) {
    EXPECT_EQ(frame->ShownMenus().size(), 3);
    const QString path = WriteProgram(QStringLiteral("menu.tvn"), kProgram);
    ASSERT_NE(frame->OpenDocument(path), nullptr);
    EXPECT_EQ(frame->ShownMenus().size(), 6);
    for (const QAction* action : frame->menuBar()->actions())
        EXPECT_EQ(action->isVisible(), frame->ShownMenus().contains(action->menu()));

    QList<QAction*> actions;
    for (const QMenu* menu : frame->ShownMenus())
        CollectMenuActions(menu, &actions);
    std::map<QKeySequence, QString> keys;
    for (const QAction* action : actions + frame->actions()) {
        if (!action->isVisible() || action->isSeparator())
            continue;
        EXPECT_FALSE(action->statusTip().isEmpty()) << action->text().toStdString();
        EXPECT_FALSE(action->toolTip().isEmpty()) << action->text().toStdString();
        for (const QKeySequence& key : action->shortcuts()) {
            const auto [it, added] = keys.emplace(key, action->text());
            EXPECT_TRUE(added || it->second == action->text())
                << (key.toString() + ": " + action->text() + ", " + it->second).toStdString();
            EXPECT_TRUE(frame->actions().contains(action)) << action->text().toStdString();
        }
    }
    EXPECT_GE(keys.size(), 20u);

    int withKey = 0;
    for (QAction* action : frame->ToolBar()->actions()) {
        if (action->isSeparator() || qobject_cast<QWidgetAction*>(action) != nullptr)
            continue;
        EXPECT_FALSE(action->statusTip().isEmpty()) << action->text().toStdString();
        EXPECT_FALSE(action->toolTip().isEmpty()) << action->text().toStdString();
        for (const QColor background : {QColor(0xef, 0xef, 0xef), QColor(0x2d, 0x2d, 0x2d)}) {
            EXPECT_GE(DistinctPixels(action->icon(), background), 30)
                << (action->text() + " on " + background.name()).toStdString();
        }
        // The button's tip names its key; the action's own tip stays the prompt's.
        if (action->shortcut().isEmpty())
            continue;
        ++withKey;
        QWidget* button = frame->ToolBar()->widgetForAction(action);
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(button, &help);
        EXPECT_EQ(QToolTip::text(), action->toolTip() + QStringLiteral(" (") +
                                        action->shortcut().toString(QKeySequence::NativeText) +
                                        QStringLiteral(")"));
        EXPECT_FALSE(action->toolTip().contains(u'('));
        QToolTip::hideText();
    }
    EXPECT_GE(withKey, 5);
    EXPECT_FALSE(frame->FunctionList()->statusTip().isEmpty());
    EXPECT_EQ(frame->FunctionList()->parentWidget(), static_cast<QWidget*>(frame->ToolBar()));

    CloseActive();
    EXPECT_EQ(frame->ShownMenus().size(), 3);
    QTest::keyClick(frame.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(frame->ActiveDocument()->Title(), QStringLiteral("Программа1"));
}

TEST_F(MainFrameTest, EditCommandsActOnTheActiveEditor) {
    CTirvaneIDEDoc* doc = OpenProgram(QStringLiteral("edit.tvn"), QStringLiteral("abc def\n"));
    CTirvaneIDEView* view = doc->View();
    view->setFocus();
    frame->UpdateCommands();
    EXPECT_FALSE(IsEnabled(ID_EDIT_CUT));
    EXPECT_FALSE(IsEnabled(ID_EDIT_UNDO));

    QTextCursor word(view->document());
    word.setPosition(3, QTextCursor::KeepAnchor);
    view->setTextCursor(word);
    ASSERT_TRUE(Press(ID_EDIT_CUT));
    EXPECT_EQ(view->toPlainText(), QStringLiteral(" def\n"));
    view->moveCursor(QTextCursor::End);
    ASSERT_TRUE(Press(ID_EDIT_PASTE));
    EXPECT_EQ(view->toPlainText(), QStringLiteral(" def\nabc"));
    ASSERT_TRUE(Press(ID_EDIT_UNDO));
    EXPECT_EQ(view->toPlainText(), QStringLiteral(" def\n"));
    view->selectAll();
    ASSERT_TRUE(Press(ID_EDIT_COPY));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral(" def\n"));
}

TEST_F(MainFrameTest, NewWindowShowsTheSameTextAndTheDocumentClosesWithItsLastWindow) {
    CTirvaneIDEDoc* doc = OpenProgram(QStringLiteral("twice.tvn"), kProgram);
    CChildFrame* first = frame->ActiveChild();
    frame->Action(ID_WINDOW_NEW)->trigger();
    CChildFrame* second = frame->ActiveChild();
    ASSERT_NE(first, second);
    EXPECT_EQ(second->Document(), doc);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("twice.tvn:1[*]"));
    EXPECT_EQ(second->windowTitle(), QStringLiteral("twice.tvn:2[*]"));

    second->View()->moveCursor(QTextCursor::End);
    TypeText(second->View(), QStringLiteral("// ещё"));
    EXPECT_EQ(first->View()->toPlainText(), second->View()->toPlainText());
    EXPECT_TRUE(doc->IsModified());

    frame->Action(ID_WINDOW_CASCADE)->trigger();
    frame->Action(ID_WINDOW_TILE_HORZ)->trigger();
    // A window opened among tiled ones comes up large enough to work in.
    OpenProgram(QStringLiteral("third.tvn"), kProgram);
    const QSize area = frame->MdiArea()->viewport()->size();
    EXPECT_GE(frame->ActiveChild()->width(), area.width() / 2);
    EXPECT_GE(frame->ActiveChild()->height(), area.height() / 2);
    EXPECT_TRUE(frame->MdiArea()->viewport()->rect().contains(frame->ActiveChild()->geometry()));
    CloseActive();
    first->showMinimized();
    frame->Action(ID_WINDOW_ARRANGE)->trigger();
    EXPECT_EQ(first->geometry().bottom(), frame->MdiArea()->viewport()->height() - 1);

    first->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(savesAsked.empty());
    EXPECT_EQ(second->windowTitle(), QStringLiteral("twice.tvn[*]"));
    CloseActive();
    EXPECT_EQ(savesAsked, std::vector<QString>{QStringLiteral("twice.tvn")});
    EXPECT_TRUE(frame->MdiArea()->subWindowList().isEmpty());
}

// "Окно" lists the open windows, the active one checked; File > Close closes every window of
// the active document and no other.
TEST_F(MainFrameTest, WindowListAndCloseFollowTheOpenWindows) {
    OpenProgram(QStringLiteral("kept.tvn"), kProgram);
    CTirvaneIDEDoc* doc = OpenProgram(QStringLiteral("closed.tvn"), kProgram);
    frame->Action(ID_WINDOW_NEW)->trigger();
    QMenu* windowMenu = frame->ShownMenus().at(4);
    ASSERT_EQ(windowMenu->title(), QStringLiteral("Окно"));
    emit windowMenu->aboutToShow();
    QStringList listed;
    QString checked;
    for (const QAction* action : windowMenu->actions()) {
        if (!action->text().contains(QRegularExpression(QStringLiteral("^&[0-9] "))))
            continue;
        listed << action->text();
        if (action->isChecked())
            checked = action->text();
    }
    EXPECT_EQ(listed, (QStringList{"&1 kept.tvn", "&2 closed.tvn:1", "&3 closed.tvn:2"}));
    EXPECT_EQ(checked, QStringLiteral("&3 closed.tvn:2"));
    ASSERT_EQ(frame->ActiveDocument(), doc);
    frame->Action(ID_FILE_CLOSE)->trigger();
    QCoreApplication::processEvents();
    ASSERT_EQ(frame->MdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(frame->ActiveDocument()->Title(), QStringLiteral("kept.tvn"));
}

// The main window names the active document once, maximised or not, with "*" while it is
// modified.
TEST_F(MainFrameTest, MainTitleNamesTheActiveDocumentOnceWithItsModifiedMark) {
    const auto title = [this] { return frame->windowHandle()->title(); };
    const QString main = QStringLiteral("Среда разработки Тирвейн");
    EXPECT_EQ(title(), main);
    CTirvaneIDEDoc* doc = OpenProgram(QStringLiteral("factorial.tvn"), kProgram);
    ASSERT_TRUE(frame->ActiveChild()->isMaximized());
    EXPECT_EQ(title(), main + QStringLiteral(" - [factorial.tvn]"));
    TypeText(doc->View(), QStringLiteral("x"));
    EXPECT_EQ(title(), main + QStringLiteral(" - [factorial.tvn*]"));
    frame->ActiveChild()->showNormal();
    EXPECT_EQ(title(), main + QStringLiteral(" - factorial.tvn*"));
    ASSERT_TRUE(Press(ID_FILE_SAVE));
    EXPECT_EQ(title(), main + QStringLiteral(" - factorial.tvn"));
    frame->ActiveChild()->showMaximized();
    EXPECT_EQ(title(), main + QStringLiteral(" - [factorial.tvn]"));
    CloseActive();
    EXPECT_EQ(title(), main);
}

TEST_F(MainFrameTest, QuittingAsksToSaveEachModifiedDocumentOnce) {
    saveChoice = SaveChoice::Save;
    CTirvaneIDEDoc* a = OpenProgram(QStringLiteral("a.tvn"), kProgram);
    TypeText(a->View(), QStringLiteral("x"));
    frame->Action(ID_WINDOW_NEW)->trigger();
    CTirvaneIDEDoc* b = OpenProgram(QStringLiteral("b.tvn"), kProgram);
    OpenProgram(QStringLiteral("c.tvn"), kProgram);
    TypeText(b->View(), QStringLiteral("y"));
    frame->Action(ID_APP_EXIT)->trigger();
    std::sort(savesAsked.begin(), savesAsked.end());
    EXPECT_EQ(savesAsked, (std::vector<QString>{"a.tvn", "b.tvn"}));
    EXPECT_TRUE(ReadBytes(dir.filePath(QStringLiteral("a.tvn"))).startsWith("xfuncdef"));
}

TEST_F(MainFrameTest, NextPaneMovesBetweenTheEditorAndTheOutputPanel) {
    CTirvaneIDEDoc* doc = OpenProgram(QStringLiteral("panes.tvn"), kProgram);
    frame->activateWindow();
    doc->View()->setFocus();
    QWidget* pane = frame->OutputBar()->PaneWidget(frame->OutputBar()->ShownChannel());
    frame->Action(ID_NEXT_PANE)->trigger();
    EXPECT_TRUE(pane->hasFocus());
    frame->Action(ID_NEXT_PANE)->trigger();
    EXPECT_TRUE(doc->View()->hasFocus());
    frame->Action(ID_PREV_PANE)->trigger();
    EXPECT_TRUE(pane->hasFocus());
}

// The editor font is 16 pixels, 12 points on the screen: 200 lines at 12 points take a few
// pages (at 12 to 18 points a line, with margins of at most an inch), however fine the
// printer's dots.
TEST_F(MainFrameTest, PrintAndPreviewSetTheTextAtTheEditorFontsPointSize) {
    QString text;
    for (int line = 1; line <= 200; ++line)
        text += QStringLiteral("// строка %1\n").arg(line);
    CTirvaneIDEDoc* doc = OpenProgram(QStringLiteral("print.tvn"), text);
    const QString pdf = dir.filePath(QStringLiteral("print.pdf"));
    const auto printedPages = [&pdf] {
        const QString bytes = QString::fromLatin1(ReadBytes(pdf));
        EXPECT_TRUE(bytes.startsWith(QStringLiteral("%PDF")));
        return int(bytes.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
    };
    int setups = 0;
    double pageHeight = 0;
    ShellDialogHooks hooks = SetShellDialogHooks({});
    hooks.print = [&](QPrinter* printer) {
        EXPECT_GE(printer->resolution(), 600);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        pageHeight = printer->pageLayout().fullRect(QPageLayout::Point).height();
        return true;
    };
    hooks.pageSetup = [&](QPrinter*) {
        ++setups;
        return true;
    };
    SetShellDialogHooks(hooks);
    ASSERT_TRUE(Press(ID_FILE_PRINT));
    const int pages = printedPages();
    EXPECT_GE(pages, int(std::ceil(200 * 12 / pageHeight)));
    EXPECT_LE(pages, int(std::ceil(200 * 18 / (pageHeight - 144))));

    frame->Action(ID_FILE_PRINT_SETUP)->trigger();
    EXPECT_EQ(setups, 1);

    int previewPages = 0;
    EXPECT_TRUE(WithModal([this] { frame->Action(ID_FILE_PRINT_PREVIEW)->trigger(); },
                          [&](QWidget* dialog) {
                              auto* preview = dialog->findChild<QPrintPreviewWidget*>();
                              ASSERT_NE(preview, nullptr);
                              previewPages = preview->pageCount();
                          }));
    EXPECT_EQ(previewPages, pages);

    // A line wider than the page goes on below instead of being cut at the page's edge.
    doc->View()->moveCursor(QTextCursor::End);
    doc->View()->insertPlainText(QString(4000, u'x'));
    ASSERT_TRUE(Press(ID_FILE_PRINT));
    EXPECT_GT(printedPages(), pages);
}

TEST_F(MainFrameTest, FindSelectsTheNextOccurrenceAndStartsOverAtTheEnd) {
    CTirvaneIDEDoc* doc = OpenProgram(QStringLiteral("find.tvn"), kProgram);
    CTirvaneIDEView* view = doc->View();
    ASSERT_TRUE(Press(ID_EDIT_FIND));
    CFindDialog* find = frame->FindDialog();
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isVisible());
    QStringList notFound;
    QObject::connect(find, &CFindDialog::NotFound, [&](const QString& text) { notFound << text; });

    find->SetText(QStringLiteral("funcdef"));
    ASSERT_TRUE(find->FindNext());
    EXPECT_EQ(view->textCursor().blockNumber(), 0);
    ASSERT_TRUE(find->FindNext());
    EXPECT_EQ(view->textCursor().blockNumber(), 3);
    ASSERT_TRUE(find->FindNext());
    EXPECT_EQ(view->textCursor().blockNumber(), 0);

    find->SetText(QStringLiteral("Inc"));
    find->SetOptions(false, true, false);
    EXPECT_FALSE(find->FindNext());
    EXPECT_EQ(notFound, QStringList{QStringLiteral("Inc")});
    find->SetOptions(true, false, true);
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(view->textCursor().selectedText(), QStringLiteral("inc"));
}

// The about box's own words are its source's; here, that the command shows it with a
// version.
TEST_F(MainFrameTest, HelpShowsTheAboutBoxAndTheLanguageGuideFromTheResources) {
    frame->Action(ID_HELP_FINDER)->trigger();
    CHelpWindow* help = frame->HelpWindow();
    ASSERT_NE(help, nullptr);
    // The user's guide alone: the developer documents are not the user's help.
    ASSERT_EQ(help->Documents().size(), 1);
    EXPECT_EQ(help->Documents().first().fileName(), QStringLiteral("language.md"));
    EXPECT_EQ(help->Browser()->source(), help->Documents().first());
    EXPECT_EQ(help->Contents()->topLevelItemCount(), 1);

    // A link of the guide's own contents leads to its heading.
    const QString markdown =
        QString::fromUtf8(ReadBytes(QStringLiteral(TIRVANE_SOURCE_DIR "/docs/language.md")));
    const QRegularExpressionMatch link =
        QRegularExpression(QStringLiteral("\\[([^\\]]+)\\]\\((#[^)]+)\\)")).match(markdown);
    ASSERT_TRUE(link.hasMatch());
    emit help->Browser()->anchorClicked(QUrl(link.captured(2)));
    EXPECT_TRUE(help->Browser()->textCursor().block().text().endsWith(link.captured(1)))
        << link.captured(2).toStdString();
    EXPECT_GT(help->Browser()->verticalScrollBar()->value(), 0);

    // It tells a newcomer the environment's keys: each one the commands have.
    for (int id : {ID_TRANSLATE, ID_RUN, ID_ABORT_RUN, ID_DEBUG, ID_ABORT_DEBUG, ID_EDIT_FIND,
                   ID_EDIT_REPLACE, ID_EDIT_GOTO_LINE, ID_HELP}) {
        const QAction* action = frame->Action(id);
        const QString key = action->shortcut().toString(QKeySequence::PortableText);
        EXPECT_TRUE(markdown.contains(key)) << key.toStdString();
        EXPECT_TRUE(markdown.contains(action->text().remove(QStringLiteral("...")))) << id;
    }
    for (const char* topic : {"Примеры", "Оглавление", "Трансляция"})
        EXPECT_TRUE(markdown.contains(QString::fromUtf8(topic))) << topic;

    // F1 in the editor looks the word at the caret up.
    CTirvaneIDEDoc* doc = OpenProgram(QStringLiteral("help.tvn"), kProgram);
    frame->activateWindow();
    doc->View()->setFocus();
    PlaceCaret(doc->View(), 1, 3);
    frame->Action(ID_HELP)->trigger();
    EXPECT_EQ(help->Browser()->textCursor().selectedText(), QStringLiteral("funcdef"));
    help->close();

    bool versioned = false;
    ASSERT_TRUE(WithModal([this] { Press(ID_APP_ABOUT); },
                          [&](QWidget* dialog) {
                              for (const QLabel* label : dialog->findChildren<QLabel*>())
                                  versioned = versioned ||
                                              label->text().startsWith(QStringLiteral("Версия"));
                          }));
    EXPECT_TRUE(versioned);
}

// The files named at the start, and files dropped on the window, open in windows of their
// own; with none named, the start makes "Программа1".
TEST_F(MainFrameTest, StartUpAndDroppedFilesOpenInWindowsOfTheirOwn) {
    ASSERT_TRUE(CTirvaneIDEApp::OpenStartupDocuments(*frame, {}));
    EXPECT_EQ(frame->ActiveDocument()->Title(), QStringLiteral("Программа1"));
    EXPECT_TRUE(frame->ActiveDocument()->PathName().isEmpty());

    const QString path = WriteProgram(QStringLiteral("start.tvn"), kProgram);
    ASSERT_TRUE(CTirvaneIDEApp::OpenStartupDocuments(*frame, {path}));
    EXPECT_EQ(frame->ActiveDocument()->PathName(), path);
    EXPECT_FALSE(CTirvaneIDEApp::OpenStartupDocuments(*frame, {dir.filePath("missing.tvn")}));
    EXPECT_EQ(boxes.size(), 1u);
    boxes.clear();

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(WriteProgram(QStringLiteral("drop1.tvn"), kProgram)),
                  QUrl::fromLocalFile(WriteProgram(QStringLiteral("drop2.tvn"), kProgram))});
    const QPoint point = frame->rect().center();
    QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &drop);
    QStringList titles;
    for (QMdiSubWindow* window : frame->MdiArea()->subWindowList())
        titles << qobject_cast<CChildFrame*>(window)->Document()->Title();
    EXPECT_EQ(titles, (QStringList{"Программа1", "start.tvn", "drop1.tvn", "drop2.tvn"}));
}

TEST_F(MainFrameTest, LayoutIsRememberedAcrossRestarts) {
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
        // The View menu's commands show and hide the bars at once.
        EXPECT_EQ(frame->ToolBar()->isVisible(), c.toolBar) << c.name;
        EXPECT_EQ(frame->statusBar()->isVisible(), c.statusBar) << c.name;
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

TEST_F(MainFrameTest, ExamplesOpenAsUntitledCopiesFromTheHelpMenusAndTheGuide) {
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
    const QByteArray bytes =
        ReadBytes(QStringLiteral(TIRVANE_SOURCE_DIR "/examples/factorial.tvn"));
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_EQ(frame->ActiveView()->toPlainText(),
              CoreTextToWidget(std::string_view(bytes.data(), std::size_t(bytes.size()))));

    // Translate asks where to keep the copy: cancelled, it leaves everything as it was;
    // given, it saves there byte for byte and translates.
    g_OutputSink.Select(kChannelTranslation);
    g_OutputSink.Write("earlier report");
    ASSERT_TRUE(Press(ID_TRANSLATE));
    EXPECT_EQ(PaneText(kChannelTranslation), QStringLiteral("earlier report"));
    EXPECT_TRUE(FunctionListItems().isEmpty());
    saveAsAnswer = dir.filePath(QStringLiteral("mine.tvn"));
    ASSERT_TRUE(Press(ID_TRANSLATE));
    EXPECT_EQ(saveAsAsked, 2);
    EXPECT_EQ(doc->PathName(), saveAsAnswer);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_TRUE(PaneText(kChannelTranslation).contains(QStringLiteral("ощибок не найдено")));
    EXPECT_EQ(ReadBytes(saveAsAnswer), bytes);
    EXPECT_EQ(frame->OpenExample(QStringLiteral("missing.tvn")), nullptr);

    // The guide's links to examples open them too.
    frame->Action(ID_HELP_FINDER)->trigger();
    emit frame->HelpWindow()->Browser()->anchorClicked(
        QUrl(QStringLiteral("../examples/quicksort.tvn")));
    EXPECT_EQ(frame->ActiveDocument()->Title(), QStringLiteral("quicksort"));
    frame->HelpWindow()->close();
}

TEST_F(MainFrameTest, ReplaceChangesOneOccurrenceOrAllAsOneUndoStep) {
    OpenProgram(QStringLiteral("replace.tvn"),
                QStringLiteral("funcdef x { (x, 1) : + >> return } >> inc;\n"
                               "funcdef x { x : inc : inc >> return } >> inc2\n"));
    CTirvaneIDEView* view = frame->ActiveView();
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

TEST_F(MainFrameTest, GoToLineAsksForTheNumberAndPutsTheCaretThere) {
    QString text;
    for (int i = 1; i <= 200; ++i)
        text += QStringLiteral("x%1 : f\n").arg(i);
    OpenProgram(QStringLiteral("lines.tvn"), text);
    CTirvaneIDEView* view = frame->ActiveView();
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

} // namespace
} // namespace idetest
