#pragma once
// A main window for each test, dialogs answered by the test, and helpers that act like a
// user: press tool bar buttons and keys, type into panes, pick functions, meet modal dialogs
// and pop-up menus.

#include "ide/ChildFrame.h"
#include "ide/Commands.h"
#include "ide/MainFrame.h"
#include "ide/OutputBar.h"
#include "ide/ShellDialogs.h"
#include "ide/TirvaneIDEDoc.h"
#include "ide/TirvaneIDEView.h"
#include "interpreter/DebugControl.h"
#include "output/OutputSink.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QColor>
#include <QMdiArea>
#include <QMenu>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

class COutputView;
class QAbstractScrollArea;

// Readable Qt strings in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace idetest {

// The function list's first entry, there whenever a translation succeeded.
inline const QString kEvaluateArgument = QStringLiteral("Вычисление аргумента");

struct StopBox {
    QString caption;
    QString text;
    bool operator==(const StopBox&) const = default;
};

void PrintTo(const StopBox& box, std::ostream* os);

// Types text key by key, Cyrillic letters included.
void TypeText(QWidget* widget, const QString& text);

// Clicks each key with its modifiers, as on the keyboard.
void Keys(QWidget* widget, const std::vector<QKeyCombination>& keys);

// Processes events until cond holds or the time is up; returns cond's last value.
bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 20000);

// Calls open, which shows a modal dialog (or a pop-up menu with popup set), and hands the
// dialog to inspect while it is shown; the dialog is closed afterwards if inspect left it open.
inline bool WithModal(const std::function<void()>& open,
                      const std::function<void(QWidget*)>& inspect, bool popup = false) {
    bool seen = false;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* shown =
            popup ? QApplication::activePopupWidget() : QApplication::activeModalWidget();
        if (shown == nullptr || seen)
            return;
        seen = true;
        timer.stop();
        inspect(shown);
        if (shown->isVisible())
            shown->close();
    });
    timer.start();
    open();
    timer.stop();
    return seen;
}

// The texts of a menu's visible items, "" for a separator.
inline QStringList ItemTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (action->isVisible())
            texts << (action->isSeparator() ? QString() : action->text());
    }
    return texts;
}

// Puts the caret on the 1-based line at the 0-based column, or at the line's end (column -1).
inline void PlaceCaret(QPlainTextEdit* edit, int line, int column = 0) {
    const QTextBlock block = edit->document()->findBlockByNumber(line - 1);
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + (column < 0 ? block.length() - 1 : column));
    edit->setTextCursor(cursor);
}

// The WCAG contrast ratio of two colours.
inline double Contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& colour) {
        const auto channel = [](double c) {
            return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
               0.0722 * channel(colour.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a program file (UTF-8 source text, stored as Windows-1251 with "\r\n").
    QString WriteProgram(const QString& name, const QString& text);
    CTirvaneIDEDoc* OpenProgram(const QString& name, const QString& text);
    // Opens the program and presses Translate.
    CTirvaneIDEDoc* OpenTranslated(const QString& name, const QString& text);
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
    // Picks the function, types the argument and presses Run or Debug.
    bool Start(int commandId, const QString& function, const QString& argument);
    void Activate(CTirvaneIDEDoc* doc);
    // Closes the active window and lets the frame catch up.
    void CloseActive();
    // Waits until no worker is left and the panes show what it wrote.
    bool WaitForRunEnd(int timeoutMs = 20000);

    std::unique_ptr<CMainFrame> frame;
    QTemporaryDir dir;
    std::vector<StopBox> boxes;
    // The documents asked about saving their changes, and the answer.
    std::vector<QString> savesAsked;
    SaveChoice saveChoice = SaveChoice::Discard;
    // The answer to a Save As dialog; empty cancels it.
    QString saveAsAnswer;
    int saveAsAsked = 0;

private:
    ShellDialogHooks m_previousHooks;
};

} // namespace idetest
