#include "ide/ReportLines.h"

#include <QRegularExpression>

int ReportedErrorLine(const QString& report) {
    static const QRegularExpression kErrorLine(QStringLiteral("Ошибка в строке (\\d+) : "));
    const QRegularExpressionMatch match = kErrorLine.match(report);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}
