#pragma once
// The main window: tool bar with the function list, the MDI area of document windows, the
// output panel below it with its sizing bar, and the status bar. Two menus: a short one while
// no document window is open, the full one otherwise.

#include "ide/Commands.h"
#include "ide/FindDialog.h"
#include "ide/HelpWindow.h"
#include "ide/RecentFileList.h"
#include "ide/ReplaceDialog.h"

#include <QFont>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <map>
#include <memory>

class CChildFrame;
class COutputBar;
class COutputView;
class CRunClock;
class CSplitBar;
class CTirvaneIDEDoc;
class CTirvaneIDEView;
class QAction;
class QComboBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPlainTextEdit;
class QPrinter;
class QToolBar;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame();
    ~CMainFrame() override;

    // Builds the windows, menus and tool bar. False if the tool bar or the function list
    // could not be made: the application does not start then.
    bool Create();

    QComboBox* FunctionList() const { return m_pFuncCombo; }
    COutputBar* OutputBar() const { return m_pOutputBar; }
    CSplitBar* SplitBar() const { return m_pSplitBar; }
    QMdiArea* MdiArea() const { return m_pMdiArea; }
    QToolBar* ToolBar() const { return m_pToolBar; }
    QAction* Action(int id) const;
    // The menus of the menu bar now shown: the main menu or the document menu.
    QList<QMenu*> ShownMenus() const;
    QLabel* LinePane() const { return m_pLinePane; }
    QLabel* ColumnPane() const { return m_pColumnPane; }
    CRecentFileList& RecentFiles() { return m_recentFiles; }
    CFindDialog* FindDialog() const { return m_pFindDialog; }
    CHelpWindow* HelpWindow() const { return m_pHelpWindow; }
    CReplaceDialog* ReplaceDialog() const { return m_pReplaceDialog; }
    CRunClock* RunClock() const { return m_pRunClock; }
    QMenu* ExamplesMenu() const { return m_pExamplesMenu; }

    CChildFrame* ActiveChild() const;
    CTirvaneIDEDoc* ActiveDocument() const;
    CTirvaneIDEView* ActiveView() const;

    CTirvaneIDEDoc* NewDocument();
    // Opens the file in a new window, or activates the window that already shows it.
    CTirvaneIDEDoc* OpenDocument(const QString& path);
    // A file was opened or saved under this name.
    void AddRecentFile(const QString& path);
    // An example in a new untitled window named after it; null if there is no such example.
    CTirvaneIDEDoc* OpenExample(const QString& name);

    // The document whose translation report the "Трансляция" tab shows.
    void SetReportDocument(CTirvaneIDEDoc* doc);
    // Brings a window of the document to the front, marks the error line and puts the caret
    // on it.
    void ShowErrorLine(CTirvaneIDEDoc* doc, int line);

    // The window's layout (panel height, maximised, tool bar and status bar) as it was when
    // the program last ended; Create restores the bars and the panel.
    void SaveLayout() const;
    // Shows the window maximised, or at its last size if it was not maximised then.
    void ShowAsLastTime();

    // Enables the commands by the active document's state and the running session.
    void UpdateCommands();
    // The caret's place in the status bar panes "Cтр." and "Поз.".
    void ShowPosition(int line, int column);

    // A status note while a command waits for an aborted run to end.
    void ShowWaitNote();
    void ClearWaitNote();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Set-up, one menu at a time (MainFrame.cpp, FrameMenus.cpp).
    void CreateClientArea();
    void CreateFileActions();
    void CreateRecentFileActions();
    void CreateEditActions();
    void CreateViewActions();
    void CreateProgramActions();
    void CreateWindowActions();
    void CreateHelpActions();
    void CreateExampleActions();
    void CreateMenus();
    QMenu* AddMenu(const QString& title, std::initializer_list<int> ids);
    bool CreateToolBar();
    void AddToolBarButtons(std::initializer_list<int> ids);
    void AddToolBarGap();
    bool CreateFunctionList();
    void CreateStatusBar();
    void ShowShortcutsInToolTips();
    void RestoreLayout();
    bool OnReportDoubleClick(QMouseEvent* event);
    QAction* AddAction(int id, const QString& text);
    QAction* AddAction(int id, const QString& text, void (CMainFrame::*slot)());

    // Documents and windows.
    CChildFrame* AddChild(CTirvaneIDEDoc* doc, CTirvaneIDEView* view);
    void OnSubWindowActivated(QMdiSubWindow* window);
    void ShowMenusFor(bool documentOpen);
    void UpdateTitle();
    // How far each window of a cascade stands below and right of the one before.
    int CascadeStep() const;
    void RunDocumentCommand(void (CTirvaneIDEDoc::*command)());
    void UpdateEditCommands();
    void UpdateRecentFileMenu();
    void UpdateLockPanes();

    // Command handlers (FrameCommands.cpp).
    void OnFileNew();
    void OnFileOpen();
    void OnFileClose();
    void OnFileSave();
    void OnFileSaveAs();
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFilePrintSetup();
    void OnRecentFile(int index);
    void OnEditUndo();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditFind();
    void OnEditReplace();
    // The search dialogs' shared parts: the text not found, and showing a dialog with the
    // active view's one-line selection.
    void ReportNotFound(const QString& text);
    static void ShowSearchDialog(QDialog* dialog, CTirvaneIDEView* view,
                                 const std::function<void(const QString&)>& takeSelection);
    void OnEditGoToLine();
    void OnFuncDefinition();
    void OnFuncProperties();
    void OnWindowNew();
    void OnWindowCascade();
    void OnWindowTile();
    void OnWindowArrange();
    void FillWindowList();
    void OnNextPane();
    void OnPrevPane();
    void MovePaneFocus(int step);
    void OnAppAbout();
    void OnHelpFinder();
    void OnHelp();
    void OnContextHelp();
    CHelpWindow* ShowHelpWindow();
    QPrinter* Printer();
    // The editor that edit commands act on: the focused pane or view, else the active view.
    QPlainTextEdit* EditTarget() const;
    COutputView* FocusedOutputView() const;

    CSplitBar* m_pSplitBar = nullptr;
    COutputBar* m_pOutputBar = nullptr;
    QFont m_funcListFont;
    QComboBox* m_pFuncCombo = nullptr;
    QToolBar* m_pToolBar = nullptr;
    QLabel* m_pLinePane = nullptr;
    QLabel* m_pColumnPane = nullptr;
    std::array<QLabel*, 3> m_lockPanes{};
    QMdiArea* m_pMdiArea = nullptr;
    std::map<int, QAction*> m_actions;
    QList<QMenu*> m_mainMenus;
    QList<QMenu*> m_docMenus;
    QMenu* m_pWindowMenu = nullptr;
    QList<QAction*> m_windowListActions;
    std::array<QAction*, kRecentFileCount> m_recentActions{};
    QAction* m_pRecentPlaceholder = nullptr;
    CRecentFileList m_recentFiles;
    QPointer<CChildFrame> m_pActiveChild;
    QPointer<CFindDialog> m_pFindDialog;
    QPointer<CHelpWindow> m_pHelpWindow;
    QPointer<CReplaceDialog> m_pReplaceDialog;
    QPointer<CTirvaneIDEDoc> m_pReportDoc;
    CRunClock* m_pRunClock = nullptr;
    QMenu* m_pExamplesMenu = nullptr;
    std::unique_ptr<QPrinter> m_pPrinter;
    QTimer m_updateTimer;
    int m_nUntitled = 0;
};
