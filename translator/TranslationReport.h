#pragma once
// The Translate command without its window: clears the previous translation, translates a
// file and writes the report that the "Трансляция" channel shows. Shared by the IDE and
// the runner.

#include <string>

class CParser;
class CModuleNode;

// Writes "Трансляция...", then either the line count and "Синтаксических ощибок не
// найдено", or the error line "Ошибка в строке N : message[ : "text"]", or one line naming
// a file that cannot be opened. The caller selects and clears the channel first.
// Returns true on success; *module is then the new module, else null.
bool TranslateWithReport(CParser& parser, const std::string& path, CModuleNode** module);
