#include "ide/ReplaceDialog.h"

#include "ide/FindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

CReplaceDialog::CReplaceDialog(ViewSource activeView, QWidget* parent)
    : QDialog(parent), m_activeView(std::move(activeView)), m_pFind(new QLineEdit(this)),
      m_pReplacement(new QLineEdit(this)),
      m_pWholeWord(new QCheckBox(QStringLiteral("Только слово целиком"), this)),
      m_pMatchCase(new QCheckBox(QStringLiteral("С учетом регистра"), this)),
      m_pFindNext(new QPushButton(QStringLiteral("Найти далее"), this)),
      m_pReplace(new QPushButton(QStringLiteral("Заменить"), this)),
      m_pReplaceAll(new QPushButton(QStringLiteral("Заменить все"), this)) {
    setObjectName(QStringLiteral("ReplaceDialog"));
    setWindowTitle(QStringLiteral("Заменить"));
    m_pFind->setObjectName(QStringLiteral("ReplaceFindText"));
    m_pReplacement->setObjectName(QStringLiteral("ReplaceWithText"));
    m_pFindNext->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);

    auto* layout = new QGridLayout(this);
    auto* findLabel = new QLabel(QStringLiteral("Что:"), this);
    findLabel->setBuddy(m_pFind);
    auto* replaceLabel = new QLabel(QStringLiteral("Чем:"), this);
    replaceLabel->setBuddy(m_pReplacement);
    layout->addWidget(findLabel, 0, 0);
    layout->addWidget(m_pFind, 0, 1);
    layout->addWidget(replaceLabel, 1, 0);
    layout->addWidget(m_pReplacement, 1, 1);
    auto* options = new QVBoxLayout;
    options->addWidget(m_pWholeWord);
    options->addWidget(m_pMatchCase);
    options->addStretch();
    layout->addLayout(options, 2, 0, 2, 2);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {m_pFindNext, m_pReplace, m_pReplaceAll, cancel})
        buttons->addWidget(button);
    buttons->addStretch();
    layout->addLayout(buttons, 0, 2, 4, 1);

    const auto enable = [this](const QString& text) {
        for (QPushButton* button : {m_pFindNext, m_pReplace, m_pReplaceAll})
            button->setEnabled(!text.isEmpty());
    };
    enable(QString());
    connect(m_pFind, &QLineEdit::textChanged, this, enable);
    connect(m_pFindNext, &QPushButton::clicked, this, &CReplaceDialog::FindNext);
    connect(m_pReplace, &QPushButton::clicked, this, &CReplaceDialog::ReplaceNext);
    connect(m_pReplaceAll, &QPushButton::clicked, this, &CReplaceDialog::ReplaceAll);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CReplaceDialog::SetTexts(const QString& find, const QString& replacement) {
    m_pFind->setText(find);
    m_pFind->selectAll();
    m_pReplacement->setText(replacement);
}

void CReplaceDialog::SetOptions(bool wholeWord, bool matchCase) {
    m_pWholeWord->setChecked(wholeWord);
    m_pMatchCase->setChecked(matchCase);
}

QTextDocument::FindFlags CReplaceDialog::Flags() const {
    QTextDocument::FindFlags flags;
    if (m_pWholeWord->isChecked())
        flags |= QTextDocument::FindWholeWords;
    if (m_pMatchCase->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    return flags;
}

bool CReplaceDialog::FindNext() {
    QPlainTextEdit* view = m_activeView();
    const QString text = m_pFind->text();
    if (view == nullptr || text.isEmpty())
        return false;
    if (FindWrapping(view, text, Flags()))
        return true;
    emit NotFound(text);
    return false;
}

// The selection counts as found only if a search from its start finds exactly it.
bool CReplaceDialog::SelectionIsSought(QPlainTextEdit* view) const {
    const QTextCursor selection = view->textCursor();
    if (!selection.hasSelection())
        return false;
    QTextCursor from(view->document());
    from.setPosition(selection.selectionStart());
    const QTextCursor found = view->document()->find(m_pFind->text(), from, Flags());
    return !found.isNull() && found.selectionStart() == selection.selectionStart() &&
           found.selectionEnd() == selection.selectionEnd();
}

bool CReplaceDialog::ReplaceNext() {
    QPlainTextEdit* view = m_activeView();
    if (view == nullptr || m_pFind->text().isEmpty())
        return false;
    if (SelectionIsSought(view)) {
        view->textCursor().insertText(m_pReplacement->text());
        emit Replaced(1);
    }
    return FindNext();
}

int CReplaceDialog::ReplaceAll() {
    QPlainTextEdit* view = m_activeView();
    const QString text = m_pFind->text();
    if (view == nullptr || text.isEmpty())
        return 0;
    QTextDocument* document = view->document();
    QTextCursor edit(document);
    edit.beginEditBlock();
    int count = 0;
    for (QTextCursor found = document->find(text, 0, Flags()); !found.isNull();
         found = document->find(text, found, Flags())) {
        found.insertText(m_pReplacement->text());
        ++count;
    }
    edit.endEditBlock();
    if (count == 0)
        emit NotFound(text);
    else
        emit Replaced(count);
    return count;
}
