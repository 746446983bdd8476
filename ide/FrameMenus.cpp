// The main window's commands, set up one menu at a time, and its two menus: the main menu
// while no document window is open and the document menu otherwise.

#include "ide/ChildFrame.h"
#include "ide/Commands.h"
#include "ide/Examples.h"
#include "ide/MainFrame.h"
#include "ide/ParallelJobs.h"
#include "ide/TirvaneIDEDoc.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>

namespace {

// Menu table codes besides command ids.
constexpr int kSeparator = 0;
constexpr int kRecentFiles = -1;
constexpr int kExamples = -2;
constexpr int kMaxListedWindows = 9;

} // namespace

void CMainFrame::CreateFileActions() {
    AddAction(ID_FILE_NEW, QStringLiteral("Новый"), &CMainFrame::OnFileNew)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    AddAction(ID_FILE_OPEN, QStringLiteral("Открыть..."), &CMainFrame::OnFileOpen)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    AddAction(ID_FILE_CLOSE, QStringLiteral("Закрыть"), &CMainFrame::OnFileClose);
    AddAction(ID_FILE_SAVE, QStringLiteral("Сохранить"), &CMainFrame::OnFileSave)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    AddAction(ID_FILE_SAVE_AS, QStringLiteral("Сохранить как..."), &CMainFrame::OnFileSaveAs);
    AddAction(ID_FILE_PRINT, QStringLiteral("Печать..."), &CMainFrame::OnFilePrint)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    AddAction(ID_FILE_PRINT_PREVIEW, QStringLiteral("Просмотр документа"),
              &CMainFrame::OnFilePrintPreview);
    AddAction(ID_FILE_PRINT_SETUP, QStringLiteral("Установки печати..."),
              &CMainFrame::OnFilePrintSetup);
    connect(AddAction(ID_APP_EXIT, QStringLiteral("Выход")), &QAction::triggered, this,
            &QWidget::close);
}

// Four entries shared by both "Файл" menus; with none, the greyed "Recent File" holds the
// place.
void CMainFrame::CreateRecentFileActions() {
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* action = AddAction(ID_FILE_MRU_FILE1 + i, QString());
        connect(action, &QAction::triggered, this, [this, i] { OnRecentFile(i); });
        m_recentActions[static_cast<std::size_t>(i)] = action;
    }
    m_pRecentPlaceholder = new QAction(QStringLiteral("Recent File"), this);
    m_pRecentPlaceholder->setEnabled(false);
}

void CMainFrame::UpdateRecentFileMenu() {
    const QStringList& files = m_recentFiles.Files();
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* action = m_recentActions[static_cast<std::size_t>(i)];
        action->setVisible(i < files.size());
        if (i < files.size()) {
            action->setText(CRecentFileList::MenuText(i, files[i]));
            action->setToolTip(files[i]);
        }
    }
    m_pRecentPlaceholder->setVisible(files.isEmpty());
}

void CMainFrame::CreateEditActions() {
    AddAction(ID_EDIT_UNDO, QStringLiteral("Отмена"), &CMainFrame::OnEditUndo)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    AddAction(ID_EDIT_CUT, QStringLiteral("Вырезать"), &CMainFrame::OnEditCut)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    AddAction(ID_EDIT_COPY, QStringLiteral("Копировать"), &CMainFrame::OnEditCopy)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    AddAction(ID_EDIT_PASTE, QStringLiteral("Вставка"), &CMainFrame::OnEditPaste)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    AddAction(ID_EDIT_FIND, QStringLiteral("Найти..."), &CMainFrame::OnEditFind)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    AddAction(ID_EDIT_REPLACE, QStringLiteral("Заменить..."), &CMainFrame::OnEditReplace)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    AddAction(ID_EDIT_GOTO_LINE, QStringLiteral("Перейти к строке..."), &CMainFrame::OnEditGoToLine)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
}

void CMainFrame::CreateViewActions() {
    QAction* toolBar = AddAction(ID_VIEW_TOOLBAR, QStringLiteral("Панель инструментов"));
    toolBar->setCheckable(true);
    toolBar->setChecked(true);
    connect(toolBar, &QAction::toggled, this, [this](bool on) { m_pToolBar->setVisible(on); });
    QAction* statusLine = AddAction(ID_VIEW_STATUS_BAR, QStringLiteral("Строка состояния"));
    statusLine->setCheckable(true);
    statusLine->setChecked(true);
    connect(statusLine, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
}

void CMainFrame::CreateProgramActions() {
    const struct {
        int id;
        const char16_t* text;
        void (CTirvaneIDEDoc::*command)();
        QKeySequence key;
    } kCommands[] = {
        {ID_TRANSLATE, u"Трансляция", &CTirvaneIDEDoc::OnTranslate, Qt::Key_F7},
        {ID_RUN, u"Выполнение", &CTirvaneIDEDoc::OnRun, Qt::Key_F5},
        {ID_ABORT_RUN, u"Прерывание выполнения", &CTirvaneIDEDoc::OnAbortRun,
         Qt::SHIFT | Qt::Key_F5},
        {ID_DEBUG, u"Отладка", &CTirvaneIDEDoc::OnDebug, Qt::Key_F10},
        {ID_ABORT_DEBUG, u"Прерывание отладки", &CTirvaneIDEDoc::OnAbortDebug,
         Qt::SHIFT | Qt::Key_F10},
    };
    for (const auto& command : kCommands) {
        QAction* action = AddAction(command.id, QString::fromUtf16(command.text));
        action->setShortcut(command.key);
        connect(action, &QAction::triggered, this,
                [this, fn = command.command] { RunDocumentCommand(fn); });
    }
    AddAction(ID_FUNC_DEFINITION, QStringLiteral("Определение функции"),
              &CMainFrame::OnFuncDefinition);
    AddAction(ID_FUNC_PROPERTIES, QStringLiteral("Свойства функции"),
              &CMainFrame::OnFuncProperties);
}

void CMainFrame::CreateWindowActions() {
    AddAction(ID_WINDOW_NEW, QStringLiteral("Новое окно"), &CMainFrame::OnWindowNew);
    AddAction(ID_WINDOW_CASCADE, QStringLiteral("Каскад"), &CMainFrame::OnWindowCascade);
    AddAction(ID_WINDOW_TILE_HORZ, QStringLiteral("Черепица"), &CMainFrame::OnWindowTile);
    AddAction(ID_WINDOW_ARRANGE, QStringLiteral("Упорядочить значки"),
              &CMainFrame::OnWindowArrange);
    AddAction(ID_NEXT_PANE, QStringLiteral("Следующая область"), &CMainFrame::OnNextPane)
        ->setShortcut(QKeySequence(Qt::Key_F6));
    AddAction(ID_PREV_PANE, QStringLiteral("Предыдущая область"), &CMainFrame::OnPrevPane)
        ->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
}

void CMainFrame::CreateHelpActions() {
    AddAction(ID_HELP_FINDER, QStringLiteral("Оглавление..."), &CMainFrame::OnHelpFinder);
    AddAction(ID_DEFAULT_HELP, QStringLiteral("Справка"), &CMainFrame::OnHelpFinder);
    AddAction(ID_HELP, QStringLiteral("Справка"), &CMainFrame::OnHelp)
        ->setShortcut(QKeySequence(Qt::Key_F1));
    AddAction(ID_CONTEXT_HELP, QStringLiteral("Контекстная справка"), &CMainFrame::OnContextHelp)
        ->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    AddAction(ID_APP_ABOUT, QStringLiteral("О программе..."), &CMainFrame::OnAppAbout);
}

// The example programs, each opened in a new untitled window; the tip is the example's
// first comment line.
void CMainFrame::CreateExampleActions() {
    m_pExamplesMenu = new QMenu(QStringLiteral("Примеры"), this);
    m_pExamplesMenu->setObjectName(QStringLiteral("ExamplesMenu"));
    for (const QString& name : ExampleNames()) {
        QAction* action = m_pExamplesMenu->addAction(name);
        action->setStatusTip(ExampleSummary(name));
        connect(action, &QAction::triggered, this, [this, name] { OpenExample(name); });
    }
    m_pExamplesMenu->menuAction()->setStatusTip(
        QStringLiteral("Открытие примера программы в новом окне"));
}

// ids are command ids, kSeparator, kRecentFiles or kExamples.
QMenu* CMainFrame::AddMenu(const QString& title, std::initializer_list<int> ids) {
    QMenu* menu = menuBar()->addMenu(title);
    for (int id : ids) {
        if (id == kSeparator) {
            menu->addSeparator();
        } else if (id == kExamples) {
            menu->addMenu(m_pExamplesMenu);
        } else if (id == kRecentFiles) {
            for (QAction* action : m_recentActions)
                menu->addAction(action);
            menu->addAction(m_pRecentPlaceholder);
        } else {
            menu->addAction(Action(id));
        }
    }
    return menu;
}

void CMainFrame::CreateMenus() {
    m_mainMenus = {
        AddMenu(QStringLiteral("Файл"), {ID_FILE_NEW, ID_FILE_OPEN, kSeparator, ID_FILE_PRINT_SETUP,
                                         kSeparator, kRecentFiles, kSeparator, ID_APP_EXIT}),
        AddMenu(QStringLiteral("Вид"), {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}),
        AddMenu(QStringLiteral("Справка"),
                {ID_HELP_FINDER, kSeparator, ID_APP_ABOUT, kSeparator, kExamples}),
    };
    m_pWindowMenu = nullptr;
    m_docMenus = {
        AddMenu(QStringLiteral("Файл"),
                {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS,
                 kSeparator, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, kSeparator,
                 kRecentFiles, kSeparator, ID_APP_EXIT}),
        AddMenu(QStringLiteral("Редактирование"),
                {ID_EDIT_UNDO, kSeparator, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, kSeparator,
                 ID_EDIT_FIND, ID_EDIT_REPLACE, ID_EDIT_GOTO_LINE}),
        AddMenu(QStringLiteral("Вид"), {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}),
        AddMenu(QStringLiteral("Программа"),
                {ID_TRANSLATE, ID_RUN, ID_ABORT_RUN, ID_DEBUG, ID_ABORT_DEBUG}),
        AddMenu(QStringLiteral("Окно"),
                {ID_WINDOW_NEW, ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE}),
        AddMenu(QStringLiteral("Справка"), {ID_APP_ABOUT, kSeparator, ID_HELP_FINDER, kExamples}),
    };
    m_docMenus[3]->addSeparator();
    m_docMenus[3]->addMenu((new CParallelJobsMenu(this))->Menu());
    m_pWindowMenu = m_docMenus[4];
    connect(m_pWindowMenu, &QMenu::aboutToShow, this, &CMainFrame::FillWindowList);
}

void CMainFrame::ShowMenusFor(bool documentOpen) {
    for (QMenu* menu : m_mainMenus)
        menu->menuAction()->setVisible(!documentOpen);
    for (QMenu* menu : m_docMenus)
        menu->menuAction()->setVisible(documentOpen);
}

QList<QMenu*> CMainFrame::ShownMenus() const {
    return m_pActiveChild.isNull() ? m_mainMenus : m_docMenus;
}

// The open windows follow the fixed items of "Окно", the active one checked.
void CMainFrame::FillWindowList() {
    for (QAction* action : m_windowListActions)
        m_pWindowMenu->removeAction(action);
    qDeleteAll(m_windowListActions);
    m_windowListActions.clear();
    const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList();
    if (windows.isEmpty())
        return;
    m_windowListActions.append(m_pWindowMenu->addSeparator());
    for (int i = 0; i < windows.size() && i < kMaxListedWindows; ++i) {
        QMdiSubWindow* window = windows[i];
        QString title = window->windowTitle().replace(QStringLiteral("[*]"), QString());
        QAction* action = m_pWindowMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title));
        action->setCheckable(true);
        action->setChecked(window == m_pMdiArea->activeSubWindow());
        connect(action, &QAction::triggered, this,
                [this, window = QPointer<QMdiSubWindow>(window)] {
                    if (window != nullptr)
                        m_pMdiArea->setActiveSubWindow(window);
                });
        m_windowListActions.append(action);
    }
}
