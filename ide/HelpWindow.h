#pragma once
// The help window: the user's guide, compiled into the program, with a table of contents
// built from its headings.

#include <QMainWindow>
#include <QStringList>
#include <QUrl>

class QLineEdit;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

class CHelpWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // The guide's first page with the contents open.
    void ShowContents();
    // The first place in the guide where the word stands as a whole word; false if it
    // stands nowhere.
    bool ShowTopic(const QString& word);

    QTextBrowser* Browser() const { return m_pBrowser; }
    QTreeWidget* Contents() const { return m_pContents; }
    // The documents of the help (the guide), as resource urls.
    const QList<QUrl>& Documents() const { return m_documents; }

signals:
    // A link of the guide leads to an example program ("factorial.tvn").
    void ExampleRequested(const QString& name);

private:
    void FindDocuments();
    void BuildContents();
    void CreateToolBar();
    void OnContentsItem(QTreeWidgetItem* item);
    void ShowHeading(const QUrl& document, const QString& heading);
    bool FindFromStart(const QString& text, bool wholeWord);
    void OnFindInPage();
    void OnLink(const QUrl& link);

    QTextBrowser* m_pBrowser;
    QTreeWidget* m_pContents;
    QLineEdit* m_pFind = nullptr;
    QList<QUrl> m_documents;
};
