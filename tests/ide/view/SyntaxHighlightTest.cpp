// The editor's colours by lexis, its gutter, and the marks of the current line and of
// matching brackets.

#include "IdeTestSupport.h"
#include "UiTestSupport.h"

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

#include <optional>

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

    // The kind whose colour the character carries, none for plain text.
    std::optional<SyntaxKind> KindAt(int line, int column) const {
        const QTextCharFormat format = FormatAt(line, column);
        if (!format.hasProperty(QTextFormat::ForegroundBrush))
            return std::nullopt;
        const EditorColours& colours = doc->Highlighter()->Colours();
        const QColor colour = format.foreground().color();
        const std::pair<QColor, SyntaxKind> kinds[] = {
            {colours.keyword, SyntaxKind::Keyword},
            {colours.number, SyntaxKind::Number},
            {colours.string, SyntaxKind::String},
            {colours.comment, SyntaxKind::Comment},
            {colours.namingArrow, SyntaxKind::NamingArrow},
            {colours.namedName, SyntaxKind::NamedName},
            {colours.sign, SyntaxKind::Sign},
        };
        for (const auto& [c, kind] : kinds) {
            if (c == colour)
                return kind;
        }
        ADD_FAILURE() << "unknown colour " << colour.name().toStdString();
        return std::nullopt;
    }

    CTirvaneIDEDoc* doc = nullptr;
    CTirvaneIDEView* view = nullptr;
};

const QString kSample = QStringLiteral(
    "fact << funcdef n { (n, 1) : <= >> small ; 'a' \"s:1\" 1.5e+3 -2 : [] // n >> x\n"
    "/* block : 1\n"
    "   still */ x : out >>  shown ; y : ^ dup .. == a.b\n");

TEST_F(SyntaxHighlightTest, SampleLinesCarryTheFormatOfTheirTokens) {
    OpenText(kSample);
    struct Case {
        int line;
        const char* token;
        std::optional<SyntaxKind> kind;
    };
    // One token of each kind; the scanner's own table below has the finer cases.
    const Case cases[] = {
        {1, "fact", SyntaxKind::NamedName},
        {1, "<<", SyntaxKind::NamingArrow},
        {1, "funcdef", SyntaxKind::Keyword},
        {1, "n {", std::nullopt}, // the argument's name is plain
        {1, "1", SyntaxKind::Number},
        {1, "<=", SyntaxKind::Sign},
        {1, "\"s:1\"", SyntaxKind::String},
        {1, "// n", SyntaxKind::Comment},
        {2, "block", SyntaxKind::Comment},
        {3, "shown", SyntaxKind::NamedName}, // blanks between the arrow and its name
        {3, "a.b", std::nullopt},            // one name with its dot
    };
    for (const Case& c : cases) {
        const QString line = view->document()->findBlockByNumber(c.line - 1).text();
        const qsizetype column = line.indexOf(QString::fromUtf8(c.token));
        ASSERT_GE(column, 0) << c.token;
        const QString token = QString::fromUtf8(c.token);
        for (int k = 0; k < token.size(); ++k) {
            if (token[k] == u' ')
                continue;
            EXPECT_EQ(KindAt(c.line, int(column) + k), c.kind)
                << "line " << c.line << " token " << c.token << " char " << k;
        }
    }
    const int keyword = int(kSample.indexOf(u"funcdef"));
    EXPECT_EQ(FormatAt(1, keyword).fontWeight(), QFont::Bold);
    EXPECT_TRUE(FormatAt(1, kSample.indexOf(u"//")).fontItalic());

    // A dark theme brings the dark colours.
    view->setPalette(DarkPalette());
    EXPECT_TRUE(doc->Highlighter()->Colours().dark);
    EXPECT_EQ(FormatAt(1, keyword).foreground().color(), EditorColoursFor(DarkPalette()).keyword);
    EXPECT_EQ(KindAt(1, keyword), SyntaxKind::Keyword);
}

TEST_F(SyntaxHighlightTest, EditsRecolourTheFollowingLinesOfABlockComment) {
    OpenText(QStringLiteral("x : f\nfuncdef\ny : g\n"));
    EXPECT_EQ(KindAt(2, 0), SyntaxKind::Keyword);
    PlaceCaret(view, 1, 0);
    TypeText(view, QStringLiteral("/*"));
    EXPECT_EQ(KindAt(2, 0), SyntaxKind::Comment);
    EXPECT_EQ(KindAt(3, 2), SyntaxKind::Comment);
    PlaceCaret(view, 2, -1);
    TypeText(view, QStringLiteral("*/"));
    EXPECT_EQ(KindAt(2, 0), SyntaxKind::Comment);
    EXPECT_EQ(KindAt(3, 2), SyntaxKind::Sign);
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
        EXPECT_EQ(spans.size(), c.spans.size()) << c.line;
        for (std::size_t i = 0; i < std::min(spans.size(), c.spans.size()); ++i) {
            EXPECT_EQ(spans[i].start, c.spans[i].start) << c.line << " span " << i;
            EXPECT_EQ(spans[i].length, c.spans[i].length) << c.line << " span " << i;
            EXPECT_EQ(int(spans[i].kind), int(c.spans[i].kind)) << c.line << " span " << i;
        }
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
