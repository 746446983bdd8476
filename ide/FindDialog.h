#pragma once
// The find dialog of the editor: modeless, it searches the active view from the caret,
// down or up, and starts over at the other end of the text.

#include <QDialog>
#include <QTextDocument>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// Selects the next occurrence from the caret, starting over at the other end of the text;
// false (the selection kept) if the text holds none.
bool FindWrapping(QPlainTextEdit* view, const QString& text, QTextDocument::FindFlags flags);

class CFindDialog : public QDialog {
    Q_OBJECT
public:
    using ViewSource = std::function<QPlainTextEdit*()>;
    CFindDialog(ViewSource activeView, QWidget* parent);

    void SetText(const QString& text);
    void SetOptions(bool wholeWord, bool matchCase, bool up);
    // Selects the next occurrence in the active view; false (and NotFound) if there is none.
    bool FindNext();

signals:
    void NotFound(const QString& text);

private:
    ViewSource m_activeView;
    QLineEdit* m_pText;
    QCheckBox* m_pWholeWord;
    QCheckBox* m_pMatchCase;
    QRadioButton* m_pUp;
    QRadioButton* m_pDown;
    QPushButton* m_pFindNext;
};
