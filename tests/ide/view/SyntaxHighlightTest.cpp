// The editor's colours by lexis, its gutter, and the marks of the current line and of
// matching brackets.

#include "IdeTestSupport.h"

#include "ide/BracketMatch.h"
#include "ide/EditorColours.h"
#include "ide/LineNumberArea.h"
#include "ide/SyntaxHighlighter.h"
#include "ide/SyntaxScanner.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"

#include <QPalette>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

// A span as start+length:kind in failure messages.
inline void PrintTo(const SyntaxSpan& span, std::ostream* os) {
    *os << span.start << '+' << span.length << ':' << int(span.kind);
}

namespace idetest {
namespace {

QPalette DarkPalette() {
    QPalette palette;
    palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    palette.setColor(QPalette::Text, QColor(0xdc, 0xdc, 0xdc));
    palette.setColor(QPalette::Window, QColor(0x2d, 0x2d, 0x2d));
    palette.setColor(QPalette::WindowText, QColor(0xdc, 0xdc, 0xdc));
    return palette;
}

QPalette LightPalette() {
    QPalette palette;
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    return palette;
}

class SyntaxHighlightTest : public FrameTest {
protected:
    CTirvaneIDEView* OpenText(const QString& text) {
        doc = OpenProgram(QStringLiteral("colours.tvn"), text);
        EXPECT_NE(doc, nullptr);
        view = doc->View();
        return view;
    }

    // The highlighter's format of the character at the 0-based column of the 1-based line.
    QTextCharFormat FormatAt(int line, int column) const {
        const QTextBlock block = view->document()->findBlockByNumber(line - 1);
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (column >= range.start && column < range.start + range.length)
                return range.format;
        }
        return {};
    }

    // The colour the highlighter gave the character, invalid for plain text.
    QColor ColourAt(int line, int column) const {
        const QTextCharFormat format = FormatAt(line, column);
        return format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color()
                                                                : QColor();
    }

    const EditorColours& Colours() const { return doc->Highlighter()->Colours(); }

    CTirvaneIDEDoc* doc = nullptr;
    CTirvaneIDEView* view = nullptr;
};

const QString kSample = QStringLiteral(
    "fact << funcdef n { (n, 1) : <= >> small ; 'a' \"s:1\" 1.5e+3 -2 : [] // n >> x\n"
    "/* block : 1\n"
    "   still */ x : out >>  shown ; y : ^ dup .. == a.b\n");

TEST_F(SyntaxHighlightTest, SampleLinesCarryTheFormatOfTheirTokens) {
    OpenText(kSample);
    using E = EditorColours;
    // One token of each kind, none for plain text; the scanner's own table below has the
    // finer cases.
    const struct {
        int line;
        const char* token;
        QColor E::*colour;
    } cases[] = {
        {1, "fact", &E::namedName},
        {1, "<<", &E::namingArrow},
        {1, "funcdef", &E::keyword},
        {1, "n {", nullptr}, // the argument's name is plain
        {1, "1", &E::number},
        {1, "<=", &E::sign},
        {1, "\"s:1\"", &E::string},
        {1, "// n", &E::comment},
        {2, "block", &E::comment},
        {3, "shown", &E::namedName}, // blanks between the arrow and its name
        {3, "a.b", nullptr},         // one name with its dot
    };
    for (const auto& c : cases) {
        const QString token = QString::fromUtf8(c.token);
        const qsizetype column =
            view->document()->findBlockByNumber(c.line - 1).text().indexOf(token);
        ASSERT_GE(column, 0) << c.token;
        for (int k = 0; k < token.size(); ++k) {
            if (token[k] != u' ') {
                EXPECT_EQ(ColourAt(c.line, int(column) + k),
                          c.colour ? Colours().*c.colour : QColor())
                    << "line " << c.line << " token " << c.token << " char " << k;
            }
        }
    }
    const int keyword = int(kSample.indexOf(u"funcdef"));
    EXPECT_EQ(FormatAt(1, keyword).fontWeight(), QFont::Bold);
    EXPECT_TRUE(FormatAt(1, kSample.indexOf(u"//")).fontItalic());

    // A dark theme brings the dark colours.
    view->setPalette(DarkPalette());
    EXPECT_TRUE(Colours().dark);
    EXPECT_EQ(ColourAt(1, keyword), EditorColoursFor(DarkPalette()).keyword);
}

TEST_F(SyntaxHighlightTest, EditsRecolourTheFollowingLinesOfABlockComment) {
    OpenText(QStringLiteral("x : f\nfuncdef\ny : g\n"));
    EXPECT_EQ(ColourAt(2, 0), Colours().keyword);
    PlaceCaret(view, 1, 0);
    TypeText(view, QStringLiteral("/*"));
    EXPECT_EQ(ColourAt(2, 0), Colours().comment);
    EXPECT_EQ(ColourAt(3, 2), Colours().comment);
    PlaceCaret(view, 2, -1);
    TypeText(view, QStringLiteral("*/"));
    EXPECT_EQ(ColourAt(2, 0), Colours().comment);
    EXPECT_EQ(ColourAt(3, 2), Colours().sign);
}

// Each row: the line, whether a block comment is open before and after it, its spans.
TEST(SyntaxScannerTest, SpansFollowTheTranslatorsTokens) {
    struct Case {
        const char* line;
        bool commentBefore, commentAfter;
        std::vector<SyntaxSpan> spans;
    };
    using K = SyntaxKind;
    // clang-format off
    const Case cases[] = {
        {"a-1", 0, 0, {{1, 2, K::Number}}},
        {"x - 1", 0, 0, {{2, 1, K::Sign}, {4, 1, K::Number}}},
        {"-.5", 0, 0, {{0, 3, K::Number}}},
        {"=< => != ?", 0, 0, {{0, 2, K::Sign}, {3, 2, K::Sign}, {6, 2, K::Sign}, {9, 1, K::Sign}}},
        {"f<<", 0, 0, {{0, 1, K::NamedName}, {1, 2, K::NamingArrow}}},
        {">> 5", 0, 0, {{0, 2, K::NamingArrow}, {3, 1, K::Number}}},
        {"(){}", 0, 0, {{0, 2, K::Sign}, {2, 2, K::Sign}}},
        {"( )", 0, 0, {{0, 1, K::Bracket}, {2, 1, K::Bracket}}},
        {"\"a\\\"b\" c", 0, 0, {{0, 6, K::String}}},
        {"\"open", 0, 0, {{0, 5, K::String}}},
        {"/**/ 1", 0, 0, {{0, 4, K::Comment}, {5, 1, K::Number}}},
        {"/*/ 1", 0, 1, {{0, 5, K::Comment}}},
        {"x */ y", 1, 0, {{0, 4, K::Comment}}},
        {"true false nil", 0, 0, {{0, 4, K::Keyword}, {5, 5, K::Keyword}, {11, 3, K::Keyword}}},
        {"'a' 1.5e+3 -2", 0, 0, {{0, 3, K::Character}, {4, 6, K::Number}, {11, 2, K::Number}}},
        {"[] <= .. ^", 0, 0, {{0, 2, K::Sign}, {3, 2, K::Sign}, {6, 2, K::Sign}, {9, 1, K::Sign}}},
        {"\xd0\xb8\xd0\xbc\xd1\x8f >>x", 0, 0, {{4, 2, K::NamingArrow}, {6, 1, K::NamedName}}},
    };
    // clang-format on
    const auto state = [](bool comment) {
        return comment ? LineState::BlockComment : LineState::Code;
    };
    for (const Case& c : cases) {
        std::vector<SyntaxSpan> spans;
        const QString line = QString::fromUtf8(c.line);
        EXPECT_EQ(ScanSyntaxLine(line, state(c.commentBefore), &spans), state(c.commentAfter))
            << c.line;
        EXPECT_EQ(spans, c.spans) << c.line;
    }
}

TEST(EditorColoursTest, EveryColourReadsWellOnALightAndOnADarkBackground) {
    for (const QPalette& palette : {LightPalette(), DarkPalette()}) {
        const EditorColours c = EditorColoursFor(palette);
        EXPECT_EQ(c.dark, IsDarkPalette(palette));
        const QColor text = palette.color(QPalette::Text);
        const std::pair<const char*, QColor> foregrounds[] = {
            {"keyword", c.keyword}, {"number", c.number},     {"string", c.string},
            {"comment", c.comment}, {"arrow", c.namingArrow}, {"named name", c.namedName},
            {"sign", c.sign},
        };
        const std::pair<const char*, QColor> backgrounds[] = {
            {"base", palette.color(QPalette::Base)},
            {"current line", c.currentLine},
            {"error line", c.errorLine},
            {"debug line", c.stepLine},
        };
        for (const auto& [background, bg] : backgrounds) {
            for (const auto& [name, fg] : foregrounds) {
                EXPECT_GE(Contrast(fg, bg), 4.5)
                    << name << " on " << background << (c.dark ? " (dark)" : " (light)");
            }
            EXPECT_GE(Contrast(text, bg), 4.5) << "text on " << background;
        }
        EXPECT_GE(Contrast(text, c.bracketMatch), 4.5);
        EXPECT_GE(Contrast(text, c.bracketMismatch), 4.5);
        EXPECT_GE(Contrast(c.gutterText, c.gutterBackground), 4.5);
        EXPECT_GE(Contrast(c.gutterCurrentText, c.gutterBackground), 4.5);
    }
    EXPECT_NE(EditorColoursFor(LightPalette()).keyword, EditorColoursFor(DarkPalette()).keyword);
}

TEST_F(SyntaxHighlightTest, CaretMarksItsLineAndTheMatchingBracket) {
    OpenText(QStringLiteral("f << funcdef x {\n"
                            "  ((x, \")\"), [1]) : 1 >> return // ( [\n"
                            "}\n"
                            "(1, 2]\n"));
    struct Case {
        const char* name;
        int line, column;
        QList<int> brackets; // document positions, sorted
        bool matches = true; // the first of them finds a partner of its kind
    };
    const int line2 = int(view->document()->findBlockByNumber(1).position());
    const int line3 = int(view->document()->findBlockByNumber(2).position());
    const int line4 = int(view->document()->findBlockByNumber(3).position());
    const Case cases[] = {
        {"before an opening bracket", 1, 15, {15, line3}},
        {"after a closing bracket", 3, 1, {15, line3}},
        {"a string's bracket does not count", 2, 2, {line2 + 2, line2 + 16}},
        {"inner pair", 2, 3, {line2 + 3, line2 + 10}},
        {"brackets of another kind", 2, 13, {line2 + 13, line2 + 15}},
        {"no bracket at the caret", 2, 20, {}},
        {"mismatched brackets are marked too", 4, 0, {line4, line4 + 5}, false},
    };
    for (const Case& c : cases) {
        PlaceCaret(view, c.line, c.column);
        QList<int> marked = view->Marked(LineMark::Bracket);
        std::sort(marked.begin(), marked.end());
        EXPECT_EQ(marked, c.brackets) << c.name;
        EXPECT_EQ(view->Marked(LineMark::Current), QList<int>{c.line}) << c.name;
        if (!c.brackets.isEmpty()) {
            const auto match = MatchBracketAt(view->document(), c.brackets.first());
            EXPECT_TRUE(match && match->matches == c.matches) << c.name;
        }
    }
}

TEST_F(SyntaxHighlightTest, GutterNumbersTheLinesAndTakesTheCaretToAClickedOne) {
    QString text;
    for (int i = 1; i <= 120; ++i)
        text += QStringLiteral("x%1 : f\n").arg(i);
    OpenText(text);
    auto* gutter = view->findChild<CLineNumberArea*>();
    ASSERT_NE(gutter, nullptr);
    EXPECT_TRUE(gutter->isVisible());
    EXPECT_EQ(gutter->width(), view->GutterWidth());
    EXPECT_GE(view->viewport()->geometry().left(), gutter->geometry().right());
    // Three digits take more room than two.
    const int wide = view->GutterWidth();
    view->selectAll();
    TypeText(view, QStringLiteral("x"));
    EXPECT_LT(view->GutterWidth(), wide);

    view->setPlainText(text);
    const int y = view->LineRect(3).center().y();
    EXPECT_EQ(view->LineAtGutterY(y), 3);
    QTest::mouseClick(gutter, Qt::LeftButton, {}, QPoint(gutter->width() / 2, y));
    EXPECT_EQ(view->textCursor().blockNumber(), 2);
    EXPECT_EQ(view->textCursor().positionInBlock(), 0);
    EXPECT_FALSE(gutter->grab().isNull());
}

} // namespace
} // namespace idetest
