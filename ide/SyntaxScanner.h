#pragma once
// The line scanner of syntax/ for Qt's strings: a QStringView is already UTF-16.

#include "syntax/SyntaxScanner.h"

#include <QStringView>

inline std::u16string_view Utf16Of(QStringView text) {
    return {text.utf16(), static_cast<std::size_t>(text.size())};
}

inline LineState ScanSyntaxLine(QStringView line, LineState state, std::vector<SyntaxSpan>* spans) {
    return ScanSyntaxLine(Utf16Of(line), state, spans);
}

inline bool IsLanguageKeyword(QStringView word) {
    return IsLanguageKeyword(Utf16Of(word));
}
