#pragma once
// The replace dialog of the editor: modeless, beside the find dialog. It finds the text in
// the active view from the caret (starting over at the other end), replaces the found
// occurrence, or replaces every occurrence at once as one step of undo.

#include <QDialog>
#include <QTextDocument>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class CReplaceDialog : public QDialog {
    Q_OBJECT
public:
    using ViewSource = std::function<QPlainTextEdit*()>;
    CReplaceDialog(ViewSource activeView, QWidget* parent);

    void SetTexts(const QString& find, const QString& replacement);
    void SetOptions(bool wholeWord, bool matchCase);

    bool FindNext();
    // Replaces the selection if it is the text sought, then finds the next one.
    bool ReplaceNext();
    // The number of replacements.
    int ReplaceAll();

signals:
    void NotFound(const QString& text);
    void Replaced(int count);

private:
    QTextDocument::FindFlags Flags() const;
    bool SelectionIsSought(QPlainTextEdit* view) const;

    ViewSource m_activeView;
    QLineEdit* m_pFind;
    QLineEdit* m_pReplacement;
    QCheckBox* m_pWholeWord;
    QCheckBox* m_pMatchCase;
    QPushButton* m_pFindNext;
    QPushButton* m_pReplace;
    QPushButton* m_pReplaceAll;
};
