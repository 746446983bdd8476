#include "ide/MainFrame.h"

#include "ide/ChildFrame.h"
#include "ide/Commands.h"
#include "ide/HelpWindow.h"
#include "ide/KeyboardLocks.h"
#include "ide/OutputBar.h"
#include "ide/RunClock.h"
#include "ide/SplitBar.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"
#include "ide/ToolbarIcons.h"
#include "interpreter/DebugControl.h"
#include "output/OutputSink.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOption>
#include <QToolBar>

namespace {

constexpr int kFuncListWidth = 150;
constexpr int kToolBarGap = 12;
constexpr int kPositionPaneWidth = 70;
constexpr int kCommandPollMs = 100;
const QString kReadyText = QStringLiteral("Готов");
const QString kMainTitle = QStringLiteral("Среда разработки Тирвейн");

// The wider separators on both sides of the function list.
class CToolBarGap : public QWidget {
public:
    explicit CToolBarGap(QWidget* parent) : QWidget(parent) { setFixedWidth(kToolBarGap); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QStyleOption option;
        option.initFrom(this);
        option.state |= QStyle::State_Horizontal;
        style()->drawPrimitive(QStyle::PE_IndicatorToolBarSeparator, &option, &painter, this);
    }
};

} // namespace

CMainFrame::CMainFrame() : m_recentFiles(kRecentFileCount) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(kMainTitle);
    setWindowIcon(EmblemIcon());
    setAcceptDrops(true);
}

// The document windows go while the frame is still whole, and tell it nothing on the way.
CMainFrame::~CMainFrame() {
    m_updateTimer.stop();
    if (m_pMdiArea == nullptr)
        return;
    disconnect(m_pMdiArea, nullptr, this, nullptr);
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList()) {
        if (auto* child = qobject_cast<CChildFrame*>(window))
            disconnect(child->Document(), nullptr, this, nullptr);
    }
    delete takeCentralWidget();
}

bool CMainFrame::Create() {
    CreateClientArea();
    CreateFileActions();
    CreateRecentFileActions();
    CreateEditActions();
    CreateViewActions();
    CreateProgramActions();
    CreateWindowActions();
    CreateHelpActions();
    CreateExampleActions();
    CreateMenus();
    if (!CreateToolBar())
        return false;
    CreateStatusBar();
    m_pRunClock = new CRunClock(statusBar(), m_pOutputBar->Tabs(), this);
    ShowShortcutsInToolTips();
    RestoreLayout();
    // A double click on an error line of the translation report goes to that line.
    m_pOutputBar->PaneView(kChannelTranslation)->viewport()->installEventFilter(this);
    m_recentFiles.Load();
    UpdateRecentFileMenu();
    ShowMenusFor(false);
    // Command availability depends on flags a worker may change: poll like an idle handler.
    connect(&m_updateTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommands);
    m_updateTimer.start(kCommandPollMs);
    UpdateCommands();
    return true;
}

void CMainFrame::CreateClientArea() {
    auto* client = new QWidget(this);
    m_pMdiArea = new QMdiArea(client);
    m_pMdiArea->setObjectName(QStringLiteral("MdiArea"));
    m_pMdiArea->setWhatsThis(QStringLiteral("Окна документов: тексты программ на языке Тирвейн."));
    m_pOutputBar = new COutputBar(client);
    m_pOutputBar->setObjectName(QStringLiteral("OutputBar"));
    m_pOutputBar->setWhatsThis(
        QStringLiteral("Панель вывода: отчёт трансляции, аргумент запускаемой функции, "
                       "трасса отладки и результат выполнения."));
    m_pSplitBar = new CSplitBar(m_pMdiArea, client);
    m_pSplitBar->SetLowerWindow(m_pOutputBar);
    setCentralWidget(client);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);
}

QAction* CMainFrame::AddAction(int id, const QString& text) {
    QAction* action = MakeCommandAction(id, text, this);
    action->setIcon(CommandIcon(id));
    action->setWhatsThis(action->statusTip());
    // Shortcuts work whichever of the two menus is shown.
    addAction(action);
    m_actions[id] = action;
    return action;
}

QAction* CMainFrame::AddAction(int id, const QString& text, void (CMainFrame::*slot)()) {
    QAction* action = AddAction(id, text);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

QAction* CMainFrame::Action(int id) const {
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

bool CMainFrame::CreateToolBar() {
    m_pToolBar = addToolBar(QStringLiteral("Панель инструментов"));
    if (m_pToolBar == nullptr)
        return false;
    m_pToolBar->setObjectName(QStringLiteral("ToolBar"));
    m_pToolBar->setIconSize(QSize(17, 17));
    AddToolBarButtons({ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_EDIT_CUT, ID_EDIT_COPY,
                       ID_EDIT_PASTE, 0, ID_EDIT_UNDO, 0, ID_EDIT_FIND, 0, ID_FILE_PRINT});
    AddToolBarGap();
    if (!CreateFunctionList())
        return false;
    AddToolBarGap();
    AddToolBarButtons({ID_FUNC_DEFINITION, ID_FUNC_PROPERTIES, 0, ID_TRANSLATE, ID_RUN,
                       ID_ABORT_RUN, 0, ID_DEBUG, ID_ABORT_DEBUG, 0, ID_APP_ABOUT});
    connect(m_pToolBar, &QToolBar::visibilityChanged, Action(ID_VIEW_TOOLBAR),
            &QAction::setChecked);
    return true;
}

// 0 stands for a separator.
void CMainFrame::AddToolBarButtons(std::initializer_list<int> ids) {
    for (int id : ids) {
        if (id == 0)
            m_pToolBar->addSeparator();
        else
            m_pToolBar->addAction(Action(id));
    }
}

void CMainFrame::AddToolBarGap() {
    m_pToolBar->addWidget(new CToolBarGap(m_pToolBar));
}

bool CMainFrame::CreateFunctionList() {
    m_pFuncCombo = new QComboBox(m_pToolBar);
    m_pFuncCombo->setObjectName(QStringLiteral("IDC_FUNC_COMBO"));
    m_pFuncCombo->setProperty("controlId", int(IDC_FUNC_COMBO));
    m_pFuncCombo->setEditable(false);
    m_pFuncCombo->setFixedWidth(kFuncListWidth);
    m_pFuncCombo->setMaxVisibleItems(20);
    const QString prompt = CommandPrompt(ID_FUNC_LIST);
    m_pFuncCombo->setStatusTip(prompt.section(u'\n', 0, 0));
    m_pFuncCombo->setToolTip(prompt.section(u'\n', 1));
    m_pFuncCombo->setWhatsThis(m_pFuncCombo->statusTip());
    m_funcListFont = QFont(QStringLiteral("MS Sans Serif"));
    m_funcListFont.setPixelSize(12);
    m_funcListFont.setStyleHint(QFont::SansSerif);
    m_pFuncCombo->setFont(m_funcListFont);
    return m_pToolBar->addWidget(m_pFuncCombo) != nullptr;
}

// The message pane shows "Готов" whenever no prompt is shown; then come the caret's line
// and column and the keyboard's lock keys.
void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& message) {
        if (message.isEmpty())
            bar->showMessage(kReadyText);
    });
    bar->showMessage(kReadyText);
    const auto makePane = [bar](const QString& name, int width) {
        auto* pane = new QLabel(bar);
        pane->setObjectName(name);
        pane->setFixedWidth(width);
        pane->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        pane->setIndent(3);
        bar->addPermanentWidget(pane);
        return pane;
    };
    m_pLinePane = makePane(QStringLiteral("LinePane"), kPositionPaneWidth);
    m_pColumnPane = makePane(QStringLiteral("ColumnPane"), kPositionPaneWidth);
    const QString lockNames[] = {QStringLiteral("CapsPane"), QStringLiteral("NumPane"),
                                 QStringLiteral("ScrollPane")};
    for (std::size_t i = 0; i < m_lockPanes.size(); ++i) {
        m_lockPanes[i] = makePane(lockNames[i], 44);
        m_lockPanes[i]->setAlignment(Qt::AlignCenter);
    }
}

void CMainFrame::ShowPosition(int line, int column) {
    m_pLinePane->setText(QStringLiteral("Cтр. %1").arg(line));
    m_pColumnPane->setText(QStringLiteral("Поз. %1").arg(column));
}

void CMainFrame::UpdateLockPanes() {
    const KeyboardLocks locks = QueryKeyboardLocks();
    const QString texts[] = {QStringLiteral("CAP"), QStringLiteral("NUM"), QStringLiteral("SCRL")};
    const bool on[] = {locks.caps, locks.num, locks.scroll};
    for (std::size_t i = 0; i < m_lockPanes.size(); ++i)
        m_lockPanes[i]->setText(on[i] ? texts[i] : QString());
}

CChildFrame* CMainFrame::ActiveChild() const {
    return m_pActiveChild;
}

CTirvaneIDEDoc* CMainFrame::ActiveDocument() const {
    return m_pActiveChild.isNull() ? nullptr : m_pActiveChild->Document();
}

CTirvaneIDEView* CMainFrame::ActiveView() const {
    return m_pActiveChild.isNull() ? nullptr : m_pActiveChild->View();
}

CChildFrame* CMainFrame::AddChild(CTirvaneIDEDoc* doc, CTirvaneIDEView* view) {
    auto* child = new CChildFrame(doc, view);
    connect(doc, &CTirvaneIDEDoc::StateChanged, this, &CMainFrame::UpdateCommands,
            Qt::UniqueConnection);
    connect(doc, &CTirvaneIDEDoc::TitleChanged, this, &CMainFrame::UpdateTitle,
            Qt::UniqueConnection);
    connect(doc, &CTirvaneIDEDoc::RunStarted, m_pRunClock, &CRunClock::Start, Qt::UniqueConnection);
    connect(doc, &CTirvaneIDEDoc::RunEnded, m_pRunClock, &CRunClock::Finish, Qt::UniqueConnection);
    connect(doc, &CTirvaneIDEDoc::ModifiedChanged, this, &CMainFrame::UpdateTitle,
            Qt::UniqueConnection);
    connect(child, &QMdiSubWindow::windowStateChanged, this, &CMainFrame::UpdateTitle);
    QMdiSubWindow* current = m_pMdiArea->currentSubWindow();
    m_pMdiArea->addSubWindow(child);
    if (current == nullptr || current->isMaximized()) {
        child->showMaximized();
    } else {
        // Among windows that are not maximised (after "Каскад" or "Черепица") a new one
        // takes three quarters of the area, one step down and right of the active one.
        const QSize area = m_pMdiArea->viewport()->size();
        const QSize size =
            QSize(area.width() * 3 / 4, area.height() * 3 / 4).expandedTo(child->minimumSizeHint());
        QPoint at = current->pos() + QPoint(CascadeStep(), CascadeStep());
        if (at.x() + size.width() > area.width() || at.y() + size.height() > area.height())
            at = QPoint(0, 0);
        child->setGeometry(QRect(at, size));
        child->show();
    }
    m_pMdiArea->setActiveSubWindow(child);
    return child;
}

CTirvaneIDEDoc* CMainFrame::NewDocument() {
    auto* doc = new CTirvaneIDEDoc(this);
    auto* view = new CTirvaneIDEView(doc);
    doc->SetUntitled(QStringLiteral("Программа%1").arg(++m_nUntitled));
    AddChild(doc, view);
    return doc;
}

CTirvaneIDEDoc* CMainFrame::OpenDocument(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList()) {
        auto* child = qobject_cast<CChildFrame*>(window);
        if (child != nullptr && child->Document()->PathName() == absolute) {
            m_pMdiArea->setActiveSubWindow(child);
            AddRecentFile(absolute);
            return child->Document();
        }
    }
    auto* doc = new CTirvaneIDEDoc(this);
    auto* view = new CTirvaneIDEView(doc);
    if (!doc->Open(path)) {
        delete view;
        delete doc;
        return nullptr;
    }
    AddChild(doc, view);
    AddRecentFile(absolute);
    return doc;
}

void CMainFrame::AddRecentFile(const QString& path) {
    m_recentFiles.Add(path);
    UpdateRecentFileMenu();
}

void CMainFrame::RunDocumentCommand(void (CTirvaneIDEDoc::*command)()) {
    if (CTirvaneIDEDoc* doc = ActiveDocument())
        (doc->*command)();
    UpdateCommands();
}

// A null window with a current one left means the application lost the focus, not the
// document window: the list keeps its functions then.
void CMainFrame::OnSubWindowActivated(QMdiSubWindow* window) {
    auto* child = qobject_cast<CChildFrame*>(window);
    if (child == nullptr && m_pMdiArea->currentSubWindow() != nullptr)
        return;
    if (child == m_pActiveChild)
        return;
    if (!m_pActiveChild.isNull())
        m_pActiveChild->OnActivate(false);
    m_pActiveChild = child;
    if (child != nullptr) {
        child->OnActivate(true);
    } else {
        m_pLinePane->clear();
        m_pColumnPane->clear();
    }
    ShowMenusFor(child != nullptr);
    UpdateTitle();
    UpdateCommands();
}

// The active window's title follows the program's, with "*" while its document is modified.
// A maximised window has the MDI area add its title in brackets ("... - [name]") instead.
void CMainFrame::UpdateTitle() {
    const CChildFrame* child = ActiveChild();
    const bool named = child != nullptr && !child->isMaximized();
    setWindowTitle(named ? kMainTitle + QStringLiteral(" - ") + child->windowTitle() : kMainTitle);
    if (windowTitle().contains(QStringLiteral("[*]")))
        setWindowModified(child != nullptr && child->Document()->IsModified());
}

int CMainFrame::CascadeStep() const {
    return style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
}

void CMainFrame::UpdateCommands() {
    const CTirvaneIDEDoc* doc = ActiveDocument();
    const CommandStates states = doc != nullptr ? doc->Commands() : CommandStates{};
    Action(ID_TRANSLATE)->setEnabled(states.translate);
    Action(ID_RUN)->setEnabled(states.run);
    Action(ID_ABORT_RUN)->setEnabled(states.abortRun);
    Action(ID_DEBUG)->setEnabled(states.debug);
    Action(ID_ABORT_DEBUG)->setEnabled(states.abortDebug);
    for (int id : {ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_PRINT,
                   ID_FILE_PRINT_PREVIEW, ID_EDIT_FIND, ID_EDIT_REPLACE, ID_EDIT_GOTO_LINE,
                   ID_FUNC_DEFINITION, ID_FUNC_PROPERTIES, ID_WINDOW_NEW, ID_WINDOW_CASCADE,
                   ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE, ID_NEXT_PANE, ID_PREV_PANE})
        Action(id)->setEnabled(doc != nullptr);
    UpdateEditCommands();
    UpdateLockPanes();
}

void CMainFrame::ShowWaitNote() {
    statusBar()->showMessage(QStringLiteral("Ожидание завершения прерванной программы..."));
}

void CMainFrame::ClearWaitNote() {
    statusBar()->clearMessage();
}

// Every document window closes first, each document asking to save and ending its run.
void CMainFrame::closeEvent(QCloseEvent* event) {
    if (CRunController::Waiting()) {
        event->ignore();
        return;
    }
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList()) {
        if (!window->close()) {
            event->ignore();
            return;
        }
    }
    m_updateTimer.stop();
    SaveLayout();
    if (m_pHelpWindow != nullptr)
        m_pHelpWindow->close();
    event->accept();
}

namespace {

QStringList LocalFiles(const QMimeData* data) {
    QStringList files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    return files;
}

} // namespace

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

// Each dropped file opens in a window of its own.
void CMainFrame::dropEvent(QDropEvent* event) {
    const QStringList files = LocalFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    activateWindow();
    for (const QString& file : files)
        OpenDocument(file);
}
