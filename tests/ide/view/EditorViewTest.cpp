// The editor view: the caret's place in the status bar, the functions' line ranges that
// follow edits, Definition, Properties and the context menu, driven like a user would; its
// colours by lexis, its gutter, and the marks of the current line and of matching brackets.

#include "IdeTestSupport.h"

#include "ide/BracketMatch.h"
#include "ide/EditorColours.h"
#include "ide/FunctionPropertiesDlg.h"
#include "ide/LineNumberArea.h"
#include "ide/SyntaxHighlighter.h"
#include "ide/SyntaxScanner.h"
#include "model/Scope.h"

#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QPalette>
#include <QScrollBar>
#include <QTextLayout>

#include <utility>

// A span as start+length:kind in failure messages.
inline void PrintTo(const SyntaxSpan& span, std::ostream* os) {
    *os << span.start << '+' << span.length << ':' << int(span.kind);
}

namespace idetest {
namespace {

// "first" spans lines 3 to 8, "second" lines 10 to 14.
const QString kTwoFunctions = QStringLiteral("// строки для проверки\n"
                                             "\n"
                                             "funcdef x {\n"
                                             "  (x, 1) : + >> y ;\n"
                                             "  (y, 2) : * >> z ;\n"
                                             "  z >> w ;\n"
                                             "  w >> return\n"
                                             "} >> first;\n"
                                             "\n"
                                             "funcdef x {\n"
                                             "  (x, 2) : + >> a ;\n"
                                             "  (a, 3) : * >> b ;\n"
                                             "  b >> return\n"
                                             "} >> second\n");

using Range = std::pair<int, int>;

class EditorViewTest : public FrameTest {
protected:
    // Opens the text, translated or not, in an editor with the focus.
    void OpenText(const QString& text, bool translate = false) {
        doc = OpenProgram(QStringLiteral("lines.tvn"), text);
        ASSERT_NE(doc, nullptr);
        view = doc->View();
        view->setFocus();
        if (translate) {
            ASSERT_TRUE(Press(ID_TRANSLATE));
        }
    }
    void OpenTranslated(const QString& text = kTwoFunctions) { OpenText(text, true); }

    Range RangeOf(const char* name) const {
        const CFunctionNode* function = doc->FindFunction(QString::fromLatin1(name));
        return function != nullptr ? Range{function->firstLine, function->lastLine} : Range{};
    }

    QString Line(int line) const { return view->document()->findBlockByNumber(line - 1).text(); }

    // The context menu's items over the character at the line's column.
    QStringList ContextMenuAt(int line, int column, const QString& choose = {}) {
        QTextCursor cursor(view->document()->findBlockByNumber(line - 1));
        cursor.setPosition(cursor.position() + column);
        const QPoint point = view->cursorRect(cursor).center() + QPoint(2, 0);
        QStringList texts;
        const bool shown = WithModal(
            [&] {
                QContextMenuEvent event(QContextMenuEvent::Mouse, point,
                                        view->viewport()->mapToGlobal(point));
                QApplication::sendEvent(view->viewport(), &event);
            },
            [&](QWidget* popup) {
                auto* menu = qobject_cast<QMenu*>(popup);
                ASSERT_NE(menu, nullptr);
                texts = ItemTexts(menu);
                for (QAction* action : menu->actions()) {
                    if (!choose.isEmpty() && action->text() == choose)
                        action->trigger();
                }
            },
            true);
        EXPECT_TRUE(shown);
        return texts;
    }

    // The text of the properties dialog that the action opens.
    QString PropertiesText(const std::function<void()>& open) {
        QString text;
        EXPECT_TRUE(WithModal(open, [&](QWidget* dialog) {
            auto* properties = qobject_cast<CFunctionPropertiesDlg*>(dialog);
            ASSERT_NE(properties, nullptr);
            text = properties->Edit()->toPlainText();
            EXPECT_TRUE(properties->Edit()->isReadOnly());
            EXPECT_EQ(properties->Edit()->textCursor().position(), 0);
        }));
        return text;
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

TEST_F(EditorViewTest, StatusBarShowsTheCaretsLineAndColumnWhateverTheFont) {
    OpenTranslated();
    EXPECT_EQ(frame->LinePane()->text(), QStringLiteral("Cтр. 1"));
    EXPECT_EQ(frame->ColumnPane()->text(), QStringLiteral("Поз. 1"));

    Keys(view, {Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right});
    EXPECT_EQ(frame->LinePane()->text(), QStringLiteral("Cтр. 3"));
    EXPECT_EQ(frame->ColumnPane()->text(), QStringLiteral("Поз. 4"));

    QFont large = view->font();
    large.setPixelSize(31);
    view->setFont(large);
    QTextCursor target(view->document()->findBlockByNumber(4));
    target.setPosition(target.position() + 7);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->cursorRect(target).center() - QPoint(1, 0));
    EXPECT_EQ(frame->LinePane()->text(), QStringLiteral("Cтр. 5"));
    EXPECT_EQ(frame->ColumnPane()->text(), QStringLiteral("Поз. 8"));

    // The panes follow the caret of whichever window is active.
    PlaceCaret(OpenProgram(QStringLiteral("other.tvn"), kTwoFunctions)->View(), 2);
    EXPECT_EQ(frame->LinePane()->text(), QStringLiteral("Cтр. 2"));
    frame->MdiArea()->activatePreviousSubWindow();
    EXPECT_EQ(frame->LinePane()->text(), QStringLiteral("Cтр. 5"));
    EXPECT_EQ(frame->ColumnPane()->text(), QStringLiteral("Поз. 8"));
}

// Each case puts the caret at a line and column (-1: the line's end) and clicks keys.
TEST_F(EditorViewTest, FunctionLineRangesFollowEdits) {
    constexpr QKeyCombination kSelectDown(Qt::ShiftModifier, Qt::Key_Down);
    const struct {
        const char* name;
        int line, column;
        std::vector<QKeyCombination> keys;
        Range first, second;
    } cases[] = {
        // clang-format off
        {"nothing changed", 1, 0, {}, {3, 8}, {10, 14}},
        {"Enter at the start of line 10", 10, 0, {Qt::Key_Return}, {3, 8}, {11, 15}},
        // The header stays on line 10; its body moves down.
        {"Enter at the end of line 10", 10, -1, {Qt::Key_Return}, {3, 8}, {10, 15}},
        {"two whole lines deleted above both", 1, 0, {kSelectDown, kSelectDown, Qt::Key_Delete},
         {1, 6}, {8, 12}},
        {"a line deleted inside the second", 12, 0, {kSelectDown, Qt::Key_Delete}, {3, 8}, {10, 13}},
        {"Backspace joins line 11 to line 10", 11, 0, {Qt::Key_Backspace}, {3, 8}, {10, 13}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenTranslated();
        PlaceCaret(view, c.line, c.column);
        Keys(view, c.keys);
        EXPECT_EQ(RangeOf("first"), c.first);
        EXPECT_EQ(RangeOf("second"), c.second);
        doc->SetModifiedFlag(false);
        CloseActive();
    }
    // Pasted from the Edit menu, far from where the caret was last seen by a key or the mouse.
    OpenTranslated();
    QApplication::clipboard()->setText(QStringLiteral("// a\n// b\n"));
    view->moveCursor(QTextCursor::Start);
    ASSERT_TRUE(Press(ID_EDIT_PASTE));
    EXPECT_EQ(RangeOf("first"), Range(5, 10));
    EXPECT_EQ(RangeOf("second"), Range(12, 16));
}

// Without a function selected (nothing, or the argument's entry) Definition and Properties
// say the name is unknown.
TEST_F(EditorViewTest, PropertiesShowTheFunctionsCurrentLinesCutTo500Characters) {
    OpenTranslated();
    for (const int selection : {-1, 0}) {
        for (const int command : {ID_FUNC_DEFINITION, ID_FUNC_PROPERTIES}) {
            frame->FunctionList()->setCurrentIndex(selection);
            ASSERT_TRUE(Press(command));
            EXPECT_EQ(boxes, (std::vector<StopBox>{{"Ошибка", "Неизвестно имя функции."}}))
                << selection << " " << command;
            boxes.clear();
        }
    }
    SelectFunction(QStringLiteral("second"));
    EXPECT_EQ(PropertiesText([this] { Press(ID_FUNC_PROPERTIES); }),
              QStringLiteral("funcdef x {\n  (x, 2) : + >> a ;\n  (a, 3) : * >> b ;\n"
                             "  b >> return\n} >> second\n"));

    PlaceCaret(view, 10);
    Keys(view, {Qt::Key_Return});
    PlaceCaret(view, 13, -1);
    Keys(view, {Qt::Key_Return});
    TypeText(view, QStringLiteral("  b >> c ;"));
    // A line longer than 500 characters shows its first 500.
    const QString longLine = QStringLiteral(" // ") + QString(600, u'q');
    view->insertPlainText(longLine);
    EXPECT_EQ(RangeOf("second"), Range(11, 16));
    EXPECT_EQ(PropertiesText([this] { Press(ID_FUNC_PROPERTIES); }),
              QStringLiteral("funcdef x {\n  (x, 2) : + >> a ;\n  (a, 3) : * >> b ;\n") +
                  (QStringLiteral("  b >> c ;") + longLine).left(500) +
                  QStringLiteral("\n  b >> return\n} >> second\n"));
}

TEST_F(EditorViewTest, DefinitionScrollsTheFunctionsFirstLineToTheTop) {
    QString text;
    for (int line = 1; line < 120; ++line)
        text += QStringLiteral("// строка %1\n").arg(line);
    text += QStringLiteral("funcdef x {\n  x >> return\n} >> far");
    for (int line = 0; line < 80; ++line)
        text += QStringLiteral("\n// ещё");
    OpenTranslated(text);
    SelectFunction(QStringLiteral("far"));
    ASSERT_TRUE(Press(ID_FUNC_DEFINITION));
    EXPECT_EQ(view->FirstVisibleLine(), 120);
    EXPECT_EQ(view->textCursor().position(), 0); // the caret stays

    view->verticalScrollBar()->setValue(105); // the name's line in sight, lower down
    ContextMenuAt(122, 6, QStringLiteral("Определение far"));
    EXPECT_EQ(view->FirstVisibleLine(), 120);
}

TEST_F(EditorViewTest, ContextMenuOffersAFunctionsPropertiesAndDefinitionOverItsName) {
    const QStringList editing = {QStringLiteral("Вырезать"), QStringLiteral("Копировать"),
                                 QStringLiteral("Вставить")};
    OpenText(kTwoFunctions);
    EXPECT_EQ(ContextMenuAt(14, 6), editing) << "before translation";

    ASSERT_TRUE(Press(ID_TRANSLATE));
    struct Case {
        const char* name;
        int line, column;
        QStringList items;
    };
    const auto offers = [&editing](const QString& name) {
        return editing + QStringList{QString(), "Свойства " + name, "Определение " + name};
    };
    const Case cases[] = {
        {"first letter of a function name", 14, 5, offers("second")},
        {"last letter of a function name", 8, 9, offers("first")},
        {"a keyword", 10, 2, editing},
        {"an unknown word", 11, 15, editing},
        {"beyond the end of the line", 14, 40, editing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ContextMenuAt(c.line, c.column), c.items);
    }

    EXPECT_EQ(PropertiesText([this] { ContextMenuAt(8, 6, QStringLiteral("Свойства first")); }),
              QStringLiteral("funcdef x {\n  (x, 1) : + >> y ;\n  (y, 2) : * >> z ;\n"
                             "  z >> w ;\n  w >> return\n} >> first;\n"));
}

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

using SyntaxHighlightTest = EditorViewTest;

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
