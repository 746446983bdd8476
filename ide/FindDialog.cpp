#include "ide/FindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <utility>

CFindDialog::CFindDialog(ViewSource activeView, QWidget* parent)
    : QDialog(parent), m_activeView(std::move(activeView)), m_pText(new QLineEdit(this)),
      m_pWholeWord(new QCheckBox(QStringLiteral("Только слово целиком"), this)),
      m_pMatchCase(new QCheckBox(QStringLiteral("С учетом регистра"), this)),
      m_pUp(new QRadioButton(QStringLiteral("Вверх"), this)),
      m_pDown(new QRadioButton(QStringLiteral("Вниз"), this)),
      m_pFindNext(new QPushButton(QStringLiteral("Найти далее"), this)) {
    setObjectName(QStringLiteral("FindDialog"));
    setWindowTitle(QStringLiteral("Найти"));
    m_pText->setObjectName(QStringLiteral("FindText"));
    m_pDown->setChecked(true);
    m_pFindNext->setDefault(true);
    m_pFindNext->setEnabled(false);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);

    auto* direction = new QGroupBox(QStringLiteral("Направление"), this);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(m_pUp);
    directionLayout->addWidget(m_pDown);

    auto* layout = new QGridLayout(this);
    auto* label = new QLabel(QStringLiteral("Что:"), this);
    label->setBuddy(m_pText);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_pText, 0, 1, 1, 2);
    layout->addWidget(m_pFindNext, 0, 3);
    auto* options = new QVBoxLayout;
    options->addWidget(m_pWholeWord);
    options->addWidget(m_pMatchCase);
    options->addStretch();
    layout->addLayout(options, 1, 0, 1, 2);
    layout->addWidget(direction, 1, 2);
    layout->addWidget(cancel, 1, 3, Qt::AlignTop);

    connect(m_pText, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_pFindNext->setEnabled(!text.isEmpty()); });
    connect(m_pFindNext, &QPushButton::clicked, this, &CFindDialog::FindNext);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CFindDialog::SetText(const QString& text) {
    m_pText->setText(text);
    m_pText->selectAll();
}

void CFindDialog::SetOptions(bool wholeWord, bool matchCase, bool up) {
    m_pWholeWord->setChecked(wholeWord);
    m_pMatchCase->setChecked(matchCase);
    (up ? m_pUp : m_pDown)->setChecked(true);
}

bool CFindDialog::FindNext() {
    QPlainTextEdit* view = m_activeView();
    const QString text = m_pText->text();
    if (view == nullptr || text.isEmpty())
        return false;
    QTextDocument::FindFlags flags;
    if (m_pWholeWord->isChecked())
        flags |= QTextDocument::FindWholeWords;
    if (m_pMatchCase->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    if (m_pUp->isChecked())
        flags |= QTextDocument::FindBackward;
    if (FindWrapping(view, text, flags))
        return true;
    emit NotFound(text);
    return false;
}

bool FindWrapping(QPlainTextEdit* view, const QString& text, QTextDocument::FindFlags flags) {
    if (view->find(text, flags))
        return true;
    const QTextCursor saved = view->textCursor();
    view->moveCursor(flags.testFlag(QTextDocument::FindBackward) ? QTextCursor::End
                                                                 : QTextCursor::Start);
    if (view->find(text, flags))
        return true;
    view->setTextCursor(saved);
    return false;
}
