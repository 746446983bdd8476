#pragma once
// Matching brackets of the code: "(" with ")", "[" with "]", "{" with "}". Brackets inside
// comments and literals do not count; the highlighter has listed the code's brackets of
// each line (CBracketData).

#include <optional>

class QTextDocument;

struct BracketMatch {
    int position; // the bracket at the caret, in the document
    int partner;  // its partner, -1 if it has none
    bool matches; // the partner is of the same kind
};

// The bracket just after the caret, else the one just before it, with its partner; none
// also when the partner would lie thousands of lines away.
std::optional<BracketMatch> MatchBracketAt(const QTextDocument* document, int caret);
