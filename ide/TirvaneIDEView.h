#pragma once
// The editor of one document: a plain-text editor that shows the caret's place in the status
// bar, keeps the translated functions' line ranges in step with edits, and offers a
// function's definition and properties from the function list and its context menu. The
// text is coloured by its lexis; a gutter numbers the lines; the current line, matching
// brackets, the line of a translation error and the line a debug session stands at are
// marked.

#include <QFont>
#include <QPlainTextEdit>
#include <QPoint>
#include <QPointer>
#include <QTextBlock>

#include <string>

#include "ide/FunctionPropertiesDlg.h"

class CFunctionNode;
class CLineNumberArea;
class CTirvaneIDEDoc;
class QPrinter;

// The kinds of marked lines, as the extra selections of the view carry them.
enum class LineMark { Current = 1, Error = 2, Step = 3, Bracket = 4 };

class CTirvaneIDEView : public QPlainTextEdit {
    Q_OBJECT
public:
    // The view shows the document's shared text and registers with it.
    explicit CTirvaneIDEView(CTirvaneIDEDoc* doc, QWidget* parent = nullptr);
    ~CTirvaneIDEView() override;

    CTirvaneIDEDoc* Document() const { return m_pDoc; }

    // Replaces the text without counting as an edit (a file was opened).
    void SetTextQuietly(const QString& text);
    // The text as the file holds it: Windows-1251, lines ended by "\r\n".
    std::string CoreText() const;

    // The editor font, also used by the properties dialog.
    static QFont EditorFont();

    // Prints the text (File Print and its preview) at the editor font's size in points.
    void PrintText(QPrinter* printer) const;

    // Shows the caret's 1-based line and column in the status bar.
    void UpdatePosition();
    int CurrentLine() const { return m_nCurrentLine; }
    int CurrentColumn() const { return m_nCurrentColumn; }
    // The 1-based line at the top of the window.
    int FirstVisibleLine() const { return firstVisibleBlock().blockNumber() + 1; }

    // The commands on the function selected in the tool bar's function list.
    void OnFuncDefinition();
    void OnFuncProperties();
    // Scrolls the function's first line to the top; the caret stays.
    void GoToDefinition(const CFunctionNode* function);
    // The modal "Свойства функции" dialog with the function's current lines.
    void ShowProperties(const CFunctionNode* function);
    CFunctionPropertiesDlg* PropertiesDialog() const { return m_pPropertiesDlg; }

    // Puts the caret at the start of the 1-based line, centres it and takes the focus.
    void GoToLine(int line);
    // Puts the caret at the start of the line and scrolls only as far as needed.
    void PlaceCaretOnLine(int line);
    // Scrolls the line into sight if it is not; the caret stays.
    void ShowLine(int line);
    // Where the 1-based line stands in the window (viewport coordinates); null if no line.
    QRect LineRect(int line) const;

    // The lines (1-based) or bracket positions the view marks now, of one kind.
    QList<int> Marked(LineMark kind) const;
    // Renews the marks: current line, brackets, error line and debug line.
    void RefreshMarks();

    // The gutter (LineNumberArea.cpp asks for these).
    int GutterWidth() const;
    void PaintGutter(QWidget* gutter, const QRect& rect);
    int LineAtGutterY(int y) const;

    // The word of ASCII letters and digits at the client point, empty if there is none.
    QString WordAt(const QPoint& clientPoint) const;
    // The word at the caret or just before it.
    QString WordAtCaret() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void UpdateGutterWidth();
    void UpdateGutter(const QRect& rect, int dy);
    QTextEdit::ExtraSelection LineSelection(int line, const QColor& colour, LineMark kind) const;
    void AddBracketMarks(QList<QTextEdit::ExtraSelection>* selections) const;
    void OnChange(int position, int charsRemoved, int charsAdded);
    CFunctionNode* SelectedFunction();
    bool IsActiveView() const;

    CTirvaneIDEDoc* m_pDoc;
    CFunctionNode* m_pMenuFunction = nullptr;
    QPoint m_menuPoint;
    QPointer<CFunctionPropertiesDlg> m_pPropertiesDlg;
    int m_nLineCount = 1;
    int m_nCurrentLine = 1;
    int m_nCurrentColumn = 1;
    QFont m_font;
    bool m_bQuiet = false;
    CLineNumberArea* m_pGutter = nullptr;
};
