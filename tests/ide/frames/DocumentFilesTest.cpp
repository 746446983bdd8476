// The document's files: typed text saved as Windows-1251, characters it cannot hold, the
// recent-file list across restarts, and files that fail under the document: a folder that
// cannot be written, a disk that is full, a file deleted behind the editor's back, files that
// are not Windows-1251 text and files whose lines end in CR, or in CR LF and LF mixed.
// A failed save is reported and leaves the old file as it was; nothing is lost on open.

#include "IdeTestSupport.h"

#include <QFile>
#include <QMenu>
#include <QSettings>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#include <functional>

namespace idetest {
namespace {

// While it lives, this thread lacks the capabilities that let root write where the
// permissions forbid it, so that a read-only folder is read-only for the test too.
class CWithoutOverride {
public:
    CWithoutOverride() {
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        m_header.pid = 0;
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            reduced[0].effective &= ~(1u << cap);
        m_bChanged = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~CWithoutOverride() {
        if (m_bChanged)
            syscall(SYS_capset, &m_header, m_saved);
    }
    CWithoutOverride(const CWithoutOverride&) = delete;
    CWithoutOverride& operator=(const CWithoutOverride&) = delete;

private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_bChanged = false;
};

// While it lives, no file of the process may grow past `bytes`: writes beyond fail as on a
// full disk (EFBIG instead of the signal that would end the process).
class CFullDisk {
public:
    explicit CFullDisk(rlim_t bytes) {
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        const rlimit limit{bytes, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~CFullDisk() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    CFullDisk(const CFullDisk&) = delete;
    CFullDisk& operator=(const CFullDisk&) = delete;

private:
    rlimit m_saved{};
    void (*m_previousHandler)(int) = nullptr;
};

class DocumentFilesTest : public FrameTest {
protected:
    static constexpr const char* kOldText = "funcdef x { x >> return } >> f\r\n";

    // Opens the old program and types a long comment into it, so that it needs saving.
    CTirvaneIDEDoc* OpenAndEdit(const QString& path) {
        WriteBytes(path, kOldText);
        CTirvaneIDEDoc* doc = frame->OpenDocument(path);
        if (doc == nullptr)
            return nullptr;
        doc->View()->moveCursor(QTextCursor::End);
        TypeText(doc->View(), QStringLiteral("// ") + QString(200, u'x'));
        EXPECT_TRUE(doc->IsModified());
        return doc;
    }
};

// A folder that cannot be written, or a full disk under Save or Translate: the save is
// reported, the old file stays as it was (Translate reports nothing on it and offers no
// Run), and with the fault gone the same document saves.
TEST_F(DocumentFilesTest, AFailedSaveReportsAndKeepsTheOldFile) {
    const QString folder = dir.filePath(QStringLiteral("locked"));
    ASSERT_EQ(::mkdir(QFile::encodeName(folder).constData(), 0755), 0);
    for (int round = 0; round < 3; ++round) {
        const bool readOnly = round == 0;
        const int command = round == 2 ? ID_TRANSLATE : ID_FILE_SAVE;
        SCOPED_TRACE(readOnly ? "read-only folder" : "full disk");
        const QString path = folder + QStringLiteral("/program.tvn");
        CTirvaneIDEDoc* doc = OpenAndEdit(path);
        ASSERT_NE(doc, nullptr);
        if (readOnly) {
            ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
            CWithoutOverride asAUser;
            EXPECT_TRUE(Press(command));
        } else {
            CFullDisk full(64);
            EXPECT_TRUE(Press(command));
        }
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        EXPECT_TRUE(boxes.size() == 1 &&
                    boxes[0].text.startsWith(QStringLiteral("Не удалось сохранить")))
            << ::testing::PrintToString(boxes);
        EXPECT_EQ(ReadBytes(path), QByteArray(kOldText));
        EXPECT_TRUE(doc->IsModified());
        EXPECT_TRUE(PaneText(kChannelTranslation).isEmpty());
        EXPECT_FALSE(IsEnabled(ID_RUN));
        boxes.clear();
        EXPECT_TRUE(Press(command));
        EXPECT_TRUE(ReadBytes(path).startsWith(QByteArray(kOldText) + "// xxx"));
        EXPECT_EQ(IsEnabled(ID_RUN), command == ID_TRANSLATE);
        CloseActive();
    }
}

TEST_F(DocumentFilesTest, AFileDeletedBetweenEditAndTranslateIsWrittenAgainAndTranslated) {
    const QString path = dir.filePath(QStringLiteral("program.tvn"));
    CTirvaneIDEDoc* doc = OpenAndEdit(path);
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(Press(ID_TRANSLATE));
    EXPECT_TRUE(ReadBytes(path).startsWith(QByteArray(kOldText) + "// xxx"));
    EXPECT_TRUE(
        PaneText(kChannelTranslation).contains(QStringLiteral("Синтаксических ощибок не найдено")))
        << PaneText(kChannelTranslation).toStdString();
    EXPECT_FALSE(doc->IsModified());
}

// Whatever a file holds, opening it and saving it at once gives the same bytes back.
TEST_F(DocumentFilesTest, FilesOfAnyBytesAndLineEndsSaveBackByteForByte) {
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            everyByte += char(b);
    }
    QByteArray longFile;
    for (int line = 0; line < 300; ++line)
        longFile += "const " + QByteArray::number(line) + " >> a" + (line % 7 == 3 ? "\n" : "\r\n");
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"empty file", QByteArray()},
        // UTF-8 Cyrillic: "Привет, Игорь" ("И" is D0 98, and 0x98 has no letter in 1251)
        {"UTF-8 text", QByteArray("// \xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82, "
                                  "\xd0\x98\xd0\xb3\xd0\xbe\xd1\x80\xd1\x8c\r\nconst 1 >> a\r\n")},
        {"UTF-8 with a byte order mark", QByteArray("\xef\xbb\xbf// \xd0\x98\r\nconst 1 >> a\r\n")},
        {"NUL bytes", QByteArray("const 1 >> a\0\0\r\nconst 2 >> b\r\n", 30)},
        {"lone CR, no final line end", QByteArray("const 1 >> a\rconst 2 >> b")},
        {"LF before CR, CR before CR LF", QByteArray("const 1 >> a\n\rconst 2 >> b\r\r\n")},
        {"blank lines of every kind", QByteArray("\r\n\n\r\r\n\n\n\r")},
        {"every byte between mixed ends", everyByte + "\r" + everyByte + "\n" + everyByte + "\r\n"},
        {"CR LF lines with some LF ones", longFile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = WriteBytes(QStringLiteral("foreign.tvn"), c.bytes);
        CTirvaneIDEDoc* doc = frame->OpenDocument(path);
        ASSERT_NE(doc, nullptr);
        EXPECT_FALSE(doc->IsModified());
        ASSERT_TRUE(Press(ID_FILE_SAVE));
        EXPECT_EQ(ReadBytes(path).toHex(' '), c.bytes.toHex(' '));
        CloseActive();
    }
}

// The bytes with their line ends spelt out, for a readable failure.
std::string Visible(const QByteArray& bytes) {
    return QByteArray(bytes).replace('\r', "\\r").replace('\n', "\\n\n").toStdString();
}

// Lines that end in CR LF, LF and a lone CR; the first line's end is CR LF.
const QByteArray kMixed("one\r\ntwo\nthree\rfour\r\nfive\n");

// Each case puts the caret at a line and column (-1: the line's end), clicks keys, inserts
// text and saves.
TEST_F(DocumentFilesTest, EditedFilesKeepTheEndsOfTheirLinesAndAddedLinesEndLikeTheFirst) {
    constexpr QKeyCombination kSelectDown(Qt::ShiftModifier, Qt::Key_Down);
    constexpr QKeyCombination kUndo(Qt::ControlModifier, Qt::Key_Z);
    const struct {
        const char* name;
        QByteArray bytes;
        int line, column;
        std::vector<QKeyCombination> keys;
        QString inserted;
        QByteArray saved;
    } cases[] = {
        // clang-format off
        {"a line edited in place keeps its end", kMixed, 2, -1, {}, "2",
         "one\r\ntwo2\nthree\rfour\r\nfive\n"},
        {"an added line ends like the first line", kMixed, 3, -1, {Qt::Key_Return}, "new",
         "one\r\ntwo\nthree\rnew\r\nfour\r\nfive\n"},
        {"a removed line takes only its own end", kMixed, 2, 0, {kSelectDown, Qt::Key_Delete}, "",
         "one\r\nthree\rfour\r\nfive\n"},
        {"edits undone give the file as read", kMixed, 2, 0,
         {kSelectDown, kSelectDown, Qt::Key_Delete, Qt::Key_Up, Qt::Key_Right, Qt::Key_Right,
          Qt::Key_Return, kUndo, kUndo}, "", kMixed},
        {"a new line in a lone CR file ends in CR", "one\rtwo\r", 1, -1, {Qt::Key_Return}, "new",
         "one\rnew\rtwo\r"},
        {"a line added after a last line without end", "one\r\ntwo\nthree", 3, -1,
         {Qt::Key_Return}, "four", "one\r\ntwo\nthree\r\nfour"},
        {"a file without a line end adds CR LF", "one", 1, -1, {Qt::Key_Return}, "two",
         "one\r\ntwo"},
        {"a line separator pasted into a line ends like the first line", "one\ntwo\r\n", 1, -1,
         {}, QStringLiteral("x") + QChar::LineSeparator + QStringLiteral("y"), "onex\ny\ntwo\r\n"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = WriteBytes(QStringLiteral("edited.tvn"), c.bytes);
        CTirvaneIDEDoc* doc = frame->OpenDocument(path);
        ASSERT_NE(doc, nullptr);
        PlaceCaret(doc->View(), c.line, c.column);
        Keys(doc->View(), c.keys);
        doc->View()->insertPlainText(c.inserted);
        ASSERT_TRUE(Press(ID_FILE_SAVE));
        EXPECT_EQ(Visible(ReadBytes(path)), Visible(c.saved));
        EXPECT_FALSE(doc->IsModified());
        CloseActive();
    }
}

// Past a thousand lines added and removed the text counts as rewritten: its lines take the
// ends of the old lines one by one from the bottom.
TEST_F(DocumentFilesTest, ARewrittenFileOfMixedEndsKeepsItsEndsLineByLine) {
    QByteArray before;
    QByteArray after;
    QString typed;
    for (int line = 0; line < 1500; ++line) {
        const char* end = line % 3 == 0 ? "\r\n" : line % 3 == 1 ? "\n" : "\r";
        before += "old " + QByteArray::number(line) + end;
        after += "new " + QByteArray::number(line) + end;
        typed += QStringLiteral("new %1\n").arg(line);
    }
    const QString path = WriteBytes(QStringLiteral("rewritten.tvn"), before);
    CTirvaneIDEDoc* doc = frame->OpenDocument(path);
    ASSERT_NE(doc, nullptr);
    doc->View()->selectAll();
    doc->View()->insertPlainText(typed);
    ASSERT_TRUE(Press(ID_FILE_SAVE));
    EXPECT_TRUE(ReadBytes(path) == after);
}

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
    const QStringList items = ItemTexts(frame->ShownMenus().first()); // "Файл"
    const QStringList recent = {
        CRecentFileList::MenuText(0, paths[4]), CRecentFileList::MenuText(1, paths[3]),
        CRecentFileList::MenuText(2, paths[2]), CRecentFileList::MenuText(3, paths[1])};
    EXPECT_EQ(items.mid(items.indexOf(recent.first()), 4), recent);

    // Choosing an entry opens it and moves it up; a vanished file leaves the list.
    frame->Action(ID_FILE_MRU_FILE1 + 2)->trigger();
    EXPECT_EQ(frame->ActiveDocument()->PathName(), paths[2]);
    EXPECT_EQ(frame->RecentFiles().Files().first(), paths[2]);
    ASSERT_TRUE(QFile::remove(paths[1]));
    frame->Action(ID_FILE_MRU_FILE1 + 3)->trigger();
    EXPECT_EQ(boxes.size(), 1u);
    boxes.clear();
    EXPECT_EQ(frame->RecentFiles().Files(), (QStringList{paths[2], paths[4], paths[3]}));
    // Saved under a name, a new document comes first.
    frame->NewDocument();
    saveAsAnswer = dir.filePath(QStringLiteral("named.tvn"));
    ASSERT_TRUE(Press(ID_FILE_SAVE));
    EXPECT_EQ(saveAsAsked, 1);
    Restart();
    EXPECT_EQ(frame->RecentFiles().Files(),
              (QStringList{saveAsAnswer, paths[2], paths[4], paths[3]}));
}

} // namespace
} // namespace idetest
