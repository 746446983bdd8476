#pragma once
// The main window: tool bar with the function list, the MDI area of document windows, the
// output panel below it with its sizing bar, and the status bar.

#include <QFont>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <map>

class CChildFrame;
class COutputBar;
class CSplitBar;
class CTirvaneIDEDoc;
class CTirvaneIDEView;
class QAction;
class QComboBox;
class QMdiArea;
class QMdiSubWindow;
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

    CChildFrame* ActiveChild() const;
    CTirvaneIDEDoc* ActiveDocument() const;

    CTirvaneIDEDoc* NewDocument();
    // Opens the file in a new window, or activates the window that already shows it.
    CTirvaneIDEDoc* OpenDocument(const QString& path);

    // Enables the commands by the active document's state and the running session.
    void UpdateCommands();

    // A status note while a command waits for an aborted run to end.
    void ShowWaitNote();
    void ClearWaitNote();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateClientArea();
    void CreateFileActions();
    void CreateProgramActions();
    void CreateMenus();
    bool CreateToolBar();
    bool CreateFunctionList();
    void CreateStatusBar();
    QAction* AddAction(int id, const QString& text);

    CChildFrame* AddChild(CTirvaneIDEDoc* doc, CTirvaneIDEView* view);
    void OnSubWindowActivated(QMdiSubWindow* window);
    void RunDocumentCommand(void (CTirvaneIDEDoc::*command)());
    void OnFileOpen();
    void OnFileClose();

    CSplitBar* m_pSplitBar = nullptr;
    COutputBar* m_pOutputBar = nullptr;
    QFont m_funcListFont;
    QComboBox* m_pFuncCombo = nullptr;
    QToolBar* m_pToolBar = nullptr;
    QMdiArea* m_pMdiArea = nullptr;
    std::map<int, QAction*> m_actions;
    QPointer<CChildFrame> m_pActiveChild;
    QTimer m_updateTimer;
    int m_nUntitled = 0;
};
