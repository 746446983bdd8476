#pragma once
// Helpers for tests that meet modal dialogs, pop-up menus and the editor's lines.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QColor>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTextBlock>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <functional>
#include <ostream>

// Readable Qt strings in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace idetest {

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

// Selects whole lines first to last (1-based), their line breaks included.
inline void SelectLines(QPlainTextEdit* edit, int first, int last) {
    const QTextBlock from = edit->document()->findBlockByNumber(first - 1);
    const QTextBlock to = edit->document()->findBlockByNumber(last);
    QTextCursor cursor(from);
    cursor.setPosition(to.position(), QTextCursor::KeepAnchor);
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

} // namespace idetest
