// The editor view: the caret's place in the status bar, the functions' line ranges that
// follow edits, Definition, Properties and the context menu, driven like a user would.

#include "IdeTestSupport.h"

#include "ide/ChildFrame.h"
#include "ide/Commands.h"
#include "ide/FunctionPropertiesDlg.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"
#include "model/Scope.h"

#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMdiArea>
#include <QScrollBar>
#include <QTest>

#include <utility>

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
    void OpenTranslated(const QString& text = kTwoFunctions) {
        doc = FrameTest::OpenTranslated(QStringLiteral("lines.tvn"), text);
        view = doc->View();
        view->setFocus();
    }

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
        {"nothing changed", 1, 0, {}, {3, 8}, {10, 14}},
        {"Enter at the start of line 10", 10, 0, {Qt::Key_Return}, {3, 8}, {11, 15}},
        // The header stays on line 10; its body moves down.
        {"Enter at the end of line 10", 10, -1, {Qt::Key_Return}, {3, 8}, {10, 15}},
        {"two whole lines deleted above both",
         1,
         0,
         {kSelectDown, kSelectDown, Qt::Key_Delete},
         {1, 6},
         {8, 12}},
        {"a line deleted inside the second",
         12,
         0,
         {kSelectDown, Qt::Key_Delete},
         {3, 8},
         {10, 13}},
        {"Backspace joins line 11 to line 10", 11, 0, {Qt::Key_Backspace}, {3, 8}, {10, 13}},
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

TEST_F(EditorViewTest, PropertiesShowTheFunctionsCurrentLinesCutTo500Characters) {
    OpenTranslated();
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

TEST_F(EditorViewTest, WithoutAFunctionSelectedDefinitionAndPropertiesSayTheNameIsUnknown) {
    OpenTranslated();
    const StopBox unknown{QStringLiteral("Ошибка"), QStringLiteral("Неизвестно имя функции.")};
    // Nothing selected, or the argument's entry.
    for (const int selection : {-1, 0}) {
        for (const int command : {ID_FUNC_DEFINITION, ID_FUNC_PROPERTIES}) {
            boxes.clear();
            frame->FunctionList()->setCurrentIndex(selection);
            ASSERT_TRUE(Press(command));
            EXPECT_EQ(boxes, std::vector<StopBox>{unknown}) << selection << " " << command;
        }
    }
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
    doc = OpenProgram(QStringLiteral("menu.tvn"), kTwoFunctions);
    view = doc->View();
    EXPECT_EQ(ContextMenuAt(14, 6), editing) << "before translation";

    ASSERT_TRUE(Press(ID_TRANSLATE));
    struct Case {
        const char* name;
        int line, column;
        QStringList items;
    };
    const Case cases[] = {
        {"first letter of a function name", 14, 5,
         editing + QStringList{QString(), QStringLiteral("Свойства second"),
                               QStringLiteral("Определение second")}},
        {"last letter of a function name", 8, 9,
         editing + QStringList{QString(), QStringLiteral("Свойства first"),
                               QStringLiteral("Определение first")}},
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

} // namespace
} // namespace idetest
