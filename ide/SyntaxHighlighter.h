#pragma once
// Colours the program text by its lexis and remembers, line by line, where the brackets
// of the code stand (not those inside comments and literals), for bracket matching.

#include "ide/EditorColours.h"

#include <QSyntaxHighlighter>
#include <QTextBlockUserData>

#include <vector>

class CBracketData : public QTextBlockUserData {
public:
    struct Bracket {
        int position; // in the line
        QChar character;
    };
    std::vector<Bracket> brackets;
};

class CSyntaxHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit CSyntaxHighlighter(QTextDocument* document);

    void SetColours(const EditorColours& colours);
    const EditorColours& Colours() const { return m_colours; }

protected:
    void highlightBlock(const QString& text) override;

private:
    EditorColours m_colours;
};
