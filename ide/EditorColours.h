#pragma once
// The colours of the editor: the syntax, the marked lines and the line-number gutter. Two
// sets, one for a light and one for a dark desktop theme, chosen by the lightness of the
// editor's background, so that every text stays readable on either.

#include "ide/SyntaxScanner.h"

#include <QColor>
#include <QTextCharFormat>

class QPalette;

struct EditorColours {
    bool dark = false;
    QColor keyword, number, character, string, comment, namingArrow, namedName, sign;
    QColor currentLine, errorLine, stepLine, bracketMatch, bracketMismatch;
    QColor gutterBackground, gutterText, gutterCurrentText, errorMarker, stepMarker;
};

// A background whose lightness lies below the middle makes a dark theme.
bool IsDarkPalette(const QPalette& palette);
EditorColours EditorColoursFor(const QPalette& palette);

// The character format of a syntax kind; a bracket keeps the plain format.
QTextCharFormat SyntaxFormat(const EditorColours& colours, SyntaxKind kind);
