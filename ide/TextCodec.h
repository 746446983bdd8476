#pragma once
// The edge between the core's texts (Windows-1251 bytes, lines ended by "\r\n") and Qt's
// (Unicode, lines ended by "\n" inside widgets).

#include <QString>

#include <string>
#include <string_view>

QString FromCp1251(std::string_view bytes);
std::string ToCp1251(const QString& text);

// Core text for a widget: "\r\n" and a lone "\r" become "\n".
QString CoreTextToWidget(std::string_view bytes);
// A widget's raw text for the core: every line break becomes lineBreak.
std::string WidgetTextToCore(const QString& rawText, std::string_view lineBreak = "\r\n");

// Line breaks of core text for a widget, where the text arrives in pieces: a "\r" at the end
// of one piece is held back in pendingCR until the next piece shows whether "\n" follows.
std::string NormaliseLineBreaks(std::string_view bytes, bool& pendingCR);
