#include "ide/BracketMatch.h"

#include "ide/SyntaxHighlighter.h"

#include <QTextBlock>
#include <QTextDocument>

namespace {

// How far a partner is sought: a keystroke in a long text must stay quick.
constexpr int kMaxBracketLines = 5000;
constexpr int kFarAway = -2;

bool IsOpening(QChar c) {
    return c == u'(' || c == u'[' || c == u'{';
}

QChar PartnerOf(QChar c) {
    switch (c.unicode()) {
    case u'(':
        return u')';
    case u')':
        return u'(';
    case u'[':
        return u']';
    case u']':
        return u'[';
    case u'{':
        return u'}';
    case u'}':
        return u'{';
    default:
        return {};
    }
}

const std::vector<CBracketData::Bracket>* BracketsOf(const QTextBlock& block) {
    const auto* data = dynamic_cast<const CBracketData*>(block.userData());
    return data == nullptr ? nullptr : &data->brackets;
}

// The code bracket at a document position, if there is one.
std::optional<QChar> CodeBracketAt(const QTextDocument* document, int position) {
    const QTextBlock block = document->findBlock(position);
    const auto* brackets = BracketsOf(block);
    if (!block.isValid() || brackets == nullptr)
        return std::nullopt;
    for (const auto& bracket : *brackets) {
        if (block.position() + bracket.position == position)
            return bracket.character;
    }
    return std::nullopt;
}

// Walks the code's brackets from the one at `from` in its direction; any bracket opens or
// closes a level, whatever its kind, so that a wrong closing bracket shows as a mismatch.
// -1: there is none; kFarAway: not within kMaxBracketLines.
int FindPartner(const QTextDocument* document, int from, bool forward) {
    int depth = 0;
    int lines = 0;
    for (QTextBlock block = document->findBlock(from); block.isValid();
         block = forward ? block.next() : block.previous()) {
        if (++lines > kMaxBracketLines)
            return kFarAway;
        const auto* brackets = BracketsOf(block);
        if (brackets == nullptr)
            continue;
        const int count = int(brackets->size());
        for (int k = 0; k < count; ++k) {
            const auto& bracket = (*brackets)[std::size_t(forward ? k : count - 1 - k)];
            const int position = block.position() + bracket.position;
            if (forward ? position <= from : position >= from)
                continue;
            if (IsOpening(bracket.character) == forward) {
                ++depth;
            } else if (depth == 0) {
                return position;
            } else {
                --depth;
            }
        }
    }
    return -1;
}

} // namespace

std::optional<BracketMatch> MatchBracketAt(const QTextDocument* document, int caret) {
    for (int position : {caret, caret - 1}) {
        if (position < 0)
            continue;
        const std::optional<QChar> bracket = CodeBracketAt(document, position);
        if (!bracket)
            continue;
        const int partner = FindPartner(document, position, IsOpening(*bracket));
        if (partner == kFarAway)
            return std::nullopt;
        const bool matches = partner >= 0 && document->characterAt(partner) == PartnerOf(*bracket);
        return BracketMatch{position, partner, matches};
    }
    return std::nullopt;
}
