#pragma once
// The editor of one document: a plain-text editor whose changes reset the document's
// translation.

#include <QPlainTextEdit>

#include <string>

class CTirvaneIDEDoc;

class CTirvaneIDEView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CTirvaneIDEView(CTirvaneIDEDoc* doc, QWidget* parent = nullptr);

    CTirvaneIDEDoc* Document() const { return m_pDoc; }

    // Replaces the text without counting as an edit (a file was opened).
    void SetTextQuietly(const QString& text);
    // The text as the file holds it: Windows-1251, lines ended by "\r\n".
    std::string CoreText() const;

private:
    void OnChange();

    CTirvaneIDEDoc* m_pDoc;
    QFont m_font;
    bool m_bQuiet = false;
};
