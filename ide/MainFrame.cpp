#include "ide/MainFrame.h"

#include "ide/ChildFrame.h"
#include "ide/CommandState.h"
#include "ide/Commands.h"
#include "ide/OutputBar.h"
#include "ide/RunWorker.h"
#include "ide/ShellDialogs.h"
#include "ide/SplitBar.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"
#include "ide/ToolbarIcons.h"
#include "interpreter/DebugControl.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace {

constexpr int kFuncListWidth = 150;
constexpr int kCommandPollMs = 100;
const QString kReadyText = QStringLiteral("Готов");

} // namespace

CMainFrame::CMainFrame() {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QStringLiteral("Среда разработки Тирвейн"));
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::Create() {
    CreateClientArea();
    CreateFileActions();
    CreateProgramActions();
    CreateMenus();
    if (!CreateToolBar())
        return false;
    CreateStatusBar();
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
    m_pOutputBar = new COutputBar(client);
    m_pOutputBar->setObjectName(QStringLiteral("OutputBar"));
    m_pSplitBar = new CSplitBar(m_pMdiArea, client);
    m_pSplitBar->SetLowerWindow(m_pOutputBar);
    setCentralWidget(client);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);
}

QAction* CMainFrame::AddAction(int id, const QString& text) {
    QAction* action = MakeCommandAction(id, text, this);
    m_actions[id] = action;
    return action;
}

QAction* CMainFrame::Action(int id) const {
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

void CMainFrame::CreateFileActions() {
    QAction* fileNew = AddAction(ID_FILE_NEW, QStringLiteral("Новый"));
    fileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    fileNew->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    connect(fileNew, &QAction::triggered, this, [this] { NewDocument(); });

    QAction* open = AddAction(ID_FILE_OPEN, QStringLiteral("Открыть..."));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    open->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    connect(open, &QAction::triggered, this, &CMainFrame::OnFileOpen);

    connect(AddAction(ID_FILE_CLOSE, QStringLiteral("Закрыть")), &QAction::triggered, this,
            &CMainFrame::OnFileClose);

    QAction* save = AddAction(ID_FILE_SAVE, QStringLiteral("Сохранить"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    connect(save, &QAction::triggered, this, [this] {
        if (CTirvaneIDEDoc* doc = ActiveDocument())
            doc->Save();
    });

    connect(AddAction(ID_FILE_SAVE_AS, QStringLiteral("Сохранить как...")), &QAction::triggered,
            this, [this] {
                if (CTirvaneIDEDoc* doc = ActiveDocument())
                    doc->SaveAs();
            });

    connect(AddAction(ID_APP_EXIT, QStringLiteral("Выход")), &QAction::triggered, this,
            &QWidget::close);
}

void CMainFrame::CreateProgramActions() {
    const struct {
        int id;
        const char16_t* text;
        void (CTirvaneIDEDoc::*command)();
    } kCommands[] = {
        {ID_TRANSLATE, u"Трансляция", &CTirvaneIDEDoc::OnTranslate},
        {ID_RUN, u"Выполнение", &CTirvaneIDEDoc::OnRun},
        {ID_ABORT_RUN, u"Прерывание выполнения", &CTirvaneIDEDoc::OnAbortRun},
        {ID_DEBUG, u"Отладка", &CTirvaneIDEDoc::OnDebug},
        {ID_ABORT_DEBUG, u"Прерывание отладки", &CTirvaneIDEDoc::OnAbortDebug},
    };
    for (const auto& command : kCommands) {
        QAction* action = AddAction(command.id, QString::fromUtf16(command.text));
        action->setIcon(CommandIcon(command.id));
        connect(action, &QAction::triggered, this,
                [this, fn = command.command] { RunDocumentCommand(fn); });
    }
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS})
        file->addAction(Action(id));
    file->addSeparator();
    file->addAction(Action(ID_APP_EXIT));

    QMenu* program = menuBar()->addMenu(QStringLiteral("Программа"));
    for (int id : {ID_TRANSLATE, ID_RUN, ID_ABORT_RUN, ID_DEBUG, ID_ABORT_DEBUG})
        program->addAction(Action(id));
}

bool CMainFrame::CreateToolBar() {
    m_pToolBar = addToolBar(QStringLiteral("Панель инструментов"));
    if (m_pToolBar == nullptr)
        return false;
    m_pToolBar->setObjectName(QStringLiteral("ToolBar"));
    m_pToolBar->setIconSize(QSize(17, 17));
    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE})
        m_pToolBar->addAction(Action(id));
    m_pToolBar->addSeparator();
    if (!CreateFunctionList())
        return false;
    m_pToolBar->addSeparator();
    for (int id : {ID_TRANSLATE, ID_RUN, ID_ABORT_RUN})
        m_pToolBar->addAction(Action(id));
    m_pToolBar->addSeparator();
    for (int id : {ID_DEBUG, ID_ABORT_DEBUG})
        m_pToolBar->addAction(Action(id));
    return true;
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
    m_funcListFont = QFont(QStringLiteral("MS Sans Serif"));
    m_funcListFont.setPixelSize(12);
    m_funcListFont.setStyleHint(QFont::SansSerif);
    m_pFuncCombo->setFont(m_funcListFont);
    return m_pToolBar->addWidget(m_pFuncCombo) != nullptr;
}

// The message pane shows "Готов" whenever no prompt is shown.
void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& message) {
        if (message.isEmpty())
            bar->showMessage(kReadyText);
    });
    bar->showMessage(kReadyText);
}

CChildFrame* CMainFrame::ActiveChild() const {
    return m_pActiveChild;
}

CTirvaneIDEDoc* CMainFrame::ActiveDocument() const {
    return m_pActiveChild.isNull() ? nullptr : m_pActiveChild->Document();
}

CChildFrame* CMainFrame::AddChild(CTirvaneIDEDoc* doc, CTirvaneIDEView* view) {
    auto* child = new CChildFrame(doc, view);
    connect(doc, &CTirvaneIDEDoc::StateChanged, this, &CMainFrame::UpdateCommands);
    QMdiSubWindow* current = m_pMdiArea->currentSubWindow();
    m_pMdiArea->addSubWindow(child);
    if (current == nullptr || current->isMaximized())
        child->showMaximized();
    else
        child->show();
    m_pMdiArea->setActiveSubWindow(child);
    return child;
}

CTirvaneIDEDoc* CMainFrame::NewDocument() {
    auto* doc = new CTirvaneIDEDoc(this);
    auto* view = new CTirvaneIDEView(doc);
    doc->SetView(view);
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
            return child->Document();
        }
    }
    auto* doc = new CTirvaneIDEDoc(this);
    auto* view = new CTirvaneIDEView(doc);
    doc->SetView(view);
    if (!doc->Open(path)) {
        delete view;
        delete doc;
        return nullptr;
    }
    AddChild(doc, view);
    return doc;
}

void CMainFrame::OnFileOpen() {
    const QString path = AskOpenFileName(this);
    if (!path.isEmpty())
        OpenDocument(path);
}

void CMainFrame::OnFileClose() {
    if (!m_pActiveChild.isNull())
        m_pActiveChild->close();
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
    if (child != nullptr)
        child->OnActivate(true);
    UpdateCommands();
}

void CMainFrame::UpdateCommands() {
    const CTirvaneIDEDoc* doc = ActiveDocument();
    const DocumentFlags flags = doc != nullptr ? doc->Flags() : DocumentFlags{};
    const CommandStates states =
        ComputeCommandStates(doc != nullptr ? &flags : nullptr, g_bRunning, g_bDebugging);
    Action(ID_TRANSLATE)->setEnabled(states.translate);
    Action(ID_RUN)->setEnabled(states.run);
    Action(ID_ABORT_RUN)->setEnabled(states.abortRun);
    Action(ID_DEBUG)->setEnabled(states.debug);
    Action(ID_ABORT_DEBUG)->setEnabled(states.abortDebug);
    for (int id : {ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS})
        Action(id)->setEnabled(doc != nullptr);
}

void CMainFrame::ShowWaitNote() {
    statusBar()->showMessage(QStringLiteral("Ожидание завершения прерванной программы..."));
}

void CMainFrame::ClearWaitNote() {
    statusBar()->clearMessage();
}

// Every document window closes first, each asking to save and ending its run.
void CMainFrame::closeEvent(QCloseEvent* event) {
    if (CRunWorker::Waiting()) {
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
    event->accept();
}
