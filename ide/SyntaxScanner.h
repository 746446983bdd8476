#pragma once
// The editor's view of the language's lexis, line by line: which stretches of a line are
// keywords, numbers, literals, comments, naming arrows, named names and signs. It follows
// the translator's scanner closely enough for colouring, not for translation: a malformed
// token is coloured as far as it goes, never reported.

#include <QStringView>

#include <vector>

enum class SyntaxKind {
    Keyword,
    Number,
    Character,
    String,
    Comment,
    NamingArrow, // ">>" and "<<"
    NamedName,   // the name an arrow gives: ">> name" or "name <<"
    Sign,        // operation signs and the application signs ":" and "^"
    Bracket      // a single "(", ")", "[", "]", "{" or "}"
};

struct SyntaxSpan {
    int start;
    int length;
    SyntaxKind kind;
    bool operator==(const SyntaxSpan&) const = default;
};

// Where a line ends: inside a block comment or not.
enum class LineState : int { Code = 0, BlockComment = 1 };

// The spans of one line, left to right, given the state the previous line ended in;
// returns the state this line ends in. Text outside every span is plain (names, blanks,
// "," and ";").
LineState ScanSyntaxLine(QStringView line, LineState state, std::vector<SyntaxSpan>* spans);

bool IsLanguageKeyword(QStringView word);
