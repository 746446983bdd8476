#pragma once
// Tool bar pictures of the language commands, drawn rather than loaded.

#include <QIcon>

// The picture of a command id, or a null icon for commands without one.
QIcon CommandIcon(int id);
