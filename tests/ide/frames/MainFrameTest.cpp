// The main window: its two menus, the tool bar, the accelerators, the window commands,
// printing, find, the about box, help, and the start-up.

#include "IdeTestSupport.h"
#include "UiTestSupport.h"

#include "ide/ChildFrame.h"
#include "ide/Commands.h"
#include "ide/FindDialog.h"
#include "ide/HelpWindow.h"
#include "ide/OutputBar.h"
#include "ide/TirvaneIDEApp.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>
#include <QWidgetAction>

namespace idetest {
namespace {

const QString kProgram = QStringLiteral("funcdef x {\n  (x, 1) : + >> return\n} >> inc;\n"
                                        "funcdef x {\n  (x, 2) : * >> return\n} >> twice\n");

class MainFrameTest : public FrameTest {
protected:
    // The shown menus as (title, item texts), "" for separators.
    std::vector<std::pair<QString, QStringList>> Menus() const {
        std::vector<std::pair<QString, QStringList>> menus;
        for (const QMenu* menu : frame->ShownMenus())
            menus.emplace_back(menu->title(), ItemTexts(menu));
        for (const QAction* action : frame->menuBar()->actions()) {
            const bool shown = frame->ShownMenus().contains(action->menu());
            EXPECT_EQ(action->isVisible(), shown) << action->text().toStdString();
        }
        return menus;
    }
};

using MenuList = std::vector<std::pair<QString, QStringList>>;

// The classic items stand first, in their order; the find, replace, go-to-line, contents
// and examples items follow them.
TEST_F(MainFrameTest, MainMenuWithoutDocumentsAndDocumentMenuWithOne) {
    const MenuList mainMenu = {
        {"Файл",
         {"Новый", "Открыть...", "", "Установки печати...", "", "Recent File", "", "Выход"}},
        {"Вид", {"Панель инструментов", "Строка состояния"}},
        {"Справка", {"Оглавление...", "", "О программе...", "", "Примеры"}},
    };
    EXPECT_EQ(Menus(), mainMenu);

    const QString path = WriteProgram(QStringLiteral("menu.tvn"), kProgram);
    ASSERT_NE(frame->OpenDocument(path), nullptr);
    const MenuList documentMenu = {
        {"Файл",
         {"Новый", "Открыть...", "Закрыть", "Сохранить", "Сохранить как...", "", "Печать...",
          "Просмотр документа", "Установки печати...", "", CRecentFileList::MenuText(0, path), "",
          "Выход"}},
        {"Редактирование",
         {"Отмена", "", "Вырезать", "Копировать", "Вставка", "", "Найти...", "Заменить...",
          "Перейти к строке..."}},
        {"Вид", {"Панель инструментов", "Строка состояния"}},
        {"Программа",
         {"Трансляция", "Выполнение", "Прерывание выполнения", "Отладка", "Прерывание отладки"}},
        {"Окно", {"Новое окно", "Каскад", "Черепица", "Упорядочить значки"}},
        {"Справка", {"О программе...", "", "Оглавление...", "Примеры"}},
    };
    EXPECT_EQ(Menus(), documentMenu);

    frame->ActiveChild()->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(Menus().size(), 3u);
}

TEST_F(MainFrameTest, ToolBarHoldsTwentySevenItemsInOrderWithPrompts) {
    const std::vector<int> expected = {ID_FILE_NEW,
                                       ID_FILE_OPEN,
                                       ID_FILE_SAVE,
                                       0,
                                       ID_EDIT_CUT,
                                       ID_EDIT_COPY,
                                       ID_EDIT_PASTE,
                                       0,
                                       ID_EDIT_UNDO,
                                       0,
                                       ID_EDIT_FIND,
                                       0,
                                       ID_FILE_PRINT,
                                       0,
                                       IDC_FUNC_COMBO,
                                       0,
                                       ID_FUNC_DEFINITION,
                                       ID_FUNC_PROPERTIES,
                                       0,
                                       ID_TRANSLATE,
                                       ID_RUN,
                                       ID_ABORT_RUN,
                                       0,
                                       ID_DEBUG,
                                       ID_ABORT_DEBUG,
                                       0,
                                       ID_APP_ABOUT};
    std::vector<int> items;
    for (QAction* action : frame->ToolBar()->actions()) {
        QWidget* widget = frame->ToolBar()->widgetForAction(action);
        if (widget == static_cast<QWidget*>(frame->FunctionList()))
            items.push_back(IDC_FUNC_COMBO);
        else if (action->isSeparator() || qobject_cast<QWidgetAction*>(action) != nullptr)
            items.push_back(0);
        else
            items.push_back(CommandIdOf(action));
    }
    EXPECT_EQ(items, expected);
    for (int id : expected) {
        if (id != 0 && id != IDC_FUNC_COMBO) {
            EXPECT_FALSE(frame->Action(id)->icon().isNull()) << id;
        }
    }

    struct Prompt {
        int id;
        QString statusTip, toolTip;
    };
    const Prompt prompts[] = {
        {ID_EDIT_FIND, "Поиск втексте", "Найти"},
        {ID_FUNC_PROPERTIES,
         "Свойства функции, выбранной из списка функций оттранслированного документа",
         "Свойства функции"},
        {ID_FUNC_DEFINITION, "Скроллинг текста до точки определения функции",
         "Определение функции в тексте"},
    };
    for (const Prompt& p : prompts) {
        EXPECT_EQ(frame->Action(p.id)->statusTip(), p.statusTip) << p.id;
        EXPECT_EQ(frame->Action(p.id)->toolTip(), p.toolTip) << p.id;
    }
    EXPECT_EQ(frame->FunctionList()->statusTip(),
              QStringLiteral("Список функций, описанных в программе в акивном окне"));
}

TEST_F(MainFrameTest, AcceleratorsTriggerTheirCommands) {
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), ID_FILE_NEW},
        {QKeySequence(Qt::CTRL | Qt::Key_O), ID_FILE_OPEN},
        {QKeySequence(Qt::CTRL | Qt::Key_S), ID_FILE_SAVE},
        {QKeySequence(Qt::CTRL | Qt::Key_P), ID_FILE_PRINT},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), ID_EDIT_UNDO},
        {QKeySequence(Qt::ALT | Qt::Key_Backspace), ID_EDIT_UNDO},
        {QKeySequence(Qt::CTRL | Qt::Key_X), ID_EDIT_CUT},
        {QKeySequence(Qt::SHIFT | Qt::Key_Delete), ID_EDIT_CUT},
        {QKeySequence(Qt::CTRL | Qt::Key_C), ID_EDIT_COPY},
        {QKeySequence(Qt::CTRL | Qt::Key_Insert), ID_EDIT_COPY},
        {QKeySequence(Qt::CTRL | Qt::Key_V), ID_EDIT_PASTE},
        {QKeySequence(Qt::SHIFT | Qt::Key_Insert), ID_EDIT_PASTE},
        {QKeySequence(Qt::Key_F6), ID_NEXT_PANE},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), ID_PREV_PANE},
        {QKeySequence(Qt::Key_F1), ID_HELP},
        {QKeySequence(Qt::SHIFT | Qt::Key_F1), ID_CONTEXT_HELP},
        // Beside them: the language commands, find, replace and go to line.
        {QKeySequence(Qt::Key_F7), ID_TRANSLATE},
        {QKeySequence(Qt::Key_F5), ID_RUN},
        {QKeySequence(Qt::SHIFT | Qt::Key_F5), ID_ABORT_RUN},
        {QKeySequence(Qt::Key_F10), ID_DEBUG},
        {QKeySequence(Qt::SHIFT | Qt::Key_F10), ID_ABORT_DEBUG},
        {QKeySequence(Qt::CTRL | Qt::Key_F), ID_EDIT_FIND},
        {QKeySequence(Qt::CTRL | Qt::Key_H), ID_EDIT_REPLACE},
        {QKeySequence(Qt::CTRL | Qt::Key_G), ID_EDIT_GOTO_LINE},
    };
    for (const auto& [key, id] : keys) {
        EXPECT_TRUE(frame->Action(id)->shortcuts().contains(key)) << id;
        EXPECT_TRUE(frame->actions().contains(frame->Action(id))) << id;
    }

    const int windows = int(frame->MdiArea()->subWindowList().size());
    QTest::keyClick(frame.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(frame->MdiArea()->subWindowList().size(), windows + 1);
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

TEST_F(MainFrameTest, ViewCommandsHideAndShowTheBars) {
    for (int id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        QWidget* bar =
            id == ID_VIEW_TOOLBAR ? static_cast<QWidget*>(frame->ToolBar()) : frame->statusBar();
        QAction* action = frame->Action(id);
        EXPECT_TRUE(action->isChecked()) << id;
        action->trigger();
        EXPECT_FALSE(bar->isVisible()) << id;
        EXPECT_FALSE(action->isChecked()) << id;
        action->trigger();
        EXPECT_TRUE(bar->isVisible()) << id;
    }
}

TEST_F(MainFrameTest, NewWindowShowsTheSameTextAndTheDocumentClosesWithItsLastWindow) {
    std::vector<QString> asked;
    SetShellDialogHooks([&] {
        ShellDialogHooks hooks;
        hooks.stopBox = [this](const QString& c, const QString& t) { boxes.push_back({c, t}); };
        hooks.saveChanges = [&](const QString& title) {
            asked.push_back(title);
            return SaveChoice::Discard;
        };
        return hooks;
    }());
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
    first->showMinimized();
    frame->Action(ID_WINDOW_ARRANGE)->trigger();
    EXPECT_EQ(first->geometry().bottom(), frame->MdiArea()->viewport()->height() - 1);

    first->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(second->windowTitle(), QStringLiteral("twice.tvn[*]"));
    second->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(asked, std::vector<QString>{QStringLiteral("twice.tvn")});
    EXPECT_TRUE(frame->MdiArea()->subWindowList().isEmpty());
}

TEST_F(MainFrameTest, QuittingAsksToSaveEachModifiedDocumentOnce) {
    std::vector<QString> asked;
    SetShellDialogHooks([&] {
        ShellDialogHooks hooks;
        hooks.saveChanges = [&](const QString& title) {
            asked.push_back(title);
            return SaveChoice::Save;
        };
        return hooks;
    }());
    CTirvaneIDEDoc* a = OpenProgram(QStringLiteral("a.tvn"), kProgram);
    TypeText(a->View(), QStringLiteral("x"));
    frame->Action(ID_WINDOW_NEW)->trigger();
    CTirvaneIDEDoc* b = OpenProgram(QStringLiteral("b.tvn"), kProgram);
    OpenProgram(QStringLiteral("c.tvn"), kProgram);
    TypeText(b->View(), QStringLiteral("y"));
    frame->Action(ID_APP_EXIT)->trigger();
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<QString>{QStringLiteral("a.tvn"), QStringLiteral("b.tvn")}));
    QFile saved(dir.filePath(QStringLiteral("a.tvn")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().startsWith("xfuncdef"));
}

TEST_F(MainFrameTest, NextPaneMovesBetweenTheEditorAndTheOutputPanel) {
    CTirvaneIDEDoc* doc = OpenProgram(QStringLiteral("panes.tvn"), kProgram);
    frame->activateWindow();
    doc->View()->setFocus();
    QPlainTextEdit* pane = frame->OutputBar()->PaneEdit(frame->OutputBar()->ShownChannel());
    frame->Action(ID_NEXT_PANE)->trigger();
    EXPECT_TRUE(pane->hasFocus());
    frame->Action(ID_NEXT_PANE)->trigger();
    EXPECT_TRUE(doc->View()->hasFocus());
    frame->Action(ID_PREV_PANE)->trigger();
    EXPECT_TRUE(pane->hasFocus());
}

TEST_F(MainFrameTest, PrintWritesTheTextAndPreviewShowsItsPages) {
    OpenProgram(QStringLiteral("print.tvn"), kProgram);
    const QString pdf = dir.filePath(QStringLiteral("print.pdf"));
    int setups = 0;
    ShellDialogHooks hooks;
    hooks.print = [&](QPrinter* printer) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return true;
    };
    hooks.pageSetup = [&](QPrinter*) {
        ++setups;
        return true;
    };
    SetShellDialogHooks(hooks);
    ASSERT_TRUE(Press(ID_FILE_PRINT));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF"));

    frame->Action(ID_FILE_PRINT_SETUP)->trigger();
    EXPECT_EQ(setups, 1);

    int pages = 0;
    EXPECT_TRUE(WithModal([this] { frame->Action(ID_FILE_PRINT_PREVIEW)->trigger(); },
                          [&](QWidget* dialog) {
                              ASSERT_NE(qobject_cast<QPrintPreviewDialog*>(dialog), nullptr);
                              auto* preview = dialog->findChild<QPrintPreviewWidget*>();
                              ASSERT_NE(preview, nullptr);
                              pages = preview->pageCount();
                          }));
    EXPECT_EQ(pages, 1);
}

TEST_F(MainFrameTest, FindSelectsTheNextOccurrenceAndStartsOverAtTheEnd) {
    CTirvaneIDEDoc* doc = OpenProgram(QStringLiteral("find.tvn"), kProgram);
    CTirvaneIDEView* view = doc->View();
    ASSERT_TRUE(Press(ID_EDIT_FIND));
    CFindDialog* find = frame->FindDialog();
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isVisible());
    EXPECT_EQ(find->windowTitle(), QStringLiteral("Найти"));
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

TEST_F(MainFrameTest, AboutBoxNamesTheProgramAndItsVersion) {
    QString caption;
    QStringList texts;
    ASSERT_TRUE(
        WithModal([this] { Press(ID_APP_ABOUT); },
                  [&](QWidget* dialog) {
                      caption = dialog->windowTitle();
                      for (const QLabel* label : dialog->findChildren<QLabel*>())
                          texts << label->text();
                      EXPECT_EQ(dialog->findChild<QWidget*>(QStringLiteral("AboutPicture"))->size(),
                                QSize(128, 128));
                  }));
    EXPECT_EQ(caption, QStringLiteral("О среде разработки Tirvane"));
    EXPECT_EQ(texts, (QStringList{"Среда разработки программ", "на функциональном языке",
                                  "параллельного программирования Тирвейн", "Версия от 29.10.03"}));
}

TEST_F(MainFrameTest, HelpShowsTheLanguageGuideFromTheResources) {
    frame->Action(ID_HELP_FINDER)->trigger();
    CHelpWindow* help = frame->HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    ASSERT_FALSE(help->Documents().isEmpty());
    const bool haveGuide = QFile::exists(QStringLiteral(TIRVANE_SOURCE_DIR "/docs/language.md"));
    if (haveGuide) {
        EXPECT_EQ(help->Documents().first().fileName(), QStringLiteral("language.md"));
    }
    EXPECT_EQ(help->Browser()->source(), help->Documents().first());
    EXPECT_GT(help->Browser()->document()->characterCount(), 200);
    EXPECT_GT(help->Contents()->topLevelItemCount(), 0);
    EXPECT_GT(help->Contents()->topLevelItem(0)->childCount(), 0);

    // A link of the guide's own contents leads to its heading.
    QFile guide(QStringLiteral(TIRVANE_SOURCE_DIR "/docs/language.md"));
    const QString markdown =
        guide.open(QIODevice::ReadOnly) ? QString::fromUtf8(guide.readAll()) : "";
    const QRegularExpressionMatch link =
        QRegularExpression(QStringLiteral("\\[([^\\]]+)\\]\\((#[^)]+)\\)")).match(markdown);
    if (link.hasMatch()) {
        emit help->Browser()->anchorClicked(QUrl(link.captured(2)));
        EXPECT_TRUE(help->Browser()->textCursor().block().text().endsWith(link.captured(1)))
            << link.captured(2).toStdString();
        EXPECT_GT(help->Browser()->verticalScrollBar()->value(), 0);
    }

    // F1 in the editor looks the word at the caret up.
    CTirvaneIDEDoc* doc = OpenProgram(QStringLiteral("help.tvn"), kProgram);
    frame->activateWindow();
    doc->View()->setFocus();
    PlaceCaret(doc->View(), 1, 3);
    frame->Action(ID_HELP)->trigger();
    EXPECT_EQ(help->Browser()->textCursor().selectedText(), QStringLiteral("funcdef"));
    help->close();
}

TEST_F(MainFrameTest, DroppedFilesOpenInWindowsOfTheirOwn) {
    const QString a = WriteProgram(QStringLiteral("drop1.tvn"), kProgram);
    const QString b = WriteProgram(QStringLiteral("drop2.tvn"), kProgram);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    const QPoint point = frame->rect().center();
    QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &drop);
    QStringList titles;
    for (QMdiSubWindow* window : frame->MdiArea()->subWindowList())
        titles << qobject_cast<CChildFrame*>(window)->Document()->Title();
    EXPECT_EQ(titles, (QStringList{"drop1.tvn", "drop2.tvn"}));
}

TEST_F(MainFrameTest, StartUpMakesProgramOneOrOpensTheNamedFiles) {
    ASSERT_TRUE(CTirvaneIDEApp::OpenStartupDocuments(*frame, {}));
    EXPECT_EQ(frame->ActiveDocument()->Title(), QStringLiteral("Программа1"));
    EXPECT_TRUE(frame->ActiveDocument()->PathName().isEmpty());

    const QString path = WriteProgram(QStringLiteral("start.tvn"), kProgram);
    ASSERT_TRUE(CTirvaneIDEApp::OpenStartupDocuments(*frame, {path}));
    EXPECT_EQ(frame->ActiveDocument()->PathName(), path);
    EXPECT_FALSE(CTirvaneIDEApp::OpenStartupDocuments(*frame, {dir.filePath("missing.tvn")}));
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(MainFrameTest, StatusBarFollowsTheActiveWindowsCaret) {
    CTirvaneIDEDoc* a = OpenProgram(QStringLiteral("pos1.tvn"), kProgram);
    PlaceCaret(a->View(), 3, 2);
    CTirvaneIDEDoc* b = OpenProgram(QStringLiteral("pos2.tvn"), kProgram);
    PlaceCaret(b->View(), 5, 4);
    EXPECT_EQ(frame->LinePane()->text(), QStringLiteral("Cтр. 5"));
    frame->MdiArea()->activatePreviousSubWindow();
    EXPECT_EQ(frame->LinePane()->text(), QStringLiteral("Cтр. 3"));
    EXPECT_EQ(frame->ColumnPane()->text(), QStringLiteral("Поз. 3"));
}

} // namespace
} // namespace idetest
