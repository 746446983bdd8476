#pragma once
// Command ids of the shell and their prompts ("status-bar prompt\ntooltip").

#include <QString>

class QAction;
class QObject;

enum CommandId : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_CLOSE = 57602,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_APP_EXIT = 57665,
    ID_FUNC_LIST = 32773,
    ID_TRANSLATE = 32775,
    ID_RUN = 32776,
    ID_DEBUG = 32777,
    ID_ABORT_DEBUG = 32778,
    ID_ABORT_RUN = 32781,
    IDC_FUNC_COMBO = 33757
};

// The prompt string of a command id, empty for an unknown id.
QString CommandPrompt(int id);

// An action carrying the id as its data, with the prompt's two halves as status tip and
// tool tip.
QAction* MakeCommandAction(int id, const QString& text, QObject* parent);

int CommandIdOf(const QAction* action);
