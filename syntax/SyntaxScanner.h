#pragma once
// The editors' view of the language's lexis, line by line: which stretches of a line are
// keywords, numbers, literals, comments, naming arrows, named names and signs. It follows
// the translator's scanner closely enough for colouring, not for translation: a malformed
// token is coloured as far as it goes, never reported. Lines are UTF-16, as the editors
// hold them, so that span positions are the editors' columns.

#include <string_view>
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
LineState ScanSyntaxLine(std::u16string_view line, LineState state, std::vector<SyntaxSpan>* spans);

bool IsLanguageKeyword(std::u16string_view word);
