#include "ide/TirvaneIDEDoc.h"

#include "ide/MainFrame.h"
#include "ide/ShellDialogs.h"
#include "ide/SyntaxHighlighter.h"
#include "ide/TextCodec.h"
#include "ide/TirvaneIDEView.h"
#include "interpreter/RunSession.h"
#include "model/Scope.h"
#include "translator/Parser.h"
#include "translator/Scanner.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextDocumentLayout>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

CTirvaneIDEDoc::CTirvaneIDEDoc(CMainFrame* frame, QObject* parent)
    : QObject(parent), m_pFrame(frame), m_pText(new QTextDocument(this)),
      m_pHighlighter(new CSyntaxHighlighter(m_pText)), m_pScanner(std::make_unique<CScanner>()),
      m_pParser(std::make_unique<CParser>(m_pScanner.get())) {
    m_pText->setDocumentLayout(new QPlainTextDocumentLayout(m_pText));
}

// The frame waits for a run before it closes the window; should a worker still be alive
// here, the run controller, destroyed first, ends it before the parser deletes the module.
CTirvaneIDEDoc::~CTirvaneIDEDoc() = default;

void CTirvaneIDEDoc::AddView(CTirvaneIDEView* view) {
    m_views.append(view);
    emit TitleChanged();
}

void CTirvaneIDEDoc::RemoveView(CTirvaneIDEView* view) {
    m_views.removeAll(view);
    emit TitleChanged();
}

void CTirvaneIDEDoc::SetUntitled(const QString& title) {
    m_strPathName.clear();
    m_strTitle = title;
    emit TitleChanged();
}

void CTirvaneIDEDoc::SetPathName(const QString& path) {
    m_strPathName = QFileInfo(path).absoluteFilePath();
    m_strTitle = QFileInfo(path).fileName();
    emit TitleChanged();
}

void CTirvaneIDEDoc::SetModifiedFlag(bool modified) {
    if (m_bModified == modified)
        return;
    m_bModified = modified;
    emit ModifiedChanged(modified);
}

bool CTirvaneIDEDoc::Open(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowStopBox(
            QStringLiteral("TirvaneIDE"),
            QStringLiteral("Не удалось открыть файл %1.\n%2").arg(path, file.errorString()));
        return false;
    }
    LoadText(file.readAll());
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

void CTirvaneIDEDoc::OpenUntitled(const QByteArray& bytes, const QString& title) {
    LoadText(bytes);
    SetUntitled(title);
    SetModifiedFlag(false);
}

// The editor turns every line end into one kind of break; the ends as read are kept
// beside it, so that saving does not rewrite the lines of a file that was not edited.
void CTirvaneIDEDoc::LoadText(const QByteArray& bytes) {
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (CTirvaneIDEView* view = View()) {
        const QString widgetText = CoreTextToWidget(text);
        view->SetTextQuietly(widgetText);
        m_lineEnds = CLineEnds(text, widgetText);
    }
}

std::string CTirvaneIDEDoc::FileBytes() const {
    return m_lineEnds.ToFile(m_pText->toRawText());
}

bool CTirvaneIDEDoc::Save() {
    const QFileInfo info(m_strPathName);
    if (m_strPathName.isEmpty() || (info.exists() && !info.isWritable()))
        return SaveAs();
    return SaveTo(m_strPathName);
}

bool CTirvaneIDEDoc::SaveAs() {
    const QString suggested =
        m_strPathName.isEmpty() ? m_strTitle + QStringLiteral(".tvn") : m_strPathName;
    const QString path = AskSaveFileName(View(), suggested);
    if (path.isEmpty())
        return false;
    return SaveTo(path);
}

// A text with characters that Windows-1251 cannot hold is saved only if the user agrees.
// Atomic: a failed save leaves the old file as it was. Unbuffered, so that a write the
// disk cannot take fails at once instead of at a flush whose error would go unseen.
bool CTirvaneIDEDoc::SaveTo(const QString& path) {
    if (const auto lost = FirstLostCharacter(m_pText->toRawText());
        lost && !AskSaveLosing(View(), lost->character, lost->line))
        return false;
    const std::string bytes = FileBytes();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.commit()) {
        ShowStopBox(
            QStringLiteral("TirvaneIDE"),
            QStringLiteral("Не удалось сохранить файл %1.\n%2").arg(path, file.errorString()));
        return false;
    }
    SetPathName(path);
    SetModifiedFlag(false);
    m_pFrame->AddRecentFile(path);
    return true;
}

bool CTirvaneIDEDoc::CanClose() {
    if (m_bModified) {
        switch (AskSaveChanges(View(), m_strTitle)) {
        case SaveChoice::Cancel:
            return false;
        case SaveChoice::Save:
            if (!Save())
                return false;
            break;
        case SaveChoice::Discard:
            break;
        }
    }
    m_runner.EndRun();
    return true;
}

void CTirvaneIDEDoc::OnTextChanged() {
    const bool wasTranslated = m_bTranslated;
    m_bTranslated = false;
    SetModifiedFlag(true);
    if (wasTranslated)
        emit StateChanged();
}

void CTirvaneIDEDoc::ShiftFunctionLines(int fromLine, int delta) {
    if (m_pModule == nullptr)
        return;
    for (const auto& entry : m_pModule->named) {
        if (entry.second == nullptr || !entry.second->IsFunction())
            continue;
        auto* function = static_cast<CFunctionNode*>(entry.second);
        if (function->firstLine >= fromLine)
            function->firstLine += delta;
        if (function->lastLine >= fromLine)
            function->lastLine += delta;
    }
}

int CTirvaneIDEDoc::ErrorLine() const {
    return m_errorMark.isNull() ? 0 : m_errorMark.blockNumber() + 1;
}

// A cursor at the line's start moves with the text when lines are added or removed above.
void CTirvaneIDEDoc::MarkErrorLine(int line) {
    if (line <= 0) {
        m_errorMark = QTextCursor();
    } else {
        const int last = m_pText->blockCount();
        m_errorMark = QTextCursor(m_pText->findBlockByNumber(std::min(line, last) - 1));
    }
    emit MarksChanged();
}

void CTirvaneIDEDoc::SetStepLine(int line) {
    if (line == m_nStepLine)
        return;
    m_nStepLine = line;
    emit MarksChanged();
    if (line <= 0)
        return;
    for (CTirvaneIDEView* view : m_views)
        view->ShowLine(line);
}

CFunctionNode* CTirvaneIDEDoc::FindFunction(const QString& name) const {
    if (m_pModule == nullptr)
        return nullptr;
    const auto found = m_pModule->named.find(ToCp1251(name));
    if (found == m_pModule->named.end() || found->second == nullptr || !found->second->IsFunction())
        return nullptr;
    return static_cast<CFunctionNode*>(found->second);
}

void CTirvaneIDEDoc::FillFunctionList() {
    QComboBox* list = m_pFrame->FunctionList();
    if (m_pModule != nullptr) {
        list->addItem(FromCp1251(EvaluateArgumentEntry()));
        for (const auto& entry : m_pModule->named)
            list->addItem(FromCp1251(entry.first));
    }
    // Adding to an empty combo box selects its first entry; the remembered index decides.
    list->setCurrentIndex(m_nFuncListSel < list->count() ? m_nFuncListSel : -1);
}

void CTirvaneIDEDoc::ClearFunctionList() {
    QComboBox* list = m_pFrame->FunctionList();
    m_nFuncListSel = list->currentIndex();
    list->clear();
}
