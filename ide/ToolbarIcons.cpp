#include "ide/ToolbarIcons.h"

#include "ide/Commands.h"

#include <QPainter>

// The pictures live in a static library: their resource must be registered by name.
static void InitIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace {

QIcon ResourceIcon(const char* name) {
    static const bool registered = (InitIconResources(), true);
    Q_UNUSED(registered);
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
}

const char* IconName(int id) {
    switch (id) {
    case ID_FILE_NEW:
        return "new";
    case ID_FILE_OPEN:
        return "open";
    case ID_FILE_SAVE:
        return "save";
    case ID_EDIT_CUT:
        return "cut";
    case ID_EDIT_COPY:
        return "copy";
    case ID_EDIT_PASTE:
        return "paste";
    case ID_EDIT_UNDO:
        return "undo";
    case ID_EDIT_FIND:
        return "find";
    case ID_FILE_PRINT:
        return "print";
    case ID_FUNC_DEFINITION:
        return "definition";
    case ID_FUNC_PROPERTIES:
        return "properties";
    case ID_TRANSLATE:
        return "translate";
    case ID_RUN:
        return "run";
    case ID_ABORT_RUN:
        return "abort-run";
    case ID_DEBUG:
        return "debug";
    case ID_ABORT_DEBUG:
        return "abort-debug";
    case ID_APP_ABOUT:
        return "about";
    default:
        return nullptr;
    }
}

} // namespace

QIcon CommandIcon(int id) {
    const char* name = IconName(id);
    return name != nullptr ? ResourceIcon(name) : QIcon();
}

void PaintEmblem(QPainter& painter, int side) {
    EmblemIcon().paint(&painter, QRect(0, 0, side, side));
}

QIcon EmblemIcon() {
    return ResourceIcon("emblem");
}
