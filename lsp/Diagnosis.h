#pragma once
// The Translate command on an editor's text: the translator's own report line, in UTF-8.

#include <string>

struct TranslationOutcome {
    bool translated = false;
    int line = 0;        // the report's line number, from 1; 0 when translated
    std::string message; // the report line, "Ошибка в строке N : ..."
};

// Needs the process's output sink to itself: the report is read back from its
// "Трансляция" channel, which is cleared first.
TranslationOutcome TranslateText(const std::string& cp1251);
