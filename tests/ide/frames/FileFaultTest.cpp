// Files that fail under the document: a folder that cannot be written, a disk that is
// full, a file deleted behind the editor's back, and files that are not Windows-1251 text.
// A failed save is reported and leaves the old file as it was; nothing is lost on open.

#include "IdeTestSupport.h"

#include "ide/ChildFrame.h"
#include "ide/Commands.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"
#include "output/OutputSink.h"

#include <QFile>
#include <QTest>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>

namespace idetest {
namespace {

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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

class FileFaultTest : public FrameTest {
protected:
    static constexpr const char* kOldText = "funcdef x { x >> return } >> f\r\n";

    QString WriteBytes(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

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

    // Opens each file, saves it at once and compares the bytes.
    template <class Cases> void ExpectSavedBackByteForByte(const Cases& cases) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            const QString path = WriteBytes(dir.filePath(QStringLiteral("foreign.tvn")), c.bytes);
            CTirvaneIDEDoc* doc = frame->OpenDocument(path);
            ASSERT_NE(doc, nullptr);
            EXPECT_FALSE(doc->IsModified());
            ASSERT_TRUE(Press(ID_FILE_SAVE));
            EXPECT_EQ(ReadBytes(path).toHex(' '), c.bytes.toHex(' '));
            frame->ActiveChild()->close();
            QCoreApplication::processEvents();
        }
        EXPECT_TRUE(boxes.empty()) << ::testing::PrintToString(boxes);
    }

    bool SaveBoxShown() const {
        return boxes.size() == 1 &&
               boxes[0].text.startsWith(QStringLiteral("Не удалось сохранить"));
    }
};

TEST_F(FileFaultTest, SavingIntoAReadOnlyFolderReportsAndKeepsTheOldFile) {
    const QString folder = dir.filePath(QStringLiteral("locked"));
    ASSERT_EQ(::mkdir(QFile::encodeName(folder).constData(), 0755), 0);
    const QString path = folder + QStringLiteral("/program.tvn");
    CTirvaneIDEDoc* doc = OpenAndEdit(path);
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    {
        CWithoutOverride asAUser;
        EXPECT_TRUE(Press(ID_FILE_SAVE));
    }
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_TRUE(SaveBoxShown()) << ::testing::PrintToString(boxes);
    EXPECT_EQ(ReadBytes(path), QByteArray(kOldText));
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(FileFaultTest, SavingOnAFullDiskReportsAndKeepsTheOldFile) {
    const QString path = dir.filePath(QStringLiteral("program.tvn"));
    CTirvaneIDEDoc* doc = OpenAndEdit(path);
    ASSERT_NE(doc, nullptr);
    {
        CFullDisk full(64);
        EXPECT_TRUE(Press(ID_FILE_SAVE));
    }
    EXPECT_TRUE(SaveBoxShown()) << ::testing::PrintToString(boxes);
    EXPECT_EQ(ReadBytes(path), QByteArray(kOldText));
    EXPECT_TRUE(doc->IsModified());
    // With room again the same document saves.
    boxes.clear();
    EXPECT_TRUE(Press(ID_FILE_SAVE));
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(ReadBytes(path).startsWith(QByteArray(kOldText) + "// xxx"));
}

TEST_F(FileFaultTest, AFileDeletedBetweenEditAndTranslateIsWrittenAgainAndTranslated) {
    const QString path = dir.filePath(QStringLiteral("program.tvn"));
    CTirvaneIDEDoc* doc = OpenAndEdit(path);
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(Press(ID_TRANSLATE));
    EXPECT_TRUE(boxes.empty()) << ::testing::PrintToString(boxes);
    EXPECT_TRUE(ReadBytes(path).startsWith(QByteArray(kOldText) + "// xxx"));
    EXPECT_TRUE(
        PaneText(kChannelTranslation).contains(QStringLiteral("Синтаксических ощибок не найдено")))
        << PaneText(kChannelTranslation).toStdString();
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(FileFaultTest, FilesThatAreNotWindows1251TextOpenAndSaveBackByteForByte) {
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            everyByte += char(b);
    }
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        // UTF-8 Cyrillic: "Привет, Игорь" ("И" is D0 98, and 0x98 has no letter in 1251)
        {"UTF-8 text", QByteArray("// \xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82, "
                                  "\xd0\x98\xd0\xb3\xd0\xbe\xd1\x80\xd1\x8c\r\nconst 1 >> a\r\n")},
        {"UTF-8 with a byte order mark", QByteArray("\xef\xbb\xbf"
                                                    "const 1 >> a\r\n")},
        {"every byte but the line ends", everyByte},
        {"NUL bytes", QByteArray("const 1 >> a\0\0\r\nconst 2 >> b\r\n", 30)},
    };
    ExpectSavedBackByteForByte(cases);
}

// Disabled: the editor turns a lone CR into a line end of the file's main kind, so these
// files come back with other line ends (see docs/reliability.md).
TEST_F(FileFaultTest, DISABLED_FilesWithLoneOrMixedLineEndsSaveBackByteForByte) {
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"lone CR line ends", QByteArray("const 1 >> a\rconst 2 >> b\r")},
        {"mixed line ends", QByteArray("const 1 >> a\r\nconst 2 >> b\nconst 3 >> c\r\n")},
    };
    ExpectSavedBackByteForByte(cases);
}

} // namespace
} // namespace idetest
