#include "ide/ShellDialogs.h"

#include "ide/QueuedCall.h"
#include "ide/TextCodec.h"
#include "interpreter/RunSession.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QThread>

namespace {

ShellDialogHooks& Hooks() {
    static ShellDialogHooks hooks;
    return hooks;
}

const QString kFilter = QStringLiteral("Файлы Тирвейн (*.tvn);;Все файлы (*)");

void ShowStopBoxNow(QWidget* owner, const QString& caption, const QString& text) {
    if (Hooks().stopBox) {
        Hooks().stopBox(caption, text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

} // namespace

ShellDialogHooks SetShellDialogHooks(ShellDialogHooks hooks) {
    ShellDialogHooks previous = std::move(Hooks());
    Hooks() = std::move(hooks);
    return previous;
}

void ShowStopBox(const QString& caption, const QString& text) {
    if (QThread::currentThread() != qApp->thread()) {
        PostToGuiThread(qApp, [caption, text] { ShowStopBoxNow(nullptr, caption, text); });
        return;
    }
    ShowStopBoxNow(nullptr, caption, text);
}

void ShowStopBox(QWidget* owner, const QString& caption, const QString& text) {
    ShowStopBoxNow(owner, caption, text);
}

void ShowStopBox(const CMessageBox& box) {
    ShowStopBox(FromCp1251(box.caption), FromCp1251(box.text));
}

SaveChoice AskSaveChanges(QWidget* parent, const QString& title) {
    if (Hooks().saveChanges)
        return Hooks().saveChanges(title);
    const auto answer = QMessageBox::question(
        parent, QStringLiteral("TirvaneIDE"),
        QStringLiteral("Сохранить изменения в %1?").arg(title),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        return SaveChoice::Save;
    return answer == QMessageBox::No ? SaveChoice::Discard : SaveChoice::Cancel;
}

bool AskSaveLosing(QWidget* parent, char32_t character, int line) {
    const QString text =
        QStringLiteral("Строка %1 содержит символ «%2» (U+%3), которого нет в кодировке "
                       "Windows-1251.\nВ файле он и другие такие символы будут заменены знаком "
                       "«?».\n\nСохранить файл?")
            .arg(line)
            .arg(QString::fromUcs4(&character, 1))
            .arg(QString::number(uint(character), 16).toUpper().rightJustified(4, u'0'));
    if (Hooks().saveLosing)
        return Hooks().saveLosing(text);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("TirvaneIDE"), text,
                    QMessageBox::Save | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Save;
}

QString AskSaveFileName(QWidget* parent, const QString& suggested) {
    if (Hooks().saveFileName)
        return Hooks().saveFileName(suggested);
    QString name =
        QFileDialog::getSaveFileName(parent, QStringLiteral("Сохранить как"), suggested, kFilter);
    if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".tvn");
    return name;
}

QString AskOpenFileName(QWidget* parent) {
    if (Hooks().openFileName)
        return Hooks().openFileName();
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Открыть"), QString(), kFilter);
}

bool AskPrint(QWidget* parent, QPrinter* printer) {
    if (Hooks().print)
        return Hooks().print(printer);
    QPrintDialog dialog(printer, parent);
    dialog.setWindowTitle(QStringLiteral("Печать"));
    return dialog.exec() == QDialog::Accepted;
}

bool AskPageSetup(QWidget* parent, QPrinter* printer) {
    if (Hooks().pageSetup)
        return Hooks().pageSetup(printer);
    QPageSetupDialog dialog(printer, parent);
    dialog.setWindowTitle(QStringLiteral("Установки печати"));
    return dialog.exec() == QDialog::Accepted;
}
