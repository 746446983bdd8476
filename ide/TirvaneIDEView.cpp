#include "ide/TirvaneIDEView.h"

#include "ide/TextCodec.h"
#include "ide/TirvaneIDEDoc.h"

CTirvaneIDEView::CTirvaneIDEView(CTirvaneIDEDoc* doc, QWidget* parent)
    : QPlainTextEdit(parent), m_pDoc(doc) {
    setObjectName(QStringLiteral("EditorView"));
    m_font = QFont(QStringLiteral("Courier New Cyr"));
    m_font.setPixelSize(16);
    m_font.setStyleHint(QFont::TypeWriter);
    setFont(m_font);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(this, &QPlainTextEdit::textChanged, this, &CTirvaneIDEView::OnChange);
}

void CTirvaneIDEView::SetTextQuietly(const QString& text) {
    m_bQuiet = true;
    setPlainText(text);
    m_bQuiet = false;
}

std::string CTirvaneIDEView::CoreText() const {
    return WidgetTextToCore(document()->toRawText());
}

void CTirvaneIDEView::OnChange() {
    if (!m_bQuiet)
        m_pDoc->OnTextChanged();
}
