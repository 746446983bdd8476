#pragma once
// A main window for each test, dialogs answered by the test, and helpers that act like a
// user: press tool bar buttons, type into panes, pick functions.

#include "ide/MainFrame.h"
#include "ide/ShellDialogs.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

class CTirvaneIDEDoc;
class COutputView;
class QAbstractScrollArea;
class QPlainTextEdit;

namespace idetest {

struct StopBox {
    QString caption;
    QString text;
    bool operator==(const StopBox&) const = default;
};

void PrintTo(const StopBox& box, std::ostream* os);

// Types text key by key, Cyrillic letters included.
void TypeText(QWidget* widget, const QString& text);

// Processes events until cond holds or the time is up; returns cond's last value.
bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 20000);

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a program file (UTF-8 source text, stored as Windows-1251 with "\r\n").
    QString WriteProgram(const QString& name, const QString& text);
    CTirvaneIDEDoc* OpenProgram(const QString& name, const QString& text);
    // Writes bytes as they are to a file of the test's folder (or to a path), reads them back.
    QString WriteBytes(const QString& name, const QByteArray& bytes);
    static QByteArray ReadBytes(const QString& path);
    // Closes the main window and starts a new one, as a restart of the program does;
    // forgetLayout: as the very first start.
    void Restart(bool forgetLayout = false);

    // Clicks the command's tool bar button; false if the button is disabled.
    bool Press(int commandId);
    bool IsEnabled(int commandId) const;

    QString PaneText(int channel);
    QAbstractScrollArea* Pane(int channel) const;
    QPlainTextEdit* ArgumentPane() const;
    COutputView* View(int channel) const;
    void TypeArgument(const QString& text);
    QStringList FunctionListItems() const;
    int FunctionListSelection() const;
    void SelectFunction(const QString& name);
    // Waits until no worker is left and the panes show what it wrote.
    bool WaitForRunEnd(int timeoutMs = 20000);

    std::unique_ptr<CMainFrame> frame;
    QTemporaryDir dir;
    std::vector<StopBox> boxes;
    // The answer to a Save As dialog; empty cancels it.
    QString saveAsAnswer;
    int saveAsAsked = 0;

private:
    ShellDialogHooks m_previousHooks;
};

} // namespace idetest
