#include "ide/RecentFileList.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kSection = QStringLiteral("Recent File List");
constexpr qsizetype kMaxShownPath = 60;

QString Key(int index) {
    return QStringLiteral("File%1").arg(index + 1);
}

} // namespace

CRecentFileList::CRecentFileList(int size) : m_nSize(size) {
}

void CRecentFileList::Load() {
    QSettings settings;
    settings.beginGroup(kSection);
    m_files.clear();
    for (int i = 0; i < m_nSize; ++i) {
        const QString path = settings.value(Key(i)).toString();
        if (!path.isEmpty() && !m_files.contains(path))
            m_files.append(path);
    }
}

void CRecentFileList::Save() const {
    QSettings settings;
    settings.beginGroup(kSection);
    for (int i = 0; i < m_nSize; ++i) {
        if (i < m_files.size())
            settings.setValue(Key(i), m_files[i]);
        else
            settings.remove(Key(i));
    }
}

void CRecentFileList::Add(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_files.removeAll(absolute);
    m_files.prepend(absolute);
    while (m_files.size() > m_nSize)
        m_files.removeLast();
    Save();
}

void CRecentFileList::Remove(int index) {
    if (index < 0 || index >= m_files.size())
        return;
    m_files.removeAt(index);
    Save();
}

QString CRecentFileList::MenuText(int index, const QString& path) {
    QString shown = QDir::toNativeSeparators(path);
    if (shown.size() > kMaxShownPath) {
        const QString name = QFileInfo(path).fileName();
        const qsizetype head = std::max<qsizetype>(kMaxShownPath - name.size() - 4, 3);
        shown = shown.left(head) + QStringLiteral("...") + QDir::separator() + name;
    }
    shown.replace(u'&', QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}
