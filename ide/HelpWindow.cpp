#include "ide/HelpWindow.h"

#include "ide/ToolbarIcons.h"

#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>

// The documents live in a static library: their resource must be registered by name.
static void InitHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace {

const QString kHelpRoot = QStringLiteral(":/help");
const QString kGuideName = QStringLiteral("language.md");
constexpr int kUrlRole = Qt::UserRole;
constexpr int kHeadingRole = Qt::UserRole + 1;

QUrl ResourceUrl(const QString& name) {
    return QUrl(QStringLiteral("qrc:/help/") + name);
}

QString ResourceText(const QUrl& url) {
    QFile file(QStringLiteral(":") + url.path());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Markdown headings of levels 1 to 3 outside code blocks, as (level, text).
QList<std::pair<int, QString>> Headings(const QString& markdown) {
    QList<std::pair<int, QString>> headings;
    bool inCode = false;
    for (const QString& line : markdown.split(u'\n')) {
        if (line.startsWith(QStringLiteral("```"))) {
            inCode = !inCode;
            continue;
        }
        if (inCode || !line.startsWith(u'#'))
            continue;
        const qsizetype level = line.indexOf(u' ');
        if (level < 1 || level > 3 || line.left(level) != QString(level, u'#'))
            continue;
        headings.append({int(level), line.mid(level + 1).trimmed().remove(u'`')});
    }
    return headings;
}

// The anchor a heading gets on the usual Markdown hosts: lower case, blanks turned into
// hyphens, everything but letters, digits, hyphens and underscores dropped.
QString HeadingSlug(const QString& heading) {
    QString slug;
    for (const QChar c : heading.toLower()) {
        if (c.isLetterOrNumber() || c == u'-' || c == u'_')
            slug += c;
        else if (c == u' ')
            slug += u'-';
    }
    return slug;
}

} // namespace

CHelpWindow::CHelpWindow(QWidget* parent)
    : QMainWindow(parent, Qt::Window), m_pBrowser(new QTextBrowser(this)),
      m_pContents(new QTreeWidget(this)) {
    InitHelpResources();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Справка - Среда разработки Тирвейн"));
    setWindowIcon(EmblemIcon());
    m_pBrowser->setObjectName(QStringLiteral("HelpBrowser"));
    // Links to headings are resolved here: the Markdown reader gives headings no anchors.
    m_pBrowser->setOpenLinks(false);
    connect(m_pBrowser, &QTextBrowser::anchorClicked, this, &CHelpWindow::OnLink);
    m_pBrowser->document()->setDocumentMargin(12);
    m_pContents->setObjectName(QStringLiteral("HelpContents"));
    m_pContents->setHeaderLabel(QStringLiteral("Оглавление"));
    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_pContents);
    splitter->addWidget(m_pBrowser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});
    setCentralWidget(splitter);
    CreateToolBar();
    FindDocuments();
    BuildContents();
    connect(m_pContents, &QTreeWidget::itemActivated, this, &CHelpWindow::OnContentsItem);
    connect(m_pContents, &QTreeWidget::itemClicked, this, &CHelpWindow::OnContentsItem);
    resize(940, 680);
}

void CHelpWindow::CreateToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Навигация"));
    bar->setMovable(false);
    QAction* back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack),
                                   QStringLiteral("Назад"), m_pBrowser, &QTextBrowser::backward);
    QAction* forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward),
                                      QStringLiteral("Вперёд"), m_pBrowser, &QTextBrowser::forward);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(m_pBrowser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_pBrowser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Оглавление"),
                   this, &CHelpWindow::ShowContents);
    bar->addSeparator();
    m_pFind = new QLineEdit(bar);
    m_pFind->setObjectName(QStringLiteral("HelpFind"));
    m_pFind->setPlaceholderText(QStringLiteral("Найти на странице"));
    m_pFind->setClearButtonEnabled(true);
    m_pFind->setMaximumWidth(260);
    bar->addWidget(m_pFind);
    connect(m_pFind, &QLineEdit::returnPressed, this, &CHelpWindow::OnFindInPage);
}

// The user's guide is the one document of the help.
void CHelpWindow::FindDocuments() {
    if (QFile::exists(kHelpRoot + u'/' + kGuideName))
        m_documents.append(ResourceUrl(kGuideName));
}

void CHelpWindow::BuildContents() {
    for (const QUrl& url : m_documents) {
        const auto headings = Headings(ResourceText(url));
        auto* top = new QTreeWidgetItem(m_pContents);
        top->setText(0, headings.isEmpty() ? url.fileName() : headings.first().second);
        top->setData(0, kUrlRole, url);
        QTreeWidgetItem* section = nullptr;
        for (qsizetype i = 1; i < headings.size(); ++i) {
            const auto& [level, text] = headings[i];
            QTreeWidgetItem* parent = level <= 2 || section == nullptr ? top : section;
            auto* item = new QTreeWidgetItem(parent);
            item->setText(0, text);
            item->setData(0, kUrlRole, url);
            item->setData(0, kHeadingRole, text);
            if (level <= 2)
                section = item;
        }
    }
}

void CHelpWindow::ShowContents() {
    if (m_documents.isEmpty()) {
        m_pBrowser->setPlainText(QStringLiteral("Справка не найдена."));
        return;
    }
    m_pContents->expandToDepth(0);
    m_pContents->setCurrentItem(m_pContents->topLevelItem(0));
    m_pBrowser->setSource(m_documents.first());
}

void CHelpWindow::OnContentsItem(QTreeWidgetItem* item) {
    ShowHeading(item->data(0, kUrlRole).toUrl(), item->data(0, kHeadingRole).toString());
}

// The heading becomes the top line of the page.
void CHelpWindow::ShowHeading(const QUrl& document, const QString& heading) {
    if (m_pBrowser->source() != document)
        m_pBrowser->setSource(document);
    if (heading.isEmpty()) {
        m_pBrowser->verticalScrollBar()->setValue(0);
        return;
    }
    if (FindFromStart(heading, false)) {
        QScrollBar* bar = m_pBrowser->verticalScrollBar();
        bar->setValue(bar->value() + m_pBrowser->cursorRect().top() - 8);
        QTextCursor cursor = m_pBrowser->textCursor();
        cursor.clearSelection();
        m_pBrowser->setTextCursor(cursor);
    }
}

bool CHelpWindow::FindFromStart(const QString& text, bool wholeWord) {
    m_pBrowser->moveCursor(QTextCursor::Start);
    QTextDocument::FindFlags flags = QTextDocument::FindCaseSensitively;
    if (wholeWord)
        flags |= QTextDocument::FindWholeWords;
    return m_pBrowser->find(text, flags);
}

bool CHelpWindow::ShowTopic(const QString& word) {
    for (const QUrl& url : m_documents) {
        if (!ResourceText(url).contains(word))
            continue;
        m_pBrowser->setSource(url);
        if (FindFromStart(word, true))
            return true;
    }
    return false;
}

void CHelpWindow::OnLink(const QUrl& link) {
    if (!link.isRelative() && link.scheme() != QStringLiteral("qrc")) {
        QDesktopServices::openUrl(link);
        return;
    }
    const QUrl target = m_pBrowser->source().resolved(link);
    // The guide links to examples/ beside docs/: the examples open as programs.
    if (target.path().startsWith(QStringLiteral("/examples/"))) {
        emit ExampleRequested(target.fileName());
        return;
    }
    QUrl document = target;
    document.setFragment(QString());
    const QString fragment = QUrl::fromPercentEncoding(target.fragment().toUtf8());
    for (const auto& heading : Headings(ResourceText(document))) {
        if (!fragment.isEmpty() && HeadingSlug(heading.second) == fragment) {
            ShowHeading(document, heading.second);
            return;
        }
    }
    ShowHeading(document, QString());
}

void CHelpWindow::OnFindInPage() {
    const QString text = m_pFind->text();
    if (text.isEmpty())
        return;
    if (!m_pBrowser->find(text))
        FindFromStart(text, false);
}
