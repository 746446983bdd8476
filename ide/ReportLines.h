#pragma once
// Reading the "Трансляция" channel back: the line a translation error names.

#include <QString>

// The line number of the first "Ошибка в строке N : ..." in the text, 0 if there is none.
int ReportedErrorLine(const QString& report);
