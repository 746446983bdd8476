#include "ide/FunctionPropertiesDlg.h"

#include "ide/TirvaneIDEView.h"
#include "model/Scope.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kMaxLineLength = 500;
constexpr int kMinWidth = 420;
constexpr int kMinHeight = 220;

} // namespace

CFunctionPropertiesDlg::CFunctionPropertiesDlg(const CFunctionNode* function, CTirvaneIDEView* view)
    : QDialog(view), m_font(CTirvaneIDEView::EditorFont()), m_pFunction(function), m_pView(view),
      m_pEdit(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("FunctionPropertiesDlg"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
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
    m_strText = FunctionText(m_pView->document(), m_pFunction->firstLine, m_pFunction->lastLine);
    m_pEdit->setPlainText(m_strText);
    FitToText();
    m_pEdit->moveCursor(QTextCursor::Start);
    m_pEdit->ensureCursorVisible();
}

// Wide enough for the longest line and tall enough for all of them, within the main window.
void CFunctionPropertiesDlg::FitToText() {
    const QFontMetrics metrics(m_font);
    int widest = 0;
    for (const QString& line : m_strText.split(u'\n'))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const QSize limit = m_pView->window()->size() * 0.85;
    const int lines = int(m_strText.count(u'\n')) + 1;
    const int width = std::clamp(widest + 60, kMinWidth, std::max(limit.width(), kMinWidth));
    const int height = std::clamp(lines * metrics.lineSpacing() + 110, kMinHeight,
                                  std::max(limit.height(), kMinHeight));
    resize(width, height);
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
