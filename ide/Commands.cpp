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
        {ID_FILE_PRINT_SETUP,
         QStringLiteral("Изменение параметров принтера и печати\nУстановки печати")},
        {ID_FILE_PRINT, QStringLiteral("Печать активного документа\nПечать")},
        {ID_FILE_PRINT_PREVIEW,
         QStringLiteral("Просмотр документа в том виде, в каком он будет напечатан\nПросмотр")},
        {ID_APP_ABOUT, QStringLiteral("Вывод сведений о программе и ее версии\nО программе")},
        {ID_APP_EXIT, QStringLiteral("Выход из приложения с запросом на сохранение "
                                     "документов\nВыход")},
        {ID_HELP_FINDER, QStringLiteral("Оглавление справки\nОглавление")},
        {ID_CONTEXT_HELP,
         QStringLiteral("Справка по слову под кареткой или по активному окну\nКонтекстная "
                        "справка")},
        {ID_HELP, QStringLiteral("Вызов справки\nСправка")},
        {ID_DEFAULT_HELP, QStringLiteral("Вызов справки\nСправка")},
        {ID_EDIT_COPY, QStringLiteral("Копирование выделенного фрагмента в буфер "
                                      "обмена\nКопировать")},
        {ID_EDIT_CUT, QStringLiteral("Удаление выделенного фрагмента и перенос его в буфер "
                                     "обмена\nВырезать")},
        {ID_EDIT_FIND, QStringLiteral("Поиск втексте\nНайти")},
        {ID_EDIT_PASTE, QStringLiteral("Вставка содержимого буфера обмена\nВставить")},
        {ID_EDIT_REPLACE, QStringLiteral("Замена заданного текста другим текстом\nЗаменить")},
        {ID_EDIT_GOTO_LINE,
         QStringLiteral("Переход к строке с заданным номером\nПерейти к строке")},
        {ID_EDIT_UNDO, QStringLiteral("Отмена последнего действия\nОтменить")},
        {ID_WINDOW_NEW, QStringLiteral("Открытие еще одного окна с активным документом\nНовое "
                                       "окно")},
        {ID_WINDOW_ARRANGE,
         QStringLiteral("Упорядочение значков в нижней части окна\nУпорядочить значки")},
        {ID_WINDOW_CASCADE, QStringLiteral("Расположение окон с перекрытием\nКаскад")},
        {ID_WINDOW_TILE_HORZ, QStringLiteral("Расположение окон без перекрытия\nЧерепица")},
        {ID_NEXT_PANE, QStringLiteral("Переход к следующей области окна\nСледующая область")},
        {ID_PREV_PANE, QStringLiteral("Переход к предыдущей области окна\nПредыдущая область")},
        {ID_VIEW_TOOLBAR,
         QStringLiteral("Показ или скрытие панели инструментов\nПанель инструментов")},
        {ID_VIEW_STATUS_BAR,
         QStringLiteral("Показ или скрытие строки состояния\nСтрока состояния")},
        {ID_FUNC_LIST,
         QStringLiteral("Список функций, описанных в программе в акивном окне\nСписок функций")},
        {ID_FUNC_PROPERTIES, QStringLiteral("Свойства функции, выбранной из списка функций "
                                            "оттранслированного документа\nСвойства функции")},
        {ID_FUNC_DEFINITION, QStringLiteral("Скроллинг текста до точки определения "
                                            "функции\nОпределение функции в тексте")},
        {ID_TRANSLATE, QStringLiteral("Трансляция программы в активном окне\nТрансляция")},
        {ID_RUN, QStringLiteral("Выполнение программы в активном окне\nВыполнение")},
        {ID_ABORT_RUN, QStringLiteral("Экстренное прерывание выполнения запущенной программы "
                                      "без гарантий корректности\nПрерывание выполнения "
                                      "программы")},
        {ID_DEBUG, QStringLiteral("Пошаговая отладка программы в активном окне\nОтладка")},
        {ID_ABORT_DEBUG, QStringLiteral("Прерывание пошаговой отладки\nПрерывание отладки")},
    };
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFileCount)
        return QStringLiteral("Открытие этого документа");
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

QString ToolTipWithShortcut(const QAction* action) {
    const QKeySequence key = action->shortcut();
    if (key.isEmpty())
        return action->toolTip();
    return QStringLiteral("%1 (%2)").arg(action->toolTip(), key.toString(QKeySequence::NativeText));
}
