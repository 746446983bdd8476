#include "ide/FunctionPropertiesDlg.h"

#include "ide/TirvaneIDEView.h"
#include "model/Scope.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QVBoxLayout>

namespace {

constexpr int kMaxLineLength = 500;

} // namespace

CFunctionPropertiesDlg::CFunctionPropertiesDlg(const CFunctionNode* function, CTirvaneIDEView* view)
    : QDialog(view), m_font(CTirvaneIDEView::EditorFont()), m_pFunction(function), m_pView(view),
      m_pEdit(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("FunctionPropertiesDlg"));
    setWindowTitle(QStringLiteral("Свойства функции"));
    m_pEdit->setObjectName(QStringLiteral("FunctionText"));
    m_pEdit->setReadOnly(true);
    m_pEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_pEdit->setFont(m_font);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pEdit);
    layout->addWidget(buttons);
    resize(620, 380);

    m_strText = FunctionText(m_pView->document(), m_pFunction->firstLine, m_pFunction->lastLine);
    m_pEdit->setPlainText(m_strText);
    m_pEdit->moveCursor(QTextCursor::Start);
    m_pEdit->ensureCursorVisible();
}

QString CFunctionPropertiesDlg::FunctionText(const QTextDocument* text, int firstLine,
                                             int lastLine) {
    QString result;
    for (int line = firstLine; line <= lastLine; ++line) {
        const QTextBlock block = text->findBlockByNumber(line - 1);
        if (block.isValid())
            result += block.text().left(kMaxLineLength);
        result += u'\n';
    }
    return result;
}
