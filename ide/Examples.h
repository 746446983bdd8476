#pragma once
// The example programs of examples/, compiled into the program for "Справка/Примеры" and
// for the guide's links to them.

#include <QByteArray>
#include <QString>
#include <QStringList>

// The examples' file names ("factorial.tvn"), in alphabetical order.
QStringList ExampleNames();
// The file's bytes as stored (Windows-1251); empty if there is no such example.
QByteArray ExampleBytes(const QString& name);
// The example's first comment line, without the comment's sign.
QString ExampleSummary(const QString& name);
