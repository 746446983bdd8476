#pragma once
// A document: one program text, its file, its translation into a module, and the
// language commands that work on it (Translate, Run, Debug and the two aborts).

#include "ide/TextCodec.h"
#include "interpreter/RunController.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTextCursor>

#include <atomic>
#include <memory>
#include <string>

class CFunctionNode;
class CMainFrame;
class CModuleNode;
class CParser;
class CScanner;
class CSyntaxHighlighter;
class CTirvaneIDEView;
class QTextDocument;
struct CMessageBox;

struct DocumentFlags {
    bool translated = false;
    bool running = false;
    bool debugging = false;
};

// The document is its run controller's host: it shows the boxes, the panes and the time.
class CTirvaneIDEDoc : public QObject, private IRunHost {
    Q_OBJECT
public:
    explicit CTirvaneIDEDoc(CMainFrame* frame, QObject* parent = nullptr);
    ~CTirvaneIDEDoc() override;

    CMainFrame* Frame() const { return m_pFrame; }

    // The text, shared by every window on the document ("Новое окно"), so that they show the
    // same text; the document owns it and outlives its views.
    QTextDocument* TextDocument() const { return m_pText; }
    // Views register themselves while they exist; the first one is the document's own.
    void AddView(CTirvaneIDEView* view);
    void RemoveView(CTirvaneIDEView* view);
    CTirvaneIDEView* View() const { return m_views.isEmpty() ? nullptr : m_views.first(); }
    const QList<CTirvaneIDEView*>& Views() const { return m_views; }
    // The windows that exist on the document, closed ones included until they are deleted;
    // the last one to go deletes the document.
    void AttachWindow() { ++m_nWindows; }
    int DetachWindow() { return --m_nWindows; }

    // Storage. The file holds the text as Windows-1251 bytes, each line ended as the file
    // ended it when it was opened; added lines end like the first line ("\r\n" in a new
    // document).
    void SetUntitled(const QString& title);
    bool Open(const QString& path);
    // A text that belongs to no file yet (an example program): untitled and unmodified.
    void OpenUntitled(const QByteArray& bytes, const QString& title);
    // File Save: an untitled or read-only document asks for a name first.
    bool Save();
    bool SaveAs();
    QString PathName() const { return m_strPathName; }
    QString Title() const { return m_strTitle; }
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true);
    // Before the window closes: asks to save changes, stops the document's run and waits
    // for its worker. False keeps the window open.
    bool CanClose();

    // Language commands.
    void OnTranslate();
    void OnRun();
    void OnDebug();
    void OnAbortDebug();
    void OnAbortRun();

    // The tool bar's function list shows the active document's functions.
    void FillFunctionList();
    void ClearFunctionList();

    // The editor's text changed.
    void OnTextChanged();
    // Lines were inserted (delta > 0) or removed before fromLine's start: the translated
    // functions' line ranges that start or end on fromLine or below move with their text.
    void ShiftFunctionLines(int fromLine, int delta);
    // A translated function by name, or null.
    CFunctionNode* FindFunction(const QString& name) const;

    // The line of the last translation error (following the edits since), 0 if none.
    int ErrorLine() const;
    void MarkErrorLine(int line);
    // The line of the application a debug session is paused at, 0 when none.
    int StepLine() const { return m_nStepLine; }
    void SetStepLine(int line);
    CSyntaxHighlighter* Highlighter() const { return m_pHighlighter; }

    DocumentFlags Flags() const {
        return {m_bTranslated, m_runner.Running(), m_runner.Debugging()};
    }
    CommandStates Commands() const { return m_runner.States(m_bTranslated); }
    CModuleNode* Module() const { return m_pModule; }
    bool HasWorker() const { return m_runner.HasWorker(); }

signals:
    void TitleChanged();
    void ModifiedChanged(bool modified);
    // A command flag changed: the frame updates the commands.
    void StateChanged();
    // The error line or the debug line changed: the views mark them anew.
    void MarksChanged();
    // A worker started (for the document of this title), and it ended (milliseconds since
    // its start; outcome of the run).
    void RunStarted(bool debug, const QString& title);
    void RunEnded(bool debug, qint64 elapsedMs, int outcome);

private:
    bool SaveTo(const QString& path);
    void SetPathName(const QString& path);
    void LoadText(const QByteArray& bytes);
    std::string FileBytes() const;
    void ShowTranslationError();
    // The start function the function list selects, as the run controller takes it.
    std::string SelectedFunction(int* index) const;

    // IRunHost
    void Post(std::function<void()> fn) override;
    void WaitUntil(const std::function<bool()>& done) override;
    void ShowBox(const CMessageBox& box) override;
    void ShowChannel(int channel) override;
    void FlagsChanged() override { emit StateChanged(); }
    void StepEnded() override { SetStepLine(0); }
    void StepStarted(int line) override;
    void WorkerStarted(bool debug) override;
    void WorkerEnded(const CRunReport& report) override;

    CMainFrame* m_pFrame;
    QTextDocument* m_pText;
    CSyntaxHighlighter* m_pHighlighter;
    QTextCursor m_errorMark;
    int m_nStepLine = 0;
    // The worker's latest step line and whether a call to mark it is queued (StepStarted).
    std::atomic<int> m_nLatestStep{0};
    std::atomic<bool> m_bStepQueued{false};
    QElapsedTimer m_runTime;
    QList<CTirvaneIDEView*> m_views;
    int m_nWindows = 0;
    CLineEnds m_lineEnds;
    QString m_strPathName;
    QString m_strTitle;
    bool m_bModified = false;

    bool m_bTranslated = false;
    int m_nFuncListSel = 0;
    CModuleNode* m_pModule = nullptr; // owned by the parser
    std::unique_ptr<CScanner> m_pScanner;
    std::unique_ptr<CParser> m_pParser;
    CRunController m_runner{*this}; // declared last: its worker ends before the module goes
};
