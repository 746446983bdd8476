// Files: typed text saved as Windows-1251, characters it cannot hold, and the recent-file
// list that survives a restart of the program.

#include "IdeTestSupport.h"
#include "UiTestSupport.h"

#include "ide/ChildFrame.h"
#include "ide/Commands.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"
#include "output/OutputSink.h"

#include <QFile>
#include <QMdiArea>
#include <QMenu>
#include <QSettings>
#include <QTest>

namespace idetest {
namespace {

class DocumentFilesTest : public FrameTest {
protected:
    QStringList RecentMenuTexts() const {
        QStringList texts;
        for (QMenu* menu : frame->ShownMenus()) {
            for (QAction* action : menu->actions()) {
                const int id = CommandIdOf(action);
                if (action->isVisible() && id >= ID_FILE_MRU_FILE1 &&
                    id < ID_FILE_MRU_FILE1 + kRecentFileCount)
                    texts << action->text();
            }
            break; // "Файл"
        }
        return texts;
    }
};

// Typed text is saved as Windows-1251 without a byte order mark. It has no byte for "✓"
// nor for "日本": the user hears of it before the save, and may cancel it.
TEST_F(DocumentFilesTest, TypedTextIsSavedAsWindows1251AndCharactersItLacksAreAskedFor) {
    QStringList asked;
    bool agree = false;
    ShellDialogHooks hooks = SetShellDialogHooks({});
    hooks.saveLosing = [&](const QString& text) {
        asked << text;
        return agree;
    };
    SetShellDialogHooks(hooks);
    const QString path = WriteBytes(QStringLiteral("lost.tvn"), QByteArray("a\r\n"));
    CTirvaneIDEDoc* doc = frame->OpenDocument(path);
    ASSERT_NE(doc, nullptr);
    doc->View()->moveCursor(QTextCursor::End);
    TypeText(doc->View(), QStringLiteral("// Ж ✓ 日本"));
    QTest::keyClick(doc->View(), Qt::Key_Return);
    TypeText(doc->View(), QStringLiteral("Ая"));
    saveAsAnswer = path;
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"Save", [this] { Press(ID_FILE_SAVE); }},
        {"Save As", [this] { frame->Action(ID_FILE_SAVE_AS)->trigger(); }},
        {"Translate", [this] { Press(ID_TRANSLATE); }},
    };
    for (const auto& [name, command] : commands) {
        SCOPED_TRACE(name);
        asked.clear();
        command();
        ASSERT_EQ(asked.size(), 1);
        EXPECT_TRUE(asked[0].contains(QStringLiteral("Строка 2 содержит символ «✓» (U+2713)")))
            << asked[0].toStdString();
        EXPECT_EQ(ReadBytes(path), QByteArray("a\r\n"));
        EXPECT_TRUE(doc->IsModified());
    }
    EXPECT_TRUE(PaneText(kChannelTranslation).isEmpty());

    agree = true;
    QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadBytes(path), QByteArray("a\r\n// \xc6 ? ??\r\n\xc0\xff"));
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(DocumentFilesTest, RecentFilesSurviveARestartNewestFirstFourAtMost) {
    QStringList paths;
    for (int i = 1; i <= 5; ++i) {
        paths << WriteProgram(QStringLiteral("recent%1.tvn").arg(i),
                              QStringLiteral("// %1").arg(i));
        ASSERT_NE(frame->OpenDocument(paths.last()), nullptr);
    }
    Restart();
    EXPECT_EQ(frame->RecentFiles().Files(), (QStringList{paths[4], paths[3], paths[2], paths[1]}));
    QSettings settings;
    EXPECT_EQ(settings.value(QStringLiteral("Recent File List/File1")).toString(), paths[4]);
    EXPECT_EQ(settings.value(QStringLiteral("Recent File List/File4")).toString(), paths[1]);
    EXPECT_EQ(RecentMenuTexts(), (QStringList{CRecentFileList::MenuText(0, paths[4]),
                                              CRecentFileList::MenuText(1, paths[3]),
                                              CRecentFileList::MenuText(2, paths[2]),
                                              CRecentFileList::MenuText(3, paths[1])}));

    // Choosing an entry opens it and moves it up; a vanished file leaves the list.
    frame->Action(ID_FILE_MRU_FILE1 + 2)->trigger();
    EXPECT_EQ(frame->ActiveDocument()->PathName(), paths[2]);
    EXPECT_EQ(frame->RecentFiles().Files().first(), paths[2]);
    ASSERT_TRUE(QFile::remove(paths[1]));
    frame->Action(ID_FILE_MRU_FILE1 + 3)->trigger();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(frame->RecentFiles().Files(), (QStringList{paths[2], paths[4], paths[3]}));
    Restart();
    EXPECT_EQ(frame->RecentFiles().Files(), (QStringList{paths[2], paths[4], paths[3]}));
}

TEST_F(DocumentFilesTest, SaveAsPutsTheNewNameFirstInTheRecentList) {
    frame->NewDocument();
    saveAsAnswer = dir.filePath(QStringLiteral("named.tvn"));
    ASSERT_TRUE(Press(ID_FILE_SAVE));
    EXPECT_EQ(saveAsAsked, 1);
    ASSERT_FALSE(frame->RecentFiles().Files().isEmpty());
    EXPECT_EQ(frame->RecentFiles().Files().first(), saveAsAnswer);
}

} // namespace
} // namespace idetest
