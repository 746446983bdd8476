#include "ide/EditorColours.h"

#include <QFont>
#include <QPalette>

bool IsDarkPalette(const QPalette& palette) {
    return palette.color(QPalette::Base).lightness() < 128;
}

// Each text colour keeps a contrast of at least 4.5 : 1 to its own background (the tests
// check it), and the line marks stay pale enough on light and deep enough on dark to keep it.
EditorColours EditorColoursFor(const QPalette& palette) {
    EditorColours c;
    c.dark = IsDarkPalette(palette);
    if (!c.dark) {
        c.keyword = QColor(0x00, 0x00, 0xa0);
        c.number = QColor(0x9c, 0x00, 0x9c);
        c.character = c.string = QColor(0x1a, 0x6b, 0x1a);
        c.comment = QColor(0x5e, 0x66, 0x70);
        c.namingArrow = QColor(0xb0, 0x3a, 0x00);
        c.namedName = QColor(0x00, 0x5a, 0x80);
        c.sign = QColor(0xa0, 0x00, 0x00);
        c.currentLine = QColor(0xee, 0xf3, 0xfb);
        c.errorLine = QColor(0xff, 0xdc, 0xdc);
        c.stepLine = QColor(0xff, 0xf0, 0xa8);
        c.bracketMatch = QColor(0xb8, 0xe6, 0xb8);
        c.bracketMismatch = QColor(0xff, 0xb0, 0xb0);
        c.gutterBackground = QColor(0xf0, 0xf0, 0xf0);
        c.gutterText = QColor(0x66, 0x66, 0x66);
        c.gutterCurrentText = QColor(0x20, 0x20, 0x20);
        c.errorMarker = QColor(0xd0, 0x20, 0x20);
        c.stepMarker = QColor(0xe0, 0x90, 0x00);
    } else {
        c.keyword = QColor(0x82, 0xaa, 0xff);
        c.number = QColor(0xe8, 0x9c, 0xe8);
        c.character = c.string = QColor(0x98, 0xd8, 0x8a);
        c.comment = QColor(0xa0, 0xa8, 0xb0);
        c.namingArrow = QColor(0xff, 0xa8, 0x60);
        c.namedName = QColor(0x7e, 0xd6, 0xe8);
        c.sign = QColor(0xff, 0x8c, 0x8c);
        c.currentLine = QColor(0x2c, 0x32, 0x3c);
        c.errorLine = QColor(0x5a, 0x1e, 0x1e);
        c.stepLine = QColor(0x3e, 0x37, 0x0a);
        c.bracketMatch = QColor(0x1e, 0x50, 0x32);
        c.bracketMismatch = QColor(0x78, 0x20, 0x20);
        c.gutterBackground = QColor(0x26, 0x26, 0x2a);
        c.gutterText = QColor(0x90, 0x90, 0x98);
        c.gutterCurrentText = QColor(0xe8, 0xe8, 0xe8);
        c.errorMarker = QColor(0xff, 0x60, 0x60);
        c.stepMarker = QColor(0xff, 0xc8, 0x40);
    }
    return c;
}

QTextCharFormat SyntaxFormat(const EditorColours& colours, SyntaxKind kind) {
    QTextCharFormat format;
    switch (kind) {
    case SyntaxKind::Keyword:
        format.setForeground(colours.keyword);
        format.setFontWeight(QFont::Bold);
        break;
    case SyntaxKind::Number:
        format.setForeground(colours.number);
        break;
    case SyntaxKind::Character:
        format.setForeground(colours.character);
        break;
    case SyntaxKind::String:
        format.setForeground(colours.string);
        break;
    case SyntaxKind::Comment:
        format.setForeground(colours.comment);
        format.setFontItalic(true);
        break;
    case SyntaxKind::NamingArrow:
        format.setForeground(colours.namingArrow);
        format.setFontWeight(QFont::Bold);
        break;
    case SyntaxKind::NamedName:
        format.setForeground(colours.namedName);
        break;
    case SyntaxKind::Sign:
        format.setForeground(colours.sign);
        break;
    case SyntaxKind::Bracket:
        break;
    }
    return format;
}
