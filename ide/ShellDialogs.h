#pragma once
// Every message box and file dialog of the shell goes through here, so that tests can
// answer them instead of a user.

#include <QString>

#include <functional>

struct CMessageBox;
class QPrinter;
class QWidget;

enum class SaveChoice { Save, Discard, Cancel };

struct ShellDialogHooks {
    // Replaces the stop box (critical icon, one OK button, no owner).
    std::function<void(const QString& caption, const QString& text)> stopBox;
    // Replaces "save changes to title?"
    std::function<SaveChoice(const QString& title)> saveChanges;
    // Replaces the question whether to save a text that loses characters; false cancels.
    std::function<bool(const QString& text)> saveLosing;
    // Replace the file dialogs; an empty name cancels.
    std::function<QString(const QString& suggested)> saveFileName;
    std::function<QString()> openFileName;
    // Replace the print and page set-up dialogs; false cancels.
    std::function<bool(QPrinter* printer)> print;
    std::function<bool(QPrinter* printer)> pageSetup;
};

// Installs hooks (empty members keep the real dialogs); returns the previous ones.
ShellDialogHooks SetShellDialogHooks(ShellDialogHooks hooks);

// Shown on the GUI thread; a call from another thread is queued there.
void ShowStopBox(const QString& caption, const QString& text);
// The same box owned by a window of the shell.
void ShowStopBox(QWidget* owner, const QString& caption, const QString& text);
// A box prepared by the core, in Windows-1251.
void ShowStopBox(const CMessageBox& box);

SaveChoice AskSaveChanges(QWidget* parent, const QString& title);
// Saving would turn the character on the line (from 1) and any others like it into "?":
// true if the user saves all the same.
bool AskSaveLosing(QWidget* parent, char32_t character, int line);
QString AskSaveFileName(QWidget* parent, const QString& suggested);
QString AskOpenFileName(QWidget* parent);
bool AskPrint(QWidget* parent, QPrinter* printer);
bool AskPageSetup(QWidget* parent, QPrinter* printer);
