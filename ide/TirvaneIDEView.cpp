#include "ide/TirvaneIDEView.h"

#include "ide/ChildFrame.h"
#include "ide/Commands.h"
#include "ide/FunctionPropertiesDlg.h"
#include "ide/LineNumberArea.h"
#include "ide/MainFrame.h"
#include "ide/ShellDialogs.h"
#include "ide/TextCodec.h"
#include "ide/TirvaneIDEDoc.h"
#include "model/Scope.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>
#include <memory>

CTirvaneIDEView::CTirvaneIDEView(CTirvaneIDEDoc* doc, QWidget* parent)
    : QPlainTextEdit(parent), m_pDoc(doc), m_font(EditorFont()) {
    setObjectName(QStringLiteral("EditorView"));
    setWhatsThis(QStringLiteral("Текст программы на языке Тирвейн. Щелчок правой кнопкой по имени "
                                "оттранслированной функции открывает её свойства и определение."));
    // The shared text takes the font only after it has become this editor's document.
    setDocument(doc->TextDocument());
    setFont(m_font);
    document()->setDefaultFont(m_font);
    setTabStopDistance(0);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    m_nLineCount = blockCount();
    connect(document(), &QTextDocument::contentsChange, this, &CTirvaneIDEView::OnChange);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &CTirvaneIDEView::UpdatePosition);
    m_pGutter = new CLineNumberArea(this);
    connect(this, &QPlainTextEdit::blockCountChanged, this, &CTirvaneIDEView::UpdateGutterWidth);
    connect(this, &QPlainTextEdit::updateRequest, this, &CTirvaneIDEView::UpdateGutter);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &CTirvaneIDEView::RefreshMarks);
    connect(doc, &CTirvaneIDEDoc::MarksChanged, this, &CTirvaneIDEView::RefreshMarks);
    UpdateGutterWidth();
    RefreshMarks();
    doc->AddView(this);
}

CTirvaneIDEView::~CTirvaneIDEView() {
    m_pDoc->RemoveView(this);
}

QFont CTirvaneIDEView::EditorFont() {
    QFont font(QStringLiteral("Courier New Cyr"));
    font.setPixelSize(16);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

// The editor font is sized in pixels, which a high-resolution printer would print tiny: the
// printed copy takes the font's size in points as the screen shows it.
void CTirvaneIDEView::PrintText(QPrinter* printer) const {
    const std::unique_ptr<QTextDocument> copy(document()->clone());
    QFont font = this->font();
    font.setPointSizeF(QFontInfo(font).pointSizeF());
    copy->setDefaultFont(font);
    // The editor does not wrap; the page must, or long lines are cut at its edge.
    QTextOption option = copy->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    copy->setDefaultTextOption(option);
    copy->print(printer);
}

void CTirvaneIDEView::SetTextQuietly(const QString& text) {
    m_bQuiet = true;
    setPlainText(text);
    m_bQuiet = false;
}

std::string CTirvaneIDEView::CoreText() const {
    return WidgetTextToCore(document()->toRawText());
}

// Lines are booked where the text changed, not where the caret stood: an undo, a paste
// from the menu or an edit in a second window on the text all change lines elsewhere.
// A line moves when its start lies at or after the change.
void CTirvaneIDEView::OnChange(int position, int, int) {
    const int count = document()->blockCount();
    const int delta = count - m_nLineCount;
    m_nLineCount = count;
    if (m_bQuiet || m_pDoc->View() != this)
        return; // every window sees the shared text change; the document's own view books it
    m_pDoc->OnTextChanged();
    if (delta == 0)
        return;
    const QTextBlock block = document()->findBlock(position);
    const int line = block.blockNumber() + 1;
    m_pDoc->ShiftFunctionLines(position == block.position() ? line : line + 1, delta);
}

// Line and column come from the text cursor, so that any font gives the right numbers.
void CTirvaneIDEView::UpdatePosition() {
    const QTextCursor cursor = textCursor();
    m_nCurrentLine = cursor.blockNumber() + 1;
    m_nCurrentColumn = cursor.positionInBlock() + 1;
    if (IsActiveView())
        m_pDoc->Frame()->ShowPosition(m_nCurrentLine, m_nCurrentColumn);
}

bool CTirvaneIDEView::IsActiveView() const {
    const CMainFrame* frame = m_pDoc->Frame();
    return frame != nullptr && frame->ActiveChild() != nullptr &&
           frame->ActiveChild()->View() == this;
}

void CTirvaneIDEView::keyPressEvent(QKeyEvent* event) {
    QPlainTextEdit::keyPressEvent(event);
    UpdatePosition();
}

void CTirvaneIDEView::keyReleaseEvent(QKeyEvent* event) {
    QPlainTextEdit::keyReleaseEvent(event);
    UpdatePosition();
}

void CTirvaneIDEView::mousePressEvent(QMouseEvent* event) {
    QPlainTextEdit::mousePressEvent(event);
    UpdatePosition();
}

void CTirvaneIDEView::mouseMoveEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseMoveEvent(event);
    UpdatePosition();
}

CFunctionNode* CTirvaneIDEView::SelectedFunction() {
    const QComboBox* list = m_pDoc->Frame()->FunctionList();
    const int index = list->currentIndex();
    CFunctionNode* function = index > 0 ? m_pDoc->FindFunction(list->itemText(index)) : nullptr;
    if (function == nullptr)
        ShowStopBox(this, QStringLiteral("Ошибка"), QStringLiteral("Неизвестно имя функции."));
    return function;
}

void CTirvaneIDEView::OnFuncDefinition() {
    if (const CFunctionNode* function = SelectedFunction())
        GoToDefinition(function);
}

void CTirvaneIDEView::OnFuncProperties() {
    if (const CFunctionNode* function = SelectedFunction())
        ShowProperties(function);
}

void CTirvaneIDEView::GoToDefinition(const CFunctionNode* function) {
    verticalScrollBar()->setValue(std::max(function->firstLine - 1, 0));
}

void CTirvaneIDEView::ShowProperties(const CFunctionNode* function) {
    CFunctionPropertiesDlg dialog(function, this);
    m_pPropertiesDlg = &dialog;
    dialog.exec();
}

namespace {

bool IsWordChar(QChar c) {
    return c.unicode() < 0x80 && c.isLetterOrNumber();
}

// The maximal run of ASCII letters and digits that holds the character at column.
QString WordInLine(const QString& line, qsizetype column) {
    if (column < 0 || column >= line.size() || !IsWordChar(line[column]))
        return {};
    qsizetype begin = column;
    qsizetype end = column + 1;
    while (begin > 0 && IsWordChar(line[begin - 1]))
        --begin;
    while (end < line.size() && IsWordChar(line[end]))
        ++end;
    return line.mid(begin, end - begin);
}

} // namespace

QString CTirvaneIDEView::WordAt(const QPoint& clientPoint) const {
    const QTextCursor cursor = cursorForPosition(clientPoint);
    int column = cursor.positionInBlock();
    // The nearest caret place may lie after the character under the point.
    if (column > 0 && cursorRect(cursor).left() > clientPoint.x())
        --column;
    return WordInLine(cursor.block().text(), column);
}

QString CTirvaneIDEView::WordAtCaret() const {
    const QTextCursor cursor = textCursor();
    const QString line = cursor.block().text();
    const QString word = WordInLine(line, cursor.positionInBlock());
    return word.isEmpty() ? WordInLine(line, cursor.positionInBlock() - 1) : word;
}

void CTirvaneIDEView::contextMenuEvent(QContextMenuEvent* event) {
    m_menuPoint = event->pos();
    const QString word = WordAt(m_menuPoint);
    m_pMenuFunction = word.isEmpty() ? nullptr : m_pDoc->FindFunction(word);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("EditorContextMenu"));
    const bool editable = !isReadOnly();
    const bool selected = textCursor().hasSelection();
    QAction* cut = menu.addAction(QStringLiteral("Вырезать"), this, &QPlainTextEdit::cut);
    cut->setEnabled(editable && selected);
    menu.addAction(QStringLiteral("Копировать"), this, &QPlainTextEdit::copy)->setEnabled(selected);
    QAction* paste = menu.addAction(QStringLiteral("Вставить"), this, &QPlainTextEdit::paste);
    paste->setEnabled(editable && canPaste());
    if (m_pMenuFunction != nullptr) {
        const CFunctionNode* function = m_pMenuFunction;
        menu.addSeparator();
        menu.addAction(QStringLiteral("Свойства ") + word, this,
                       [this, function] { ShowProperties(function); })
            ->setData(int(ID_CTX_PROPERTIES));
        menu.addAction(QStringLiteral("Определение ") + word, this,
                       [this, function] { GoToDefinition(function); })
            ->setData(int(ID_CTX_DEFINITION));
    }
    menu.exec(event->globalPos());
}

// Files dragged over the text are the main window's to open, not text to insert.
void CTirvaneIDEView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    QPlainTextEdit::dragEnterEvent(event);
}

void CTirvaneIDEView::dropEvent(QDropEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    QPlainTextEdit::dropEvent(event);
}
