#pragma once
// Command ids of the shell and their prompts ("status-bar prompt\ntooltip").

#include <QString>

class QAction;
class QObject;

enum CommandId : int {
    // File.
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_CLOSE = 57602,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_MRU_FILE1 = 57616, // up to 57619: the four recent files
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    // Help.
    ID_HELP_FINDER = 57667,
    ID_CONTEXT_HELP = 57669,
    ID_HELP = 57670,
    ID_DEFAULT_HELP = 57671,
    // Edit.
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_FIND = 57636,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_REPLACE = 57641,
    ID_EDIT_UNDO = 57643,
    // Window.
    ID_WINDOW_NEW = 57648,
    ID_WINDOW_ARRANGE = 57649,
    ID_WINDOW_CASCADE = 57650,
    ID_WINDOW_TILE_HORZ = 57651,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    // View.
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    // Status bar panes of the caret position.
    ID_INDICATOR_LINE = 59143,
    ID_INDICATOR_COLUMN = 59144,
    // Language commands.
    ID_FUNC_LIST = 32773,
    ID_FUNC_PROPERTIES = 32774,
    ID_TRANSLATE = 32775,
    ID_RUN = 32776,
    ID_DEBUG = 32777,
    ID_ABORT_DEBUG = 32778,
    ID_FUNC_DEFINITION = 32779,
    ID_CTX_DEFINITION = 32780,
    ID_ABORT_RUN = 32781,
    ID_EDIT_GOTO_LINE = 32782,
    ID_CTX_PROPERTIES = 103,
    IDC_FUNC_COMBO = 33757
};

constexpr int kRecentFileCount = 4;

// The prompt string of a command id, empty for an unknown id.
QString CommandPrompt(int id);

// An action carrying the id as its data, with the prompt's two halves as status tip and
// tool tip.
QAction* MakeCommandAction(int id, const QString& text, QObject* parent);

int CommandIdOf(const QAction* action);

// The tool tip a tool bar button shows: the action's tool tip, and its key in brackets if
// it has one ("Трансляция (F7)").
QString ToolTipWithShortcut(const QAction* action);
