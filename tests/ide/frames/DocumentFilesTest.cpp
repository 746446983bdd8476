// Files: bytes kept exactly through open and save, and the recent-file list that survives a
// restart of the program.

#include "IdeTestSupport.h"
#include "UiTestSupport.h"

#include "ide/ChildFrame.h"
#include "ide/Commands.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"

#include <QFile>
#include <QMdiArea>
#include <QMenu>
#include <QSettings>
#include <QTest>

namespace idetest {
namespace {

class DocumentFilesTest : public FrameTest {
protected:
    QString WriteBytes(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    static QByteArray ReadBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Restarts the main window as the program would be restarted.
    void Restart() {
        frame->close();
        frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(frame->Create());
        frame->show();
    }

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

TEST_F(DocumentFilesTest, OpeningAndSavingKeepTheBytes) {
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    // "я" is 0xFF in Windows-1251; 0x98 has no character there.
    const Case cases[] = {
        {"crlf lines", QByteArray("\xff\xe1\xf0\r\nfuncdef x { x >> return } >> f\r\n")},
        {"no final line break", QByteArray("// \xff\r\n\r\n\xff\xff")},
        {"bare line feeds", QByteArray("// \xff\nfuncdef x { x >> return } >> f\n")},
        {"empty file", QByteArray()},
        {"byte without a character", QByteArray("a\x98z\r\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = WriteBytes(QStringLiteral("bytes.tvn"), c.bytes);
        CTirvaneIDEDoc* doc = frame->OpenDocument(path);
        ASSERT_NE(doc, nullptr);
        ASSERT_TRUE(Press(ID_FILE_SAVE));
        EXPECT_EQ(ReadBytes(path), c.bytes);
        frame->ActiveChild()->close();
        QCoreApplication::processEvents();
    }
}

TEST_F(DocumentFilesTest, TypedCyrillicIsSavedAsWindows1251WithoutBom) {
    const QString path = WriteBytes(QStringLiteral("typed.tvn"), QByteArray("a\r\n"));
    CTirvaneIDEDoc* doc = frame->OpenDocument(path);
    ASSERT_NE(doc, nullptr);
    doc->View()->moveCursor(QTextCursor::End);
    TypeText(doc->View(), QStringLiteral("я"));
    QTest::keyClick(doc->View(), Qt::Key_Return);
    TypeText(doc->View(), QStringLiteral("Ая"));
    QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadBytes(path), QByteArray("a\r\n\xff\r\n\xc0\xff"));
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
