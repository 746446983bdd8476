#include "ide/Examples.h"

#include "ide/TextCodec.h"

#include <QDir>
#include <QFile>

// The resource lives in a static library: it must be registered by name.
static void InitExampleResources() {
    Q_INIT_RESOURCE(examples);
}

namespace {

const QString kExampleRoot = QStringLiteral(":/examples/");

} // namespace

QStringList ExampleNames() {
    InitExampleResources();
    return QDir(kExampleRoot).entryList({QStringLiteral("*.tvn")}, QDir::Files, QDir::Name);
}

QByteArray ExampleBytes(const QString& name) {
    InitExampleResources();
    QFile file(kExampleRoot + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString ExampleSummary(const QString& name) {
    const QByteArray bytes = ExampleBytes(name);
    const qsizetype end = bytes.indexOf('\n');
    QString line =
        FromCp1251(std::string_view(bytes.constData(), std::size_t(end < 0 ? bytes.size() : end)))
            .trimmed();
    if (line.startsWith(QStringLiteral("//")))
        line = line.mid(2).trimmed();
    return line;
}
