// Translate, and the panes and boxes of Run and Debug, driven through the tool bar like a
// user would. What the run controller decides is tested without windows.

#include "IdeTestSupport.h"

#include "ide/Commands.h"
#include "ide/OutputBar.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"
#include "interpreter/DebugControl.h"
#include "output/OutputSink.h"

#include <QAction>
#include <QComboBox>
#include <QMdiArea>

namespace idetest {
namespace {

// Four lines, no line break after the last: the scanner stops on line 4.
const QString kGoodProgram = QStringLiteral("answer << funcdef { 42 >> return };\n"
                                            "funcdef x { (x, 2) : * >> return } >> double;\n"
                                            "funcdef x { (x, 1) : + : out >> return } >> inc;\n"
                                            "loop << funcdef x { x : loop >> return }");

const QString kEvaluateArgument = QStringLiteral("Вычисление аргумента");

using DocumentCommandsTest = FrameTest;

TEST_F(DocumentCommandsTest, TranslateReportsOnTheTranslationChannel) {
    struct Case {
        const char* name;
        QString program;
        QString report;
        QStringList functions;
    };
    const Case cases[] = {
        {"good program",
         kGoodProgram,
         QStringLiteral("Трансляция...\nПроверено строк : 4\nСинтаксических ощибок не найдено\n"),
         {kEvaluateArgument, "answer", "double", "inc", "loop"}},
        {"unknown identifier with its name",
         QStringLiteral("funcdef x { x >> return } >> id;\n\nfuncdef x { x : y >> return } >> bad"),
         QStringLiteral("Трансляция...\nОшибка в строке 3 : Неизвестный идентификатор : \"y\"\n"),
         {}},
    };
    int number = 0;
    for (const Case& c : cases) {
        CTirvaneIDEDoc* doc = OpenProgram(QStringLiteral("p%1.tvn").arg(++number), c.program);
        ASSERT_NE(doc, nullptr) << c.name;
        g_OutputSink.Select(kChannelTranslation);
        g_OutputSink.Write("old report");
        frame->OutputBar()->ShowChannel(kChannelResult);
        ASSERT_TRUE(Press(ID_TRANSLATE)) << c.name;
        EXPECT_EQ(PaneText(kChannelTranslation), c.report) << c.name;
        EXPECT_EQ(frame->OutputBar()->ShownChannel(), kChannelTranslation) << c.name;
        EXPECT_EQ(FunctionListItems(), c.functions) << c.name;
        EXPECT_EQ(doc->Flags().translated, !c.functions.isEmpty()) << c.name;
        EXPECT_EQ(IsEnabled(ID_TRANSLATE), c.functions.isEmpty()) << c.name;
        EXPECT_EQ(IsEnabled(ID_RUN), !c.functions.isEmpty()) << c.name;
    }
    EXPECT_TRUE(boxes.empty());
}

// Translate of an untitled document asks for a name first: cancelled, it leaves everything
// as it was; given, it saves there and translates.
TEST_F(DocumentCommandsTest, UntitledDocumentIsSavedUnderTheChosenNameAndTranslated) {
    CTirvaneIDEDoc* doc = frame->NewDocument();
    TypeText(doc->View(), QStringLiteral("funcdef x { x >> return } >> id"));
    g_OutputSink.Select(kChannelTranslation);
    g_OutputSink.Write("earlier report");
    saveAsAnswer.clear();
    ASSERT_TRUE(Press(ID_TRANSLATE));
    EXPECT_EQ(saveAsAsked, 1);
    EXPECT_EQ(PaneText(kChannelTranslation), QStringLiteral("earlier report"));
    EXPECT_TRUE(FunctionListItems().isEmpty());
    saveAsAnswer = dir.filePath(QStringLiteral("new.tvn"));
    ASSERT_TRUE(Press(ID_TRANSLATE));
    EXPECT_EQ(doc->PathName(), saveAsAnswer);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_TRUE(ReadBytes(saveAsAnswer).startsWith("funcdef x"));
    EXPECT_EQ(FunctionListItems(), QStringList({kEvaluateArgument, "id"}));
}

TEST_F(DocumentCommandsTest, FunctionListRemembersTheSelectionOfEachDocument) {
    CTirvaneIDEDoc* first = OpenTranslated(QStringLiteral("good.tvn"), kGoodProgram);
    EXPECT_EQ(FunctionListSelection(), -1); // the list was empty when Translate began
    SelectFunction(QStringLiteral("inc"));

    // An edit offers Translate again, and no Run nor Debug of the old translation; a later
    // Translate restores the index that was selected when it began.
    TypeText(first->View(), QStringLiteral(" "));
    frame->UpdateCommands();
    EXPECT_FALSE(IsEnabled(ID_RUN));
    EXPECT_FALSE(IsEnabled(ID_DEBUG));
    ASSERT_TRUE(Press(ID_TRANSLATE));
    EXPECT_EQ(FunctionListSelection(), 3);

    CTirvaneIDEDoc* second = OpenProgram(QStringLiteral("second.tvn"),
                                         QStringLiteral("funcdef x { x >> return } >> id"));
    ASSERT_TRUE(Press(ID_TRANSLATE));
    EXPECT_EQ(FunctionListItems(), QStringList({kEvaluateArgument, "id"}));
    SelectFunction(kEvaluateArgument);

    Activate(first);
    EXPECT_EQ(FunctionListItems().size(), 5);
    EXPECT_EQ(frame->FunctionList()->currentText(), QStringLiteral("inc"));
    Activate(second);
    EXPECT_EQ(frame->FunctionList()->currentText(), kEvaluateArgument);

    frame->MdiArea()->closeAllSubWindows();
    EXPECT_TRUE(FunctionListItems().isEmpty());
}

// "out" writes the result's pane, never the argument the user typed, and the result is
// shown; the boxes of refused commands are the controller's (RunControllerTest).
TEST_F(DocumentCommandsTest, RunShowsTheResultAndLeavesTheArgument) {
    OpenTranslated(QStringLiteral("good.tvn"), kGoodProgram);
    ASSERT_TRUE(Start(ID_RUN, QStringLiteral("inc"), QStringLiteral("5")));
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(PaneText(kChannelResult), QStringLiteral("6\n6\n"));
    EXPECT_EQ(PaneText(kChannelArgument), QStringLiteral("5"));
    EXPECT_EQ(frame->OutputBar()->ShownChannel(), kChannelResult);
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(g_bRunning);
    EXPECT_TRUE(IsEnabled(ID_RUN));
    EXPECT_FALSE(IsEnabled(ID_ABORT_RUN));
}

} // namespace
} // namespace idetest
