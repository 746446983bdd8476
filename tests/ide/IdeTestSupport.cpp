#include "IdeTestSupport.h"

#include "ide/OutputPane.h"
#include "ide/TextCodec.h"
#include "interpreter/RunController.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QSettings>
#include <QToolBar>

#include <ostream>

namespace idetest {

void PrintTo(const StopBox& box, std::ostream* os) {
    *os << "[" << box.caption.toStdString() << "] " << box.text.toStdString();
}

// QTest's key helpers know ASCII keys only; other letters go as key events with text.
void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, c.toLatin1());
            continue;
        }
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void Keys(QWidget* widget, const std::vector<QKeyCombination>& keys) {
    for (const QKeyCombination key : keys)
        QTest::keyClick(widget, key.key(), key.keyboardModifiers());
}

bool WaitFor(const std::function<bool()>& cond, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qSleep(1);
    }
    QCoreApplication::processEvents();
    return true;
}

void FrameTest::SetUp() {
    g_bRunning = false;
    g_bDebugging = false;
    ASSERT_TRUE(dir.isValid());
    ShellDialogHooks hooks;
    hooks.stopBox = [this](const QString& caption, const QString& text) {
        boxes.push_back({caption, text});
    };
    hooks.saveChanges = [this](const QString& title) {
        savesAsked.push_back(title);
        return saveChoice;
    };
    hooks.saveFileName = [this](const QString&) {
        ++saveAsAsked;
        return saveAsAnswer;
    };
    hooks.openFileName = [] { return QString(); };
    m_previousHooks = SetShellDialogHooks(hooks);
    // Each test starts with an empty recent-file list and the first start's layout.
    QSettings().remove(QStringLiteral("Recent File List"));
    QSettings().remove(QStringLiteral("Layout"));
    frame = std::make_unique<CMainFrame>();
    ASSERT_TRUE(frame->Create());
    frame->resize(900, 700);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
}

// Closing the window ends every run; nothing may be left behind for the next test, and no
// box may have been shown that the test did not expect (and clear).
void FrameTest::TearDown() {
    if (frame != nullptr) {
        frame->close();
        frame.reset();
    }
    EXPECT_EQ(CRunController::LiveWorkers(), 0);
    EXPECT_EQ(boxes, std::vector<StopBox>{}) << "boxes the test did not look at";
    SetShellDialogHooks(m_previousHooks);
}

QString FrameTest::WriteProgram(const QString& name, const QString& text) {
    const QString path = dir.filePath(name);
    QString crlf = text;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    const std::string bytes = ToCp1251(crlf);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
}

CTirvaneIDEDoc* FrameTest::OpenProgram(const QString& name, const QString& text) {
    return frame->OpenDocument(WriteProgram(name, text));
}

CTirvaneIDEDoc* FrameTest::OpenTranslated(const QString& name, const QString& text) {
    CTirvaneIDEDoc* doc = OpenProgram(name, text);
    EXPECT_NE(doc, nullptr) << name.toStdString();
    EXPECT_TRUE(Press(ID_TRANSLATE)) << name.toStdString();
    return doc;
}

QString FrameTest::WriteBytes(const QString& name, const QByteArray& bytes) {
    const QString path = QDir::isAbsolutePath(name) ? name : dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

QByteArray FrameTest::ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void FrameTest::Restart(bool forgetLayout) {
    frame->close();
    if (forgetLayout)
        QSettings().remove(QStringLiteral("Layout"));
    frame = std::make_unique<CMainFrame>();
    ASSERT_TRUE(frame->Create());
    frame->ShowAsLastTime();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
}

bool FrameTest::IsEnabled(int commandId) const {
    return frame->Action(commandId)->isEnabled();
}

bool FrameTest::Press(int commandId) {
    frame->UpdateCommands();
    QAction* action = frame->Action(commandId);
    auto* button = qobject_cast<QAbstractButton*>(frame->ToolBar()->widgetForAction(action));
    if (button == nullptr || !button->isEnabled())
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

QAbstractScrollArea* FrameTest::Pane(int channel) const {
    return qobject_cast<QAbstractScrollArea*>(frame->OutputBar()->PaneWidget(channel));
}

QPlainTextEdit* FrameTest::ArgumentPane() const {
    return frame->OutputBar()->ArgumentEdit();
}

COutputView* FrameTest::View(int channel) const {
    return frame->OutputBar()->PaneView(channel);
}

// Panes show queued text from the event loop, so the widget is read once it has caught up.
QString FrameTest::PaneText(int channel) {
    QCoreApplication::processEvents();
    (void)QTest::qWaitFor([&] { return frame->OutputBar()->Pane(channel)->Shown(); }, 1000);
    return channel == kChannelArgument ? ArgumentPane()->toPlainText() : View(channel)->Text();
}

void FrameTest::TypeArgument(const QString& text) {
    ArgumentPane()->clear();
    TypeText(ArgumentPane(), text);
}

QStringList FrameTest::FunctionListItems() const {
    QStringList items;
    for (int i = 0; i < frame->FunctionList()->count(); ++i)
        items << frame->FunctionList()->itemText(i);
    return items;
}

int FrameTest::FunctionListSelection() const {
    return frame->FunctionList()->currentIndex();
}

void FrameTest::SelectFunction(const QString& name) {
    const int index = frame->FunctionList()->findText(name);
    ASSERT_GE(index, 0) << name.toStdString();
    frame->FunctionList()->setCurrentIndex(index);
}

bool FrameTest::Start(int commandId, const QString& function, const QString& argument) {
    SelectFunction(function);
    TypeArgument(argument);
    return Press(commandId);
}

void FrameTest::Activate(CTirvaneIDEDoc* doc) {
    for (QMdiSubWindow* window : frame->MdiArea()->subWindowList()) {
        if (static_cast<CChildFrame*>(window)->Document() == doc)
            frame->MdiArea()->setActiveSubWindow(window);
    }
    ASSERT_EQ(frame->ActiveDocument(), doc);
}

void FrameTest::CloseActive() {
    frame->ActiveChild()->close();
    QCoreApplication::processEvents();
}

bool FrameTest::WaitForRunEnd(int timeoutMs) {
    const bool ended = WaitFor([] { return CRunController::LiveWorkers() == 0; }, timeoutMs);
    QCoreApplication::processEvents();
    return ended;
}

} // namespace idetest
