#include "ide/SyntaxHighlighter.h"

#include <QGuiApplication>
#include <QPalette>

CSyntaxHighlighter::CSyntaxHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document), m_colours(EditorColoursFor(QGuiApplication::palette())) {
}

void CSyntaxHighlighter::SetColours(const EditorColours& colours) {
    if (colours.dark == m_colours.dark)
        return;
    m_colours = colours;
    rehighlight();
}

void CSyntaxHighlighter::highlightBlock(const QString& text) {
    const LineState before = previousBlockState() == int(LineState::BlockComment)
                                 ? LineState::BlockComment
                                 : LineState::Code;
    std::vector<SyntaxSpan> spans;
    const LineState after = ScanSyntaxLine(text, before, &spans);
    auto* data = new CBracketData;
    for (const SyntaxSpan& span : spans) {
        if (span.kind == SyntaxKind::Bracket ||
            (span.kind == SyntaxKind::Sign && QStringView(u"([{").contains(text[span.start]))) {
            for (int i = 0; i < span.length; ++i)
                data->brackets.push_back({span.start + i, text[span.start + i]});
        }
        if (span.kind != SyntaxKind::Bracket)
            setFormat(span.start, span.length, SyntaxFormat(m_colours, span.kind));
    }
    setCurrentBlockUserData(data);
    setCurrentBlockState(int(after));
}
