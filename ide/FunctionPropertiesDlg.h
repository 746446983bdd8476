#pragma once
// "Свойства функции": a function's source lines as the editor holds them now, read-only.

#include <QDialog>
#include <QFont>

class CFunctionNode;
class CTirvaneIDEView;
class QPlainTextEdit;
class QTextDocument;

class CFunctionPropertiesDlg : public QDialog {
    Q_OBJECT
public:
    CFunctionPropertiesDlg(const CFunctionNode* function, CTirvaneIDEView* view);

    QString Text() const { return m_strText; }
    QPlainTextEdit* Edit() const { return m_pEdit; }

    // Lines firstLine to lastLine (1-based) of the text, each cut to 500 characters and
    // ended by a line break; lines beyond the text are empty.
    static QString FunctionText(const QTextDocument* text, int firstLine, int lastLine);

private:
    void FitToText();

    QFont m_font;
    const CFunctionNode* m_pFunction;
    CTirvaneIDEView* m_pView;
    QPlainTextEdit* m_pEdit;
    QString m_strText;
};
