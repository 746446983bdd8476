#pragma once
// The pictures of the tool bar and of the program: SVG files compiled into the program, so
// that they stay sharp at any size and screen scale.

#include <QIcon>

class QPainter;

// The picture of a command id, or a null icon for commands without one.
QIcon CommandIcon(int id);

// The program's emblem, scaled into the square of side `side` at the painter's origin:
// the about box picture and the window icon.
void PaintEmblem(QPainter& painter, int side);
QIcon EmblemIcon();
