#pragma once
// The edge between the core's texts (Windows-1251 bytes, lines ended by "\r\n") and Qt's
// (Unicode, lines ended by "\n" inside widgets).

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

QString FromCp1251(std::string_view bytes);
std::string ToCp1251(const QString& text);

// A character that Windows-1251 has no byte for: saved, it would become "?".
struct LostCharacter {
    char32_t character;
    int line; // from 1
};
// The first such character of a widget's raw text, if there is one.
std::optional<LostCharacter> FirstLostCharacter(const QString& rawText);

// Core text for a widget: "\r\n" and a lone "\r" become "\n".
QString CoreTextToWidget(std::string_view bytes);
// A widget's raw text for the core: every line break becomes lineBreak.
std::string WidgetTextToCore(const QString& rawText, std::string_view lineBreak = "\r\n");

// Line breaks of core text for a widget, where the text arrives in pieces: a "\r" at the end
// of one piece is held back in pendingCR until the next piece shows whether "\n" follows.
std::string NormaliseLineBreaks(std::string_view bytes, bool& pendingCR);

// How each line of a file ended when it was read ("\r\n", "\n" or a lone "\r"), so that the
// file goes back to disk with the same ends although the editor knows only one kind of
// break. Nearly every file ends all its lines alike: it keeps that one end and nothing per
// line. A file of mixed ends keeps each line's end and a hash of each line's text; saving
// finds which lines of the editor are lines of the file as read and gives them their ends.
class CLineEnds {
public:
    // A new document: its lines end in "\r\n".
    CLineEnds() = default;
    // bytes: the file as read; widgetText: CoreTextToWidget(bytes), as the editor holds it.
    CLineEnds(std::string_view bytes, const QString& widgetText);

    // The end of a line the user added: the first line's end as read, else "\r\n".
    std::string_view MainEnd() const;
    bool AllAlike() const { return m_ends.empty(); }
    // The editor's raw text as file bytes. A line of the file as read keeps its end; a line
    // edited in place counts as the line it was; an added line and a break pasted inside a
    // line (a line separator) get MainEnd(). The last line never gets an end of its own.
    std::string ToFile(const QString& rawText) const;

private:
    enum class EEnd : std::uint8_t { CrLf, Lf, Cr };
    static std::string_view Text(EEnd end);

    EEnd m_main = EEnd::CrLf;
    // Per line as read, the last line (which has no end) excepted; empty when all are alike.
    std::vector<EEnd> m_ends;
    // Hashes of the lines as read, the last line included; kept only beside m_ends.
    std::vector<std::size_t> m_lines;
};
