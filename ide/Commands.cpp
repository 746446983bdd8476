#include "ide/Commands.h"

#include <QAction>

#include <map>

QString CommandPrompt(int id) {
    static const std::map<int, QString> kPrompts = {
        {ID_FILE_NEW, QStringLiteral("Создание нового документа\nНовый")},
        {ID_FILE_OPEN, QStringLiteral("Открытие существующего документа\nОткрыть")},
        {ID_FILE_CLOSE, QStringLiteral("Закрытие активного документа\nЗакрыть")},
        {ID_FILE_SAVE, QStringLiteral("Сохранение активного документа\nСохранить")},
        {ID_FILE_SAVE_AS,
         QStringLiteral("Сохранение активного документа под новым именем\nСохранить как")},
        {ID_APP_EXIT, QStringLiteral("Выход из приложения с запросом на сохранение "
                                     "документов\nВыход")},
        {ID_FUNC_LIST,
         QStringLiteral("Список функций, описанных в программе в акивном окне\nСписок функций")},
        {ID_TRANSLATE, QStringLiteral("Трансляция программы в активном окне\nТрансляция")},
        {ID_RUN, QStringLiteral("Выполнение программы в активном окне\nВыполнение")},
        {ID_ABORT_RUN, QStringLiteral("Экстренное прерывание выполнения запущенной программы "
                                      "без гарантий корректности\nПрерывание выполнения "
                                      "программы")},
        {ID_DEBUG, QStringLiteral("Пошаговая отладка программы в активном окне\nОтладка")},
        {ID_ABORT_DEBUG, QStringLiteral("Прерывание пошаговой отладки\nПрерывание отладки")},
    };
    const auto found = kPrompts.find(id);
    return found == kPrompts.end() ? QString() : found->second;
}

QAction* MakeCommandAction(int id, const QString& text, QObject* parent) {
    auto* action = new QAction(text, parent);
    action->setData(id);
    const QString prompt = CommandPrompt(id);
    const qsizetype newline = prompt.indexOf(u'\n');
    action->setStatusTip(prompt.left(newline));
    action->setToolTip(newline < 0 ? text : prompt.mid(newline + 1));
    return action;
}

int CommandIdOf(const QAction* action) {
    return action->data().toInt();
}
